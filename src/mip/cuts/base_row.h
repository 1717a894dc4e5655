// The rows separators start from, one side at a time in the form
// Σ a_j·x_j <= b: a row's upper side as it is, its lower side negated.
#pragma once
#include <cmath>
#include <vector>

#include "mip/mip_model.h"

namespace korva::mip {

struct BaseRow {
  std::vector<int> index;
  std::vector<double> value;
  double rhs = 0.0;
};

// Calls f(const BaseRow&) for each finite side of the first `rows` rows;
// `current`, when given, holds the row's index during the call.
template <class F>
void for_each_row_side(const MipModel& m, int rows, F&& f, int* current = nullptr) {
  BaseRow r;
  for (int i = 0; i < rows; ++i) {
    if (current) *current = i;
    for (int side = 0; side < 2; ++side) {
      const double bound = side == 0 ? m.row_hi[i] : m.row_lo[i];
      if (std::isinf(bound)) continue;
      const double s = side == 0 ? 1.0 : -1.0;
      r.index.clear();
      r.value.clear();
      for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k) {
        r.index.push_back(m.row_col[k]);
        r.value.push_back(s * m.row_val[k]);
      }
      r.rhs = s * bound;
      f(r);
    }
  }
}

}  // namespace korva::mip
