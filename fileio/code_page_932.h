/* Code page 932 characters: a lead byte (0x81 to 0x9F, 0xE0 to 0xFC) followed by a byte
 * other than NUL forms one character of two bytes; any other byte is one character. The
 * rule of CharNextA under that code page, for the code that runs without Win32. */
#ifndef QM_CODE_PAGE_932_H
#define QM_CODE_PAGE_932_H

#include "startup/decls.h"

QM_BEGIN_DECLS

int cp932_is_lead_byte(unsigned char byte);

/* The start of the next character; at the NUL it stays put. */
const char *cp932_char_next(const char *p);

QM_END_DECLS

#endif
