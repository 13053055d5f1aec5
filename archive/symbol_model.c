#include "archive/symbol_model.h"
#include <string.h>

void model_reset(symbol_model *model, int every_code)
{
    for (int s = 0; s < symbol_count; s++) {
        model->frequency[s] = 1;
        model->leaf_order[s] = (uint16_t)s;
        model->order_weight[s] = 1;
        model->node[s].weight = 1;
        model->node[s].left = model->node[s].right = -1;
    }
    model->symbol_counter = 0;
    model->every_code = (uint8_t)(every_code != 0);
}

/* Orders the leaves by descending count, leaves of equal count keeping the last order:
 * the order that exchange passes from the back (swapping neighbours whose front one is
 * strictly lighter) reach, since a stable sort has one result. Counts only grow, and the
 * leaves whose count has not changed since the last sort are still in order among
 * themselves; so only the changed ones are sorted, by insertion, and then merged with
 * the rest, equal counts going by their place in the last order. */
static void sort_leaves(symbol_model *model)
{
    uint16_t changed[symbol_count], changed_at[symbol_count + 1];
    uint32_t changed_weight[symbol_count + 1];
    uint16_t kept[symbol_count], kept_at[symbol_count + 1];
    uint32_t n_changed = 0, n_kept = 0;
    for (uint32_t i = 0; i < symbol_count; i++) {
        uint16_t s = model->leaf_order[i];
        uint32_t w = model->frequency[s];
        if (w == model->order_weight[i]) {
            kept[n_kept] = s;
            kept_at[n_kept++] = (uint16_t)i;
            continue;
        }
        uint32_t j = n_changed++;
        while (j > 0 && changed_weight[j - 1] < w) {
            changed[j] = changed[j - 1];
            changed_at[j] = changed_at[j - 1];
            changed_weight[j] = changed_weight[j - 1];
            j--;
        }
        changed[j] = s;
        changed_at[j] = (uint16_t)i;
        changed_weight[j] = w;
    }
    if (n_changed == 0)
        return;
    /* Each list ends in a sentinel that every real entry goes before. */
    kept_at[n_kept] = symbol_count;
    changed_at[n_changed] = symbol_count;
    changed_weight[n_changed] = 0;
    uint32_t k = 0, c = 0;
    for (uint32_t i = 0; i < symbol_count; i++) {
        uint32_t kw = k < n_kept ? model->frequency[kept[k]] : 0;
        uint32_t cw = changed_weight[c];
        if (kw > cw || (kw == cw && kept_at[k] < changed_at[c])) {
            model->leaf_order[i] = kept[k++];
            model->order_weight[i] = kw;
        } else {
            model->leaf_order[i] = changed[c++];
            model->order_weight[i] = cw;
        }
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
static void merge_tree(symbol_model *model)
{
    /* leaf_weight[1 .. leaves] are the leaves not yet merged, in order; leaf_weight[0]
     * is a sentinel heavier than any node. run_weight is that sentinel too when no inner
     * node is waiting; otherwise the run is never empty. */
    uint32_t leaf_weight[symbol_count + 1];
    int16_t inner[symbol_count - 1];
    uint32_t inner_weight[symbol_count - 1];
    const uint32_t none = 0xFFFFFFFFu;
    uint32_t leaves = symbol_count;
    uint32_t run_start = 0, run_end = 0, untouched = 0, made = 0, run_weight = none;
    leaf_weight[0] = none;
    for (uint32_t i = 0; i < symbol_count; i++)
        leaf_weight[i + 1] = model->order_weight[i];
    for (uint32_t k = 0; k < symbol_count - 1; k++) {
        int16_t taken[2];
        uint32_t weight = 0;
        for (int t = 0; t < 2; t++) {
            if (run_weight <= leaf_weight[leaves]) {
                taken[t] = inner[--run_end];
                weight += run_weight;
                if (run_end == run_start) {
                    if (untouched < made) {
                        run_weight = inner_weight[untouched];
                        run_start = untouched;
                        run_end = untouched + 1;
                        while (run_end < made && inner_weight[run_end] == run_weight)
                            run_end++;
                        untouched = run_end;
                    } else {
                        run_weight = none;
                    }
                }
            } else {
                taken[t] = (int16_t)model->leaf_order[leaves - 1];
                weight += leaf_weight[leaves];
                leaves--;
            }
        }
        /* The counts add up to 257 plus the symbols of an entry, below 2^32. */
        int16_t made_node = (int16_t)(symbol_count + k);
        model_node *node = &model->node[made_node];
        node->weight = weight;
        node->left = taken[1];
        node->right = taken[0];
        if (run_weight == none) {
            run_start = made;
            inner[made] = made_node;
            inner_weight[made] = weight;
            run_end = untouched = ++made;
            run_weight = weight;
        } else if (untouched == made && weight == run_weight) {
            inner[run_end] = made_node;
            inner_weight[run_end] = weight;
            if (++run_end > untouched)
                untouched = made = run_end;
        } else {
            inner[made] = made_node;
            inner_weight[made] = weight;
            made++;
        }
    }
}

/* A tree over counts adding up to less than 2^32 is less than 48 deep (its weights would
 * otherwise grow at least like the Fibonacci numbers), so 64-bit codes always suffice.
 *
 * The tree is walked breadth first, so depths only grow. The table grows with them: on
 * reaching depth d it is doubled to 2^d entries, which repeats every shorter code in the
 * entries it is a prefix of; a code of length d then takes the entry of its own bits, and
 * a node at depth lookup_bits with longer codes below takes the entry of its path. A
 * tree less deep than lookup_bits is doubled up to the full table at the end. The decoder
 * goes on below depth lookup_bits through the tree itself and needs no longer codes. */
static void derive_codes(symbol_model *model)
{
    uint16_t queue[node_count];
    uint32_t head = 0, tail = 0, table_depth = 0;
    model->code_length[model_root] = 0;
    model->code[model_root] = 0;
    queue[tail++] = model_root;
    while (head < tail) {
        uint32_t n = queue[head++];
        uint32_t depth = model->code_length[n];
        uint64_t code = model->code[n];
        for (; table_depth < depth && table_depth < lookup_bits; table_depth++)
            memcpy(model->lookup + (1u << table_depth), model->lookup, sizeof model->lookup[0] << table_depth);
        const model_node *node = &model->node[n];
        if (node->left < 0) {
            if (depth <= lookup_bits)
                model->lookup[code] = (uint16_t)(n | depth << 10);
            continue;
        }
        if (depth == lookup_bits) {
            model->lookup[code] = (uint16_t)(lookup_long | n | lookup_bits << 10);
            if (!model->every_code)
                continue;
        }
        model->code_length[node->left] = model->code_length[node->right] = (uint8_t)(depth + 1);
        model->code[node->left] = code;
        model->code[node->right] = code | (uint64_t)1 << depth;
        queue[tail++] = (uint16_t)node->left;
        queue[tail++] = (uint16_t)node->right;
    }
    for (; table_depth < lookup_bits; table_depth++)
        memcpy(model->lookup + (1u << table_depth), model->lookup, sizeof model->lookup[0] << table_depth);
}

void model_rebuild(symbol_model *model)
{
    sort_leaves(model);
    merge_tree(model);
    derive_codes(model);
}
