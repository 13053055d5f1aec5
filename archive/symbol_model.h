/* The adaptive code of an entry's data: 257 symbols (the byte values and match_symbol),
 * running counts, and a Huffman tree rebuilt from them on a fixed schedule. The decoder
 * and the encoder each run one in step, so both sides always hold the same code. */
#ifndef QM_SYMBOL_MODEL_H
#define QM_SYMBOL_MODEL_H

#include "startup/decls.h"
#include <stdint.h>

QM_BEGIN_DECLS

#define symbol_count 257
#define match_symbol 256
#define node_count (2 * symbol_count - 1)

/* Codes of up to lookup_bits bits decode with one look into the table; longer ones go
 * on through the tree from the inner node the table names. An entry holds the bits it
 * takes in bits 0-3 (bits 4 and 5 stay 0, so that the entry itself can be the count of a
 * 64-bit shift) and a symbol, or for a longer code an inner node, from bit 6 on. */
#define lookup_bits 11
#define lookup_size (1u << lookup_bits)
#define lookup_shift 6
#define lookup_entry(node, length) ((uint16_t)((node) << lookup_shift | (length)))
#define lookup_value(entry) ((entry) >> lookup_shift)
#define lookup_length(entry) ((entry) & 0xFu)
#define lookup_long(entry) (lookup_value(entry) >= symbol_count)

/* A leaf is node[symbol]; the inner node made by merge k is node[symbol_count + k]. */
typedef struct model_node {
    uint32_t weight; /* of inner nodes; a leaf's is its symbol's count */
    int16_t left, right; /* -1 for a leaf */
} model_node;

typedef struct symbol_model {
    uint32_t frequency[symbol_count]; /* 1 + times seen; never overflows, see rebuild */
    uint16_t leaf_order[symbol_count];
    uint32_t order_weight[symbol_count + 1]; /* [i + 1]: the count of leaf_order[i] when sorted */
    model_node node[node_count];
    uint32_t symbol_counter;
    /* Derived at each rebuild, for the encoder: the code of every node (a symbol's at its
     * leaf), its bits in reading order (the first bit read is bit 0); for the decoder: the
     * table, indexed by the next lookup_bits bits. */
    uint8_t code_length[node_count];
    uint64_t code[node_count];
    uint16_t lookup[lookup_size];
} symbol_model;

#define model_root (node_count - 1)

/* The start of every entry: all counts 1, leaf order 0..256, no symbol seen. */
void model_reset(symbol_model *model);

/* Whether the tree is to be rebuilt before the next symbol: before symbols 0, 256, ...,
 * 1792, then 2048 and every further 1024. */
static inline int model_rebuild_due(const symbol_model *model)
{
    uint32_t n = model->symbol_counter;
    return n % 256 == 0 && (n < 2048 || n % 1024 == 0);
}

/* Symbols still to come before the next rebuild is due (at least 1). */
static inline uint32_t model_symbols_to_rebuild(const symbol_model *model)
{
    uint32_t n = model->symbol_counter;
    uint32_t period = n < 2048 ? 256 : 1024;
    return period - n % period;
}

/* Rebuilds the tree from the counts and the last leaf order, and with it the decoder's
 * table (model_rebuild) or the encoder's codes (model_rebuild_codes). */
void model_rebuild(symbol_model *model);
void model_rebuild_codes(symbol_model *model);

/* One symbol coded: its count and the symbol counter go up. */
static inline void model_count(symbol_model *model, uint32_t symbol)
{
    model->frequency[symbol]++;
    model->symbol_counter++;
}

/* The same in two halves, for a loop that counts its symbols in a register and adds
 * them up before the next rebuild is due. */
static inline void model_count_symbol(symbol_model *model, uint32_t symbol)
{
    model->frequency[symbol]++;
}

static inline void model_count_symbols(symbol_model *model, uint32_t symbols)
{
    model->symbol_counter += symbols;
}

QM_END_DECLS

#endif
