// The barrier's small vector kernels: products with one column of a
// CscMatrix and the largest magnitude of a vector.
#pragma once
#include <algorithm>
#include <cmath>
#include <vector>

#include "barrier/linalg/csc_matrix.h"

namespace korva::barrier {

// y += alpha·a_j
inline void axpy_column(const CscMatrix& a, int j, double alpha, double* y) {
  for (int64_t k = a.start[j]; k < a.start[j + 1]; ++k) y[a.index[k]] += alpha * a.value[k];
}

// a_jᵀ·y
inline double dot_column(const CscMatrix& a, int j, const double* y) {
  double s = 0.0;
  for (int64_t k = a.start[j]; k < a.start[j + 1]; ++k) s += a.value[k] * y[a.index[k]];
  return s;
}

// max |v_i|
inline double max_abs(const double* v, size_t n) {
  double s = 0.0;
  for (size_t i = 0; i < n; ++i) s = std::max(s, std::fabs(v[i]));
  return s;
}
inline double max_abs(const std::vector<double>& v) { return max_abs(v.data(), v.size()); }

}  // namespace korva::barrier
