// The refined solves of the normal equations on systems as ill-conditioned
// as those of late interior-point iterations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "barrier/normal_system.h"
#include "barrier/random_sparse_matrix.h"

namespace korva::barrier {
namespace {

// max |r − A·Θ·Aᵀ·x|
double residual(const CscMatrix& a, const std::vector<double>& theta, const std::vector<double>& r,
                const std::vector<double>& x) {
  std::vector<double> product(r.size(), 0.0);
  for (int j = 0; j < a.cols; ++j) {
    double ax = 0;
    for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p) ax += a.value[p] * x[a.index[p]];
    for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p) product[a.index[p]] += a.value[p] * theta[j] * ax;
  }
  double largest = 0;
  for (size_t i = 0; i < r.size(); ++i) largest = std::max(largest, std::fabs(r[i] - product[i]));
  return largest;
}

TEST(NormalSystemSolve, RefinementNeverReturnsAWorseSolutionThanItStartedFrom) {
  const int m = 40, n = 90, dense = 6;
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> value(-1.0, 1.0), exponent(-14.0, 14.0);
  int refined = 0;
  for (int system = 0; system < 12; ++system) {
    // The dense columns are left to the low-rank correction.
    const CscMatrix a = testing::random_sparse_matrix(m, n, 4, rng, dense);
    std::vector<char> is_dense(n, 0);
    std::fill(is_dense.begin(), is_dense.begin() + dense, 1);
    NormalSystem normal;
    ASSERT_EQ(normal.analyse(a, is_dense, Ordering::min_degree, 1, 1), 0);
    std::vector<double> theta(n);
    for (double& t : theta) t = std::pow(10.0, exponent(rng));
    if (!normal.factor(theta.data(), 0.0)) continue;
    for (int k = 0; k < 5; ++k) {
      std::vector<double> r(m);
      for (double& v : r) v = value(rng);
      std::vector<double> x = r;
      RefinementReport report;
      normal.solve(x.data(), &report);
      refined += report.passes > 0;
      EXPECT_LE(report.refined, report.initial) << "system " << system << ", right-hand side " << k;
      EXPECT_LE(residual(a, theta, r, x), report.initial * (1 + 1e-6)) << "system " << system;
    }
  }
  EXPECT_GT(refined, 0);  // the systems are hard enough to need refinement
}

}  // namespace
}  // namespace korva::barrier
