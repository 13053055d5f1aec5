/* The start-up check of the program's own file and the reading of the archive header. */
#ifndef QM_SELF_CHECK_H
#define QM_SELF_CHECK_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

enum check_result {
    no_archive = 0,
    archive_ready = 1
};

/* Size of the complete file as it was written, the archive's first field. */
extern int32_t expected_size;

/* Opens own_path as archive_file, refuses a file whose size differs from the recorded
 * one, and reads the header into the main window. Does not return on any failure. */
enum check_result self_check(const char *own_path);

QM_END_DECLS

#endif
