// Test helpers for the factorisation kernels: a column-major matrix, random
// sparse matrices, bases made of its columns and slacks, and the residuals
// of solves computed independently of the factor.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "simplex/lu/basis_source.h"
#include "simplex/sparse_vector.h"

namespace korva_test {

struct SparseMatrix {
  int rows = 0;
  int cols = 0;
  std::vector<int64_t> begin{0};
  std::vector<int> index;
  std::vector<double> value;

  int64_t nonzeros() const { return static_cast<int64_t>(index.size()); }
  korva::lu::BasisSource source() const {
    korva::lu::BasisSource s;
    s.num_rows = rows;
    s.num_structural = cols;
    s.col_begin = begin.data();
    s.row_index = index.data();
    s.value = value.data();
    s.num_logical = rows;
    return s;
  }
  void add_column(const std::vector<std::pair<int, double>>& entries) {
    for (const auto& [i, v] : entries) {
      index.push_back(i);
      value.push_back(v);
    }
    begin.push_back(static_cast<int64_t>(index.size()));
    ++cols;
  }
};

// Random m x n matrix with about `per_column` entries per column, values of
// both signs spread over [0.1, 10] (times `spread` decades when asked).
inline SparseMatrix random_matrix(int m, int n, int per_column, std::mt19937_64& rng, double decades = 0.0) {
  SparseMatrix a;
  a.rows = m;
  std::uniform_int_distribution<int> row(0, m - 1);
  std::uniform_real_distribution<double> mag(-1.0, 1.0 + decades);
  std::bernoulli_distribution sign(0.5);
  std::vector<int> mark(static_cast<size_t>(m), -1);
  for (int j = 0; j < n; ++j) {
    std::vector<std::pair<int, double>> col;
    int k = std::max(1, std::min(m, per_column + static_cast<int>(rng() % 3) - 1));
    for (int t = 0; t < k; ++t) {
      int i = row(rng);
      if (mark[i] == j) continue;
      mark[i] = j;
      double v = std::pow(10.0, mag(rng));
      col.push_back({i, sign(rng) ? v : -v});
    }
    a.add_column(col);
  }
  return a;
}

// r = B x with x indexed by basis position (the basis columns of `a`).
inline std::vector<double> basis_times(const SparseMatrix& a, const std::vector<int>& basic,
                                       const std::vector<double>& x) {
  std::vector<double> r(static_cast<size_t>(a.rows), 0.0);
  for (int p = 0; p < a.rows; ++p) {
    int var = basic[p];
    if (var < a.cols) {
      for (int64_t e = a.begin[var]; e < a.begin[var + 1]; ++e) r[a.index[e]] += a.value[e] * x[p];
    } else {
      r[var - a.cols] += x[p];
    }
  }
  return r;
}

// r = Bᵀ y, indexed by basis position.
inline std::vector<double> basis_transpose_times(const SparseMatrix& a, const std::vector<int>& basic,
                                                 const std::vector<double>& y) {
  std::vector<double> r(static_cast<size_t>(a.rows), 0.0);
  for (int p = 0; p < a.rows; ++p) {
    int var = basic[p];
    if (var < a.cols) {
      for (int64_t e = a.begin[var]; e < a.begin[var + 1]; ++e) r[p] += a.value[e] * y[a.index[e]];
    } else {
      r[p] = y[var - a.cols];
    }
  }
  return r;
}

inline double inf_norm(const std::vector<double>& v) {
  double n = 0.0;
  for (double x : v) n = std::max(n, std::fabs(x));
  return n;
}

// Largest entry of the basis in magnitude.
inline double basis_norm(const SparseMatrix& a, const std::vector<int>& basic) {
  double n = 0.0;
  for (int var : basic) {
    if (var >= a.cols) {
      n = std::max(n, 1.0);
      continue;
    }
    for (int64_t e = a.begin[var]; e < a.begin[var + 1]; ++e) n = std::max(n, std::fabs(a.value[e]));
  }
  return n;
}

// ||B x - rhs|| relative to the data: ||B||·||x|| + ||rhs||, so the measure
// is at rounding level for any solution a backward-stable solve produces.
inline double relative_residual(const std::vector<double>& bx, const std::vector<double>& rhs, double norm_b,
                                const std::vector<double>& x) {
  double worst = 0.0;
  for (size_t i = 0; i < bx.size(); ++i) worst = std::max(worst, std::fabs(bx[i] - rhs[i]));
  double scale = norm_b * inf_norm(x) + inf_norm(rhs);
  return scale > 0.0 ? worst / scale : worst;
}

inline korva::SparseVector to_sparse(const std::vector<double>& dense) {
  korva::SparseVector v(static_cast<int>(dense.size()));
  for (size_t i = 0; i < dense.size(); ++i)
    if (dense[i] != 0.0) v.set_new(static_cast<int>(i), dense[i]);
  return v;
}

inline std::vector<double> to_dense(const korva::SparseVector& v) { return v.values; }

// A random right-hand side with `nonzeros` entries.
inline std::vector<double> random_rhs(int m, int nonzeros, std::mt19937_64& rng) {
  std::vector<double> r(static_cast<size_t>(m), 0.0);
  std::uniform_int_distribution<int> row(0, m - 1);
  std::uniform_real_distribution<double> val(-1.0, 1.0);
  for (int k = 0; k < nonzeros; ++k) r[row(rng)] = val(rng);
  return r;
}

// Checks that the listed entries are exactly the nonzeros, each listed once.
inline bool index_consistent(const korva::SparseVector& v) {
  if (!v.indexed) return false;
  std::vector<char> listed(v.values.size(), 0);
  for (int k = 0; k < v.count; ++k) {
    if (listed[v.index[k]]) return false;
    listed[v.index[k]] = 1;
  }
  for (size_t i = 0; i < v.values.size(); ++i)
    if (v.values[i] != 0.0 && !listed[i]) return false;
  return true;
}

// The all-slack basis.
inline std::vector<int> slack_basis(const SparseMatrix& a) {
  std::vector<int> b(static_cast<size_t>(a.rows));
  std::iota(b.begin(), b.end(), a.cols);
  return b;
}

// Greedy triangular crash: structural columns by increasing length, each
// taking as pivot its largest entry in a row that no chosen column touches;
// all rows of a chosen column are then closed. The result is triangular
// and nonsingular; rows left over keep their slacks.
inline std::vector<int> triangular_crash(const SparseMatrix& a) {
  std::vector<int> order(static_cast<size_t>(a.cols));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int x, int y) { return a.begin[x + 1] - a.begin[x] < a.begin[y + 1] - a.begin[y]; });
  std::vector<char> closed(static_cast<size_t>(a.rows), 0);
  std::vector<int> basic(static_cast<size_t>(a.rows), -1);
  for (int j : order) {
    int best = -1;
    double big = 0.0, colmax = 0.0;
    for (int64_t e = a.begin[j]; e < a.begin[j + 1]; ++e) colmax = std::max(colmax, std::fabs(a.value[e]));
    for (int64_t e = a.begin[j]; e < a.begin[j + 1]; ++e) {
      int i = a.index[e];
      if (!closed[i] && std::fabs(a.value[e]) > big && std::fabs(a.value[e]) >= 0.1 * colmax) {
        big = std::fabs(a.value[e]);
        best = i;
      }
    }
    if (best < 0) continue;
    basic[best] = j;
    for (int64_t e = a.begin[j]; e < a.begin[j + 1]; ++e) closed[a.index[e]] = 1;
  }
  for (int i = 0; i < a.rows; ++i)
    if (basic[i] < 0) basic[i] = a.cols + i;
  return basic;
}

// Looser crash: only the pivot row is closed, so chosen columns overlap and
// the basis has a nucleus (and may be singular: callers repair it).
inline std::vector<int> overlapping_crash(const SparseMatrix& a) {
  std::vector<int> order(static_cast<size_t>(a.cols));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int x, int y) { return a.begin[x + 1] - a.begin[x] < a.begin[y + 1] - a.begin[y]; });
  std::vector<int> basic(static_cast<size_t>(a.rows), -1);
  for (int j : order) {
    int best = -1;
    double big = 0.0;
    for (int64_t e = a.begin[j]; e < a.begin[j + 1]; ++e) {
      int i = a.index[e];
      if (basic[i] < 0 && std::fabs(a.value[e]) > big) {
        big = std::fabs(a.value[e]);
        best = i;
      }
    }
    if (best >= 0) basic[best] = j;
  }
  for (int i = 0; i < a.rows; ++i)
    if (basic[i] < 0) basic[i] = a.cols + i;
  return basic;
}

// Random structural columns at a fraction of the positions, slacks elsewhere.
inline std::vector<int> random_basis(const SparseMatrix& a, double structural_share, std::mt19937_64& rng) {
  std::vector<int> basic = slack_basis(a);
  std::vector<int> cols(static_cast<size_t>(a.cols));
  std::iota(cols.begin(), cols.end(), 0);
  std::shuffle(cols.begin(), cols.end(), rng);
  int take = std::min(a.cols, static_cast<int>(structural_share * a.rows));
  std::vector<int> pos(static_cast<size_t>(a.rows));
  std::iota(pos.begin(), pos.end(), 0);
  std::shuffle(pos.begin(), pos.end(), rng);
  for (int k = 0; k < take; ++k) basic[pos[k]] = cols[k];
  return basic;
}

}  // namespace korva_test
