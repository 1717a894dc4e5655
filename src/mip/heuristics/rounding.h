// Rounding heuristics on the node's LP solution (identifiers 3 to 6,
// variants 0 to 3 of one heuristic, and the quick rounding of identifier 9):
//   0 simple rounding: each fractional column rounds in a direction
//     without locks (the nearer one when both or neither are free);
//   1 shift rounding: rounding as in 0, then violated rows repaired by
//     shifting columns (integer columns by whole units) in the row,
//     preferring shifts that reduce the total violation most and cost
//     least, finally the LP for the continuous part;
//   2 rounding with propagation: the columns, least fractional first,
//     fixed at their nearer integer and propagated, the LP on the rest;
//   3 guided rounding: as 2 but every column rounds toward the incumbent
//     (nothing to do without one).
#pragma once
#include <vector>

#include "mip/heuristics/heuristic_context.h"

namespace korva::mip {

int rounding_heuristic(HeuristicContext& ctx, int variant, std::vector<double>& x, double* objective, bool* found);

// Simple rounding of another LP point (a dive's).
int simple_rounding_at(HeuristicContext& ctx, const std::vector<double>& point, std::vector<double>& x,
                       double* objective, bool* found);

// Identifier 9 (MIP emphasis on the best bound): simple rounding, and
// rounding with propagation when that fails.
int quick_rounding(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found);

}  // namespace korva::mip
