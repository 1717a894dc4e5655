// The changes the primal simplex makes to its working bounds, and their
// removal.
//
// Perturbation: a stalled run widens the bounds of the basic variables by
// small random amounts, so that degenerate vertices become distinct and
// the ratio test has a choice; later stalls reperturb with a smaller ε.
// Shifts: in phase II a basic variable that violates its working bound by
// more than the feasibility tolerance after an update gets the bound moved
// to its value (with a margin), and a leaving variable that far past its
// bound leaves at its value. Smaller overshoots are within the tolerance
// and need no shift: the leaving variable is put on its bound and the next
// recomputation of the basic values absorbs the difference.
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
// Shifts the bounds of the basic variables at the positions the step
// moved (`moved`'s index list) that now violate them by more than the
// working tolerance; position `skip` (the leaving row) is left alone.
void shift_violated_bounds(PrimalState& st, StallControl& stall, const SparseVector& moved, int skip);
// Working bounds back to the originals, with the messages and the
// tolerance rule; nonbasic values follow the bounds. False when there was
// nothing to remove. The caller recomputes the basic values.
bool remove_bound_changes(PrimalState& st, StallControl& stall, bool quiet);

}  // namespace korva::simplex
