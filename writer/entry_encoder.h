/* The encoder of one file entry: a lazy parse over the match finder, coded by the token
 * coder. Streaming: the entry is fed in pieces of any size and memory stays that of this
 * record (about 230 KB; allocate it once, not on the stack). The output is deterministic. */
#ifndef QM_ENTRY_ENCODER_H
#define QM_ENTRY_ENCODER_H

#include "startup/decls.h"
#include <stddef.h>
#include <stdint.h>
#include "writer/byte_sink.h"
#include "writer/match_finder.h"
#include "writer/token_coder.h"

QM_BEGIN_DECLS

typedef struct entry_encoder {
    token_coder coder;
    match_finder finder;
    uint32_t size;   /* the entry's size, as its record states it */
    uint32_t fed;    /* bytes fed so far */
    uint32_t cursor; /* the next position to parse */
} entry_encoder;

/* A new entry of size bytes (at most 2147483647); its coded data goes to out. */
void entry_encoder_start(entry_encoder *encoder, uint32_t size, byte_sink out);

/* The next count bytes of the entry. Returns 0 (and takes nothing) when they would run
 * past the size. */
int entry_encoder_feed(entry_encoder *encoder, const uint8_t *bytes, size_t count);

/* Codes the rest and writes the last byte. Returns 0 when fewer than size bytes were fed
 * (the coded data is then incomplete). */
int entry_encoder_finish(entry_encoder *encoder);

QM_END_DECLS

#endif
