/* What a copy costs in bits besides the code of match_symbol: the 10-bit distance field,
 * the 4-bit length field and the ternary number that carries the high parts of both. */
#ifndef QM_COPY_COST_H
#define QM_COPY_COST_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

enum {
    copy_max_distance = 8192,
    copy_min_length = 2,
    copy_field_bits = 14,        /* 10 bits of distance, 4 of length */
    copy_distance_step = 1024,   /* distance carried by one unit of v mod 8 */
    copy_length_step = 16        /* length carried by one unit of v div 8 */
};

/* The ternary number v of a copy: distance 1..8192, length 2 and up. */
static inline uint32_t copy_ternary_value(uint32_t distance, uint32_t length)
{
    return ((length - copy_min_length) / copy_length_step) * 8 +
           (distance - 1) / copy_distance_step;
}

/* Bits of v in bijective base 3: two per digit and the closing pair. */
static inline uint32_t ternary_bits(uint32_t v)
{
    uint32_t bits = 2;
    while (v > 0) {
        v = (v - 1) / 3;
        bits += 2;
    }
    return bits;
}

/* Bits of a copy after match_symbol. */
static inline uint32_t copy_extra_bits(uint32_t distance, uint32_t length)
{
    return copy_field_bits + ternary_bits(copy_ternary_value(distance, length));
}

QM_END_DECLS

#endif
