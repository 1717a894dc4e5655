// Flow cover cuts. A row side Σ a_j·x_j <= b reads as a single-node flow
// set Σ_{N+} y_j - Σ_{N-} y_j <= b', 0 <= y_j <= u_j·z_j: each column is
// shifted to a finite bound to become a nonnegative flow y_j; a binary is
// its own flow (y = |a|·x, z = x); a column switched by a variable upper
// bound row y <= u·z gets that z; any other flow has the constant
// capacity of its bounds (z fixed at 1). A cover C+ ⊆ N+ (with C- ⊆ N- at
// capacity) exceeds the right-hand side by λ > 0. Writing the cover's flows
// as u_j·(1 - w_j) - t_j with w_j = 1 - z_j and t_j = u_j·z_j - y_j >= 0
// turns the flow set into a mixed-integer row whose rounding by a divisor
// δ > λ (a capacity of the cover) gives the lifted generalized flow cover
// inequality; arcs outside the cover take whichever of their two valid
// forms (switch substituted or flow kept) is tighter at the LP point.
#pragma once
#include <vector>

#include "mip/cuts/cut.h"

namespace korva::mip {

// Adds up to a few hundred violated flow cover cuts from the sides of the
// first `rows` rows of in.model (the model's own rows; the ones after them
// are cuts, indicator and lazy rows) to `out`, family kFlowCoverCuts.
void separate_flow_covers(const SeparationInput& in, int rows, std::vector<Cut>& out);

}  // namespace korva::mip
