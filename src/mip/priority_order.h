// Branching priorities generated from the model (KRV_PARAM_MIPORDTYPE), for
// a search whose problem carries no priority order of its own.
//
//   1  decreasing cost: the larger |c_j|, the higher the priority;
//   2  increasing bound range: binaries and semi-continuous columns first,
//      then integer columns by the width of their domain, narrowest first;
//   3  increasing cost per coefficient count: |c_j| / nonzeros of column j,
//      the smaller, the higher the priority.
//
// Continuous columns get priority 0 and no direction, so they are left out
// of the order. The search works on the unscaled model, so no column scale
// factor enters the rules.
#pragma once
#include "model/problem.h"

namespace korva::mip {

// Fills `order` for the complete MIP problem `p` by rule `type` (1, 2 or 3;
// anything else is 1003 and leaves `order` empty) and writes the rule's
// line to the results channel unless KRV_PARAM_MIPDISPLAY is 0.
int generate_priority_order(Environment& env, const Problem& p, int type, PriorityOrder& order);

}  // namespace korva::mip
