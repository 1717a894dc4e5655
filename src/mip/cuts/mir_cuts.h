// Complemented mixed-integer rounding cuts from rows and aggregations of rows. Each column of
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

#include "mip/cuts/base_row.h"
#include "mip/cuts/cut.h"

namespace korva::mip {

// Each row side starts a base row; while it gives no cut, up to
// `aggregation_limit` more rows join it to eliminate a continuous column
// strictly inside its bounds.
void separate_mir(const SeparationInput& in, int rows, int aggregation_limit, std::vector<Cut>& out);

// A variable beyond the model's columns in a base row (a row's logical in
// a tableau row): its bounds, its LP value, and what it stands for in the
// columns, so that a cut can be written without it.
struct ExtraVariable {
  double lower = 0.0, upper = 0.0, value = 0.0;
  std::vector<int> index;
  std::vector<double> coefficient;
};

// The most efficacious MIR cut of one base row, whose indices at or beyond
// the column count name extras[index - columns]; `deltas_from` limits the
// divisors to the coefficients of these columns (empty: every integer
// column strictly inside its bounds). False when none cuts x off enough.
bool best_mir_cut(const SeparationInput& in, const BaseRow& row, const std::vector<ExtraVariable>& extras,
                  const std::vector<int>& deltas_from, Cut& out);

}  // namespace korva::mip
