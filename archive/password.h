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

/* The CRC-16/UMTS of a text, as the test computes it. */
uint16_t password_crc(const char *text, uint32_t length);

/* Tests the typed bytes against password_check; on a match they become accepted_password. */
int check_password(const char *typed, uint32_t length);

QM_END_DECLS

#endif
