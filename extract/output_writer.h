/* The output writer: collects an entry's bytes in a 40960-byte window, writes them to
 * output_file 32768 bytes at a time, and keeps the last 8192 bytes as the decoder's history. */
#ifndef QM_OUTPUT_WRITER_H
#define QM_OUTPUT_WRITER_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

#define output_window_size 40960
#define output_write_size 32768
#define history_size 8192

/* Set for an entry that is decoded but not written. */
extern uint8_t skip_output;

/* Bytes put for the current entry so far. */
extern int32_t write_position;

/* Write position and window base back to 0, for a new entry. */
void reset_output(void);
void put_byte(uint8_t byte);

/* The byte put at an absolute position: valid for the last history_size positions before
 * the write position, and for every position before the window first moves. */
uint8_t byte_at(int32_t position);

/* Puts length bytes, each the byte distance positions before it, one after the other, so
 * that a distance shorter than the length repeats the last distance bytes. The caller
 * keeps distance between 1 and history_size and no larger than write_position. */
void put_copy(uint32_t distance, uint32_t length);

/* Writes what is not yet written (nothing when skip_output is set). */
void flush_output(void);

QM_END_DECLS

#endif
