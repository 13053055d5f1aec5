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

void reset_output(void);
void put_byte(uint8_t byte);
uint8_t byte_at(int32_t position);
void flush_output(void);

QM_END_DECLS

#endif
