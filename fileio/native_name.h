/* The POSIX backend's mapping of a code page 932 name with backslashes to the UTF-8
 * name with slashes that the file system sees. */
#ifndef QM_NATIVE_NAME_H
#define QM_NATIVE_NAME_H

#include "startup/decls.h"
#include <stddef.h>

QM_BEGIN_DECLS

/* 0 on success, else an errno value (EILSEQ: no UTF-8 form; ENAMETOOLONG). */
int native_name(const char *name, char *out, size_t out_size);

QM_END_DECLS

#endif
