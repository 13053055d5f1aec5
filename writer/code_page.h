/* Text between UTF-8 (the Linux side: file names, arguments, the terminal) and code page
 * 932 (everything the archive and the stub hold). */
#ifndef QM_CODE_PAGE_H
#define QM_CODE_PAGE_H

#include "startup/decls.h"
#include <stddef.h>

QM_BEGIN_DECLS

/* Converts in_length bytes; out gets a NUL after the result. Returns 0, EILSEQ when a
 * character has no form in the other code page, or E2BIG when out is too small. */
int utf8_to_cp932(const char *in, size_t in_length, char *out, size_t out_size, size_t *out_length);
int cp932_to_utf8(const char *in, size_t in_length, char *out, size_t out_size, size_t *out_length);

/* For showing: the UTF-8 form of a code page 932 text, with "\xNN" for a byte that has no
 * character and, when slashes is set, "/" for every backslash. Cut to fit out. */
void cp932_for_display(const char *in, char *out, size_t out_size, int slashes);

QM_END_DECLS

#endif
