// The symbol model shared by the decoder and the encoder: the initial code, the order of
// sorting and merging against a plain rendering of the list rules, and the decode table.
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>
#include "archive/symbol_model.h"

namespace {

std::string code_text(const symbol_model &m, int symbol)
{
    std::string s;
    for (int i = 0; i < m.code_length[symbol]; i++)
        s += (m.code[symbol] >> i & 1) ? '1' : '0';
    return s;
}

TEST(symbol_model, initial_codes_are_the_known_ones)
{
    symbol_model m;
    model_reset(&m);
    model_rebuild_codes(&m);
    EXPECT_EQ(code_text(m, 1), "000000000");
    EXPECT_EQ(code_text(m, 2), "000000001");
    EXPECT_EQ(code_text(m, 0), "00000001");
    EXPECT_EQ(code_text(m, 255), "00000010");
    EXPECT_EQ(code_text(m, match_symbol), "00000011");
    EXPECT_EQ(code_text(m, 65), "01000000");
    EXPECT_EQ(code_text(m, 97), "10100000");
    for (int s = 3; s < 255; s++)
        EXPECT_EQ(m.code_length[s], 8) << s;
}

// The rules as written: exchange passes from the back, then a list merged from its end
// with each new node put behind every node at least as heavy.
struct plain_model {
    std::vector<int> order;
    struct node { uint64_t weight; int left, right; };
    std::vector<node> nodes;

    plain_model() : order(symbol_count) { for (int s = 0; s < symbol_count; s++) order[s] = s; }

    void rebuild(const uint32_t *frequency)
    {
        std::vector<int> list = order;
        int front = 0;
        for (;;) {
            int first_swap = -1;
            for (int i = symbol_count - 1; i > front; i--)
                if (frequency[list[i - 1]] < frequency[list[i]]) {
                    std::swap(list[i - 1], list[i]);
                    first_swap = i - 1;
                }
            if (first_swap < 0)
                break;
            front = first_swap + 1;
        }
        order = list;
        nodes.assign(node_count, node{0, -1, -1});
        for (int s = 0; s < symbol_count; s++)
            nodes[s].weight = frequency[s];
        for (int k = 0; k < symbol_count - 1; k++) {
            int b = list.back();
            list.pop_back();
            int a = list.back();
            list.pop_back();
            int made = symbol_count + k;
            nodes[made] = node{nodes[a].weight + nodes[b].weight, a, b};
            size_t at = list.size();
            while (at > 0 && nodes[list[at - 1]].weight < nodes[made].weight)
                at--;
            list.insert(list.begin() + (long)at, made);
        }
    }
};

TEST(symbol_model, rebuilds_follow_the_plain_rules_over_many_count_tables)
{
    std::mt19937 random(7);
    symbol_model m;
    model_reset(&m);
    plain_model plain;
    // Successive rebuilds start from the last order; narrow ranges give many ties.
    for (int round = 0; round < 300; round++) {
        uint32_t range = round % 3 == 0 ? 3 : round % 3 == 1 ? 40 : 100000;
        for (int s = 0; s < symbol_count; s++)
            if (random() % 4 == 0)
                m.frequency[s] += (uint32_t)(random() % range);
        model_rebuild(&m);
        plain.rebuild(m.frequency);
        for (int s = 0; s < symbol_count; s++)
            ASSERT_EQ(m.leaf_order[s], plain.order[s]) << "round " << round;
        for (int n = symbol_count; n < node_count; n++) {
            ASSERT_EQ(m.node[n].left, plain.nodes[n].left) << "round " << round << " node " << n;
            ASSERT_EQ(m.node[n].right, plain.nodes[n].right) << "round " << round << " node " << n;
        }
    }
}

// Each code of the encoder's side read through the decoder's table, whatever bits follow
// it, and on through the tree for long codes.
int decode_code(const symbol_model &m, uint64_t code, int length, uint64_t following)
{
    uint32_t entry = m.lookup[(code | following << length) & (lookup_size - 1)];
    int used = (int)lookup_length(entry);
    if (used > length)
        return -1;
    int node = (int)lookup_value(entry);
    if (lookup_long(entry))
        for (; m.node[node].left >= 0; used++)
            node = (code >> used & 1) ? m.node[node].right : m.node[node].left;
    return used == length ? node : -1;
}

TEST(symbol_model, every_code_decodes_through_the_table_and_the_tree)
{
    struct table { const char *name; std::vector<uint32_t> counts; };
    std::vector<table> tables;
    tables.push_back({"flat", std::vector<uint32_t>(symbol_count, 1)});
    std::vector<uint32_t> zipf(symbol_count);
    for (int s = 0; s < symbol_count; s++)
        zipf[s] = 1 + 4000000u / (uint32_t)((s + 1) * (s + 1));
    tables.push_back({"zipf", zipf});
    // Counts growing like the Fibonacci numbers make the deepest trees: codes longer
    // than 32 bits.
    std::vector<uint32_t> deep(symbol_count, 1);
    uint64_t a = 256, b = 256;
    for (int s = 0; a <= 0xFFFFFFFFu / 8; s++) {
        deep[s] = (uint32_t)a;
        uint64_t c = a + b;
        a = b;
        b = c;
    }
    tables.push_back({"deep", deep});
    for (auto &t : tables) {
        symbol_model m, d;
        model_reset(&m);
        for (int s = 0; s < symbol_count; s++)
            m.frequency[s] = t.counts[s];
        d = m;
        model_rebuild_codes(&m);
        model_rebuild(&d);
        int longest = 0;
        for (int s = 0; s < symbol_count; s++) {
            for (uint64_t following : {0x0ull, 0x5A5ull, 0x7FFull})
                EXPECT_EQ(decode_code(d, m.code[s], m.code_length[s], following), s) << t.name << " symbol " << s;
            longest = std::max(longest, (int)m.code_length[s]);
        }
        if (std::string(t.name) != "flat") {
            EXPECT_GT(longest, lookup_bits) << t.name;
        }
        if (std::string(t.name) == "deep") {
            EXPECT_GT(longest, 32);
        }
    }
}

TEST(symbol_model, rebuilds_come_every_256_symbols_then_every_1024_from_2048)
{
    symbol_model m;
    model_reset(&m);
    std::vector<uint32_t> due;
    for (uint32_t n = 0; n <= 5120; n++) {
        if (model_rebuild_due(&m))
            due.push_back(n);
        model_count(&m, 0);
    }
    EXPECT_EQ(due, (std::vector<uint32_t>{0, 256, 512, 768, 1024, 1280, 1536, 1792, 2048, 3072, 4096, 5120}));
}

} // namespace
