/* The coding half of the encoder: takes an entry as literals and copies and writes their
 * codes, least significant bit first, with the same symbol model as the decoder (same
 * counts, rebuilt at the same symbols). Also prices tokens with the code in force, for
 * whichever parse chooses them. Memory is this record; nothing is allocated. */
#ifndef QM_TOKEN_CODER_H
#define QM_TOKEN_CODER_H

#include "startup/decls.h"
#include <stdint.h>
#include "archive/symbol_model.h"
#include "writer/byte_sink.h"

QM_BEGIN_DECLS

#define copy_distance_limit 8192
#define shortest_copy_length 2
#define coder_buffer_size 4096

typedef struct token_coder {
    symbol_model model; /* always holds the code of the next symbol */
    byte_sink out;
    uint64_t bits;      /* fewer than 8 bits not yet written */
    uint32_t count;
    uint32_t produced;  /* bytes of the entry coded so far */
    uint32_t buffered;
    uint8_t buffer[coder_buffer_size];
} token_coder;

/* A new entry: fresh model, no bits, nothing produced. */
void token_coder_start(token_coder *coder, byte_sink out);

void code_literal(token_coder *coder, uint8_t byte);

/* length bytes, each the one distance bytes before it. The caller keeps
 * 1 <= distance <= copy_distance_limit, distance <= produced, length >= 2, and
 * produced + length within the entry's size. */
void code_copy(token_coder *coder, uint32_t distance, uint32_t length);

/* Writes the last byte (its unused high bits 0) and everything buffered. An entry of no
 * bytes writes nothing. */
void token_coder_finish(token_coder *coder);

/* Bits that the next token would take with the code now in force. */
uint32_t literal_price(const token_coder *coder, uint8_t byte);
uint32_t copy_price(const token_coder *coder, uint32_t distance, uint32_t length);

/* Bits of v as the closing ternary number of a copy. */
uint32_t ternary_bits(uint32_t v);

QM_END_DECLS

#endif
