// The feasibility pump: alternately round the LP point's integer columns
// and solve the LP whose objective is the L1 distance to that rounding
// (bound-based: +x for a column rounded to its lower bound, -x at its
// upper bound, and the side the LP point lies on for a general integer
// rounded inside its range), until the LP point rounds to a solution. In
// the objective pump the model's objective, scaled to the distance's
// size, joins with a weight that shrinks by a tenth each round. A rounding
// that repeats flips the columns farthest from the LP point; a longer
// cycle restarts from a random perturbation.
#pragma once
#include <vector>

#include "mip/heuristics/heuristic_context.h"

namespace korva::mip {

struct PumpOptions {
  bool with_objective = true;  // the objective pump (weight starting at 1)
  bool improve = false;        // a found solution is improved by a sub-MIP around it (phase 2)
  int rounds = 200;            // pump rounds at most
};

int feasibility_pump(HeuristicContext& ctx, const PumpOptions& options, std::vector<double>& x, double* objective,
                     bool* found);

// Identifier 10 by KRV_PARAM_FPHEUR: -1 nothing, 1 the feasibility pump
// alone, 2 the feasibility pump and then a sub-MIP improving what it
// found (phase 2), 0 the objective pump and the improvement.
int pump_by_setting(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found);

}  // namespace korva::mip
