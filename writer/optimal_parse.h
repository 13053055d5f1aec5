/* Parsing by price: the choice of literals and copies that codes the next bytes of an
 * entry in the fewest bits, found by dynamic programming over positions with the code
 * the model has right now. The caller codes the steps, which lets the model rebuild,
 * and asks again, so prices follow the model as it adapts. */
#ifndef QM_OPTIMAL_PARSE_H
#define QM_OPTIMAL_PARSE_H

#include "startup/decls.h"
#include <stdint.h>
#include "writer/copy_finder.h"
#include "writer/token_coder.h"

QM_BEGIN_DECLS

enum { parse_horizon_max = 16384 };

/* One step of the parse: a literal (distance 0, length 1) or a copy. */
struct parse_step {
    uint32_t length;
    uint32_t distance;
};

struct parse_limits {
    uint32_t horizon;            /* bytes planned ahead, at most parse_horizon_max */
    uint32_t margin;             /* steps this close to the planned end wait for the next plan */
};

struct optimal_parser {
    struct parse_limits limits;
    uint32_t searched_to;        /* first position whose copies are not yet known */
    uint32_t steps_done, bytes_done; /* steps handed out lately and the bytes they cover */
    uint8_t match_count[parse_horizon_max];
    struct match matches[parse_horizon_max][match_list_max];
    /* Per byte of the plan: the fewest bits that reach it and the step that does, its
     * length in the low bits and its distance above. */
    struct plan_node {
        uint32_t price;
        uint32_t arrival;
    } node[parse_horizon_max + 1];
    struct parse_step path[parse_horizon_max];
};

/* Starts an entry: the parser works through finder, started for the same entry. */
void optimal_parse_start(struct optimal_parser *parser, const struct parse_limits *limits);

/* The bytes from pos on that a plan wants held before it runs, unless the entry ends
 * sooner. */
uint32_t optimal_parse_lookahead(const struct optimal_parser *parser);

/* Plans the cheapest steps from pos, priced by coder's code now, and returns how many it
 * wrote into steps: at least one and at most max_steps while bytes remain, 0 when none
 * are held. at_end tells that the bytes held run to the entry's end; the steps never run
 * past the bytes held. */
int optimal_parse_next(struct optimal_parser *parser, struct copy_finder *finder, uint32_t pos,
                       int at_end, const token_coder *coder, int max_steps,
                       struct parse_step *steps);

QM_END_DECLS

#endif
