// Fix-and-propagate: integer columns fixed one after another in a given
// order, each at a rounding of a target value (the other rounding when
// propagation shows the first cannot hold), every fixing propagated
// through the rows; the columns left then come from the LP with the
// integers fixed. The rounding heuristics with propagation and the
// lock-driven fixing (identifiers 11 to 13) are rules over this engine.
#pragma once
#include <vector>

#include "mip/heuristics/heuristic_context.h"

namespace korva::mip {

struct FixingPlan {
  std::vector<int> order;       // integer columns, in the order they are fixed
  std::vector<double> target;   // per column: the value to round
  std::vector<int> direction;   // per column: -1 round down first, +1 up first
  // The first `batch` columns of the order are fixed together before one
  // propagation (one at a time when that fails): the columns the LP
  // already decides, cheap to fix at once on a large model.
  size_t batch = 0;
};

int fix_and_propagate(HeuristicContext& ctx, const FixingPlan& plan, std::vector<double>& x, double* objective,
                      bool* found);

// Direction of the lock rule: the side with fewer locks, the nearer
// rounding on ties.
int lock_direction(const HeuristicContext& ctx, int j, double value);

// Identifiers 11 to 13: every integer column, the most locked first, fixed
// by its LP value rounded down (argument -1), up (1) or by the lock rule
// (2100000000).
int lock_fixing(HeuristicContext& ctx, int argument, std::vector<double>& x, double* objective, bool* found);

}  // namespace korva::mip
