/* Copy search over the entry's last 8192 bytes: a table of the last place of each byte
 * pair, a hashed one for three bytes, and for four bytes and more either hash chains
 * (fast) or a binary tree of the window's suffixes (thorough). */
#include "writer/copy_finder.h"
#include <string.h>

enum { tick_restart = 1u << 30, tree_mask = tree_size - 1 };

static uint32_t read32(const uint8_t *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static uint32_t hash3(const uint8_t *p)
{
    return (((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16) * 2654435761u) >>
           (32 - hash_bits);
}

static uint32_t hash4(const uint8_t *p)
{
    return (read32(p) * 2654435761u) >> (32 - hash_bits);
}

static uint32_t hash2(const uint8_t *p)
{
    return (((uint32_t)p[0] | (uint32_t)p[1] << 8) * 2654435761u) >> (32 - hash_bits);
}

void copy_finder_start(struct copy_finder *finder, const struct match_limits *limits)
{
    uint32_t origin = finder->origin + finder->end + window_history + 1;
    if (finder->origin == 0 || origin >= tick_restart) {
        memset(finder->head2, 0, sizeof finder->head2);
        memset(finder->head3, 0, sizeof finder->head3);
        memset(finder->head4, 0, sizeof finder->head4);
        memset(finder->link, 0, sizeof finder->link);
        origin = window_history + 1;
    }
    finder->origin = origin;
    finder->limits = *limits;
    finder->base = 0;
    finder->end = 0;
    finder->next_insert = 0;
}

uint32_t copy_finder_room(struct copy_finder *finder, uint32_t keep_from)
{
    uint32_t keep = keep_from > window_history ? keep_from - window_history : 0;
    if (keep > finder->base) {
        memmove(finder->data, finder->data + (keep - finder->base), finder->end - keep);
        finder->base = keep;
    }
    return window_capacity - (finder->end - finder->base);
}

void copy_finder_append(struct copy_finder *finder, const uint8_t *bytes, uint32_t count)
{
    memcpy(finder->data + (finder->end - finder->base), bytes, count);
    finder->end += count;
}

/* How far a and b agree from length on, up to limit; eight bytes at a time while it can. */
static uint32_t extend(const uint8_t *a, const uint8_t *b, uint32_t length, uint32_t limit)
{
    while (length + 8 <= limit) {
        uint64_t x, y;
        memcpy(&x, a + length, 8);
        memcpy(&y, b + length, 8);
        if (x != y) {
            uint64_t diff = x ^ y;
            /* The first differing byte is the lowest one on a little-endian machine and
             * the highest on a big-endian one. */
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
            return length + (uint32_t)__builtin_clzll(diff) / 8;
#else
            return length + (uint32_t)__builtin_ctzll(diff) / 8;
#endif
        }
        length += 8;
    }
    while (length < limit && a[length] == b[length])
        length++;
    return length;
}

/* Adds a copy longer than every one before it. Those at the same step of distance or
 * further back cost at least as much for every length they offer and are dropped, so
 * the list keeps lengths and steps rising: at most one copy per step. */
static int record(struct match *list, int count, uint32_t length, uint32_t distance)
{
    uint32_t step = (distance - 1) / distance_step;
    while (count > 0 && (list[count - 1].distance - 1) / distance_step >= step)
        count--;
    list[count].length = length;
    list[count].distance = distance;
    return count + 1;
}

/* The farthest a copy at pos can reach back: 8192, the start of the entry or the oldest
 * byte held. A tick t is a place to copy from when tick - t - 1 < this (unsigned, so
 * empty slots and ticks of earlier entries fall out with one test). */
static uint32_t reach_of(const struct copy_finder *finder, uint32_t pos)
{
    uint32_t back = pos - finder->base;
    return back < copy_distance_limit ? back : copy_distance_limit;
}

static int reachable(uint32_t reach, uint32_t tick, uint32_t candidate)
{
    return tick - candidate - 1 < reach;
}

/* Walks the chain of earlier places with the same four-byte hash, nearest first. */
static int search_chain_at(struct copy_finder *finder, uint32_t pos, uint32_t limit,
                           struct match *raw, int count, uint32_t best)
{
    const uint8_t *cur = window_at(finder, pos);
    uint32_t tick = finder->origin + pos;
    uint32_t reach = reach_of(finder, pos);
    uint32_t h = hash4(cur);
    uint32_t candidate = finder->head4[h];
    uint32_t nice = finder->limits.nice_length;
    finder->link[tick & tree_mask] = candidate;
    finder->head4[h] = tick;
    if (limit < 4 || best >= limit)
        return count;
    for (uint32_t depth = finder->limits.depth; depth > 0 && reachable(reach, tick, candidate);
         depth--) {
        const uint8_t *earlier = window_at(finder, candidate - finder->origin);
        if (earlier[best] == cur[best] && read32(earlier) == read32(cur)) {
            uint32_t length = extend(earlier, cur, 4, limit);
            if (length > best) {
                count = record(raw, count, length, tick - candidate);
                best = length;
                if (length >= nice || length == limit)
                    break;
            }
        }
        candidate = finder->link[candidate & tree_mask];
    }
    return count;
}

/* Enters pos into the binary tree of the window's suffixes, reporting on the way each
 * copy longer than every one before it. The tree compares at most nice_length bytes. */
static int search_tree_at(struct copy_finder *finder, uint32_t pos, uint32_t limit,
                          struct match *raw, int count, uint32_t best, int report)
{
    const uint8_t *cur = window_at(finder, pos);
    uint32_t tick = finder->origin + pos;
    uint32_t reach = reach_of(finder, pos);
    uint32_t cut = limit < finder->limits.nice_length ? limit : finder->limits.nice_length;
    uint32_t h = hash4(cur);
    uint32_t candidate = finder->head4[h];
    uint32_t *smaller = &finder->link[2 * (tick & tree_mask)];
    uint32_t *larger = smaller + 1;
    uint32_t smaller_length = 0, larger_length = 0;
    finder->head4[h] = tick;
    for (uint32_t depth = finder->limits.depth;; depth--) {
        if (depth == 0 || !reachable(reach, tick, candidate)) {
            *smaller = *larger = 0;
            break;
        }
        const uint8_t *earlier = window_at(finder, candidate - finder->origin);
        uint32_t *node = &finder->link[2 * (candidate & tree_mask)];
        uint32_t length = smaller_length < larger_length ? smaller_length : larger_length;
        length = extend(earlier, cur, length, cut);
        if (report && length > best) {
            best = length;
            if (length == cut)
                best = extend(earlier, cur, length, limit);
            count = record(raw, count, best, tick - candidate);
        }
        if (length == cut) {
            *smaller = node[0];
            *larger = node[1];
            break;
        }
        if (earlier[length] < cur[length]) {
            *smaller = candidate;
            smaller = &node[1];
            candidate = *smaller;
            smaller_length = length;
        } else {
            *larger = candidate;
            larger = &node[0];
            candidate = *larger;
            larger_length = length;
        }
    }
    return count;
}

static void enter_short(struct copy_finder *finder, uint32_t pos, uint32_t limit)
{
    const uint8_t *cur = window_at(finder, pos);
    uint32_t tick = finder->origin + pos;
    if (limit >= 2)
        finder->head2[hash2(cur)] = tick;
    if (limit >= 3)
        finder->head3[hash3(cur)] = tick;
}

void skip_copies(struct copy_finder *finder, uint32_t pos)
{
    /* Places further back than a copy can reach from pos are left out; their bytes may
     * have left the window during a long copy. */
    uint32_t from = finder->next_insert;
    if (pos > window_history && from < pos - window_history)
        from = pos - window_history;
    for (uint32_t p = from; p < pos; p++) {
        uint32_t limit = finder->end - p;
        if (finder->limits.short_copies)
            enter_short(finder, p, limit);
        if (limit < 4)
            continue;
        if (finder->limits.method == search_tree)
            search_tree_at(finder, p, limit, NULL, 0, 0, 0);
        else
            search_chain_at(finder, p, 0, NULL, 0, 0);
    }
    if (pos > finder->next_insert)
        finder->next_insert = pos;
}

int find_copies(struct copy_finder *finder, uint32_t pos, uint32_t max_length,
                 struct match *out)
{
    const uint8_t *cur = window_at(finder, pos);
    uint32_t tick = finder->origin + pos;
    uint32_t reach = reach_of(finder, pos);
    uint32_t available = finder->end - pos;
    uint32_t limit = max_length < available ? max_length : available;
    uint32_t best = 1;
    int count = 0;
    skip_copies(finder, pos);
    finder->next_insert = pos + 1;
    if (limit < 2)
        return 0;
    if (finder->limits.short_copies) {
        uint32_t *pair = &finder->head2[hash2(cur)];
        uint32_t candidate = *pair;
        *pair = tick;
        if (reachable(reach, tick, candidate)) {
            uint32_t length = extend(window_at(finder, candidate - finder->origin), cur, 0, limit);
            if (length >= 2) {
                count = record(out, count, length, tick - candidate);
                best = length;
            }
        }
        if (limit >= 3) {
            uint32_t *triple = &finder->head3[hash3(cur)];
            candidate = *triple;
            *triple = tick;
            if (best < 3 && reachable(reach, tick, candidate)) {
                uint32_t length = extend(window_at(finder, candidate - finder->origin), cur, 0, limit);
                if (length >= 3) {
                    count = record(out, count, length, tick - candidate);
                    best = length;
                }
            }
        }
    }
    if (available >= 4) {
        if (best < 3)
            best = 3;
        if (finder->limits.method == search_tree)
            count = search_tree_at(finder, pos, limit, out, count, best, 1);
        else
            count = search_chain_at(finder, pos, limit, out, count, best);
    }
    return count;
}
