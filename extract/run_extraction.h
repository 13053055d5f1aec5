/* The extraction run: every entry of the archive stream, from front to back, below the
 * destination folder. */
#ifndef QM_RUN_EXTRACTION_H
#define QM_RUN_EXTRACTION_H

#include "startup/decls.h"

QM_BEGIN_DECLS

/* Bytes of a full path (destination folder and entry name) that the run writes under;
 * a longer path is a write failure, never a file under a cut name. */
#define full_path_limit 259

/* Extracts every entry below destination_folder, which ends in a backslash; asks before
 * overwriting. Returns with cancel_flag clear when every entry was processed, set when
 * the user cancelled; every failure ends the process. Closes archive_file at the end. */
void run_extraction(const char *destination_folder);

QM_END_DECLS

#endif
