// Products with one column of a CscMatrix.
#pragma once
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

}  // namespace korva::barrier
