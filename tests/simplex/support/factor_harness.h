// A basis of a test matrix with its factor, and solve checks against the
// matrix itself.
#pragma once
#include <vector>

#include "env/ticks.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/lu/lu_factor.h"
#include "simplex/lu/stability.h"
#include "simplex/support/sparse_matrix.h"

namespace korva_test {

struct FactorHarness {
  explicit FactorHarness(const SparseMatrix& matrix, std::vector<int> basis,
                         korva::lu::FactorOptions options = {})
      : a(matrix), basic(std::move(basis)) {
    ticks.current = &ticks.own;
    source = a.source();
    lu.setup(a.rows, options, &ticks);
  }

  // Factorises, raising the threshold on instability as the driver would.
  int factor(double markowitz = 0.1, double tolerance = 1e-13) {
    int code;
    while ((code = lu.factorise(source, basic.data(), markowitz, tolerance, nullptr)) == korva::lu::kUnstable &&
           markowitz < korva::lu::kMaxMarkowitz)
      markowitz = korva::lu::raise_markowitz(markowitz);
    return code;
  }

  // Solves B x = rhs and returns the relative residual; x in *out if given.
  double ftran_residual(const std::vector<double>& rhs, korva::lu::SolveKind kind,
                        std::vector<double>* out = nullptr, bool* index_ok = nullptr) {
    korva::SparseVector v = to_sparse(rhs);
    lu.ftran(v, kind);
    if (index_ok) *index_ok = index_consistent(v);
    std::vector<double> bx = basis_times(a, basic, v.values);
    if (out) *out = v.values;
    return relative_residual(bx, rhs, basis_norm(a, basic), v.values);
  }

  // Solves Bᵀ y = rhs (rhs by position) and returns the relative residual.
  double btran_residual(const std::vector<double>& rhs, korva::lu::SolveKind kind,
                        std::vector<double>* out = nullptr, bool* index_ok = nullptr) {
    korva::SparseVector v = to_sparse(rhs);
    lu.btran(v, kind);
    if (index_ok) *index_ok = index_consistent(v);
    std::vector<double> bty = basis_transpose_times(a, basic, v.values);
    if (out) *out = v.values;
    return relative_residual(bty, rhs, basis_norm(a, basic), v.values);
  }

  // The column of variable `var` as a row-space vector.
  korva::SparseVector column(int var) const {
    korva::SparseVector v(a.rows);
    if (var >= a.cols) {
      v.set_new(var - a.cols, 1.0);
    } else {
      for (int64_t e = a.begin[var]; e < a.begin[var + 1]; ++e) v.set_new(a.index[e], a.value[e]);
    }
    return v;
  }

  const SparseMatrix& a;
  std::vector<int> basic;
  korva::TickArea ticks;
  korva::lu::BasisSource source;
  korva::lu::LuFactor lu;
};

}  // namespace korva_test
