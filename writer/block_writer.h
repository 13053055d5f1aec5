/* The block framing of the entry sequence: 4096-byte payloads each followed by the CRC of
 * its plain bytes, high byte first; with a password the payload (never the check) is
 * XORed with the key stream, which runs on across blocks and entries. */
#ifndef QM_BLOCK_WRITER_H
#define QM_BLOCK_WRITER_H

#include "startup/decls.h"
#include <stddef.h>
#include <stdint.h>
#include "archive/input_stream.h"
#include "archive/key_stream.h"
#include "archive/password.h"
#include "writer/byte_sink.h"

QM_BEGIN_DECLS

typedef struct block_writer {
    byte_sink out;
    key_stream key;
    uint64_t total;  /* payload bytes taken so far */
    uint32_t length; /* payload bytes in block */
    uint8_t block[block_size];
    uint8_t key_bytes[password_limit];
} block_writer;

/* Blocks go to out; password of password_length bytes (NULL or 0 for none) keys them. A
 * password longer than password_limit is refused (returns 0). */
int block_writer_start(block_writer *writer, byte_sink out, const char *password, uint32_t password_length);

/* The next bytes of the entry sequence: names, times, sizes, coded data alike. */
void block_writer_put(block_writer *writer, const uint8_t *bytes, size_t count);

/* The writer as a sink, e.g. for the entry encoder. */
byte_sink block_writer_sink(block_writer *writer);

/* Writes the last, possibly short, block. A sequence of 4096 x j bytes ends with a full
 * block; an empty one writes no block at all (a reader then finds nothing to read, so an
 * archive always holds at least one entry). */
void block_writer_finish(block_writer *writer);

QM_END_DECLS

#endif
