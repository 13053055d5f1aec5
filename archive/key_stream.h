/* The password key stream: payload byte t of the entry sequence is XORed with key byte
 * t mod L of a key of L bytes. One piece of code for the reader and the writer. */
#ifndef QM_KEY_STREAM_H
#define QM_KEY_STREAM_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

typedef struct key_stream {
    const uint8_t *key;
    uint32_t length; /* 0: no key, bytes pass unchanged */
    uint32_t index;  /* 0-based position of the next key byte */
} key_stream;

/* XORs the byte with the next key byte and advances the stream. */
uint8_t key_stream_apply(key_stream *stream, uint8_t byte);

/* key_stream_apply over count bytes in place. */
void key_stream_run(key_stream *stream, uint8_t *bytes, uint32_t count);

QM_END_DECLS

#endif
