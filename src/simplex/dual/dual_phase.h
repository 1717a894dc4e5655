// The parts of the dual simplex that change its working data wholesale:
//
// Phase I boxes. Dual infeasibility of a boxed variable is cured by
// putting it on its other bound, so only variables with an infinite bound
// can keep the basis dual infeasible. Phase I solves the problem with every
// bound replaced by a box around 0 (free [-1000, 1000], lower-bounded
// [0, 1], upper-bounded [-1, 0], boxed and fixed [0, 0]) by the phase II
// iterations; its optimum is 0 exactly when the basis it ends with is dual
// feasible for the real bounds, and minus its objective is the sum of dual
// infeasibilities it measures.
//
// Cost perturbation and shifts. A stalled run raises the reduced costs of
// the nonbasic variables away from zero by small random amounts; the
// ratio test may shift the cost of an entering variable whose reduced cost
// has the wrong sign. Both are removed before optimality is declared.
#pragma once
#include "simplex/core/stall_control.h"
#include "simplex/dual/dual_state.h"

namespace korva::simplex {

void enter_phase1(DualState& st);
// Real bounds back; nonbasic variables placed on the bound their reduced
// cost asks for.
void leave_phase1(DualState& st);

struct DualInfeasibility {
  int64_t count = 0;  // variables that no flip can make dual feasible
  double sum = 0.0;
  double max = 0.0;
};
// Flips boxed variables whose reduced cost has the wrong sign (beyond the
// working dual tolerance) and measures what remains. With `shift`, the
// costs of the remaining ones are shifted to make them feasible, within
// the run's shift limit. Basic values are recomputed after flips.
DualInfeasibility correct_duals(DualState& st, bool shift);
// The sum of dual infeasibilities against the real bounds (for phase I's
// end), without changing anything.
DualInfeasibility measure_dual_infeasibility(const DualState& st, double tolerance);

void perturb_costs(DualState& st, StallControl& stall);
// Working costs back to the originals with the messages and tolerance
// changes; reduced costs recomputed. False when there was nothing to remove.
bool remove_cost_changes(DualState& st, StallControl& stall, bool quiet);

// Nonbasic values from statuses (after bound changes), then basic values,
// infeasibilities and objective from scratch.
void recompute_primal(DualState& st);
void recompute_duals(DualState& st);

}  // namespace korva::simplex
