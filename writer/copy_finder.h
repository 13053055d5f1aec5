/* The writer's window over one entry's bytes and the search for earlier copies of what
 * follows the current position. The window keeps the 8192 bytes a copy may reach back
 * and a lookahead for the parse; it is refilled from the entry's reader as the parse
 * moves on, so memory stays fixed whatever the entry's size.
 *
 * For each position the finder reports the copies that can pay: for every step of 1024
 * in distance (which the ternary number prices) the longest copy found, kept only when
 * it is longer than every copy at a shorter step. That is at most eight copies, with
 * lengths and distances both rising. */
#ifndef QM_COPY_FINDER_H
#define QM_COPY_FINDER_H

#include "startup/decls.h"
#include <stddef.h>
#include <stdint.h>

QM_BEGIN_DECLS

enum {
    window_history = 8192,
    window_lookahead = 65536,
    window_capacity = window_history + window_lookahead,
    match_list_max = 8,
    hash_bits = 14,              /* the window holds 8192 places: a small table stays in cache */
    tree_size = 16384            /* power of two above the longest distance */
};

/* Reads up to count bytes of the entry into buffer; returns the number read, 0 at its end. */
typedef size_t (*window_reader)(void *context, uint8_t *buffer, size_t count);

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
    window_reader reader;
    void *reader_context;
    int reader_done;
    uint8_t data[window_capacity];
    uint32_t base;               /* position of data[0] in the entry */
    uint32_t end;                /* position after the last byte read */
    uint32_t next_insert;        /* first position not yet entered into the tables */
    /* The tables hold ticks, origin + position: each entry starts at a higher origin, so
     * what earlier entries left behind is simply older than the entry and never reused. */
    uint32_t origin;
    uint32_t head2[1u << hash_bits]; /* last tick of each hashed byte pair */
    uint32_t head3[1u << hash_bits];
    uint32_t head4[1u << hash_bits];
    uint32_t link[2 * tree_size];/* chain: previous position; tree: two children */
};

/* Starts a new entry read through reader. */
void copy_finder_start(struct copy_finder *finder, const struct match_limits *limits,
                        window_reader reader, void *context);

/* Makes at least want bytes from position pos on available (fewer only at the entry's
 * end) while keeping the history before pos; returns the bytes available from pos. */
uint32_t window_fill(struct copy_finder *finder, uint32_t pos, uint32_t want);

static inline const uint8_t *window_at(const struct copy_finder *finder, uint32_t pos)
{
    return finder->data + (pos - finder->base);
}

/* Finds the copies for position pos, which must be the next position not yet searched
 * or skipped, into out (match_list_max places) and returns their number; a copy never
 * runs past max_length bytes. */
int find_copies(struct copy_finder *finder, uint32_t pos, uint32_t max_length,
                 struct match *out);

/* Enters positions up to (not including) pos into the tables without searching. */
void skip_copies(struct copy_finder *finder, uint32_t pos);

QM_END_DECLS

#endif
