/* Earlier occurrences of the bytes at a position, within the copy distance, over a file
 * taken in pieces: the finder holds the last copy_distance_limit bytes before the parse
 * position and what has been fed beyond it, in a buffer of fixed size. */
#ifndef QM_MATCH_FINDER_H
#define QM_MATCH_FINDER_H

#include "startup/decls.h"
#include <stdint.h>
#include "writer/token_coder.h"

QM_BEGIN_DECLS

#define longest_copy 2048   /* the longest copy the finder reports */
#define finder_buffer_size (4 * copy_distance_limit)
#define finder_hash_bits 15

typedef struct match_finder {
    uint32_t base;     /* entry position of data[0] */
    uint32_t end;      /* entry position after the last byte held */
    uint32_t inserted; /* positions below this are in the chains */
    uint32_t max_chain;
    uint32_t head[1u << finder_hash_bits];  /* newest position + 1 with that hash, 0 none */
    uint32_t chain[copy_distance_limit];    /* by position mod 8192: the previous one + 1 */
    uint8_t data[finder_buffer_size];
} match_finder;

void finder_reset(match_finder *finder);

/* Bytes that may be appended now, when the parse no longer needs positions before
 * keep_from - copy_distance_limit. Always at least finder_buffer_size - copy_distance_limit
 * - longest_copy - 1 once the unparsed bytes are fewer than longest_copy + 1. */
uint32_t finder_room(match_finder *finder, uint32_t keep_from);
void finder_append(match_finder *finder, const uint8_t *bytes, uint32_t count);

/* The byte at an entry position that the finder holds. */
static inline uint8_t finder_byte(const match_finder *finder, uint32_t position)
{
    return finder->data[position - finder->base];
}

/* The longest earlier copy of the bytes at position, at most max_length long (and within
 * what is held), nearest first among equals; 0 when none of 3 bytes or more. Positions
 * before this one are entered into the chains first. */
uint32_t finder_longest(match_finder *finder, uint32_t position, uint32_t max_length, uint32_t *distance);

QM_END_DECLS

#endif
