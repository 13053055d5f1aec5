/* Dynamic programming over the next bytes: node[k] holds the fewest bits that code the
 * k bytes from the plan's start and the step that gets there that cheaply. Every copy
 * found at a position is tried at every length it can be cut to, since the ternary
 * number makes some shorter copies cheaper than longer ones. */
#include "writer/optimal_parse.h"

enum { ring_mask = parse_horizon_max - 1, arrival_shift = 17, length_step = 16 };

/* Lengths stay below 2^17 (the window's lookahead), distances below 2^14. */
static uint32_t arrival_of(uint32_t length, uint32_t distance)
{
    return length | distance << arrival_shift;
}

void optimal_parse_start(struct optimal_parser *parser, const struct parse_limits *limits)
{
    parser->limits = *limits;
    if (parser->limits.horizon > parse_horizon_max)
        parser->limits.horizon = parse_horizon_max;
    if (parser->limits.margin >= parser->limits.horizon)
        parser->limits.margin = parser->limits.horizon / 2;
    parser->searched_to = 0;
    parser->steps_done = 0;
    parser->bytes_done = 0;
}

/* The copies at pos, searched once and kept for the later plans that cover pos again. */
static int copies_at(struct optimal_parser *parser, struct copy_finder *finder, uint32_t pos,
                     const struct match **items)
{
    uint32_t slot = pos & ring_mask;
    if (pos == parser->searched_to) {
        parser->match_count[slot] =
            (uint8_t)find_copies(finder, pos, copy_search_limit, parser->matches[slot]);
        parser->searched_to = pos + 1;
    }
    *items = parser->matches[slot];
    return parser->match_count[slot];
}

/* Relaxes every length of the copies at offset k of the plan, up to room bytes. */
static void try_copies(struct optimal_parser *parser, uint32_t k, uint32_t room,
                       const struct match *items, int count, uint32_t here,
                       const token_coder *coder)
{
    struct plan_node *node = parser->node + k;
    uint32_t length = shortest_copy_length;
    for (int i = 0; i < count; i++) {
        uint32_t distance = items[i].distance;
        uint32_t last = items[i].length < room ? items[i].length : room;
        while (length <= last) {
            /* The price holds for the rest of this group of 16 lengths. */
            uint32_t group_end = length + length_step - 1 -
                                 (length - shortest_copy_length) % length_step;
            uint32_t cost = here + copy_price(coder, distance, length);
            if (group_end > last)
                group_end = last;
            for (; length <= group_end; length++) {
                if (cost < node[length].price) {
                    node[length].price = cost;
                    node[length].arrival = arrival_of(length, distance);
                }
            }
        }
    }
}

uint32_t optimal_parse_lookahead(const struct optimal_parser *parser)
{
    return parser->limits.horizon + copy_search_limit + 1;
}

int optimal_parse_next(struct optimal_parser *parser, struct copy_finder *finder, uint32_t pos,
                       int at_end, const token_coder *coder, int max_steps,
                       struct parse_step *steps)
{
    uint32_t horizon = parser->limits.horizon;
    uint32_t available = finder->end - pos;
    /* A plan that may hand out only a few steps need not look as far: twice the bytes
     * those steps covered lately, and the margin. */
    if (parser->steps_done > 0) {
        uint64_t wanted = (uint64_t)max_steps * parser->bytes_done / parser->steps_done * 2 +
                          parser->limits.margin;
        if (wanted < horizon)
            horizon = (uint32_t)wanted;
    }
    uint32_t span = available < horizon ? available : horizon;
    int final = at_end && span == available;
    const uint8_t *literal_bits = coder->model.code_length;
    struct parse_step forced = {0, 0};
    const uint8_t *data = window_at(finder, pos);
    if (available == 0)
        return 0;
    if (parser->searched_to < pos)
        parser->searched_to = pos;

    /* Prices are set to unreached only as far as the steps tried so far can reach, so
     * a plan that ends early at a long copy costs no more than the bytes it covered. */
    uint32_t ready = 0;
    parser->node[0].price = 0;
    for (uint32_t k = 0; k < span; k++) {
        const struct match *items;
        int count = copies_at(parser, finder, pos + k, &items);
        uint32_t here = parser->node[k].price;
        uint32_t reach = k + 1;
        if (count > 0)
            reach = k + items[count - 1].length;
        if (reach > span)
            reach = span;
        while (ready < reach)
            parser->node[++ready].price = UINT32_MAX;
        /* A copy of at least nice_length is taken as found: the plan ends in front of it. */
        if (count > 0 && items[count - 1].length >= finder->limits.nice_length) {
            forced.length = items[count - 1].length;
            forced.distance = items[count - 1].distance;
            span = k;
            final = 1;
            break;
        }
        uint32_t literal = here + literal_bits[data[k]];
        if (literal < parser->node[k + 1].price) {
            parser->node[k + 1].price = literal;
            parser->node[k + 1].arrival = arrival_of(1, 0);
        }
        if (count > 0 && span - k >= shortest_copy_length)
            try_copies(parser, k, span - k, items, count, here, coder);
    }

    /* Walk back from the plan's end, then hand out its front. */
    int total = 0;
    uint32_t k = span;
    while (k > 0) {
        uint32_t arrival = parser->node[k].arrival;
        parser->path[total].length = arrival & ((1u << arrival_shift) - 1);
        parser->path[total].distance = arrival >> arrival_shift;
        k -= parser->path[total++].length;
    }
    int out = 0;
    uint32_t reached = 0;
    uint32_t keep_until = final ? span : span > parser->limits.margin ? span - parser->limits.margin : 0;
    while (total > 0 && out < max_steps && (out == 0 || reached < keep_until)) {
        steps[out] = parser->path[--total];
        reached += steps[out].length;
        out++;
    }
    if (total == 0 && forced.length > 0 && out < max_steps) {
        steps[out++] = forced;
        reached += forced.length;
    }
    parser->steps_done += (uint32_t)out;
    parser->bytes_done += reached;
    if (parser->steps_done >= 1u << 16) {
        parser->steps_done /= 2;
        parser->bytes_done /= 2;
    }
    return out;
}
