/* The encoder of one file entry: a parse over a copy search, coded by the token coder.
 * The level chooses the parse and how hard it looks: levels 1-4 a lazy parse with longer
 * chains as the level rises (4, the default, codes at least as fast as zlib's level 9),
 * 5-9 a parse by price that searches more widely and plans further. Every
 * level writes the same format; the decoder never knows the level. Streaming: the entry
 * is fed in pieces of any size and memory stays that of this record (about 2 MB;
 * allocate it once, not on the stack). The output is deterministic. */
#ifndef QM_ENTRY_ENCODER_H
#define QM_ENTRY_ENCODER_H

#include "startup/decls.h"
#include <stddef.h>
#include <stdint.h>
#include "writer/byte_sink.h"
#include "writer/copy_finder.h"
#include "writer/match_finder.h"
#include "writer/optimal_parse.h"
#include "writer/token_coder.h"

QM_BEGIN_DECLS

#define fastest_level 1
#define default_level 4
#define best_level 9

typedef struct entry_encoder {
    token_coder coder;
    int level;
    uint32_t size;   /* the entry's size, as its record states it */
    uint32_t fed;    /* bytes fed so far */
    uint32_t cursor; /* the next position to parse */
    match_finder finder;          /* the lazy parse's search (levels 1-4) */
    struct copy_finder copies;    /* the price parse's search and plans (levels 5-9) */
    struct optimal_parser parser;
    struct parse_step steps[parse_horizon_max];
} entry_encoder;

/* A new entry of size bytes (at most 2147483647) at default_level; its coded data goes to
 * out. */
void entry_encoder_start(entry_encoder *encoder, uint32_t size, byte_sink out);

/* The same at level fastest_level .. best_level (other values are brought into range). */
void entry_encoder_start_level(entry_encoder *encoder, uint32_t size, int level, byte_sink out);

/* The next count bytes of the entry. Returns 0 (and takes nothing) when they would run
 * past the size. */
int entry_encoder_feed(entry_encoder *encoder, const uint8_t *bytes, size_t count);

/* Codes the rest and writes the last byte. Returns 0 when fewer than size bytes were fed
 * (the coded data is then incomplete). */
int entry_encoder_finish(entry_encoder *encoder);

QM_END_DECLS

#endif
