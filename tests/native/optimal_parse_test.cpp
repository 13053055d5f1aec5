// The copy search and the parse by price: every step is a real copy within reach, the
// steps rebuild the input exactly, and the parse uses short and overlapping copies when
// the prices make them pay.
#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include <vector>
#include "writer/copy_cost.h"
#include "writer/optimal_parse.h"

namespace {

using bytes = std::vector<uint8_t>;

struct memory_source {
    const bytes *data;
    size_t at;
    size_t chunk;
};

size_t read_memory(void *context, uint8_t *buffer, size_t count)
{
    memory_source *source = static_cast<memory_source *>(context);
    size_t n = std::min({count, source->data->size() - source->at, source->chunk});
    memcpy(buffer, source->data->data() + source->at, n);
    source->at += n;
    return n;
}

struct parse_run {
    copy_finder finder;
    optimal_parser parser;
    std::vector<parse_step> steps;
};

// Parses data with one price for every literal and one for match_symbol, checking each
// step against the bytes; returns the steps.
std::vector<parse_step> parse(const bytes &data, const match_limits &limits, uint32_t horizon,
                              uint32_t literal_bits, uint32_t copy_bits, int max_steps = 1000)
{
    static parse_run run;
    memory_source source = {&data, 0, 1000};
    symbol_prices prices;
    for (uint32_t &p : prices.literal)
        p = literal_bits * price_unit;
    prices.copy = copy_bits * price_unit;
    parse_limits plan = {horizon, horizon / 8};
    copy_finder_start(&run.finder, &limits, read_memory, &source);
    optimal_parse_start(&run.parser, &plan);
    std::vector<parse_step> all;
    std::vector<parse_step> steps(parse_horizon_max);
    uint32_t pos = 0;
    for (;;) {
        int n = optimal_parse_next(&run.parser, &run.finder, pos, &prices, max_steps, steps.data());
        if (n == 0)
            break;
        EXPECT_LE(n, max_steps);
        for (int i = 0; i < n; i++) {
            const parse_step &s = steps[i];
            if (s.distance == 0) {
                EXPECT_EQ(s.length, 1u);
            } else {
                EXPECT_GE(s.length, 2u);
                EXPECT_LE(s.distance, std::min<uint32_t>(pos, copy_max_distance));
                for (uint32_t k = 0; k < s.length; k++)
                    EXPECT_EQ(data.at(pos + k), data.at(pos + k - s.distance)) << "at " << pos;
            }
            pos += s.length;
            all.push_back(s);
        }
        if (testing::Test::HasFailure())
            break;
    }
    EXPECT_EQ(pos, data.size());
    return all;
}

TEST(copy_cost, ternary_bits_follow_the_digits)
{
    // v in bijective base 3: 0 is the closing pair alone; 1-3 one digit; 4-12 two; 13 three.
    const struct { uint32_t v, bits; } cases[] = {{0, 2}, {1, 4}, {3, 4}, {4, 6}, {12, 6},
                                                 {13, 8}, {39, 8}, {40, 10}, {120, 10}, {121, 12}};
    for (const auto &c : cases)
        EXPECT_EQ(ternary_bits(c.v), c.bits) << c.v;
    EXPECT_EQ(copy_extra_bits(1, 2), 16u);
    EXPECT_EQ(copy_extra_bits(1024, 17), 16u);
    EXPECT_EQ(copy_extra_bits(1025, 17), 18u);   // v = 1
    EXPECT_EQ(copy_extra_bits(8192, 17), 20u);   // v = 7
    EXPECT_EQ(copy_extra_bits(1, 18), 20u);      // v = 8
    EXPECT_EQ(copy_extra_bits(8192, 33), 22u);   // v = 15
}

bytes varied_data(size_t size)
{
    std::mt19937 random(7);
    bytes data;
    const char *words[] = {"alpha ", "beta ", "gamma ", "delta\n", "epsilon ", "zeta "};
    while (data.size() < size) {
        switch (random() % 4) {
        case 0: // text from a few words
            for (int i = 0; i < 20; i++)
                for (const char *w = words[random() % 6]; *w; w++)
                    data.push_back((uint8_t)*w);
            break;
        case 1: // noise
            for (int i = 0; i < 300; i++)
                data.push_back((uint8_t)random());
            break;
        case 2: // a run
            data.insert(data.end(), 500 + random() % 3000, (uint8_t)random());
            break;
        default: // a far repeat, up to the whole window back
            if (data.size() > 9000) {
                size_t from = data.size() - 8192 + random() % 100;
                for (int i = 0; i < 400; i++)
                    data.push_back(data[from + i]);
            }
        }
    }
    data.resize(size);
    return data;
}

TEST(optimal_parse, steps_rebuild_the_input_at_every_search)
{
    const bytes data = varied_data(300000);
    const match_limits limits[] = {
        {search_chain, 1, 8, 0}, {search_chain, 8, 32, 1}, {search_tree, 32, 64, 1},
        {search_tree, 4096, 1024, 1}};
    for (const auto &l : limits) {
        std::vector<parse_step> steps = parse(data, l, 4096, 6, 3);
        size_t copies = 0, far = 0;
        for (const auto &s : steps) {
            copies += s.distance != 0;
            far += s.distance > 7 * 1024;
        }
        EXPECT_GT(copies, 1000u);
        EXPECT_GT(far, 10u) << "copies up to 8192 back are found";
    }
}

TEST(optimal_parse, small_inputs_and_plan_sizes)
{
    const match_limits limits = {search_tree, 64, 64, 1};
    for (size_t size : {0, 1, 2, 3, 17, 1000}) {
        bytes data(size, 'x');
        std::vector<parse_step> steps = parse(data, limits, 256, 8, 8);
        if (size >= 17) { // one literal, then one copy overlapping itself
            EXPECT_EQ(steps.size(), 2u);
        }
    }
    // A plan stops at the number of steps asked for.
    parse(varied_data(20000), limits, 4096, 6, 3, 7);
}

TEST(optimal_parse, short_copies_pay_only_against_dear_literals)
{
    // "ab" comes back after noise that has no other pair in common with it.
    bytes data = {'a', 'b'};
    for (int i = 0; i < 40; i++)
        data.push_back((uint8_t)(0x80 + i));
    data.push_back('a');
    data.push_back('b');
    const match_limits limits = {search_tree, 64, 64, 1};
    auto copies = [](const std::vector<parse_step> &steps) {
        size_t n = 0;
        for (const auto &s : steps)
            n += s.distance != 0;
        return n;
    };
    // A copy of two costs match_symbol and 16 bits.
    EXPECT_EQ(copies(parse(data, limits, 256, 8, 4)), 0u);  // 16 < 20
    EXPECT_EQ(copies(parse(data, limits, 256, 11, 4)), 1u); // 22 > 20
}

TEST(optimal_parse, longer_copies_are_cut_where_the_ternary_number_grows)
{
    // 18 bytes to copy: a copy of 18 takes v = 8 (20 bits after match_symbol), a copy of
    // 17 and one literal take 16 bits and the literal.
    bytes head;
    for (int i = 0; i < 18; i++)
        head.push_back((uint8_t)('a' + i));
    bytes data = head;
    data.push_back('#');
    data.insert(data.end(), head.begin(), head.end());
    const match_limits limits = {search_tree, 64, 64, 1};
    std::vector<parse_step> cheap = parse(data, limits, 256, 2, 2);
    ASSERT_GE(cheap.size(), 2u);
    EXPECT_EQ(cheap[cheap.size() - 2].length + cheap.back().length, 18u);
    EXPECT_NE(cheap.back().length, 18u);
    std::vector<parse_step> dear = parse(data, limits, 256, 8, 2);
    EXPECT_EQ(dear.back().length, 18u);
}

} // namespace
