#include "writer/entry_encoder.h"

/* A copy found this long is taken without looking one byte further. */
#define lazy_limit 32

/* How hard each level looks. Levels up to last_lazy_level take the lazy parse with
 * chains of lazy_chain places; the others parse by price. */
#define last_lazy_level 4

struct level_limits {
    uint32_t lazy_chain;
    struct match_limits search;
    struct parse_limits plan;
    int replan_at_rebuild; /* plan again with the new code after every rebuild */
};

static const struct level_limits levels[best_level] = {
    /* 1 */ {8, {search_chain, 0, 0, 0}, {0, 0}, 0},
    /* 2 */ {32, {search_chain, 0, 0, 0}, {0, 0}, 0},
    /* 3 */ {64, {search_chain, 0, 0, 0}, {0, 0}, 0},
    /* 4 */ {128, {search_chain, 0, 0, 0}, {0, 0}, 0},
    /* 5 */ {0, {search_tree, 8, 32, 1}, {4096, 256}, 0},
    /* 6 */ {0, {search_tree, 16, 64, 1}, {4096, 256}, 0},
    /* 7 */ {0, {search_tree, 32, 64, 1}, {4096, 256}, 1},
    /* 8 */ {0, {search_tree, 64, 128, 1}, {8192, 512}, 1},
    /* 9 */ {0, {search_tree, 256, 512, 1}, {16384, 1024}, 1},
};

static const struct level_limits *limits_of(const entry_encoder *encoder)
{
    return &levels[encoder->level - 1];
}

static int lazy(const entry_encoder *encoder)
{
    return encoder->level <= last_lazy_level;
}

void entry_encoder_start_level(entry_encoder *encoder, uint32_t size, int level, byte_sink out)
{
    if (level < fastest_level)
        level = fastest_level;
    if (level > best_level)
        level = best_level;
    encoder->level = level;
    encoder->size = size;
    encoder->fed = 0;
    encoder->cursor = 0;
    token_coder_start(&encoder->coder, out);
    if (lazy(encoder)) {
        finder_reset(&encoder->finder);
        encoder->finder.max_chain = limits_of(encoder)->lazy_chain;
    } else {
        copy_finder_start(&encoder->copies, &limits_of(encoder)->search);
        optimal_parse_start(&encoder->parser, &limits_of(encoder)->plan);
    }
}

void entry_encoder_start(entry_encoder *encoder, uint32_t size, byte_sink out)
{
    entry_encoder_start_level(encoder, size, default_level, out);
}

/* A copy pays when it costs no more bits than the literals it replaces (one symbol in
 * place of several also keeps the counts of the literals sharper). */
static int copy_pays(const entry_encoder *encoder, uint32_t distance, uint32_t length)
{
    if (length >= 8)
        return 1;
    uint32_t literals = 0;
    for (uint32_t k = 0; k < length; k++)
        literals += literal_price(&encoder->coder, finder_byte(&encoder->finder, encoder->cursor + k));
    return copy_price(&encoder->coder, distance, length) <= literals;
}

static void code_literal_here(entry_encoder *encoder)
{
    code_literal(&encoder->coder, finder_byte(&encoder->finder, encoder->cursor));
    encoder->cursor++;
}

/* Parses while the bytes held reach far enough ahead, or to the end when finishing: at
 * each position the longest copy is taken unless the next position has a longer one. */
static uint32_t literals_price(const entry_encoder *encoder, uint32_t from, uint32_t to)
{
    uint32_t bits = 0;
    for (uint32_t k = from; k < to; k++)
        bits += literal_price(&encoder->coder, finder_byte(&encoder->finder, k));
    return bits;
}

static void parse_lazy(entry_encoder *encoder, int finishing)
{
    match_finder *finder = &encoder->finder;
    /* The copy found one byte on, kept for when the parse moves there by a literal. */
    uint32_t found_at = UINT32_MAX, found_length = 0, found_distance = 0;
    while (encoder->cursor < finder->end &&
           (finishing || finder->end - encoder->cursor > longest_copy + 1)) {
        uint32_t here = encoder->cursor;
        uint32_t distance = found_distance;
        uint32_t length = found_length;
        if (found_at != here)
            length = finder_longest(finder, here, longest_copy, &distance);
        if (length != 0 && length < lazy_limit && here + 1 < finder->end) {
            found_at = here + 1;
            found_length = finder_longest(finder, found_at, longest_copy, &found_distance);
            /* A literal and the next copy against this copy, over the bytes either covers,
             * the rest as literals. */
            if (found_length != 0) {
                uint32_t now_end = here + length, later_end = found_at + found_length;
                uint32_t end = now_end > later_end ? now_end : later_end;
                uint32_t now = copy_price(&encoder->coder, distance, length) +
                               literals_price(encoder, now_end, end);
                uint32_t later = literal_price(&encoder->coder, finder_byte(finder, here)) +
                                 copy_price(&encoder->coder, found_distance, found_length) +
                                 literals_price(encoder, later_end, end);
                if (later < now) {
                    code_literal_here(encoder);
                    continue;
                }
            }
        }
        if (length != 0 && copy_pays(encoder, distance, length)) {
            code_copy(&encoder->coder, distance, length);
            encoder->cursor += length;
        } else {
            code_literal_here(encoder);
        }
    }
}

/* Plans and codes while the bytes held reach a plan's lookahead, or to the end when
 * finishing. */
static void parse_by_price(entry_encoder *encoder, int finishing)
{
    const struct level_limits *limits = limits_of(encoder);
    uint32_t lookahead = optimal_parse_lookahead(&encoder->parser);
    while (encoder->cursor < encoder->copies.end &&
           (finishing || encoder->copies.end - encoder->cursor >= lookahead)) {
        int most = limits->replan_at_rebuild ? (int)model_symbols_to_rebuild(&encoder->coder.model)
                                             : parse_horizon_max;
        int n = optimal_parse_next(&encoder->parser, &encoder->copies, encoder->cursor, finishing,
                                   &encoder->coder, most, encoder->steps);
        for (int i = 0; i < n; i++) {
            const struct parse_step *step = &encoder->steps[i];
            if (step->distance == 0)
                code_literal(&encoder->coder, *window_at(&encoder->copies, encoder->cursor));
            else
                code_copy(&encoder->coder, step->distance, step->length);
            encoder->cursor += step->length;
        }
    }
}

/* Room for up to count more bytes; the price parse's window moves its bytes only when
 * it has to. */
static uint32_t room_for(entry_encoder *encoder, size_t count)
{
    if (lazy(encoder))
        return finder_room(&encoder->finder, encoder->cursor);
    const struct copy_finder *copies = &encoder->copies;
    uint32_t free_space = window_capacity - (copies->end - copies->base);
    if (free_space >= count)
        return free_space;
    return copy_finder_room(&encoder->copies, encoder->cursor);
}

static void parse(entry_encoder *encoder, int finishing)
{
    if (lazy(encoder))
        parse_lazy(encoder, finishing);
    else
        parse_by_price(encoder, finishing);
}

int entry_encoder_feed(entry_encoder *encoder, const uint8_t *bytes, size_t count)
{
    if (count > encoder->size - encoder->fed)
        return 0;
    while (count != 0) {
        uint32_t room = room_for(encoder, count);
        uint32_t n = count < room ? (uint32_t)count : room;
        if (lazy(encoder))
            finder_append(&encoder->finder, bytes, n);
        else
            copy_finder_append(&encoder->copies, bytes, n);
        encoder->fed += n;
        bytes += n;
        count -= n;
        parse(encoder, 0);
    }
    return 1;
}

int entry_encoder_finish(entry_encoder *encoder)
{
    parse(encoder, 1);
    token_coder_finish(&encoder->coder);
    return encoder->fed == encoder->size;
}
