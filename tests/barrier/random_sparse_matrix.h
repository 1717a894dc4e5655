// Sparse test matrices for the factorisation tests.
#pragma once
#include <algorithm>
#include <random>
#include <vector>

#include "barrier/linalg/csc_matrix.h"

namespace korva::barrier::testing {

// An m×n matrix with about `per_column` entries a column, values in [-1, 1];
// the first `full_columns` columns have an entry in every row.
inline CscMatrix random_sparse_matrix(int m, int n, int per_column, std::mt19937& random, int full_columns = 0) {
  std::uniform_int_distribution<int> row(0, m - 1);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  CscMatrix a;
  a.rows = m;
  a.cols = n;
  a.start.assign(1, 0);
  for (int j = 0; j < n; ++j) {
    std::vector<int> rows;
    for (int k = 0; k < (j < full_columns ? m : per_column); ++k) rows.push_back(j < full_columns ? k : row(random));
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

// K = [ -D  Aᵀ ; A  R ] as its lower triangle, for the m×n matrix A, with
// D = 1 … 7 and R = 1e-6: quasi-definite, `sign` (n + m) receives the signs
// of its pivots.
inline CscMatrix quasi_definite_from(const CscMatrix& a, std::vector<signed char>& sign) {
  const int m = a.rows, n = a.cols;
  CscMatrix k;
  k.rows = k.cols = n + m;
  k.start.assign(1, 0);
  for (int j = 0; j < n; ++j) {
    k.index.push_back(j);
    k.value.push_back(-1.0 - j % 7);
    for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p) {
      k.index.push_back(n + a.index[p]);
      k.value.push_back(a.value[p]);
    }
    k.start.push_back(static_cast<int64_t>(k.index.size()));
  }
  for (int i = 0; i < m; ++i) {
    k.index.push_back(n + i);
    k.value.push_back(1e-6);
    k.start.push_back(static_cast<int64_t>(k.index.size()));
  }
  sign.assign(static_cast<size_t>(n + m), 1);
  std::fill(sign.begin(), sign.begin() + n, -1);
  return k;
}

}  // namespace korva::barrier::testing
