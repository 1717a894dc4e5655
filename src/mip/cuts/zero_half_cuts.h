// {0, 1/2}-Chvátal–Gomory cuts. Each row side Σ a_j·x_j <= b is read over
// the integer columns only: continuous columns go to the right-hand side
// at the bound that keeps the row a relaxation, fixed columns at their
// value, the row is scaled by a small integer until its integer
// coefficients are integral, and each integer column becomes a
// nonnegative integer x' (x - l or u - x, at the bound nearer the LP
// point). The right-hand side then rounds down. Half the sum of a set U of
// such rows, rounded,
//   Σ ⌊(Σ_U a'_j)/2⌋·x'_j <= ⌊(Σ_U b_i)/2⌋,
// is valid, and when Σ_U b_i is odd it is violated at x' by
//   (1 - Σ_U s_i - Σ_{j: Σ_U a'_j odd} x'_j) / 2,
// s_i being the rows' slacks. So U is sought among rows of small slack,
// by its parity pattern over the columns away from zero: single rows,
// pairs sharing a column, and the combinations met while a Gaussian
// elimination mod 2 clears the columns of largest value first.
#pragma once
#include <vector>

#include "mip/cuts/cut.h"

namespace korva::mip {

// Appends kZeroHalfCuts cuts of the first `rows` rows of in.model that cut
// in.x off, valid within the bounds in.lower and in.upper.
void separate_zero_half(const SeparationInput& in, int rows, std::vector<Cut>& out);

}  // namespace korva::mip
