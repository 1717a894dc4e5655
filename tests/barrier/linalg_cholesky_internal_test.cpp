// Sparse Cholesky factorisation: orderings, residuals of solves, dependent
// rows, quasi-definite systems and the threaded factorisation.
#include <gtest/gtest.h>
#include <korva/korva.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "barrier/linalg/cholesky.h"
#include "barrier/linalg/factor_report.h"
#include "barrier/linalg/normal_matrix.h"
#include "barrier/linalg/symbolic_factor.h"
#include "barrier/random_sparse_matrix.h"
#include "support/korva_test.h"

namespace korva::barrier {
namespace {

// Lower triangle (diagonal first) from a list of entries of a symmetric matrix.
CscMatrix lower_from_dense(const std::vector<std::vector<double>>& dense) {
  const int n = static_cast<int>(dense.size());
  CscMatrix m;
  m.rows = m.cols = n;
  m.start.assign(1, 0);
  for (int j = 0; j < n; ++j) {
    for (int i = j; i < n; ++i) {
      if (i == j || dense[i][j] != 0.0) {
        m.index.push_back(i);
        m.value.push_back(dense[i][j]);
      }
    }
    m.start.push_back(static_cast<int64_t>(m.index.size()));
  }
  return m;
}

// y = M·x for M given by its lower triangle.
std::vector<double> multiply(const CscMatrix& lower, const std::vector<double>& x) {
  std::vector<double> y(lower.rows, 0.0);
  for (int j = 0; j < lower.cols; ++j) {
    for (int64_t p = lower.start[j]; p < lower.start[j + 1]; ++p) {
      const int i = lower.index[p];
      y[i] += lower.value[p] * x[j];
      if (i != j) y[j] += lower.value[p] * x[i];
    }
  }
  return y;
}

// ‖M·x − b‖∞ / (‖M‖∞·‖x‖∞ + ‖b‖∞)
double relative_residual(const CscMatrix& lower, const std::vector<double>& x, const std::vector<double>& b) {
  const std::vector<double> mx = multiply(lower, x);
  std::vector<double> row_norm(lower.rows, 0.0);
  for (int j = 0; j < lower.cols; ++j) {
    for (int64_t p = lower.start[j]; p < lower.start[j + 1]; ++p) {
      row_norm[lower.index[p]] += std::fabs(lower.value[p]);
      if (lower.index[p] != j) row_norm[j] += std::fabs(lower.value[p]);
    }
  }
  double r = 0, mn = 0, xn = 0, bn = 0;
  for (int i = 0; i < lower.rows; ++i) {
    r = std::max(r, std::fabs(mx[i] - b[i]));
    mn = std::max(mn, row_norm[i]);
    xn = std::max(xn, std::fabs(x[i]));
    bn = std::max(bn, std::fabs(b[i]));
  }
  return r / (mn * xn + bn);
}

// A random sparse m×n matrix with about `per_column` entries a column.
CscMatrix random_matrix(int m, int n, int per_column, unsigned seed) {
  std::mt19937 random(seed);
  return testing::random_sparse_matrix(m, n, per_column, random);
}

std::vector<double> random_vector(int n, unsigned seed, double low = -1.0, double high = 1.0) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> value(low, high);
  std::vector<double> v(n);
  for (double& x : v) x = value(random);
  return v;
}

// The structural columns of a model file, read through the C API.
CscMatrix read_constraint_matrix(const std::string& relative) {
  CscMatrix a;
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  EXPECT_NE(env, nullptr);
  KRVprob lp = KRVcreateprob(env, &status, "linalg");
  EXPECT_EQ(KRVreadcopyprob(env, lp, korva_test::data_path(relative).c_str(), nullptr), 0);
  a.rows = KRVgetnumrows(env, lp);
  a.cols = KRVgetnumcols(env, lp);
  const int nz = KRVgetnumnz(env, lp);
  std::vector<int> begin(a.cols + 1);
  a.index.resize(nz);
  a.value.resize(nz);
  int count = 0, surplus = 0;
  EXPECT_EQ(KRVgetcols(env, lp, &count, begin.data(), a.index.data(), a.value.data(), nz, &surplus, 0, a.cols - 1), 0);
  begin[a.cols] = count;
  a.start.assign(begin.begin(), begin.end());
  // Row indices sorted within each column, as the factor code expects.
  for (int j = 0; j < a.cols; ++j) {
    std::vector<std::pair<int, double>> column;
    for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p) column.emplace_back(a.index[p], a.value[p]);
    std::sort(column.begin(), column.end());
    for (size_t k = 0; k < column.size(); ++k) {
      a.index[a.start[j] + k] = column[k].first;
      a.value[a.start[j] + k] = column[k].second;
    }
  }
  KRVfreeprob(env, &lp);
  KRVcloseKORVA(&env);
  return a;
}

// M = A·D·Aᵀ + diag(r) with D spread over several orders of magnitude, as
// late interior-point iterations produce.
CscMatrix normal_matrix_of(const CscMatrix& a, double regularisation, unsigned seed) {
  NormalMatrix normal;
  normal.analyse(a, std::vector<char>(a.cols, 1));
  std::vector<double> d = random_vector(a.cols, seed, -4.0, 4.0);
  for (double& x : d) x = std::pow(10.0, x);
  const std::vector<double> r(a.rows, regularisation);
  normal.assemble(d.data(), r.data());
  return normal.matrix();
}

double solve_residual(const CholeskyFactor& factor, const CscMatrix& m, unsigned seed, std::vector<double>* x_out = nullptr) {
  const std::vector<double> b = random_vector(m.rows, seed);
  std::vector<double> x = b;
  factor.solve(x.data());
  if (x_out) *x_out = x;
  return relative_residual(m, x, b);
}

// Solutions of m·x = b (b drawn from `seed`) with the factor computed on one
// thread and on two; each must be accurate.
std::pair<std::vector<double>, std::vector<double>> solutions_on_one_and_two_threads(
    const CscMatrix& m, Ordering ordering, unsigned seed, const signed char* pivot_sign = nullptr) {
  std::vector<double> x[2];
  for (int threads : {1, 2}) {
    CholeskyFactor factor;
    EXPECT_EQ(factor.analyse(m, ordering, threads, 0), 0);
    EXPECT_EQ(factor.factor(m.value.data(), 1e-30, pivot_sign), 0);
    EXPECT_LT(solve_residual(factor, m, seed, &x[threads - 1]), 1e-10);
  }
  return {x[0], x[1]};
}

constexpr Ordering kOrderings[] = {Ordering::automatic, Ordering::min_degree, Ordering::min_fill,
                                   Ordering::nested_dissection};

TEST(LinalgOrdering, EveryMethodReturnsAPermutation) {
  const CscMatrix m = normal_matrix_of(random_matrix(200, 400, 4, 1), 0.0, 2);
  for (Ordering method : {Ordering::min_degree, Ordering::min_fill, Ordering::nested_dissection}) {
    std::vector<int> perm;
    ASSERT_EQ(compute_ordering(m, method, perm), 0);
    EXPECT_TRUE(is_permutation(perm, m.rows));
  }
  EXPECT_FALSE(is_permutation({0, 2, 2}, 3));
  EXPECT_FALSE(is_permutation({0, 1, 3}, 3));
  EXPECT_FALSE(is_permutation({0, 1}, 3));
  EXPECT_TRUE(is_permutation({2, 0, 1}, 3));
}

TEST(LinalgCholesky, RandomPositiveDefiniteMatricesSolveAccuratelyUnderEachOrdering) {
  for (unsigned seed : {11u, 12u, 13u}) {
    const CscMatrix a = random_matrix(300, 500, 3 + seed % 3, seed);
    const CscMatrix m = normal_matrix_of(a, 1e-6, seed + 100);
    for (Ordering ordering : kOrderings) {
      CholeskyFactor factor;
      ASSERT_EQ(factor.analyse(m, ordering, 1, 0), 0);
      ASSERT_EQ(factor.factor(m.value.data(), 1e-30), 0);
      EXPECT_LT(solve_residual(factor, m, seed), 1e-10) << "seed " << seed << " ordering " << static_cast<int>(ordering);
    }
  }
}

TEST(LinalgCholesky, StatisticsDescribeTheFactor) {
  // A tridiagonal matrix: no fill, L has 2n − 1 nonzeros.
  const int n = 50;
  std::vector<std::vector<double>> dense(n, std::vector<double>(n, 0.0));
  for (int i = 0; i < n; ++i) {
    dense[i][i] = 4.0;
    if (i > 0) dense[i][i - 1] = dense[i - 1][i] = -1.0;
  }
  const CscMatrix m = lower_from_dense(dense);
  CholeskyFactor factor;
  ASSERT_EQ(factor.analyse(m, Ordering::min_degree, 2, 0), 0);
  const FactorStatistics& stats = factor.statistics();
  EXPECT_EQ(stats.rows, n);
  EXPECT_EQ(stats.threads, 2);
  EXPECT_GE(stats.factor_nonzeros, 2 * n - 1);
  EXPECT_GT(stats.integer_space, 0);
  EXPECT_GT(stats.flops, 0);
  int widths = 0, supernodes = 0;
  for (size_t k = 0; k < stats.width_histogram.size(); ++k) {
    if (k > 0) {
      EXPECT_LT(stats.width_histogram[k - 1].first, stats.width_histogram[k].first);
    }
    widths += stats.width_histogram[k].first * stats.width_histogram[k].second;
    supernodes += stats.width_histogram[k].second;
  }
  EXPECT_EQ(widths, n);
  EXPECT_EQ(supernodes, stats.supernodes);
  EXPECT_EQ(stats.ordering_used, Ordering::min_degree);

  const std::vector<std::string> lines = factor_report_lines(stats);
  std::string text;
  for (const std::string& line : lines) text += line;
  for (const char* item : {"Threads", "Rows in factor", "Integer space required", "Total non-zeros in factor",
                           "Total floating-point operations to factor", "Number of supernodes",
                           "Histogram of supernode widths"})
    EXPECT_NE(text.find(item), std::string::npos) << item;
}

TEST(LinalgOrdering, MinimumFillNeverFillsMoreThanMinimumDegree) {
  for (unsigned seed : {61u, 62u}) {
    const CscMatrix m = normal_matrix_of(random_matrix(300, 500, 4, seed), 0.0, seed);
    std::vector<int> degree, fill;
    ASSERT_EQ(compute_ordering(m, Ordering::min_degree, degree), 0);
    ASSERT_EQ(compute_ordering(m, Ordering::min_fill, fill), 0);
    EXPECT_TRUE(is_permutation(fill, m.rows));
    EXPECT_LE(factor_cost(m, fill).nonzeros, factor_cost(m, degree).nonzeros);
  }
}

TEST(LinalgCholesky, MinimumFillIsReportedAsUsed) {
  const CscMatrix m = normal_matrix_of(random_matrix(60, 120, 3, 5), 1e-6, 6);
  CholeskyFactor factor;
  ASSERT_EQ(factor.analyse(m, Ordering::min_fill, 1, 0), 0);
  EXPECT_EQ(factor.statistics().ordering_used, Ordering::min_fill);
}

TEST(LinalgCholesky, AutomaticChoiceTriesNestedDissectionOnExpensiveFactors) {
  // A 3-D grid Laplacian factors expensively under minimum degree.
  const int side = 14, n = side * side * side;
  CscMatrix m;
  m.rows = m.cols = n;
  m.start.assign(1, 0);
  auto id = [&](int x, int y, int z) { return (z * side + y) * side + x; };
  for (int z = 0; z < side; ++z)
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        m.index.push_back(id(x, y, z));
        m.value.push_back(6.5);
        for (int other : {x + 1 < side ? id(x + 1, y, z) : -1, y + 1 < side ? id(x, y + 1, z) : -1,
                          z + 1 < side ? id(x, y, z + 1) : -1})
          if (other >= 0) {
            m.index.push_back(other);
            m.value.push_back(-1.0);
          }
        m.start.push_back(static_cast<int64_t>(m.index.size()));
      }
  CholeskyFactor factor;
  ASSERT_EQ(factor.analyse(m, Ordering::automatic, 2, 0), 0);
  const FactorStatistics& stats = factor.statistics();
  EXPECT_GT(stats.ordering_cost / static_cast<double>(m.index.size()), 500.0);
  EXPECT_LE(stats.flops, stats.ordering_cost * 1.0001);
  ASSERT_EQ(factor.factor(m.value.data(), 1e-30), 0);
  EXPECT_LT(solve_residual(factor, m, 3), 1e-10);
}

// The normal matrix of a multicommodity flow LP: `blocks` commodities on
// one side×side grid (their node rows), linked by a capacity row for each
// grid edge, which touches the edge's two end nodes in every commodity.
// The capacity rows come last.
CscMatrix linked_grids(int blocks, int side) {
  std::vector<std::pair<int, int>> edges;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      if (x + 1 < side) edges.emplace_back(y * side + x, y * side + x + 1);
      if (y + 1 < side) edges.emplace_back(y * side + x, (y + 1) * side + x);
    }
  const int per_block = side * side, first_link = blocks * per_block;
  const int n = first_link + static_cast<int>(edges.size());
  std::vector<std::vector<int>> below(n);  // lower-triangle neighbours of each column
  for (int b = 0; b < blocks; ++b)
    for (size_t e = 0; e < edges.size(); ++e) {
      const int u = b * per_block + edges[e].first, v = b * per_block + edges[e].second;
      below[u].push_back(v);
      below[u].push_back(first_link + static_cast<int>(e));
      below[v].push_back(first_link + static_cast<int>(e));
    }
  std::vector<double> degree(n, 0.0);
  for (int j = 0; j < n; ++j)
    for (int i : below[j]) degree[i] += 1.0, degree[j] += 1.0;
  CscMatrix m;
  m.rows = m.cols = n;
  m.start.assign(1, 0);
  for (int j = 0; j < n; ++j) {
    std::sort(below[j].begin(), below[j].end());
    m.index.push_back(j);
    m.value.push_back(degree[j] + 1.0);
    for (int i : below[j]) {
      m.index.push_back(i);
      m.value.push_back(-1.0);
    }
    m.start.push_back(static_cast<int64_t>(m.index.size()));
  }
  return m;
}

TEST(LinalgOrdering, FewDenseLinkingRowsAreOrderedLast) {
  const int blocks = 80, side = 10, first_link = blocks * side * side;
  const CscMatrix m = linked_grids(blocks, side);
  const int links = m.rows - first_link;
  ASSERT_TRUE(has_few_dense_rows(m));
  std::vector<int> degree, dissection, dense_last;
  ASSERT_EQ(compute_ordering(m, Ordering::min_degree, degree), 0);
  ASSERT_EQ(compute_ordering(m, Ordering::nested_dissection, dissection), 0);
  ASSERT_EQ(dense_rows_last_minimum_degree(m, dense_last), 0);
  for (const std::vector<int>* perm : {&dissection, &dense_last}) {
    ASSERT_TRUE(is_permutation(*perm, m.rows));
    std::vector<int> tail(perm->end() - links, perm->end());
    std::sort(tail.begin(), tail.end());
    for (int l = 0; l < links; ++l) EXPECT_EQ(tail[l], first_link + l);
    // Each commodity is factored on its own, the links take their updates
    // at the end.
    EXPECT_LT(factor_cost(m, *perm).flops, 0.75 * factor_cost(m, degree).flops);
  }
  // Minimum degree alone is expensive here, so the automatic choice tries
  // the others and keeps one of them.
  CholeskyFactor factor;
  ASSERT_EQ(factor.analyse(m, Ordering::automatic, 2, 0), 0);
  EXPECT_GT(factor.statistics().ordering_cost / static_cast<double>(m.index.size()), 500.0);
  EXPECT_NE(factor.statistics().ordering_used, Ordering::min_degree);
  ASSERT_EQ(factor.factor(m.value.data(), 1e-30), 0);
  EXPECT_LT(solve_residual(factor, m, 4), 1e-10);

  // Links not dense enough, or every row dense: nothing to order last.
  EXPECT_FALSE(has_few_dense_rows(linked_grids(20, side)));
  EXPECT_FALSE(has_few_dense_rows(lower_from_dense(std::vector<std::vector<double>>(40, std::vector<double>(40, 1.0)))));
}

TEST(LinalgCholesky, NormalMatricesOfCollectionModelsSolveAccurately) {
  KORVA_REQUIRE_SHARED_DATA();
  for (const char* name : {"afiro", "sc50a", "25fv47", "pilot4"}) {
    const CscMatrix a = read_constraint_matrix(std::string("netlib/") + name + ".mps.gz");
    const CscMatrix m = normal_matrix_of(a, 1e-6, 7);
    for (Ordering ordering : kOrderings) {
      CholeskyFactor factor;
      ASSERT_EQ(factor.analyse(m, ordering, 1, 0), 0) << name;
      ASSERT_GE(factor.factor(m.value.data(), 1e-30), 0) << name;
      EXPECT_LT(solve_residual(factor, m, 8), 1e-10) << name << " ordering " << static_cast<int>(ordering);
    }
  }
}

TEST(LinalgCholesky, DependentRowsGiveASolutionOfTheConsistentSystem) {
  // Rows 3 and 7 are combinations of others, so A·D·Aᵀ is singular.
  CscMatrix a = random_matrix(12, 30, 4, 21);
  std::vector<std::vector<double>> dense(12, std::vector<double>(30, 0.0));
  for (int j = 0; j < 30; ++j)
    for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p) dense[a.index[p]][j] = a.value[p];
  for (int j = 0; j < 30; ++j) {
    dense[3][j] = dense[0][j] - 2.0 * dense[1][j];
    dense[7][j] = 0.5 * dense[5][j] + dense[9][j];
  }
  a.index.clear();
  a.value.clear();
  a.start.assign(1, 0);
  for (int j = 0; j < 30; ++j) {
    for (int i = 0; i < 12; ++i)
      if (dense[i][j] != 0.0) {
        a.index.push_back(i);
        a.value.push_back(dense[i][j]);
      }
    a.start.push_back(static_cast<int64_t>(a.index.size()));
  }
  const CscMatrix m = normal_matrix_of(a, 0.0, 22);
  // A right-hand side in the range of M.
  const std::vector<double> y = random_vector(12, 23);
  const std::vector<double> b = multiply(m, y);
  for (Ordering ordering : kOrderings) {
    CholeskyFactor factor;
    ASSERT_EQ(factor.analyse(m, ordering, 1, 0), 0);
    EXPECT_EQ(factor.factor(m.value.data(), 1e-12), 2);
    int zero_rows = 0;
    for (int i = 0; i < 12; ++i) zero_rows += factor.zero_pivot(i);
    EXPECT_EQ(zero_rows, 2);
    std::vector<double> x = b;
    factor.solve(x.data());
    for (int i = 0; i < 12; ++i)
      if (factor.zero_pivot(i)) {
        EXPECT_EQ(x[i], 0.0);
      }
    EXPECT_LT(relative_residual(m, x, b), 1e-10) << static_cast<int>(ordering);
  }
}

TEST(LinalgCholesky, QuasiDefiniteAugmentedSystemsFactorWithSignedPivots) {
  // K = [ -(H + D)  Aᵀ ; A  R ] with H positive semidefinite and D, R > 0.
  const int n = 80, m = 40;
  const CscMatrix a = random_matrix(m, n, 3, 31);
  const CscMatrix h = random_matrix(n, n, 2, 32);
  std::vector<std::vector<double>> k(n + m, std::vector<double>(n + m, 0.0));
  for (int j = 0; j < n; ++j)  // H = hᵀ·h
    for (int i = 0; i < n; ++i) {
      double sum = 0;
      for (int64_t p = h.start[i]; p < h.start[i + 1]; ++p)
        for (int64_t q = h.start[j]; q < h.start[j + 1]; ++q)
          if (h.index[p] == h.index[q]) sum += h.value[p] * h.value[q];
      k[i][j] = -sum;
    }
  const std::vector<double> d = random_vector(n + m, 33, 0.01, 10.0);
  for (int i = 0; i < n; ++i) k[i][i] -= d[i];
  for (int i = n; i < n + m; ++i) k[i][i] = d[i] * 1e-3;
  for (int j = 0; j < n; ++j)
    for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p) k[n + a.index[p]][j] = k[j][n + a.index[p]] = a.value[p];
  const CscMatrix lower = lower_from_dense(k);
  std::vector<signed char> sign(n + m, 1);
  std::fill(sign.begin(), sign.begin() + n, -1);
  for (Ordering ordering : kOrderings) {
    CholeskyFactor factor;
    ASSERT_EQ(factor.analyse(lower, ordering, 1, 0), 0);
    ASSERT_EQ(factor.factor(lower.value.data(), 1e-30, sign.data()), 0);
    EXPECT_LT(solve_residual(factor, lower, 34), 1e-10) << static_cast<int>(ordering);
  }
}

TEST(LinalgCholesky, TwoThreadsGiveTheSameFactorAsOne) {
  // Large enough to be shared out: subtrees on both threads, then the wide
  // top supernode in row chunks.
  const CscMatrix m = normal_matrix_of(random_matrix(1200, 2400, 4, 41), 1e-6, 42);
  const auto [x1, x2] = solutions_on_one_and_two_threads(m, Ordering::nested_dissection, 43);
  EXPECT_EQ(x1, x2);
}

TEST(LinalgCholesky, SubtreesWithWideSupernodesMatchOneThread) {
  // Independent blocks, each ending in a wide supernode whose updates are
  // applied as dense products: the two threads factor such subtrees side by
  // side and must not share their scratch.
  const int blocks = 8, m = 500, n = 1000;
  CscMatrix a;
  a.rows = blocks * m;
  a.cols = blocks * n;
  a.start.assign(1, 0);
  for (int b = 0; b < blocks; ++b) {
    const CscMatrix block = random_matrix(m, n, 4, 50 + b);
    for (int j = 0; j < n; ++j) {
      for (int64_t p = block.start[j]; p < block.start[j + 1]; ++p) {
        a.index.push_back(b * m + block.index[p]);
        a.value.push_back(block.value[p]);
      }
      a.start.push_back(static_cast<int64_t>(a.index.size()));
    }
  }
  const auto [x1, x2] = solutions_on_one_and_two_threads(normal_matrix_of(a, 1e-6, 44), Ordering::min_degree, 45);
  EXPECT_EQ(x1, x2);
}

TEST(LinalgCholesky, ThreadedQuasiDefiniteFactorMatchesSingleThreaded) {
  std::vector<signed char> sign;
  const CscMatrix k = testing::quasi_definite_from(random_matrix(1200, 2400, 4, 81), sign);
  const auto [x1, x2] = solutions_on_one_and_two_threads(k, Ordering::nested_dissection, 82, sign.data());
  EXPECT_EQ(x1, x2);
}

TEST(LinalgCholesky, ManyRightHandSidesMatchSingleSolves) {
  // Normal equations and a quasi-definite system; 70 right-hand sides cross
  // the groups that the threads share out, and single-column supernodes take
  // their own path.
  std::vector<signed char> sign;
  const CscMatrix normal = normal_matrix_of(random_matrix(300, 600, 3, 91), 1e-6, 92);
  const CscMatrix quasi = testing::quasi_definite_from(random_matrix(200, 400, 3, 93), sign);
  const int count = 70;
  for (const bool signed_pivots : {false, true}) {
    const CscMatrix& m = signed_pivots ? quasi : normal;
    const int n = m.rows;
    std::vector<double> many[2];
    for (int threads : {1, 2}) {
      CholeskyFactor factor;
      ASSERT_EQ(factor.analyse(m, Ordering::min_degree, threads, 0), 0);
      ASSERT_EQ(factor.factor(m.value.data(), 1e-30, signed_pivots ? sign.data() : nullptr), 0);
      std::vector<double>& x = many[threads - 1];
      x = random_vector(static_cast<size_t>(n) * count, 94);
      const std::vector<double> b = x;
      factor.solve_many(x.data(), count);
      for (int c = 0; c < count; c += 23) {
        std::vector<double> single(n);
        for (int i = 0; i < n; ++i) single[i] = b[static_cast<size_t>(i) * count + c];
        factor.solve(single.data());
        for (int i = 0; i < n; ++i)
          ASSERT_NEAR(x[static_cast<size_t>(i) * count + c], single[i], 1e-9 * (1 + std::abs(single[i])))
              << "signed " << signed_pivots << " rhs " << c << " row " << i;
      }
    }
    EXPECT_EQ(many[0], many[1]) << "signed " << signed_pivots;
  }
}

TEST(LinalgCholesky, ConcurrentSolvesMatchSequentialOnes) {
  const CscMatrix m = normal_matrix_of(random_matrix(200, 400, 4, 71), 1e-6, 72);
  CholeskyFactor factor;
  ASSERT_EQ(factor.analyse(m, Ordering::min_degree, 2, 0), 0);
  ASSERT_EQ(factor.factor(m.value.data(), 1e-30), 0);
  std::vector<std::vector<double>> sequential, concurrent;
  for (unsigned k = 0; k < 4; ++k) {
    sequential.push_back(random_vector(m.rows, 73 + k));
    concurrent.push_back(sequential.back());
    factor.solve(sequential.back().data());
  }
  std::vector<std::thread> team;
  for (auto& x : concurrent) {
    team.emplace_back([&factor, &x] {
      std::vector<double> work(factor.rows());
      factor.solve(x.data(), work.data());
    });
  }
  for (std::thread& thread : team) thread.join();
  EXPECT_EQ(sequential, concurrent);
}

TEST(LinalgCholesky, EmptyAndDiagonalMatrices) {
  CscMatrix empty;
  empty.start = {0};
  CholeskyFactor factor;
  ASSERT_EQ(factor.analyse(empty, Ordering::automatic, 1, 0), 0);
  EXPECT_EQ(factor.factor(nullptr, 1e-12), 0);
  factor.solve(nullptr);

  const CscMatrix diagonal = lower_from_dense({{4.0, 0, 0}, {0, 0.0, 0}, {0, 0, 9.0}});
  ASSERT_EQ(factor.analyse(diagonal, Ordering::nested_dissection, 1, 0), 0);
  EXPECT_EQ(factor.factor(diagonal.value.data(), 1e-12), 1);
  std::vector<double> x = {8.0, 5.0, 27.0};
  factor.solve(x.data());
  EXPECT_DOUBLE_EQ(x[0], 2.0);
  EXPECT_EQ(x[1], 0.0);
  EXPECT_DOUBLE_EQ(x[2], 3.0);
}

TEST(LinalgCholesky, PivotsLeftWithoutDigitsAreBoundedNotDropped) {
  // The second pivot is about 1e-15 of its diagonal: a nearly dependent
  // row, its computed value mostly rounding. It is not dropped, and it
  // counts as 1e-13 of its diagonal, so the solution stays near 1e13
  // instead of 1e15.
  const CscMatrix m = lower_from_dense({{1.0, 1.0}, {1.0, 1.0 + 1e-15}});
  CholeskyFactor factor;
  ASSERT_EQ(factor.analyse(m, Ordering::min_degree, 1, 0), 0);
  EXPECT_EQ(factor.factor(m.value.data(), 1e-30), 0);
  std::vector<double> x = {0.0, 1.0};
  factor.solve(x.data());
  EXPECT_NEAR(x[1], 1e13, 1e11);
  EXPECT_NEAR(x[0], -1e13, 1e11);
  // A pivot that keeps its digits is left alone.
  const CscMatrix well = lower_from_dense({{1.0, 1.0}, {1.0, 1.0 + 1e-9}});
  ASSERT_EQ(factor.analyse(well, Ordering::min_degree, 1, 0), 0);
  EXPECT_EQ(factor.factor(well.value.data(), 1e-30), 0);
  x = {0.0, 1.0};
  factor.solve(x.data());
  EXPECT_NEAR(x[1], 1e9, 1e3);
}

TEST(LinalgCholesky, NotANumberFailsTheFactorisation) {
  CscMatrix m = lower_from_dense({{4.0, 1.0}, {1.0, 4.0}});
  CholeskyFactor factor;
  ASSERT_EQ(factor.analyse(m, Ordering::min_degree, 1, 0), 0);
  m.value[0] = std::nan("");
  EXPECT_EQ(factor.factor(m.value.data(), 1e-12), -1);
}

// Timing of large normal matrices; run by hand with --gtest_also_run_disabled_tests.
TEST(LinalgCholeskyBench, DISABLED_LargeNormalMatrices) {
  KORVA_REQUIRE_SHARED_DATA();
  for (const char* path : {"miplib3/fast0507.mps.gz", "miplib3/nw04.mps.gz", "miplib3/dano3mip.mps.gz",
                           "netlib/dfl001.mps.gz", "netlib/pilot87.mps.gz", "netlib/greenbea.mps.gz"}) {
    const std::string full = korva_test::data_path(path);
    if (FILE* f = std::fopen(full.c_str(), "rb")) {
      std::fclose(f);
    } else {
      std::printf("%-26s missing\n", path);
      continue;
    }
    const CscMatrix a = read_constraint_matrix(path);
    const CscMatrix m = normal_matrix_of(a, 1e-8, 51);
    for (Ordering ordering : {Ordering::automatic, Ordering::min_degree, Ordering::nested_dissection}) {
      for (int threads : {1, 2}) {
        CholeskyFactor factor;
        auto t0 = std::chrono::steady_clock::now();
        ASSERT_EQ(factor.analyse(m, ordering, threads, 0), 0);
        auto t1 = std::chrono::steady_clock::now();
        const int zeros = factor.factor(m.value.data(), 1e-30);
        auto t2 = std::chrono::steady_clock::now();
        const double residual = solve_residual(factor, m, 52);
        auto t3 = std::chrono::steady_clock::now();
        const FactorStatistics& s = factor.statistics();
        auto secs = [](auto a, auto b) { return std::chrono::duration<double>(b - a).count(); };
        std::printf("%-26s ord %d->%d thr %d rows %6d lnz %9lld Lnz %10lld flops %9.3e sn %6d analyse %6.3fs "
                    "factor %7.3fs solve %6.3fs zeros %d resid %.1e\n",
                    path, static_cast<int>(ordering), static_cast<int>(s.ordering_used), threads, s.rows,
                    static_cast<long long>(m.index.size()), static_cast<long long>(s.factor_nonzeros), s.flops,
                    s.supernodes, secs(t0, t1), secs(t1, t2), secs(t2, t3), zeros, residual);
      }
    }
  }
}

}  // namespace
}  // namespace korva::barrier
