#include "writer/entry_encoder.h"

/* A copy found this long is taken without looking one byte further. */
#define lazy_limit 32

void entry_encoder_start(entry_encoder *encoder, uint32_t size, byte_sink out)
{
    encoder->size = size;
    encoder->fed = 0;
    encoder->cursor = 0;
    token_coder_start(&encoder->coder, out);
    finder_reset(&encoder->finder);
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
static void parse(entry_encoder *encoder, int finishing)
{
    match_finder *finder = &encoder->finder;
    while (encoder->cursor < finder->end &&
           (finishing || finder->end - encoder->cursor > longest_copy + 1)) {
        uint32_t distance = 0;
        uint32_t length = finder_longest(finder, encoder->cursor, longest_copy, &distance);
        if (length != 0 && length < lazy_limit && encoder->cursor + 1 < finder->end) {
            uint32_t later_distance = 0;
            uint32_t later = finder_longest(finder, encoder->cursor + 1, longest_copy, &later_distance);
            if (later > length) {
                code_literal_here(encoder);
                continue;
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

int entry_encoder_feed(entry_encoder *encoder, const uint8_t *bytes, size_t count)
{
    if (count > encoder->size - encoder->fed)
        return 0;
    while (count != 0) {
        uint32_t room = finder_room(&encoder->finder, encoder->cursor);
        uint32_t n = count < room ? (uint32_t)count : room;
        finder_append(&encoder->finder, bytes, n);
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
