#include "archive/symbol_model.h"
#include <string.h>

void model_reset(symbol_model *model)
{
    for (int s = 0; s < symbol_count; s++) {
        model->frequency[s] = 1;
        model->leaf_order[s] = (uint16_t)s;
        model->order_weight[s + 1] = 1;
        model->node[s].weight = 1;
        model->node[s].left = model->node[s].right = -1;
    }
    model->order_weight[0] = 0xFFFFFFFFu; /* heavier than any node, for the merges */
    model->symbol_counter = 0;
}

/* Orders the leaves by descending count, leaves of equal count keeping the last order:
 * the order that exchange passes from the back (swapping neighbours whose front one is
 * strictly lighter) reach, since a stable sort has one result. Counts only grow, and the
 * leaves whose count has not changed since the last sort are still in order among
 * themselves; so only the changed ones are sorted, by insertion, and then merged with
 * the rest. Each leaf is keyed by its count, then its place in the last order, then its
 * symbol, so that one comparison of keys orders two leaves. */
static uint64_t sort_key(uint32_t weight, uint32_t place, uint32_t symbol)
{
    return (uint64_t)weight << 32 | (uint64_t)(0xFFFFu - place) << 16 | symbol;
}

static void sort_leaves(symbol_model *model)
{
    uint64_t changed[symbol_count + 1], kept[symbol_count + 1];
    uint32_t n_changed = 0, n_kept = 0;
    uint32_t *order_weight = model->order_weight + 1;
    for (uint32_t i = 0; i < symbol_count; i++) {
        uint32_t s = model->leaf_order[i];
        uint32_t w = model->frequency[s];
        uint64_t key = sort_key(w, i, s);
        if (w == order_weight[i]) {
            kept[n_kept++] = key;
            continue;
        }
        uint32_t j = n_changed++;
        for (; j > 0 && changed[j - 1] < key; j--)
            changed[j] = changed[j - 1];
        changed[j] = key;
    }
    if (n_changed == 0)
        return;
    kept[n_kept] = 0; /* sentinels: every real key is greater */
    changed[n_changed] = 0;
    uint32_t k = 0, c = 0;
    for (uint32_t i = 0; i < symbol_count; i++) {
        uint64_t key = kept[k] > changed[c] ? kept[k++] : changed[c++];
        model->leaf_order[i] = (uint16_t)key;
        order_weight[i] = (uint32_t)(key >> 32);
    }
}

/* The merges work on one list in descending weight: take its last two nodes A and B,
 * join them (A left, B right) and put the new node behind every node at least as heavy.
 * So within a weight the list holds leaves first, then inner nodes oldest first, and the
 * last node is the lightest by weight, then inner before leaf, then newest inner first,
 * then the leaf furthest back. New nodes never get lighter, so the inner nodes form runs
 * of equal weight in the order made; the lightest run is taken newest first. Here that
 * list is kept as the sorted leaves and a queue of inner-node runs:
 * inner[run_start .. run_end) is the lightest run (taken from its end), and
 * inner[untouched .. made) are the heavier ones not yet reached. */

typedef struct merge_state {
    const uint32_t *leaf_weight; /* [1 .. leaves]: the leaves not yet merged; [0]: none */
    uint32_t leaves;
    uint32_t run_start, run_end, untouched, made, run_weight;
    int16_t inner[symbol_count - 1];
    uint32_t inner_weight[symbol_count - 1];
} merge_state;

#define no_weight 0xFFFFFFFFu /* heavier than any node: nothing there */

/* The last node of the list, taken off it; its weight is added to *weight. The lightest
 * run is never empty while inner nodes wait; run_weight is no_weight when none do. */
static inline int16_t take_last(const symbol_model *model, merge_state *m, uint32_t *weight)
{
    if (m->run_weight <= m->leaf_weight[m->leaves]) {
        int16_t node = m->inner[--m->run_end];
        *weight += m->run_weight;
        if (m->run_end == m->run_start) {
            if (m->untouched < m->made) {
                m->run_weight = m->inner_weight[m->untouched];
                m->run_start = m->untouched;
                m->run_end = m->untouched + 1;
                while (m->run_end < m->made && m->inner_weight[m->run_end] == m->run_weight)
                    m->run_end++;
                m->untouched = m->run_end;
            } else {
                m->run_weight = no_weight;
            }
        }
        return node;
    }
    *weight += m->leaf_weight[m->leaves];
    return (int16_t)model->leaf_order[--m->leaves];
}

static inline void add_inner(merge_state *m, int16_t node, uint32_t weight)
{
    if (m->run_weight == no_weight) {
        m->run_start = m->made;
        m->inner[m->made] = node;
        m->inner_weight[m->made] = weight;
        m->run_end = m->untouched = ++m->made;
        m->run_weight = weight;
    } else if (m->untouched == m->made && weight == m->run_weight) {
        m->inner[m->run_end] = node;
        m->inner_weight[m->run_end] = weight;
        if (++m->run_end > m->untouched)
            m->untouched = m->made = m->run_end;
    } else {
        m->inner[m->made] = node;
        m->inner_weight[m->made] = weight;
        m->made++;
    }
}

static void merge_tree(symbol_model *model)
{
    merge_state m;
    m.leaf_weight = model->order_weight;
    m.leaves = symbol_count;
    m.run_start = m.run_end = m.untouched = m.made = 0;
    m.run_weight = no_weight;
    for (uint32_t k = 0; k < symbol_count - 1; k++) {
        /* The counts add up to 257 plus the symbols of an entry, below 2^32. */
        uint32_t weight = 0;
        int16_t b = take_last(model, &m, &weight);
        int16_t a = take_last(model, &m, &weight);
        int16_t made = (int16_t)(symbol_count + k);
        model->node[made].weight = weight;
        model->node[made].left = a;
        model->node[made].right = b;
        add_inner(&m, made, weight);
    }
}

/* A tree over counts adding up to less than 2^32 is less than 48 deep (its weights would
 * otherwise grow at least like the Fibonacci numbers), so 64-bit codes always suffice.
 *
 * Every node is made after its children, so going through the inner nodes from the root
 * in reverse order of making gives each its code before its children. The table is then
 * built depth by depth: on reaching depth d it is doubled to 2^d entries, which repeats
 * every shorter code in the entries it is a prefix of; a code of length d then takes the
 * entry of its own bits, and a node at depth lookup_bits with longer codes below takes
 * the entry of its path. */
static void derive_codes(symbol_model *model)
{
    const uint16_t end = 0xFFFFu;
    uint16_t first_at_depth[lookup_bits + 1];
    uint16_t next_at_depth[node_count];
    for (uint32_t d = 0; d <= lookup_bits; d++)
        first_at_depth[d] = end;
    model->code_length[model_root] = 0;
    model->code[model_root] = 0;
    for (uint32_t n = model_root; n >= symbol_count; n--) {
        const model_node *node = &model->node[n];
        uint32_t depth = model->code_length[n];
        uint64_t code = model->code[n];
        if (depth == lookup_bits) {
            next_at_depth[n] = first_at_depth[depth];
            first_at_depth[depth] = (uint16_t)n;
        }
        model->code_length[node->left] = model->code_length[node->right] = (uint8_t)(depth + 1);
        model->code[node->left] = code;
        model->code[node->right] = code | (uint64_t)1 << depth;
    }
    for (uint32_t s = 0; s < symbol_count; s++) {
        uint32_t depth = model->code_length[s];
        if (depth <= lookup_bits) {
            next_at_depth[s] = first_at_depth[depth];
            first_at_depth[depth] = (uint16_t)s;
        }
    }
    for (uint32_t d = 1; d <= lookup_bits; d++) {
        memcpy(model->lookup + (1u << (d - 1)), model->lookup, sizeof model->lookup[0] << (d - 1));
        for (uint32_t n = first_at_depth[d]; n != end; n = next_at_depth[n])
            model->lookup[model->code[n]] = (uint16_t)(n | d << 10 | (n >= symbol_count ? lookup_long : 0));
    }
}

void model_rebuild(symbol_model *model)
{
    sort_leaves(model);
    merge_tree(model);
    derive_codes(model);
}
