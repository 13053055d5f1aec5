/* The archive header: read raw from archive_file after the recorded size, before and
 * outside the block framing; never keyed by a password. */
#ifndef QM_HEADER_H
#define QM_HEADER_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

#define message_text_limit 65535 /* bytes of message_text, its NUL not counted */
#define run_after_limit 259      /* bytes of run_after, a path */

extern char message_text[message_text_limit + 1];
extern char run_after[run_after_limit + 1];
extern uint8_t password_flag;
extern uint16_t password_check;

/* Reads a NUL-terminated string into text (limit bytes at most, then its NUL). A string
 * that runs to the end of the file is a read failure; one longer than limit is damage. */
void read_header_string(char *text, uint32_t limit);

/* Reads the flag byte and, when it is not 0, the check word freed of the flag mask. */
void read_password_fields(void);

QM_END_DECLS

#endif
