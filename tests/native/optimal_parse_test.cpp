// The copy search and the parse by price: every step is a real copy within reach, the
// steps rebuild the input exactly, and the parse uses short and overlapping copies when
// the prices make them pay.
#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include <vector>
#include "writer/optimal_parse.h"

namespace {

using bytes = std::vector<uint8_t>;

struct parse_run {
    copy_finder finder;
    optimal_parser parser;
    token_coder coder;
    std::vector<parse_step> steps = std::vector<parse_step>(parse_horizon_max);
};

void discard(void *, const uint8_t *, size_t) {}

// Parses data, appended in pieces of 1000 bytes, with one price for every literal and
// one for match_symbol, checking each step against the bytes; returns the steps.
std::vector<parse_step> parse(const bytes &data, const match_limits &limits, uint32_t horizon,
                              uint8_t literal_bits, uint8_t copy_bits, int max_steps = 1000)
{
    static parse_run run;
    parse_limits plan = {horizon, horizon / 8};
    copy_finder_start(&run.finder, &limits);
    optimal_parse_start(&run.parser, &plan);
    token_coder_start(&run.coder, byte_sink{discard, nullptr});
    memset(run.coder.model.code_length, literal_bits, match_symbol);
    run.coder.model.code_length[match_symbol] = copy_bits;
    std::vector<parse_step> all;
    uint32_t pos = 0;
    size_t fed = 0;
    while (!testing::Test::HasFailure()) {
        bool at_end = fed == data.size();
        if (!at_end && run.finder.end - pos < optimal_parse_lookahead(&run.parser)) {
            size_t n = std::min<size_t>({1000, data.size() - fed, copy_finder_room(&run.finder, pos)});
            copy_finder_append(&run.finder, data.data() + fed, (uint32_t)n);
            fed += n;
            continue;
        }
        int n = optimal_parse_next(&run.parser, &run.finder, pos, at_end, &run.coder, max_steps,
                                   run.steps.data());
        if (n == 0)
            break;
        EXPECT_LE(n, max_steps);
        for (int i = 0; i < n; i++) {
            const parse_step &s = run.steps[i];
            if (s.distance == 0) {
                EXPECT_EQ(s.length, 1u);
            } else {
                EXPECT_GE(s.length, 2u);
                EXPECT_LE(s.distance, std::min<uint32_t>(pos, copy_distance_limit));
                for (uint32_t k = 0; k < s.length; k++)
                    EXPECT_EQ(data.at(pos + k), data.at(pos + k - s.distance)) << "at " << pos;
            }
            pos += s.length;
            all.push_back(s);
        }
    }
    EXPECT_EQ(pos, data.size());
    return all;
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
        // Plans cut short (as at every rebuild) still cover the input, nearly as well.
        EXPECT_LT(parse(data, l, 4096, 6, 3, 5).size(), steps.size() * 101 / 100);
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
