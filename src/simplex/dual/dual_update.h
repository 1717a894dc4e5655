// The updates of one dual simplex iteration, in the order the main loop
// applies them once the entering variable is known:
//   1. the bound flips chosen by the ratio test (nonbasic values, and the
//      basic values through B⁻¹ times the flipped columns);
//   2. the reduced costs along the pivot row;
//   3. the basic values along the entering column;
//   4. the basis change itself (statuses, header, bounds by position).
// The pricing weights are updated by RowPricing between 3 and 4. Each step
// also keeps the objective and the infeasibility array current.
#pragma once
#include "simplex/dual/dual_state.h"

namespace korva::simplex {

// B⁻¹ times the flipped columns into col_bfrt (before the factor changes).
void prepare_flips(DualState& st);
void apply_flips(DualState& st);
void update_duals(DualState& st);
void update_primal(DualState& st);
void change_basis(DualState& st);

}  // namespace korva::simplex
