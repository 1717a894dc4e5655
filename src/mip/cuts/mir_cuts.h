// Complemented mixed-integer rounding cuts from single rows. Each column of
// a row Σ a_j·x_j <= b is moved to its bound closest to the LP point
// (integer columns become nonnegative integers x', continuous ones
// nonnegative slacks s of which only those with a negative coefficient are
// kept, S = Σ |c|·s); dividing by δ and rounding gives
//   Σ (⌊a'_j/δ⌋ + max(0, f_j - f0)/(1 - f0))·x'_j - S/(δ·(1 - f0)) <= ⌊b'/δ⌋,
// with f_j and f0 the fractional parts of a'_j/δ and b'/δ. The δ tried are
// the coefficients of the integer columns strictly inside their bounds,
// halved up to three times; the most efficacious cut is kept.
#pragma once
#include <vector>

#include "mip/cuts/cut.h"

namespace korva::mip {

void separate_mir(const SeparationInput& in, int rows, std::vector<Cut>& out);

}  // namespace korva::mip
