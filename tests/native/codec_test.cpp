// The coded data of an entry in both directions: the known answers, round trips through
// the real reader with the writes they make, and the damaged-data stops.
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include "tests/native/codec_fixture.h"
#include "writer/token_coder.h"

namespace {

TEST(codec, known_codings_in_both_directions)
{
    struct {
        bytes data, coded;
    } cases[] = {
        {{0x41}, {0x02}},
        {{0x61, 0x61, 0x61, 0x61}, {0x05, 0xC0, 0x00, 0xC4}},
        {{}, {}},
    };
    for (auto &c : cases) {
        EXPECT_EQ(encode(c.data), c.coded);
        reader_run r(frame(c.coded.empty() ? bytes{0xEE} : c.coded));
        EXPECT_EQ(r.decode((int32_t)c.data.size()), -1);
        EXPECT_EQ(r.output(), c.data);
        EXPECT_EQ(host_record.pumps, c.data.empty() ? 0 : 1);
    }
}

// Ternary numbers as bits in reading order, packed least significant first after a
// leading filler bit pattern, read back with read_ternary.
TEST(codec, ternary_numbers_read_and_priced_as_the_table_says)
{
    struct {
        uint32_t v;
        const char *bits;
    } table[] = {{0, "11"},   {1, "0011"},   {2, "1011"},     {3, "0111"},    {4, "000011"},
                 {5, "001011"}, {6, "000111"}, {12, "010111"}, {13, "00000011"}};
    for (auto &t : table) {
        std::string bits = t.bits;
        EXPECT_EQ(ternary_bits(t.v), bits.size()) << t.v;
        bytes sequence((bits.size() + 7) / 8, 0);
        for (size_t i = 0; i < bits.size(); i++)
            if (bits[i] == '1')
                sequence[i / 8] |= (uint8_t)(1 << (i % 8));
        reader_run r(frame(sequence));
        uint32_t v = 99;
        EXPECT_EQ(r.run([&] {
            start_entry_bits();
            v = read_ternary();
        }), -1);
        EXPECT_EQ(v, t.v);
    }
}

bytes text_data(size_t n)
{
    const std::string words[] = {"the ", "archive ", "block ", "window ", "copy ", "of ", "\r\n", "data "};
    std::mt19937 random(3);
    bytes out;
    while (out.size() < n) {
        const std::string &w = words[random() % 8];
        out.insert(out.end(), w.begin(), w.end());
    }
    out.resize(n);
    return out;
}

bytes random_data(size_t n, uint32_t seed = 5)
{
    std::mt19937 random(seed);
    bytes out(n);
    for (auto &b : out)
        b = (uint8_t)random();
    return out;
}

off_t size_on_disk(const std::string &path)
{
    struct stat s;
    return stat(path.c_str(), &s) == 0 ? s.st_size : -1;
}

// Decodes through the real stream and writer; the file must hold the data, and before
// the final flush it must hold exactly the 32768-byte writes made while decoding.
void round_trip(const std::string &name, const bytes &data, size_t piece = 0)
{
    SCOPED_TRACE(name);
    bytes coded = encode(data, piece);
    reader_run r(frame(coded));
    r.create_output();
    off_t before_flush = -1;
    EXPECT_EQ(r.run([&] {
        decode_entry((int32_t)data.size());
        before_flush = size_on_disk(r.output_path);
        flush_output();
    }), -1);
    size_t moves = data.size() > output_window_size
                       ? (data.size() - output_window_size + output_write_size - 1) / output_write_size
                       : 0;
    EXPECT_EQ(before_flush, (off_t)(moves * output_write_size));
    EXPECT_TRUE(r.output() == data);
    EXPECT_TRUE(end_of_archive);
}

TEST(codec, round_trips_of_varied_data)
{
    bytes runs;
    for (int i = 0; i < 60; i++)
        runs.insert(runs.end(), (size_t)(50 + i * 97), (uint8_t)(i % 3));
    bytes mixed = text_data(50000);
    bytes noise = random_data(30000);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    round_trip("one byte", {0x7F});
    round_trip("40960 text", text_data(40960));
    round_trip("40961 text", text_data(40961));
    round_trip("100000 text", text_data(100000));
    round_trip("random", random_data(70000));
    round_trip("long runs", runs);
    round_trip("zeros", bytes(300000, 0));
    round_trip("mixed, fed in odd pieces", mixed, 777);
}

TEST(codec, pieces_of_any_size_give_the_same_coding)
{
    bytes data = text_data(30000);
    bytes whole = encode(data);
    EXPECT_EQ(encode(data, 1), whole);
    EXPECT_EQ(encode(data, 4099), whole);
}

TEST(codec, the_encoder_refuses_more_bytes_than_the_size_and_reports_fewer)
{
    auto encoder = std::make_unique<entry_encoder>();
    bytes coded, data = text_data(100);
    entry_encoder_start(encoder.get(), 50, sink_into(coded));
    EXPECT_FALSE(entry_encoder_feed(encoder.get(), data.data(), 51));
    EXPECT_TRUE(entry_encoder_feed(encoder.get(), data.data(), 30));
    EXPECT_FALSE(entry_encoder_finish(encoder.get()));
}

TEST(codec, skipped_output_moves_the_window_and_touches_no_file)
{
    bytes data = text_data(100000);
    reader_run r(frame(encode(data)));
    skip_output = 1;
    EXPECT_EQ(r.run([&] {
        decode_entry((int32_t)data.size());
        flush_output();
    }), -1);
    EXPECT_FALSE(r.dir.exists("out.bin"));
    EXPECT_EQ(write_position, 100000);
    // The history still held the right bytes: the last ones put match the data.
    for (int32_t p = write_position - history_size; p < write_position; p++)
        ASSERT_EQ(byte_at(p), data[(size_t)p]) << p;
}

TEST(codec, entries_follow_each_other_on_byte_borders)
{
    bytes first = text_data(5000), second = random_data(3000), sequence;
    for (const bytes *d : {&first, &second}) {
        bytes coded = encode(*d);
        sequence.insert(sequence.end(), coded.begin(), coded.end());
    }
    sequence.push_back(0x5A);
    reader_run r(frame(sequence));
    bytes out;
    uint8_t after = 0;
    EXPECT_EQ(r.run([&] {
        for (const bytes *d : {&first, &second}) {
            skip_output = 1;
            decode_entry((int32_t)d->size());
            for (int32_t p = 0; p < (int32_t)d->size() && p < history_size; p++)
                out.push_back(byte_at(p));
        }
        after = read_byte();
    }), -1);
    EXPECT_EQ(after, 0x5A);
    EXPECT_TRUE(end_of_archive);
    bytes expected(first.begin(), first.end());
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_TRUE(out == expected);
}

// Hand-made coded data: after the literal 0x61 under the initial code, match_symbol
// then a distance, a length and a ternary number, bit by bit.
struct bit_builder {
    bytes out;
    size_t count = 0;
    void put(uint64_t value, int n)
    {
        for (int i = 0; i < n; i++, count++) {
            if (count % 8 == 0)
                out.push_back(0);
            if (value >> i & 1)
                out.back() |= (uint8_t)(1 << (count % 8));
        }
    }
    void put_text(const char *bits)
    {
        for (; *bits; bits++)
            put(*bits == '1', 1);
    }
};

TEST(codec, copies_that_cannot_come_from_a_sound_archive_are_damage)
{
    struct {
        const char *name;
        uint32_t distance_low;
        const char *ternary;
    } cases[] = {
        // one byte produced, distance 2: before the entry's first byte
        {"distance beyond the produced bytes", 1, "11"},
        // v = 4 gives distance 1 + 4 * 1024 after one byte
        {"distance grown by the ternary number", 0, "000011"},
        // twenty 0 digits then more: v past 2^31
        {"ternary number past 32 bits", 0, "0000000000000000000000000000000000000000000000000000000000000011"},
        // v about 2^30: a length near 2^31, past the counts with the byte produced
        {"length past 32 bits", 0, "01010101010101010101010101010101010101000011"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        bit_builder b;
        b.put_text("10100000"); // 0x61
        b.put_text("00000011"); // match_symbol
        b.put(c.distance_low, 10);
        b.put(0, 4);
        b.put_text(c.ternary);
        reader_run r(frame(b.out));
        EXPECT_EQ(r.decode(1000), 1);
        ASSERT_EQ(host_record.boxes, 1);
        EXPECT_EQ(r.box_text(), damaged_text);
        EXPECT_FALSE(r.dir.exists("out.bin")); // the half-written file is erased
    }
}

// The bits of v as read_ternary takes them: bijective base 3, most significant digit
// first, each digit d - 1 in two bits, then 1 1.
std::string ternary_text(uint32_t v)
{
    std::string digits;
    for (; v != 0; v = (v - 1) / 3) {
        uint32_t d = (v - 1) % 3;
        digits.insert(0, std::string(1, (d & 1) ? '1' : '0') + ((d & 2) ? '1' : '0'));
    }
    return digits + "11";
}

TEST(codec, a_copy_may_run_past_the_size_and_repeats_its_last_bytes)
{
    // 0x61, then a copy of distance 1 for a size of 4: of length 20, and of length
    // 48002, which moves the output window past the size.
    for (uint32_t v : {0u, 8u * 3000u}) {
        SCOPED_TRACE(v);
        bit_builder b;
        b.put_text("10100000");
        b.put_text("00000011");
        b.put(0, 10);
        b.put(2, 4); // length 2 + 2 + 16 * (v div 8)
        b.put_text(ternary_text(v).c_str());
        b.put_text("10100000"); // never read: the entry has ended
        reader_run r(frame(b.out));
        EXPECT_EQ(r.decode(4), -1);
        EXPECT_EQ(r.output(), bytes(5 + 16 * (v / 8), 0x61));
    }
}

// The number after a copy is looked up in one step when its bits are loaded, and read a
// digit pair at a time when it is longer (from 40 on) or the archive ends within eight
// bits of its start; either way it must come out the same.
TEST(codec, copy_numbers_decode_alike_looked_up_or_read_pair_by_pair)
{
    for (uint32_t v : {0u, 8u, 16u, 32u, 40u, 120u}) {
        for (bool more : {false, true}) {
            SCOPED_TRACE(testing::Message() << "v " << v << (more ? ", a literal after" : ", at the end"));
            bit_builder b;
            b.put_text("10100000"); // 0x61
            b.put_text("00000011"); // match_symbol
            b.put(0, 10);           // distance 1
            b.put(0, 4);            // length 2 + 16 * (v div 8)
            b.put_text(ternary_text(v).c_str());
            if (more)
                b.put_text("01000000"); // 0x41
            bytes expected(3 + 16 * (v / 8), 0x61);
            if (more)
                expected.push_back(0x41);
            reader_run r(frame(b.out));
            EXPECT_EQ(r.decode((int32_t)expected.size()), -1);
            EXPECT_EQ(r.output(), expected);
        }
    }
}

TEST(codec, cancel_stops_between_symbols_after_the_next_rebuild)
{
    bytes data = text_data(60000);
    reader_run r(frame(encode(data)));
    host_record.on_pump = [] {
        if (host_record.pumps == 3)
            cancel_flag = 1;
    };
    EXPECT_EQ(r.decode((int32_t)data.size()), -1);
    host_record.on_pump = nullptr;
    bytes out = r.output();
    EXPECT_GT(out.size(), 0u);
    EXPECT_LT(out.size(), data.size());
    EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin()));
    cancel_flag = 0;
}

TEST(codec, an_entry_cut_short_is_a_read_failure)
{
    bytes coded = encode(text_data(20000));
    coded.resize(coded.size() / 2);
    reader_run r(frame(coded));
    EXPECT_EQ(r.decode(20000), 1);
    EXPECT_EQ(r.box_text(), read_failure_text);
}

} // namespace

namespace {

// Sound blocks around noise: whatever the decoder makes of it, it stays inside its
// history and ends normally or with the damaged or read-failure stop.
TEST(codec, noise_in_sound_blocks_never_reads_outside_the_history)
{
    for (uint32_t seed = 1; seed <= 40; seed++) {
        SCOPED_TRACE(seed);
        reader_run r(frame(random_data(3000, seed)));
        int code = r.decode(60000);
        if (code == -1)
            continue;
        EXPECT_EQ(code, 1);
        ASSERT_EQ(host_record.boxes, 1);
        EXPECT_TRUE(r.box_text() == damaged_text || r.box_text() == read_failure_text) << r.box_text();
    }
}

} // namespace
