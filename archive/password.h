/* The password test against the header's check word, and the accepted password whose
 * key stream the archive stream removes from the payload. */
#ifndef QM_PASSWORD_H
#define QM_PASSWORD_H

#include "startup/decls.h"
#include <stdint.h>
#include "archive/key_stream.h"

QM_BEGIN_DECLS

#define password_limit 255

extern char accepted_password[password_limit + 1];
extern key_stream archive_key; /* over accepted_password; length 0 until one is accepted */

/* The CRC-16/UMTS of a text, as the test computes it: through crc_register, the text then
 * two 0x00 bytes. */
uint16_t password_crc(const char *text, uint32_t length);

/* Tests the typed bytes against password_check; on a match they become accepted_password
 * and archive_key runs over them from its first byte. An accepted empty text (possible
 * only with a check word of 0) gives an empty key: the payload passes unchanged, and a
 * keyed archive then fails its first block check. A text longer than password_limit
 * never matches. */
int check_password(const char *typed, uint32_t length);

QM_END_DECLS

#endif
