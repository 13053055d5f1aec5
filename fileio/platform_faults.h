/* Fault injection in the POSIX backend, for tests: every platform operation is counted,
 * and the one whose count reaches platform_fail_at fails with EIO (a probe then finds
 * nothing, as FindFirstFileA reports a failure). The failure is a single one: later
 * operations, the clean-up of a stop among them, succeed again. */
#ifndef QM_PLATFORM_FAULTS_H
#define QM_PLATFORM_FAULTS_H

#include "startup/decls.h"
#include <stdint.h>
#include "fileio/platform_file.h"

QM_BEGIN_DECLS

enum platform_operation {
    operation_open,
    operation_create,
    operation_read,
    operation_write,
    operation_seek,
    operation_position,
    operation_size,
    operation_close,
    operation_set_times,
    operation_make_folder,
    operation_delete,
    operation_change_folder,
    operation_probe
};

/* Sees every operation before it runs: its kind, the handle (0 for operations on names)
 * and the name (0 for operations on handles). */
typedef void (*platform_observer)(enum platform_operation kind, platform_handle handle, const char *name);

extern uint32_t platform_operations; /* operations so far; tests set it back to 0 */
extern uint32_t platform_fail_at;    /* 0: nothing fails; N: operation number N fails */
extern platform_observer platform_observe;

/* Counts one operation; non-zero when it is the one that must fail. */
int platform_fault(enum platform_operation kind, platform_handle handle, const char *name);

QM_END_DECLS

#endif
