/* The output writer: collects an entry's bytes in a 40960-byte window, writes them to
 * output_file 32768 bytes at a time, and keeps the last 8192 bytes as the decoder's history. */
#ifndef QM_OUTPUT_WRITER_H
#define QM_OUTPUT_WRITER_H

#include "startup/decls.h"
#include <stdint.h>
#include <string.h>

QM_BEGIN_DECLS

#define output_window_size 40960
#define output_write_size 32768
#define history_size 8192

/* Set for an entry that is decoded but not written. */
extern uint8_t skip_output;

/* The window and its positions: write_position is the number of bytes put for the
 * current entry, window_base the position of output_window[0], a multiple of 32768. */
extern uint8_t output_window[output_window_size];
extern int32_t write_position;
extern int32_t window_base;

/* Write position and window base back to 0, for a new entry. */
void reset_output(void);

/* The window is full: its first 32768 bytes go to the file (unless skip_output), its
 * last 8192 move to its start. */
void move_window(void);

/* Appends one byte, moving the window first when it is full. Inline: the decoder puts
 * most bytes this way. */
static inline void put_byte(uint8_t byte)
{
    if (write_position - window_base == output_window_size)
        move_window();
    output_window[write_position - window_base] = byte;
    write_position++;
}

/* The byte put at an absolute position: valid for the last history_size positions before
 * the write position, and for every position before the window first moves. */
uint8_t byte_at(int32_t position);

/* Puts length bytes, each the byte distance positions before it, one after the other, so
 * that a distance shorter than the length repeats the last distance bytes. The caller
 * keeps distance between 1 and history_size and no larger than write_position. */
void put_copy_moving(uint32_t distance, uint32_t length);

/* put_copy_moving, with the common case inline: a copy that fits in the window with 16
 * bytes to spare and reaches back at least 8 goes in pieces of 16 (of 8 when it reaches
 * back less than 16), each read from bytes already there; the last piece may write up to
 * 15 bytes beyond, which nothing has put yet. */
static inline void put_copy(uint32_t distance, uint32_t length)
{
    uint32_t at = (uint32_t)(write_position - window_base);
    if (distance >= 8 && length + 16 <= output_window_size - at) {
        uint8_t *to = output_window + at;
        if (distance >= 16) {
            for (uint32_t k = 0; k < length; k += 16)
                memcpy(to + k, to + k - distance, 16);
        } else {
            for (uint32_t k = 0; k < length; k += 8)
                memcpy(to + k, to + k - distance, 8);
        }
        write_position += (int32_t)length;
        return;
    }
    put_copy_moving(distance, length);
}

/* Writes what is not yet written (nothing when skip_output is set). */
void flush_output(void);

QM_END_DECLS

#endif
