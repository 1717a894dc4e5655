// Random sparse matrices for the factorisation tests.
#pragma once
#include <algorithm>
#include <random>
#include <vector>

#include "barrier/linalg/csc_matrix.h"

namespace korva::barrier::testing {

// An m×n matrix with about `per_column` entries a column, values in [-1, 1].
inline CscMatrix random_sparse_matrix(int m, int n, int per_column, std::mt19937& random) {
  std::uniform_int_distribution<int> row(0, m - 1);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  CscMatrix a;
  a.rows = m;
  a.cols = n;
  a.start.assign(1, 0);
  for (int j = 0; j < n; ++j) {
    std::vector<int> rows;
    for (int k = 0; k < per_column; ++k) rows.push_back(row(random));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int i : rows) {
      a.index.push_back(i);
      a.value.push_back(value(random));
    }
    a.start.push_back(static_cast<int64_t>(a.index.size()));
  }
  return a;
}

}  // namespace korva::barrier::testing
