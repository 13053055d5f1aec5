/* The price parse's window over one entry's bytes and the search for earlier copies of
 * what follows a position. The window keeps the 8192 bytes a copy may reach back and a
 * lookahead for the parse; the entry is appended in pieces as the parse moves on, so
 * memory stays fixed whatever the entry's size.
 *
 * For each position the finder reports the copies that can pay: for every step of 1024
 * in distance (which the ternary number prices) the longest copy found, kept only when
 * it is longer than every copy at a shorter step. That is at most eight copies, with
 * lengths and distances both rising. */
#ifndef QM_COPY_FINDER_H
#define QM_COPY_FINDER_H

#include "startup/decls.h"
#include <stdint.h>
#include "writer/token_coder.h"

QM_BEGIN_DECLS

enum {
    window_history = copy_distance_limit,
    window_lookahead = 65536,
    /* The longest copy reported. A plan holds this much beyond every position it
     * searches, so what is found never depends on how the entry was fed. */
    copy_search_limit = 32768,
    window_capacity = window_history + window_lookahead,
    distance_step = 1024,        /* distance carried by one unit of the ternary number */
    match_list_max = 8,
    hash_bits = 13,              /* the window holds 8192 places: a small table stays in cache */
    tree_size = 16384            /* power of two above the longest distance */
};

struct match {
    uint32_t length;
    uint32_t distance;
};

enum match_method { search_chain, search_tree };

struct match_limits {
    enum match_method method;
    uint32_t depth;              /* earlier positions tried per search */
    uint32_t nice_length;        /* a copy this long ends the search */
    int short_copies;            /* also look for copies of 2 and 3 bytes */
};

struct copy_finder {
    struct match_limits limits;
    uint8_t data[window_capacity];
    uint32_t base;               /* position of data[0] in the entry */
    uint32_t end;                /* position after the last byte appended */
    uint32_t next_insert;        /* first position not yet entered into the tables */
    /* The tables hold ticks, origin + position: each entry starts at a higher origin, so
     * what earlier entries left behind is simply older than the entry and never reused. */
    uint32_t origin;
    uint32_t head2[1u << hash_bits]; /* last tick of each hashed byte pair */
    uint32_t head3[1u << hash_bits];
    uint32_t head4[1u << hash_bits];
    uint32_t link[2 * tree_size];/* chain: previous position; tree: two children */
};

/* Starts a new entry. */
void copy_finder_start(struct copy_finder *finder, const struct match_limits *limits);

/* Bytes that may be appended now, when the parse no longer needs positions before
 * keep_from - 8192. */
uint32_t copy_finder_room(struct copy_finder *finder, uint32_t keep_from);
void copy_finder_append(struct copy_finder *finder, const uint8_t *bytes, uint32_t count);

static inline const uint8_t *window_at(const struct copy_finder *finder, uint32_t pos)
{
    return finder->data + (pos - finder->base);
}

/* Finds the copies for position pos, which must be the next position not yet searched
 * or skipped, into out (match_list_max places) and returns their number; a copy never
 * runs past max_length bytes or the bytes held. */
int find_copies(struct copy_finder *finder, uint32_t pos, uint32_t max_length,
                 struct match *out);

/* Enters positions up to (not including) pos into the tables without searching. */
void skip_copies(struct copy_finder *finder, uint32_t pos);

QM_END_DECLS

#endif
