/* The archive stream: the entry sequence, one byte at a time, from 4098-byte blocks of
 * archive_file, each freed of the key stream and checked whole before any byte is used. */
#ifndef QM_INPUT_STREAM_H
#define QM_INPUT_STREAM_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

#define block_payload 4096 /* payload bytes of every block but the last */
#define block_check 2      /* CRC bytes after the payload, high byte first */
#define block_size (block_payload + block_check)

/* Set when the last payload byte of the file has been handed out. */
extern uint8_t end_of_archive;

/* Starts the stream afresh: nothing consumed yet, the key stream at its first byte, the
 * next read fetches a block from the current position of archive_file. The process
 * starts in this state. */
void reset_input_stream(void);

/* The next payload byte. A damaged block or a read past the end ends the process. */
uint8_t read_byte(void);

/* n-byte little-endian values: n calls of read_byte. */
uint32_t read_u32(void);
uint64_t read_u64(void);

/* For the decoder, which takes its bits straight from the block in hand: the checked
 * bytes of that block not yet handed out (none when the next byte needs a block read).
 * Looking reads nothing and hands out nothing. */
const uint8_t *stream_bytes(uint32_t *available);

/* Hands out the next count bytes of those (count <= available), as that many calls of
 * read_byte would, end_of_archive included. */
void stream_take(uint32_t count);

QM_END_DECLS

#endif
