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

/* Sorts keys[0 .. n) descending; keys[-3 .. -1] are above every key. Most keys move
 * back by less than three places, which is worked out without branches; a key that
 * moves further goes on one place at a time. */
static void insertion_sort(uint64_t *keys, uint32_t n)
{
    for (uint32_t j = 1; j < n; j++) {
        uint64_t key = keys[j];
        uint64_t *at = keys + j;
        uint64_t a = at[-3], b = at[-2], c = at[-1];
        uint32_t moves = (uint32_t)(a < key) + (uint32_t)(b < key) + (uint32_t)(c < key);
        at[0] = moves >= 1 ? c : key;
        at[-1] = moves >= 2 ? b : moves == 1 ? key : c;
        at[-2] = moves >= 3 ? a : moves == 2 ? key : b;
        if (moves == 3) {
            at -= 3;
            for (; at[-1] < key; at--)
                at[0] = at[-1];
            at[0] = key;
        }
    }
}

/* Many changed leaves (at the early rebuilds most of those seen) come in no useful order;
 * they are sorted by their counts radix_bits at a time, lowest first, each pass stable,
 * which keeps leaves of equal count in their last order; highest has every bit set that
 * some count has. Returns where the sorted keys are (keys or spare, each with room for
 * n + 1). */
#define radix_least 24
#define radix_bits 6
#define radix_size (1u << radix_bits)
#define radix_top (radix_size - 1)
#define radix_two_passes (1u << 2 * radix_bits) /* counts below it, as up to the 2048th symbol */

#define digit_of(key, shift) (radix_top - ((uint32_t)((key) >> (shift)) & radix_top))

static uint64_t *radix_sort(uint64_t *keys, uint64_t *spare, uint32_t n, uint32_t highest)
{
    /* The keys go in two halves, each counted and placed on its own: counts of one
     * digit would otherwise wait for each other, one after the other. */
    uint32_t half = n / 2;
    for (uint32_t shift = 32; shift < 64 && (highest >> (shift - 32)) != 0; shift += radix_bits) {
        uint32_t front[radix_size] = {0}, back[radix_size] = {0};
        for (uint32_t i = 0; i < half; i++) {
            front[digit_of(keys[i], shift)]++;
            back[digit_of(keys[half + i], shift)]++;
        }
        if (n & 1)
            back[digit_of(keys[n - 1], shift)]++;
        uint32_t sum = 0;
        for (uint32_t b = 0; b < radix_size; b++) {
            uint32_t in_front = front[b], in_back = back[b];
            front[b] = sum;
            back[b] = sum + in_front;
            sum += in_front + in_back;
        }
        for (uint32_t i = 0; i < half; i++) {
            spare[front[digit_of(keys[i], shift)]++] = keys[i];
            spare[back[digit_of(keys[half + i], shift)]++] = keys[half + i];
        }
        if (n & 1)
            spare[back[digit_of(keys[n - 1], shift)]++] = keys[n - 1];
        uint64_t *t = keys;
        keys = spare;
        spare = t;
    }
    return keys;
}

static void sort_leaves(symbol_model *model)
{
    uint64_t changed_list[2 * symbol_count + 4], kept[symbol_count + 1];
    uint64_t *changed = changed_list + 3; /* changed[-3 .. -1] are sentinels above every key */
    uint32_t n_changed = 0, n_kept = 0;
    uint32_t *order_weight = model->order_weight + 1;
    changed[-1] = changed[-2] = changed[-3] = ~(uint64_t)0;
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
    /* Larger counts, as in the later rebuilds of a long entry, mostly keep their order,
     * and sort faster by insertion than in three radix passes or more. */
    uint32_t highest = 0;
    for (uint32_t i = 0; i < n_changed; i++)
        highest |= (uint32_t)(changed[i] >> 32);
    if (n_changed < radix_least || highest >= radix_two_passes)
        insertion_sort(changed, n_changed);
    else
        changed = radix_sort(changed, changed_list + symbol_count + 3, n_changed, highest);
    /* The two lists mostly come in long runs of one or the other, which branches follow
     * well. */
    kept[n_kept] = 0; /* sentinels: every real key is greater */
    changed[n_changed] = 0;
    const uint64_t *k = kept, *c = changed;
    for (uint32_t i = 0; i < symbol_count; i++) {
        uint64_t key;
        if (*k > *c)
            key = *k++;
        else
            key = *c++;
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
    uint32_t last_start; /* where the last of the heavier runs starts */
} merge_queue;

#define no_weight 0xFFFFFFFFu

/* Takes the last node off the list and adds its weight to *weight. */
static inline int16_t take_last(merge_queue *q, const uint32_t *leaf_weight, const uint16_t *leaf_order,
                                const int16_t *inner, const uint32_t *inner_weight,
                                const uint16_t *run_end_at, uint32_t *weight)
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
            uint32_t end = run_end_at[q->untouched];
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
    uint16_t run_end_at[symbol_count - 1]; /* [s]: the end of the heavier run starting at s */
    const uint32_t *leaf_weight = model->order_weight;
    const uint16_t *leaf_order = model->leaf_order;
    merge_queue q = {symbol_count, 0, 0, 0, 0, no_weight, 0};
    for (uint32_t k = 0; k < symbol_count - 1; k++) {
        /* The counts add up to 257 plus the symbols of an entry, below 2^32. */
        uint32_t weight = 0;
        int16_t b = take_last(&q, leaf_weight, leaf_order, inner, inner_weight, run_end_at, &weight);
        int16_t a = take_last(&q, leaf_weight, leaf_order, inner, inner_weight, run_end_at, &weight);
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
            /* Behind the heavier runs: as heavy as the last of them, it makes it longer. */
            uint32_t longer = q.made > q.untouched && inner_weight[q.made - 1] == weight;
            q.last_start = longer ? q.last_start : q.made;
            slot = q.made++;
            run_end_at[q.last_start] = (uint16_t)q.made;
        }
        inner[slot] = made;
        inner_weight[slot] = weight;
    }
}

/* A tree over counts adding up to less than 2^32 is less than 48 deep (its weights would
 * otherwise grow at least like the Fibonacci numbers), so 64-bit codes always suffice.
 * Every node is made after its children, so going through the inner nodes from the root
 * in reverse order of making gives each its code before its children. */
static void derive_codes(symbol_model *model)
{
    model->code_length[model_root] = 0;
    model->code[model_root] = 0;
    for (uint32_t n = model_root; n >= symbol_count; n--) {
        const model_node *node = &model->node[n];
        uint32_t depth = model->code_length[n];
        uint64_t code = model->code[n];
        model->code_length[node->left] = model->code_length[node->right] = (uint8_t)(depth + 1);
        model->code[node->left] = code;
        model->code[node->right] = code | (uint64_t)1 << depth;
    }
}

/* The table is filled going down the tree a depth at a time. Before the children of the
 * inner nodes at depth d are written it is doubled to 2^(d+1) entries, which repeats
 * every shorter code in the entries it is a prefix of; each child then takes the entry
 * of its own path: for a leaf, or a node at depth lookup_bits with longer codes below, for
 * good, for a shallower inner node until its own children, whose subtrees cover its
 * entries, write theirs. Inner nodes at one depth head disjoint subtrees, so there are
 * never more of them than leaves. Without branches: every child is written to the next
 * depth's list and counted only when it is an inner node. */
static void build_table(symbol_model *model)
{
    uint16_t node_at[2][symbol_count + 1], path_at[2][symbol_count + 1];
    uint32_t count = 1, now = 0;
    node_at[0][0] = model_root;
    path_at[0][0] = 0;
    model->lookup[0] = lookup_entry(model_root, 0);
    for (uint32_t d = 0; d < lookup_bits; d++) {
        uint32_t half = 1u << d;
        memcpy(model->lookup + half, model->lookup, sizeof model->lookup[0] << d);
        uint32_t below = 0, deeper = d + 1 < lookup_bits;
        uint16_t *next_node = node_at[1 - now], *next_path = path_at[1 - now];
        for (uint32_t i = 0; i < count; i++) {
            const model_node *node = &model->node[node_at[now][i]];
            uint32_t path = path_at[now][i];
            uint32_t left = (uint16_t)node->left, right = (uint16_t)node->right;
            model->lookup[path] = lookup_entry(left, d + 1);
            model->lookup[path | half] = lookup_entry(right, d + 1);
            next_node[below] = (uint16_t)left;
            next_path[below] = (uint16_t)path;
            below += (model->node[left].left >= 0) & deeper;
            next_node[below] = (uint16_t)right;
            next_path[below] = (uint16_t)(path | half);
            below += (model->node[right].left >= 0) & deeper;
        }
        count = below;
        now = 1 - now;
    }
}

/* Every entry starts from the same tree, so the first one made is kept and copied. */
static symbol_model first_tree;
static uint8_t first_tree_made;

/* Once symbols have been counted the counts are no longer all 1. */
static int at_entry_start(const symbol_model *model)
{
    if (model->symbol_counter != 0)
        return 0;
    for (int s = 0; s < symbol_count; s++)
        if (model->frequency[s] != 1 || model->leaf_order[s] != s)
            return 0;
    return 1;
}

static void build_tree(symbol_model *model)
{
    sort_leaves(model);
    merge_tree(model);
}

/* The tree and what one side needs of it: the decoder its table, the encoder the codes. */
static void rebuild(symbol_model *model, int for_encoding)
{
    if (!at_entry_start(model)) {
        build_tree(model);
        if (for_encoding)
            derive_codes(model);
        else
            build_table(model);
        return;
    }
    if (!first_tree_made) {
        model_reset(&first_tree);
        build_tree(&first_tree);
        derive_codes(&first_tree);
        build_table(&first_tree);
        first_tree_made = 1;
    }
    memcpy(model->node + symbol_count, first_tree.node + symbol_count,
           sizeof model->node[0] * (node_count - symbol_count));
    if (for_encoding) {
        memcpy(model->code_length, first_tree.code_length, sizeof model->code_length);
        memcpy(model->code, first_tree.code, sizeof model->code);
    } else {
        memcpy(model->lookup, first_tree.lookup, sizeof model->lookup);
    }
}

void model_rebuild(symbol_model *model)
{
    rebuild(model, 0);
}

void model_rebuild_codes(symbol_model *model)
{
    rebuild(model, 1);
}
