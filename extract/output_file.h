/* The file being extracted: open for one entry at a time, global so that the stops can
 * close and erase a half-written file. */
#ifndef QM_OUTPUT_FILE_H
#define QM_OUTPUT_FILE_H

#include "startup/decls.h"
#include "fileio/file_record.h"

QM_BEGIN_DECLS

extern file_record output_file;

QM_END_DECLS

#endif
