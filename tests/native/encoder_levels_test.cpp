// Every level of the encoder writes data that the real decoder turns back into the same
// bytes, the same whatever pieces the entry is fed in; higher levels code smaller.
#include <gtest/gtest.h>
#include <random>
#include "tests/native/codec_fixture.h"

namespace {

// Text, noise, runs and copies from the far end of the window, in turns.
bytes mixed_data(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    const char *words[] = {"the ", "window ", "copy ", "of\n", "ternary ", "price ", "\t{ }\n"};
    bytes data;
    while (data.size() < size) {
        switch (random() % 5) {
        case 0:
        case 1:
            for (int i = 0; i < 50; i++)
                for (const char *w = words[random() % 7]; *w; w++)
                    data.push_back((uint8_t)*w);
            break;
        case 2:
            for (int i = 0; i < 200; i++)
                data.push_back((uint8_t)random());
            break;
        case 3:
            data.insert(data.end(), random() % 40000, (uint8_t)random());
            break;
        default:
            if (data.size() > 8192) {
                size_t from = data.size() - 8192 + random() % 3;
                for (int i = 0; i < 100; i++)
                    data.push_back(data[from + i]);
            }
        }
    }
    data.resize(size);
    return data;
}

bytes decoded(const bytes &coded, size_t size)
{
    reader_run r(frame(coded.empty() ? bytes{0xEE} : coded));
    EXPECT_EQ(r.decode((int32_t)size), -1);
    return r.output();
}

TEST(encoder_levels, every_level_round_trips)
{
    const bytes inputs[] = {{}, {0x41}, {1, 2}, bytes(5, 'a'), mixed_data(3000, 1),
                            mixed_data(250000, 2)};
    for (int level = fastest_level; level <= best_level; level++) {
        for (const bytes &data : inputs) {
            SCOPED_TRACE("level " + std::to_string(level) + ", " + std::to_string(data.size()) +
                         " bytes");
            bytes coded = encode(data, 0, level);
            EXPECT_TRUE(decoded(coded, data.size()) == data);
            EXPECT_TRUE(encode(data, 777, level) == coded) << "fed in pieces";
        }
    }
}

TEST(encoder_levels, higher_levels_code_smaller)
{
    bytes data = mixed_data(200000, 3);
    size_t lazy = encode(data, 0, fastest_level).size();
    size_t standard = encode(data, 0, default_level).size();
    size_t best = encode(data, 0, best_level).size();
    EXPECT_LT(standard, lazy);
    EXPECT_LE(best, standard);
}

TEST(encoder_levels, levels_out_of_range_are_brought_in)
{
    bytes data = mixed_data(5000, 4);
    EXPECT_TRUE(encode(data, 0, 0) == encode(data, 0, fastest_level));
    EXPECT_TRUE(encode(data, 0, 99) == encode(data, 0, best_level));
}

} // namespace
