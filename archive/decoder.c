/* The coded data of a file entry: Huffman codes over 257 symbols from a tree rebuilt on a
 * fixed schedule, and copies of up to 8192 bytes back. Bits come least significant first.
 *
 * For speed the bits are taken in bulk from the block in hand and handed back unused at
 * the end of the entry; the next block is read only when a bit of it is really needed, so
 * the stream reads (and checks) exactly the blocks that bit-by-bit reading would. */
#include "archive/decoder.h"
#include "archive/input_stream.h"
#include "archive/symbol_model.h"
#include "extract/output_writer.h"
#include "startup/host.h"
#include "startup/stops.h"

uint8_t cancel_flag;

#define distance_bits 10
#define length_bits 4
#define shortest_copy 2
#define count_limit 0x7FFFFFFFu /* the format's counts are signed 32-bit */

static symbol_model model;

/* The bit reader: bits holds count unused bits, lowest first; above them it holds nothing
 * or the next bytes of the block, as they will be loaded. The bytes [taken, next) of the
 * block have been loaded but not yet handed out by the stream. */
static struct bit_reader {
    uint64_t bits;
    uint32_t count;
    const uint8_t *next, *limit, *taken;
} in;

static void look_at_block(void)
{
    uint32_t available;
    in.next = in.taken = stream_bytes(&available);
    in.limit = in.next + available;
}

static uint64_t load_le64(const uint8_t *p)
{
    return (uint64_t)p[0] | (uint64_t)p[1] << 8 | (uint64_t)p[2] << 16 | (uint64_t)p[3] << 24 |
           (uint64_t)p[4] << 32 | (uint64_t)p[5] << 40 | (uint64_t)p[6] << 48 | (uint64_t)p[7] << 56;
}

/* Loads bits from the block in hand, as many whole bytes as fit; reads no block. */
static void top_up(void)
{
    if (in.limit - in.next >= 8) {
        in.bits |= load_le64(in.next) << in.count;
        in.next += (63 - in.count) >> 3;
        in.count |= 56;
        return;
    }
    while (in.next < in.limit && in.count <= 56) {
        in.bits |= (uint64_t)*in.next++ << in.count;
        in.count += 8;
    }
}

/* At least one more bit is needed: from the block in hand, else from the next block. */
static void fetch(void)
{
    if (in.next < in.limit) {
        top_up();
        return;
    }
    stream_take((uint32_t)(in.next - in.taken));
    in.bits |= (uint64_t)read_byte() << in.count;
    in.count += 8;
    look_at_block();
}

static inline void need(uint32_t n)
{
    while (in.count < n)
        fetch();
}

static inline void drop(uint32_t n)
{
    in.bits >>= n;
    in.count -= n;
}

static inline uint32_t take_bits(uint32_t n)
{
    need(n);
    uint32_t value = (uint32_t)in.bits & ((1u << n) - 1);
    drop(n);
    return value;
}

void start_entry_bits(void)
{
    in.bits = 0;
    in.count = 0;
    look_at_block();
    model_reset(&model);
}

void finish_entry_bits(void)
{
    uint32_t loaded = (uint32_t)(in.next - in.taken);
    uint32_t unused = in.count / 8;
    stream_take(loaded > unused ? loaded - unused : 0);
    in.bits = 0;
    in.count = 0;
}

uint32_t read_bit(void)
{
    return take_bits(1);
}

uint32_t read_ternary(void)
{
    uint32_t v = 0;
    for (;;) {
        uint32_t digit = take_bits(2);
        if (digit == 3)
            return v;
        if (v > (count_limit - 3) / 3)
            report_damaged_archive();
        v = 3 * v + digit + 1;
    }
}

void rebuild_tree(void)
{
    model_rebuild(&model);
    host_pump_one_message();
}

/* One symbol: the table resolves codes of up to lookup_bits bits at once; it is trusted
 * only as far as bits are loaded, so that near a block's end no byte beyond the code is
 * fetched. Longer codes go on through the tree one bit at a time. */
static uint32_t decode_symbol(void)
{
    if (in.count < lookup_bits)
        top_up();
    for (;;) {
        uint32_t entry = model.lookup[in.bits & (lookup_size - 1)];
        uint32_t length = entry >> 16 & 0xFFu;
        if (length <= in.count) {
            drop(length);
            uint32_t node = entry & 0xFFFFu;
            if (!(entry & lookup_long))
                return node;
            while (model.node[node].left >= 0)
                node = (uint32_t)(read_bit() ? model.node[node].right : model.node[node].left);
            return node;
        }
        fetch();
    }
}

/* The copy after match_symbol: 10 bits of distance, 4 of length, then a ternary number v
 * whose low three bits' worth (v mod 8) extends the distance and whose rest extends the
 * length by 16 a step. */
static void decode_copy(int32_t produced)
{
    uint32_t low = take_bits(distance_bits + length_bits);
    uint32_t distance = 1 + (low & ((1u << distance_bits) - 1));
    uint32_t length = shortest_copy + (low >> distance_bits);
    uint32_t v = read_ternary();
    distance += (v % 8) << distance_bits;
    /* A copy reaching before the entry's first byte, or running the produced count past
     * the 32-bit limit, cannot come from a sound archive. */
    uint64_t full = (uint64_t)length + (uint64_t)(v / 8) * 16;
    if (distance > (uint32_t)produced || full > count_limit - (uint32_t)produced)
        report_damaged_archive();
    put_copy(distance, (uint32_t)full);
}

void decode_entry(int32_t size)
{
    reset_output();
    start_entry_bits();
    while (write_position < size && !cancel_flag) {
        if (model_rebuild_due(&model))
            rebuild_tree();
        uint32_t symbol = decode_symbol();
        model_count(&model, symbol);
        if (symbol < match_symbol)
            put_byte((uint8_t)symbol);
        else
            decode_copy(write_position);
    }
    finish_entry_bits();
}
