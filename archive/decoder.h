/* The decoder of one file entry's coded data. */
#ifndef QM_DECODER_H
#define QM_DECODER_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

/* Set by Cancel; read between symbols. */
extern uint8_t cancel_flag;

/* Decodes an entry of this many bytes into the output writer; stops early between two
 * symbols when cancel_flag is set. The archive stream is left at the byte after the one
 * holding the entry's last used bit. Damaged data ends the process. */
void decode_entry(int32_t size);

/* The steps of the format, for the tests: one bit, least significant first; a number
 * in bijective base 3, two bits a digit, closed by the pair 1 1; the tree rebuilt from
 * the counts, then one window message let through. */
uint32_t read_bit(void);
uint32_t read_ternary(void);
void rebuild_tree(void);

/* Starts the bits of a new entry: the bits left in the last byte are dropped, the model
 * is reset. decode_entry does this itself. */
void start_entry_bits(void);

/* Hands the unused whole bytes back to the archive stream at the end of an entry.
 * decode_entry does this itself. */
void finish_entry_bits(void);

QM_END_DECLS

#endif
