/* The stops: a message box, the clean-up, the end of the process. */
#ifndef QM_STOPS_H
#define QM_STOPS_H

#include "startup/decls.h"

QM_BEGIN_DECLS

qm_noreturn void report_read_failure(void);
qm_noreturn void report_write_failure(void);
qm_noreturn void report_damaged_archive(void);
qm_noreturn void fatal_stop(void);

QM_END_DECLS

#endif
