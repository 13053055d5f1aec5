#include "archive/symbol_model.h"

void model_reset(symbol_model *model)
{
    for (int s = 0; s < symbol_count; s++) {
        model->frequency[s] = 1;
        model->leaf_order[s] = (uint16_t)s;
    }
    model->symbol_counter = 0;
}

/* Orders the leaves by descending count, leaves of equal count keeping the last order.
 * The order is the one that exchange passes from the back (swapping neighbours whose
 * front one is strictly lighter) reach: a stable sort has one result. Insertion starting
 * from the last order, which is nearly sorted, does the least work. */
static void sort_leaves(symbol_model *model)
{
    uint16_t *order = model->leaf_order;
    const uint32_t *count = model->frequency;
    for (int i = 1; i < symbol_count; i++) {
        uint16_t s = order[i];
        uint32_t w = count[s];
        int j = i;
        while (j > 0 && count[order[j - 1]] < w) {
            order[j] = order[j - 1];
            j--;
        }
        order[j] = s;
    }
}

/* The merges work on one list in descending weight: take its last two nodes A and B,
 * join them (A left, B right) and put the new node behind every node at least as heavy.
 * So within a weight the list holds leaves first, then inner nodes oldest first, and the
 * last node is the lightest by weight, then inner before leaf, then newest inner first,
 * then the leaf furthest back. New nodes never get lighter, so the inner nodes form runs
 * of equal weight in the order made; the lightest run is taken newest first. Here that
 * list is kept as the sorted leaves and a queue of inner-node runs. */
typedef struct merge_lists {
    uint32_t leaves_left;  /* leaf_order[0 .. leaves_left) not yet merged */
    int16_t inner[symbol_count];
    uint32_t run_start, run_end; /* the lightest run, taken from its end */
    uint32_t untouched, made;    /* inner[untouched .. made) not yet in a run */
} merge_lists;

static int16_t take_lightest(symbol_model *model, merge_lists *list)
{
    const model_node *node = model->node;
    if (list->run_start == list->run_end && list->untouched < list->made) {
        uint32_t w = node[list->inner[list->untouched]].weight;
        list->run_start = list->untouched;
        list->run_end = list->untouched + 1;
        while (list->run_end < list->made && node[list->inner[list->run_end]].weight == w)
            list->run_end++;
        list->untouched = list->run_end;
    }
    if (list->run_start < list->run_end) {
        int16_t top = list->inner[list->run_end - 1];
        if (list->leaves_left == 0 ||
            node[top].weight <= node[model->leaf_order[list->leaves_left - 1]].weight) {
            list->run_end--;
            return top;
        }
    }
    return (int16_t)model->leaf_order[--list->leaves_left];
}

static void add_inner(const symbol_model *model, merge_lists *list, int16_t made)
{
    uint32_t w = model->node[made].weight;
    if (list->untouched == list->made && list->run_start < list->run_end &&
        model->node[list->inner[list->run_start]].weight == w) {
        list->inner[list->run_end++] = made;
        if (list->run_end > list->untouched)
            list->untouched = list->made = list->run_end;
    } else {
        list->inner[list->made++] = made;
    }
}

static void merge_tree(symbol_model *model)
{
    merge_lists list;
    list.leaves_left = symbol_count;
    list.run_start = list.run_end = list.untouched = list.made = 0;
    for (int s = 0; s < symbol_count; s++) {
        model->node[s].weight = model->frequency[s];
        model->node[s].left = model->node[s].right = -1;
    }
    for (int k = 0; k < symbol_count - 1; k++) {
        int16_t b = take_lightest(model, &list);
        int16_t a = take_lightest(model, &list);
        model_node *inner = &model->node[symbol_count + k];
        /* The counts add up to 257 plus the symbols of an entry, below 2^32. */
        inner->weight = model->node[a].weight + model->node[b].weight;
        inner->left = a;
        inner->right = b;
        add_inner(model, &list, (int16_t)(symbol_count + k));
    }
}

/* A tree over counts adding up to less than 2^32 is less than 48 deep (its weights would
 * otherwise grow at least like the Fibonacci numbers), so the walk's stack, which holds at
 * most one node per level and one more, and 64-bit codes always suffice. */
#define code_depth_limit 64

/* Walks the tree once: every leaf gets its code; every code of up to lookup_bits bits
 * fills the table entries it is a prefix of, and every node at depth lookup_bits with a
 * longer code below it fills the one entry of its path. */
static void derive_codes(symbol_model *model)
{
    struct visit {
        int16_t node;
        uint8_t depth;
        uint64_t code;
    } stack[code_depth_limit];
    int top = 0;
    stack[top++] = (struct visit){model_root, 0, 0};
    while (top > 0) {
        struct visit v = stack[--top];
        const model_node *n = &model->node[v.node];
        if (n->left < 0) {
            model->code_length[v.node] = v.depth;
            model->code[v.node] = v.code;
            if (v.depth <= lookup_bits) {
                uint32_t entry = (uint32_t)v.node | (uint32_t)v.depth << 16;
                for (uint32_t i = (uint32_t)v.code; i < lookup_size; i += 1u << v.depth)
                    model->lookup[i] = entry;
            }
        } else {
            if (v.depth == lookup_bits)
                model->lookup[v.code] = lookup_long | (uint32_t)v.node | (uint32_t)lookup_bits << 16;
            stack[top++] = (struct visit){n->right, (uint8_t)(v.depth + 1), v.code | (uint64_t)1 << v.depth};
            stack[top++] = (struct visit){n->left, (uint8_t)(v.depth + 1), v.code};
        }
    }
}

void model_rebuild(symbol_model *model)
{
    sort_leaves(model);
    merge_tree(model);
    derive_codes(model);
}
