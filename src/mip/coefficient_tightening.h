// Strengthening the big-M coefficients of binary columns in the rows of the
// relaxation. In a row Σ a_j·x_j <= b whose largest activity M (over the
// columns' bounds) exceeds b, a binary column y whose one value makes the
// row redundant carries more coefficient than it needs:
//  - a_y < 0 and M + a_y < b (y = 1 frees the row): a_y rises to b - M;
//  - a_y > 0 and M - a_y < b (y = 0 frees the row): with d = b - (M - a_y),
//    a_y and b both fall by d.
// Both rows have the same integer points within the bounds as before and a
// smaller LP region, so the search's bounds only get stronger; a point that
// satisfies the strengthened row satisfies the original one.
#pragma once
#include <vector>

#include "mip/mip_model.h"

namespace korva::mip {

// Strengthens the model's own rows (not indicator or lazy rows) of `m`
// against the column bounds `lower`, `upper` (valid for every solution);
// returns the number of coefficients changed.
int tighten_coefficients(MipModel& m, const std::vector<double>& lower, const std::vector<double>& upper);

}  // namespace korva::mip
