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

/* The steps of the decoding loop are kept inline so that its bit reader stays in
 * registers. */
#if defined(__GNUC__)
#define step static inline __attribute__((always_inline))
#define rarely(c) __builtin_expect(!!(c), 0)
#else
#define step static inline
#define rarely(c) (c)
#endif

/* The bit reader: bits holds count unused bits, lowest first; above them it holds nothing
 * or the next bytes of the block, as they will be loaded. The bytes [taken, next) of the
 * block have been loaded but not yet handed out by the stream. decode_entry works on a
 * copy of it in local variables; between entries it rests here. */
typedef struct bit_reader {
    uint64_t bits;
    uint32_t count;
    const uint8_t *next, *limit, *taken;
} bit_reader;

static bit_reader in;

static void look_at_block(bit_reader *r)
{
    uint32_t available;
    r->next = r->taken = stream_bytes(&available);
    r->limit = r->next + available;
}

static inline uint64_t load_le64(const uint8_t *p)
{
    return (uint64_t)p[0] | (uint64_t)p[1] << 8 | (uint64_t)p[2] << 16 | (uint64_t)p[3] << 24 |
           (uint64_t)p[4] << 32 | (uint64_t)p[5] << 40 | (uint64_t)p[6] << 48 | (uint64_t)p[7] << 56;
}

/* Loads bits from the block in hand, as many whole bytes as fit; reads no block. */
step void top_up(bit_reader *r)
{
    if (r->limit - r->next >= 8) {
        r->bits |= load_le64(r->next) << r->count;
        r->next += (63 - r->count) >> 3;
        r->count |= 56;
        return;
    }
    while (r->next < r->limit && r->count <= 56) {
        r->bits |= (uint64_t)*r->next++ << r->count;
        r->count += 8;
    }
}

/* At least one more bit is needed: from the block in hand, else from the next block.
 * Taken and given by value so that the caller's copy can live in registers. */
static bit_reader fetch(bit_reader r)
{
    if (r.next < r.limit) {
        top_up(&r);
        return r;
    }
    stream_take((uint32_t)(r.next - r.taken));
    r.bits |= (uint64_t)read_byte() << r.count;
    r.count += 8;
    look_at_block(&r);
    return r;
}

step void need(bit_reader *r, uint32_t n)
{
    while (r->count < n)
        *r = fetch(*r);
}

step void drop(bit_reader *r, uint32_t n)
{
    r->bits >>= n;
    r->count -= n;
}

step uint32_t take_bits(bit_reader *r, uint32_t n)
{
    need(r, n);
    uint32_t value = (uint32_t)r->bits & ((1u << n) - 1);
    drop(r, n);
    return value;
}

/* The ternary numbers that fit in the next ternary_table_bits bits, looked up at once:
 * ternary_table[bits] holds the number and, from bit 8 on, the bits it takes, or 0 for
 * a number that goes on past them. A loop whose end depends on the data would be
 * mispredicted at nearly every copy with a number other than 0. */
#define ternary_table_bits 8
static uint16_t ternary_table[1u << ternary_table_bits];

static void make_ternary_table(void)
{
    for (uint32_t bits = 0; bits < (1u << ternary_table_bits); bits++) {
        uint32_t v = 0, used = 0;
        ternary_table[bits] = 0;
        while (used < ternary_table_bits) {
            uint32_t digit = bits >> used & 3;
            used += 2;
            if (digit == 3) {
                ternary_table[bits] = (uint16_t)(v | used << 8);
                break;
            }
            v = 3 * v + digit + 1;
        }
    }
}

void start_entry_bits(void)
{
    if (ternary_table[3] == 0) /* the bits 1 1, the number 0, not yet entered */
        make_ternary_table();
    in.bits = 0;
    in.count = 0;
    look_at_block(&in);
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

step uint32_t ternary(bit_reader *r)
{
    uint32_t v = 0;
    for (;;) {
        uint32_t digit = take_bits(r, 2);
        if (digit == 3)
            return v;
        if (v > (count_limit - 3) / 3)
            report_damaged_archive();
        v = 3 * v + digit + 1;
    }
}

/* The ternary number after a copy's fields: from the table when enough bits are loaded
 * from the block in hand, else bit pair by bit pair. */
step uint32_t copy_ternary(bit_reader *r)
{
    if (r->count < ternary_table_bits)
        top_up(r);
    if (r->count >= ternary_table_bits) {
        uint32_t entry = ternary_table[r->bits & ((1u << ternary_table_bits) - 1)];
        if (entry != 0) {
            drop(r, entry >> 8);
            return entry & 0xFF;
        }
    }
    return ternary(r);
}

uint32_t read_bit(void)
{
    return take_bits(&in, 1);
}

uint32_t read_ternary(void)
{
    return ternary(&in);
}

void rebuild_tree(void)
{
    model_rebuild(&model);
    host_pump_one_message();
}

/* One symbol: the table resolves codes of up to lookup_bits bits at once; it is trusted
 * only as far as bits are loaded, so that near a block's end no byte beyond the code is
 * fetched. Longer codes go on through the tree one bit at a time. Topping up to 32 bits
 * or more beforehand leaves most copies their bits without another look at the block. */
step uint32_t decode_symbol(bit_reader *r)
{
    if (r->count < 32)
        top_up(r);
    for (;;) {
        uint32_t entry = model.lookup[r->bits & (lookup_size - 1)];
        if (!rarely(lookup_length(entry) > r->count)) {
            r->bits >>= entry & 63; /* the length, without taking it out first */
            r->count -= lookup_length(entry);
            uint32_t node = lookup_value(entry);
            if (!rarely(node >= symbol_count))
                return node;
            while (model.node[node].left >= 0)
                node = (uint32_t)(take_bits(r, 1) ? model.node[node].right : model.node[node].left);
            return node;
        }
        *r = fetch(*r);
    }
}

/* The output of the loop below: the window offset of the next byte, the offset at which
 * the entry's size is reached (which may lie beyond the window, and is 0 once a copy has
 * moved the window past it), and the lower of that and the window's end, so that one
 * test per symbol sees both. */
typedef struct output_cursor {
    uint32_t at, stop, limit;
} output_cursor;

static void look_at_output(output_cursor *o, int32_t size)
{
    int32_t left = size - window_base;
    o->at = (uint32_t)(write_position - window_base);
    o->stop = left > 0 ? (uint32_t)left : 0;
    o->limit = o->stop < output_window_size ? o->stop : output_window_size;
}

/* The copy after match_symbol: 10 bits of distance, 4 of length, then a ternary number v
 * whose value mod 8 extends the distance by 1024 a step and whose rest extends the
 * length by 16 a step. */
step void decode_copy(bit_reader *r, output_cursor *o, int32_t size)
{
    need(r, distance_bits + length_bits + 2); /* the ternary number takes 2 bits or more */
    uint32_t low = take_bits(r, distance_bits + length_bits);
    uint32_t distance = 1 + (low & ((1u << distance_bits) - 1));
    uint32_t length = shortest_copy + (low >> distance_bits);
    uint32_t v = copy_ternary(r);
    distance += (v % 8) << distance_bits;
    /* A copy reaching before the entry's first byte, or running the produced count past
     * the 32-bit limit, cannot come from a sound archive. */
    uint32_t produced = (uint32_t)window_base + o->at;
    uint64_t full = (uint64_t)length + (uint64_t)(v / 8) * 16;
    if (distance > produced || full > count_limit - produced)
        report_damaged_archive();
    write_position = (int32_t)produced;
    put_copy(distance, (uint32_t)full);
    look_at_output(o, size);
}

/* Between two rebuilds the loop runs without looking at the schedule or at cancel_flag,
 * which only the message let through at a rebuild can set; after a rebuild that set it,
 * one more symbol is decoded, as a check between symbols would allow. */
void decode_entry(int32_t size)
{
    reset_output();
    start_entry_bits();
    bit_reader r = in;
    output_cursor o;
    look_at_output(&o, size);
    while (o.at < o.stop && !cancel_flag) {
        if (model_rebuild_due(&model))
            rebuild_tree();
        uint32_t run = cancel_flag ? 1 : model_symbols_to_rebuild(&model);
        uint32_t left = run;
        do {
            if (rarely(o.at >= o.limit)) {
                if (o.at >= o.stop)
                    break;
                write_position = window_base + (int32_t)o.at; /* the window is full */
                move_window();
                look_at_output(&o, size);
            }
            uint32_t symbol = decode_symbol(&r);
            model_count_symbol(&model, symbol);
            if (symbol < match_symbol) {
                output_window[o.at++] = (uint8_t)symbol;
            } else {
                decode_copy(&r, &o, size);
            }
        } while (--left != 0);
        model_count_symbols(&model, run - left);
    }
    write_position = window_base + (int32_t)o.at;
    in = r;
    finish_entry_bits();
}
