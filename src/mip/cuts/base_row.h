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

// One side of row i (s = +1: upper, -1: lower) in the form Σ a·x <= b;
// false when that side is infinite.
inline bool read_row_side(const MipModel& m, int i, double s, BaseRow& r) {
  const double bound = s > 0 ? m.row_hi[i] : m.row_lo[i];
  if (std::isinf(bound)) return false;
  r.index.clear();
  r.value.clear();
  for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k) {
    r.index.push_back(m.row_col[k]);
    r.value.push_back(s * m.row_val[k]);
  }
  r.rhs = s * bound;
  return true;
}

// Calls f(const BaseRow&) for each finite side of the first `rows` rows;
// `current`, when given, holds the row's index during the call.
template <class F>
void for_each_row_side(const MipModel& m, int rows, F&& f, int* current = nullptr) {
  BaseRow r;
  for (int i = 0; i < rows; ++i) {
    if (current) *current = i;
    for (double s : {1.0, -1.0})
      if (read_row_side(m, i, s, r)) f(r);
  }
}

// A row side as a knapsack over binaries: Σ weight·y <= capacity with
// every weight positive, y the column or its complement (1 - x) where the
// coefficient is negative. The other columns go to the capacity at the
// value that leaves it largest; false when one of them has no such value.
struct KnapsackItem {
  int col;
  double weight;
  bool complemented;
};

inline bool binary_knapsack(const MipModel& m, const BaseRow& r, const double* lower, const double* upper,
                            std::vector<KnapsackItem>& items, double* capacity) {
  items.clear();
  double b = r.rhs;
  for (size_t k = 0; k < r.index.size(); ++k) {
    const int j = r.index[k];
    const double a = r.value[k];
    if (a == 0.0) continue;
    const bool binary = m.kind[j] == ColKind::Integer && lower[j] == 0.0 && upper[j] == 1.0;
    if (!binary) {
      const double least = a > 0 ? lower[j] : upper[j];
      if (std::isinf(least)) return false;
      b -= a * least;
      continue;
    }
    if (a > 0) {
      items.push_back({j, a, false});
    } else {
      // a·x = a - a·(1 - x): the complement carries weight -a.
      b -= a;
      items.push_back({j, -a, true});
    }
  }
  *capacity = b;
  return true;
}

}  // namespace korva::mip
