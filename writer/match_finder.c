#include "writer/match_finder.h"
#include <string.h>

#define shortest_found 3
#define default_chain 256

void finder_reset(match_finder *finder)
{
    finder->base = 0;
    finder->end = 0;
    finder->inserted = 0;
    finder->max_chain = default_chain;
    memset(finder->head, 0, sizeof finder->head);
}

static uint32_t hash_at(const match_finder *finder, uint32_t position)
{
    const uint8_t *p = finder->data + (position - finder->base);
    uint32_t v = (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16;
    return (v * 2654435761u) >> (32 - finder_hash_bits);
}

uint32_t finder_room(match_finder *finder, uint32_t keep_from)
{
    uint32_t keep = keep_from > copy_distance_limit ? keep_from - copy_distance_limit : 0;
    if (keep > finder->base) {
        uint32_t drop = keep - finder->base;
        memmove(finder->data, finder->data + drop, finder->end - keep);
        finder->base = keep;
    }
    return finder_buffer_size - (finder->end - finder->base);
}

void finder_append(match_finder *finder, const uint8_t *bytes, uint32_t count)
{
    memcpy(finder->data + (finder->end - finder->base), bytes, count);
    finder->end += count;
}

/* Enters positions into the chains up to (not including) position; a position needs its
 * three bytes held. */
static void insert_up_to(match_finder *finder, uint32_t position)
{
    for (uint32_t p = finder->inserted; p < position && p + shortest_found <= finder->end; p++) {
        uint32_t h = hash_at(finder, p);
        finder->chain[p % copy_distance_limit] = finder->head[h];
        finder->head[h] = p + 1;
        finder->inserted = p + 1;
    }
}

uint32_t finder_longest(match_finder *finder, uint32_t position, uint32_t max_length, uint32_t *distance)
{
    insert_up_to(finder, position);
    if (max_length > finder->end - position)
        max_length = finder->end - position;
    if (max_length > longest_copy)
        max_length = longest_copy;
    if (max_length < shortest_found)
        return 0;
    const uint8_t *here = finder->data + (position - finder->base);
    uint32_t best = 0;
    uint32_t oldest = position > copy_distance_limit ? position - copy_distance_limit : 0;
    uint32_t next = finder->head[hash_at(finder, position)];
    for (uint32_t steps = finder->max_chain; next != 0 && steps != 0; steps--) {
        uint32_t candidate = next - 1;
        if (candidate < oldest || candidate >= position)
            break;
        const uint8_t *there = finder->data + (candidate - finder->base);
        if (there[best] == here[best]) {
            uint32_t n = 0;
            while (n < max_length && there[n] == here[n])
                n++;
            if (n > best) {
                best = n;
                *distance = position - candidate;
                if (n == max_length)
                    break;
            }
        }
        next = finder->chain[candidate % copy_distance_limit];
    }
    return best >= shortest_found ? best : 0;
}
