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
 * symbol, so that one comparison of keys orders two leaves. The changed leaves come in
 * their last order, which their counts mostly still follow. */
static uint64_t sort_key(uint32_t weight, uint32_t place, uint32_t symbol)
{
    return (uint64_t)weight << 32 | (uint64_t)(0xFFFFu - place) << 16 | symbol;
}

static void sort_leaves(symbol_model *model)
{
    uint64_t changed_list[symbol_count + 2], kept[symbol_count + 1];
    uint64_t *changed = changed_list + 1; /* changed[-1] is a sentinel above every key */
    uint32_t n_changed = 0, n_kept = 0;
    uint32_t *order_weight = model->order_weight + 1;
    changed[-1] = ~(uint64_t)0;
    /* Without branches: each key is written to both lists, and only its own list's end
     * moves on. */
    for (uint32_t i = 0; i < symbol_count; i++) {
        uint32_t s = model->leaf_order[i];
        uint32_t w = model->frequency[s];
        uint64_t key = sort_key(w, i, s);
        uint32_t same = w == order_weight[i];
        kept[n_kept] = key;
        changed[n_changed] = key;
        n_kept += same;
        n_changed += 1 - same;
    }
    if (n_changed == 0)
        return;
    for (uint32_t j = 1; j < n_changed; j++) {
        uint64_t key = changed[j];
        uint64_t *at = changed + j;
        for (; at[-1] < key; at--)
            at[0] = at[-1];
        at[0] = key;
    }
    kept[n_kept] = 0; /* sentinels: every real key is greater */
    changed[n_changed] = 0;
    uint32_t k = 0, c = 0;
    for (uint32_t i = 0; i < symbol_count; i++) {
        uint64_t a = kept[k], b = changed[c];
        uint32_t from_kept = a > b;
        uint64_t key = from_kept ? a : b;
        k += from_kept;
        c += 1 - from_kept;
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

/* The state of the list: leaf_weight[1 .. leaves] are the leaves not yet merged and
 * leaf_weight[0] a sentinel heavier than any node; inner[run_start .. run_end) is the
 * lightest run of inner nodes (taken from its end) and inner[untouched .. made) the
 * heavier ones not yet reached. The run is never empty while inner nodes wait;
 * run_weight is no_weight when none do. */
typedef struct merge_queue {
    uint32_t leaves, run_start, run_end, untouched, made, run_weight;
} merge_queue;

#define no_weight 0xFFFFFFFFu

/* Takes the last node off the list and adds its weight to *weight. */
static inline int16_t take_last(merge_queue *q, const uint32_t *leaf_weight, const uint16_t *leaf_order,
                                const int16_t *inner, const uint32_t *inner_weight, uint32_t *weight)
{
    if (q->run_weight > leaf_weight[q->leaves]) {
        *weight += leaf_weight[q->leaves];
        return (int16_t)leaf_order[--q->leaves];
    }
    int16_t node = inner[--q->run_end];
    *weight += q->run_weight;
    if (q->run_end == q->run_start) {
        if (q->untouched < q->made) {
            uint32_t w = inner_weight[q->untouched];
            uint32_t end = q->untouched + 1;
            while (end < q->made && inner_weight[end] == w)
                end++;
            q->run_weight = w;
            q->run_start = q->untouched;
            q->run_end = q->untouched = end;
        } else {
            q->run_weight = no_weight;
        }
    }
    return node;
}

static void merge_tree(symbol_model *model)
{
    int16_t inner[symbol_count - 1];
    uint32_t inner_weight[symbol_count - 1];
    const uint32_t *leaf_weight = model->order_weight;
    const uint16_t *leaf_order = model->leaf_order;
    merge_queue q = {symbol_count, 0, 0, 0, 0, no_weight};
    for (uint32_t k = 0; k < symbol_count - 1; k++) {
        /* The counts add up to 257 plus the symbols of an entry, below 2^32. */
        uint32_t weight = 0;
        int16_t b = take_last(&q, leaf_weight, leaf_order, inner, inner_weight, &weight);
        int16_t a = take_last(&q, leaf_weight, leaf_order, inner, inner_weight, &weight);
        int16_t made = (int16_t)(symbol_count + k);
        model->node[made].weight = weight;
        model->node[made].left = a;
        model->node[made].right = b;
        uint32_t slot;
        if (q.run_weight == no_weight) {
            slot = q.made;
            q.run_start = slot;
            q.run_end = q.untouched = q.made = slot + 1;
            q.run_weight = weight;
        } else if (q.untouched == q.made && weight == q.run_weight) {
            slot = q.run_end++;
            if (q.run_end > q.made)
                q.untouched = q.made = q.run_end;
        } else {
            slot = q.made++;
        }
        inner[slot] = made;
        inner_weight[slot] = weight;
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
    /* The table's nodes grouped by depth: the leaves of up to lookup_bits bits and the
     * inner nodes at depth lookup_bits, counted first and then placed. */
    uint16_t by_depth[node_count];
    uint16_t start[lookup_bits + 2] = {0};
    uint16_t long_nodes[symbol_count];
    uint32_t n_long = 0;
    model->code_length[model_root] = 0;
    model->code[model_root] = 0;
    for (uint32_t n = model_root; n >= symbol_count; n--) {
        const model_node *node = &model->node[n];
        uint32_t depth = model->code_length[n];
        uint64_t code = model->code[n];
        if (depth == lookup_bits)
            long_nodes[n_long++] = (uint16_t)n;
        model->code_length[node->left] = model->code_length[node->right] = (uint8_t)(depth + 1);
        model->code[node->left] = code;
        model->code[node->right] = code | (uint64_t)1 << depth;
    }
    for (uint32_t s = 0; s < symbol_count; s++) {
        uint32_t depth = model->code_length[s];
        start[(depth <= lookup_bits ? depth : lookup_bits + 1)]++;
    }
    start[lookup_bits] = (uint16_t)(start[lookup_bits] + n_long);
    uint32_t sum = 0;
    for (uint32_t d = 0; d <= lookup_bits + 1; d++) {
        uint32_t count = start[d];
        start[d] = (uint16_t)sum;
        sum += count;
    }
    uint16_t fill[lookup_bits + 1];
    for (uint32_t d = 0; d <= lookup_bits; d++)
        fill[d] = start[d];
    for (uint32_t s = 0; s < symbol_count; s++) {
        uint32_t depth = model->code_length[s];
        if (depth <= lookup_bits)
            by_depth[fill[depth]++] = (uint16_t)s;
    }
    for (uint32_t i = 0; i < n_long; i++)
        by_depth[fill[lookup_bits]++] = long_nodes[i];
    for (uint32_t d = 1; d <= lookup_bits; d++) {
        memcpy(model->lookup + (1u << (d - 1)), model->lookup, sizeof model->lookup[0] << (d - 1));
        for (uint32_t i = start[d]; i < start[d + 1]; i++) {
            uint32_t n = by_depth[i];
            model->lookup[model->code[n]] = (uint16_t)(n | d << 10 | (n >= symbol_count ? lookup_long : 0));
        }
    }
}

/* Every entry starts from the same tree, so the first one made is kept and copied. */
static symbol_model first_tree;
static uint8_t first_tree_made;

static int at_entry_start(const symbol_model *model)
{
    for (int s = 0; s < symbol_count; s++)
        if (model->frequency[s] != 1 || model->leaf_order[s] != s)
            return 0;
    return 1;
}

static void build(symbol_model *model)
{
    sort_leaves(model);
    merge_tree(model);
    derive_codes(model);
}

void model_rebuild(symbol_model *model)
{
    if (!at_entry_start(model)) {
        build(model);
        return;
    }
    if (!first_tree_made) {
        model_reset(&first_tree);
        build(&first_tree);
        first_tree_made = 1;
    }
    memcpy(model->node + symbol_count, first_tree.node + symbol_count,
           sizeof model->node[0] * (node_count - symbol_count));
    memcpy(model->code_length, first_tree.code_length, sizeof model->code_length);
    memcpy(model->code, first_tree.code, sizeof model->code);
    memcpy(model->lookup, first_tree.lookup, sizeof model->lookup);
}
