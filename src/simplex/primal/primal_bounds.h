// The changes the primal simplex makes to its working bounds, and their
// removal.
//
// Perturbation: a stalled run widens the bounds of the basic variables by
// small random amounts, so that degenerate vertices become distinct and
// the ratio test has a choice; later stalls reperturb with a smaller ε.
// Shifts: a leaving variable that has overshot its bound (within the
// Harris tolerance) gets the bound moved to its value, so that the step
// stays nonnegative and the values consistent.
// Both are removed before optimality or infeasibility is declared; the run
// then continues from values recomputed with the real bounds.
#pragma once
#include "simplex/core/stall_control.h"
#include "simplex/primal/primal_state.h"

namespace korva::simplex {

void perturb_bounds(PrimalState& st, StallControl& stall);
// Moves the working bound of variable `var` (basic at position r or
// leaving from it) to `value`. False when the shift limit is reached or
// the shift would be too large.
bool shift_bound(PrimalState& st, StallControl& stall, int var, int r, bool lower, double value);
// Working bounds back to the originals, with the messages and the
// tolerance rule; nonbasic values follow the bounds. False when there was
// nothing to remove. The caller recomputes the basic values.
bool remove_bound_changes(PrimalState& st, StallControl& stall, bool quiet);

}  // namespace korva::simplex
