/* The archive header: recorded file size, message text, program to run, password fields.
 * Written raw after the stub, before the blocks; never keyed. */
#ifndef QM_HEADER_WRITER_H
#define QM_HEADER_WRITER_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

typedef struct header_fields {
    uint32_t expected_size;   /* the whole file, stub included */
    const char *message_text; /* NUL-terminated; at most message_text_limit bytes */
    const char *run_after;    /* NUL-terminated; at most run_after_limit bytes */
    const char *password;     /* NULL: not protected */
    uint32_t password_length; /* 1 to password_limit bytes when protected */
    uint8_t password_flag;    /* the stored flag byte when protected: any but 0 */
} header_fields;

/* The header's length in bytes, or -1 when the fields are refused: a text over its
 * limit, an empty password or one over password_limit, a flag of 0 with a password. */
int32_t header_length(const header_fields *fields);

/* Writes the header into out (capacity bytes); returns its length, or -1 as above or
 * when it does not fit. */
int32_t build_header(const header_fields *fields, uint8_t *out, uint32_t capacity);

/* The four bytes of a recorded size, for patching it once the file's length is known. */
void put_expected_size(uint8_t out[4], uint32_t expected_size);

QM_END_DECLS

#endif
