#include "writer/token_coder.h"

#define distance_bits 10
#define length_bits 4

/* The decoder rebuilds before a symbol when one is due; the coder rebuilds as soon as the
 * count that makes it due is reached, over the same counts, so that prices always see the
 * code of the next symbol. */
static void rebuild_if_due(token_coder *coder)
{
    if (model_rebuild_due(&coder->model))
        model_rebuild_codes(&coder->model);
}

void token_coder_start(token_coder *coder, byte_sink out)
{
    coder->out = out;
    coder->bits = 0;
    coder->count = 0;
    coder->produced = 0;
    coder->buffered = 0;
    model_reset(&coder->model);
    rebuild_if_due(coder);
}

static void put_byte_out(token_coder *coder, uint8_t byte)
{
    coder->buffer[coder->buffered++] = byte;
    if (coder->buffered == coder_buffer_size) {
        sink_write(coder->out, coder->buffer, coder->buffered);
        coder->buffered = 0;
    }
}

/* n bits of value (n <= 56), lowest first. */
static void put_bits(token_coder *coder, uint64_t value, uint32_t n)
{
    coder->bits |= value << coder->count;
    coder->count += n;
    while (coder->count >= 8) {
        put_byte_out(coder, (uint8_t)coder->bits);
        coder->bits >>= 8;
        coder->count -= 8;
    }
}

static void put_symbol(token_coder *coder, uint32_t symbol)
{
    uint64_t code = coder->model.code[symbol];
    uint32_t length = coder->model.code_length[symbol];
    if (length > 32) {
        put_bits(coder, code & 0xFFFFFFFFu, 32);
        code >>= 32;
        length -= 32;
    }
    put_bits(coder, code, length);
    model_count(&coder->model, symbol);
    rebuild_if_due(coder);
}

/* Bijective base 3, most significant digit first, a digit d as the bits d & 1 then d >> 1,
 * closed by the pair 1 1. */
static void put_ternary(token_coder *coder, uint32_t v)
{
    uint8_t digits[24];
    int n = 0;
    while (v != 0) {
        digits[n++] = (uint8_t)((v - 1) % 3);
        v = (v - 1) / 3;
    }
    while (n > 0)
        put_bits(coder, digits[--n], 2);
    put_bits(coder, 3, 2);
}

uint32_t ternary_bits(uint32_t v)
{
    uint32_t bits = 2;
    while (v != 0) {
        bits += 2;
        v = (v - 1) / 3;
    }
    return bits;
}

void code_literal(token_coder *coder, uint8_t byte)
{
    put_symbol(coder, byte);
    coder->produced++;
}

/* distance - 1 = low 10 bits + 1024 (v mod 8); length - 2 = low 4 bits + 16 (v div 8). */
void code_copy(token_coder *coder, uint32_t distance, uint32_t length)
{
    uint32_t d = distance - 1, n = length - shortest_copy_length;
    put_symbol(coder, match_symbol);
    put_bits(coder, (d & ((1u << distance_bits) - 1)) | (n & ((1u << length_bits) - 1)) << distance_bits,
             distance_bits + length_bits);
    put_ternary(coder, (n >> length_bits) * 8 + (d >> distance_bits));
    coder->produced += length;
}

void token_coder_finish(token_coder *coder)
{
    if (coder->count != 0)
        put_byte_out(coder, (uint8_t)coder->bits);
    coder->bits = 0;
    coder->count = 0;
    sink_write(coder->out, coder->buffer, coder->buffered);
    coder->buffered = 0;
}

uint32_t literal_price(const token_coder *coder, uint8_t byte)
{
    return coder->model.code_length[byte];
}

uint32_t copy_price(const token_coder *coder, uint32_t distance, uint32_t length)
{
    uint32_t d = distance - 1, n = length - shortest_copy_length;
    return coder->model.code_length[match_symbol] + distance_bits + length_bits +
           ternary_bits((n >> length_bits) * 8 + (d >> distance_bits));
}
