// Scaling: the choice of factors, the state machine, exact re-application
// and removal, and solves in user units through a scaled factor.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "env/environment.h"
#include "simplex/scaling.h"
#include "simplex/support/factor_harness.h"
#include "support/korva_test.h"

using korva::ScalableLp;
using korva::ScalingRecord;
using korva_test::SparseMatrix;

namespace {

// An LP around a test matrix, with its own bound, cost and rhs arrays.
struct TestLp {
  SparseMatrix a;
  std::vector<double> lower, upper, obj, rhs, range;

  explicit TestLp(SparseMatrix m) : a(std::move(m)) {
    lower.assign(a.cols, 0.0);
    upper.assign(a.cols, 1e20);
    obj.assign(a.cols, 1.0);
    rhs.assign(a.rows, 1.0);
    range.assign(a.rows, 0.0);
  }
  ScalableLp view() {
    ScalableLp lp;
    lp.num_rows = a.rows;
    lp.num_cols = a.cols;
    lp.col_begin = a.begin.data();
    lp.row_index = a.index.data();
    lp.value = a.value.data();
    lp.lower = lower.data();
    lp.upper = upper.data();
    lp.obj = obj.data();
    lp.rhs = rhs.data();
    lp.range = range.data();
    return lp;
  }
};

SparseMatrix small(std::initializer_list<std::initializer_list<double>> dense) {
  SparseMatrix a;
  a.rows = static_cast<int>(dense.size());
  int cols = static_cast<int>(dense.begin()->size());
  for (int j = 0; j < cols; ++j) {
    std::vector<std::pair<int, double>> col;
    int i = 0;
    for (const auto& row : dense) {
      double v = *(row.begin() + j);
      if (v != 0.0) col.push_back({i, v});
      ++i;
    }
    a.add_column(col);
  }
  return a;
}

bool power_of_two(double f) {
  int e = 0;
  return std::frexp(f, &e) == 0.5;
}

using Scaling = korva_test::EnvTest;

}  // namespace

TEST(ScalingFactors, RoundingPicksThePowerOfTwoWithinThreeQuartersAndOneAndAHalf) {
  EXPECT_EQ(korva::round_to_power_of_two(1000.0), 1024.0);
  EXPECT_EQ(korva::round_to_power_of_two(1.0), 1.0);
  EXPECT_EQ(korva::round_to_power_of_two(1.49), 1.0);
  EXPECT_EQ(korva::round_to_power_of_two(1.5), 2.0);
  EXPECT_EQ(korva::round_to_power_of_two(0.75), 1.0);
  EXPECT_EQ(korva::round_to_power_of_two(0.7499), 0.5);
  EXPECT_EQ(korva::round_to_power_of_two(2.1), 2.0);
  EXPECT_EQ(korva::round_to_power_of_two(1e-30), std::ldexp(1.0, -100));
  double big = korva::round_to_power_of_two(1e300);
  EXPECT_TRUE(big / 1e75 >= 0.75 && big / 1e75 < 1.5);
}

TEST_F(Scaling, MatrixNearOneIsLeftAloneForGood) {
  TestLp lp(small({{1.0, 0.5}, {2.0, 5.0}}));
  SparseMatrix before = lp.a;
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, lp.view(), 0);
  EXPECT_EQ(rec.state, ScalingRecord::kUnnecessary);
  EXPECT_FALSE(rec.scaled());
  EXPECT_EQ(lp.a.value, before.value);
  lp.a.value[0] = 1000.0;  // even a changed matrix is not looked at again
  korva::ensure_scaled(*env, rec, lp.view(), 1);
  EXPECT_EQ(rec.state, ScalingRecord::kUnnecessary);
  EXPECT_FALSE(rec.scaled());
}

TEST_F(Scaling, RatioAboveTenNeedsScalingEvenInsideTheBand) {
  TestLp lp(small({{0.2, 5.0}}));
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, lp.view(), 0);
  EXPECT_EQ(rec.state, 0);
}

TEST_F(Scaling, EquilibrationGivesTheRowOfALargeEntryFactor1024) {
  TestLp lp(small({{1000.0, 1.0}, {1.0, 1.0}}));
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, lp.view(), 0);
  ASSERT_EQ(rec.state, 0);
  EXPECT_EQ(rec.row_factors, (std::vector<double>{1024.0, 1.0}));
  EXPECT_EQ(rec.col_factors, (std::vector<double>{1.0, 1.0}));
  EXPECT_TRUE(rec.scaled());
  EXPECT_EQ(lp.a.value[0], 1000.0 / 1024.0);
  EXPECT_EQ(lp.rhs[0], 1.0 / 1024.0);
}

TEST_F(Scaling, ScaindMinusOneKeepsTheDataUnscaled) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SCAIND, -1), 0);
  TestLp lp(small({{1000.0, 1.0}, {1.0, 1.0}}));
  SparseMatrix before = lp.a;
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, lp.view(), env->int_param(KRV_PARAM_SCAIND));
  EXPECT_EQ(rec.state, ScalingRecord::kNone);
  EXPECT_FALSE(rec.has_factors());
  EXPECT_FALSE(rec.scaled());
  EXPECT_EQ(lp.a.value, before.value);
}

TEST_F(Scaling, UnscaleAndForgetOnUnscaledDataLeavesStateNone) {
  TestLp lp(small({{1.0}}));
  ScalingRecord rec;
  korva::unscale_and_forget(*env, rec, lp.view());
  EXPECT_EQ(rec.state, ScalingRecord::kNone);
  EXPECT_FALSE(rec.scaled());
}

TEST_F(Scaling, EmptyProblemDropsItsFactors) {
  TestLp lp(small({{1000.0, 1.0}, {1.0, 1.0}}));
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, lp.view(), 0);
  ASSERT_TRUE(rec.scaled());
  ScalableLp view = lp.view();
  korva::unscale(*env, rec, view);
  view.num_cols = 0;
  korva::ensure_scaled(*env, rec, view, 0);
  EXPECT_EQ(rec.state, ScalingRecord::kNone);
  EXPECT_FALSE(rec.has_factors());
}

TEST_F(Scaling, SavedFactorsAreReappliedExactlyWithoutRecomputation) {
  std::mt19937_64 rng(8);
  TestLp lp(korva_test::random_matrix(60, 90, 4, rng, 5.0));
  for (int j = 0; j < lp.a.cols; ++j) {
    lp.lower[j] = -3.0 * j;
    lp.upper[j] = j % 3 ? 7.5 * j + 1.0 : 1e20;
    lp.obj[j] = 0.3 * j - 2.0;
  }
  const TestLp original = lp;
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, lp.view(), 0);
  ASSERT_EQ(rec.state, 0);
  const TestLp scaled = lp;
  const std::vector<double> rows = rec.row_factors, cols = rec.col_factors;
  for (double f : rows) EXPECT_TRUE(power_of_two(f));
  for (double f : cols) EXPECT_TRUE(power_of_two(f));

  korva::unscale(*env, rec, lp.view());
  EXPECT_FALSE(rec.scaled());
  EXPECT_EQ(lp.a.value, original.a.value);
  EXPECT_EQ(lp.lower, original.lower);
  EXPECT_EQ(lp.upper, original.upper);
  EXPECT_EQ(lp.obj, original.obj);
  EXPECT_EQ(lp.rhs, original.rhs);

  // Change the data: re-application must use the saved factors, not new ones.
  korva::ensure_scaled(*env, rec, lp.view(), 0);
  EXPECT_EQ(rec.row_factors, rows);
  EXPECT_EQ(lp.a.value, scaled.a.value);
  EXPECT_EQ(lp.upper, scaled.upper);
  for (int j = 0; j < lp.a.cols; ++j) {
    if (j % 3 == 0) {
      EXPECT_EQ(lp.upper[j], 1e20);  // infinite bounds stay infinite
    }
  }
  korva::ensure_scaled(*env, rec, lp.view(), 0);  // already scaled: nothing happens
  EXPECT_EQ(lp.a.value, scaled.a.value);
}

TEST_F(Scaling, EquilibratedRowsAndColumnsPeakNearOne) {
  std::mt19937_64 rng(21);
  TestLp lp(korva_test::random_matrix(80, 120, 5, rng, 6.0));
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, lp.view(), 0);
  ASSERT_EQ(rec.state, 0);
  for (int j = 0; j < lp.a.cols; ++j) {
    double hi = 0.0;
    for (int64_t e = lp.a.begin[j]; e < lp.a.begin[j + 1]; ++e) hi = std::max(hi, std::fabs(lp.a.value[e]));
    EXPECT_GE(hi, 1.0 / 3.0);  // column max is 1 before rounding two factors
    EXPECT_LE(hi, 3.0);
  }
}

TEST_F(Scaling, GeometricScalingNarrowsColumnRatios) {
  std::mt19937_64 rng(5);
  TestLp lp(korva_test::random_matrix(100, 150, 5, rng, 8.0));
  auto worst_column_ratio = [&]() {
    double worst = 1.0;
    for (int j = 0; j < lp.a.cols; ++j) {
      double hi = 0.0, lo = 1e300;
      for (int64_t e = lp.a.begin[j]; e < lp.a.begin[j + 1]; ++e) {
        hi = std::max(hi, std::fabs(lp.a.value[e]));
        lo = std::min(lo, std::fabs(lp.a.value[e]));
      }
      if (hi > 0) worst = std::max(worst, hi / lo);
    }
    return worst;
  };
  double before = worst_column_ratio();
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, lp.view(), 1);
  ASSERT_EQ(rec.state, 1);
  EXPECT_LT(worst_column_ratio(), before / 10.0);
  for (double f : rec.row_factors) EXPECT_TRUE(power_of_two(f));
  for (double f : rec.col_factors) EXPECT_TRUE(power_of_two(f));
  // The final row equilibration leaves every row's largest entry near 1.
  std::vector<double> row_max(lp.a.rows, 0.0);
  for (size_t e = 0; e < lp.a.value.size(); ++e)
    row_max[lp.a.index[e]] = std::max(row_max[lp.a.index[e]], std::fabs(lp.a.value[e]));
  for (double m : row_max) {
    if (m > 0) {
      EXPECT_GE(m, 1.0 / 3.0);
      EXPECT_LE(m, 3.0);
    }
  }
}

TEST_F(Scaling, ChangingTheModeRecomputes) {
  std::mt19937_64 rng(6);
  TestLp lp(korva_test::random_matrix(30, 40, 4, rng, 6.0));
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, lp.view(), 0);
  ASSERT_EQ(rec.state, 0);
  korva::ensure_scaled(*env, rec, lp.view(), 1);
  EXPECT_EQ(rec.state, 1);
  EXPECT_TRUE(rec.scaled());
}

TEST_F(Scaling, ColumnWithATinyRangeKeepsAVisibleScaledRange) {
  TestLp lp(small({{1000.0, 1.0}, {1.0, 1.0}}));
  lp.upper[1] = 1e-10;
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, lp.view(), 0);
  ASSERT_EQ(rec.state, 0);
  EXPECT_EQ(rec.col_factors[1], 2.0);  // 2.1e-10 / 1e-10 rounded
  EXPECT_EQ(lp.upper[1], 2e-10);
}

TEST_F(Scaling, TinyEntriesTakeNoPart) {
  TestLp lp(small({{1e-14, 1.0}, {1.0, 2.0}}));
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, lp.view(), 0);
  EXPECT_EQ(rec.state, ScalingRecord::kUnnecessary);
}

TEST_F(Scaling, SolvesInUserUnitsThroughTheScaledFactorMatchUnscaledSolves) {
  std::mt19937_64 rng(77);
  TestLp lp(korva_test::random_matrix(50, 80, 3, rng, 4.0));
  std::vector<int> basic = korva_test::triangular_crash(lp.a);
  korva_test::FactorHarness plain(lp.a, basic);
  ASSERT_EQ(plain.factor(), korva::lu::kOk);

  TestLp scaled_lp = lp;
  ScalingRecord rec;
  korva::ensure_scaled(*env, rec, scaled_lp.view(), 0);
  ASSERT_TRUE(rec.scaled());
  korva_test::FactorHarness scaled(scaled_lp.a, basic);
  ASSERT_EQ(scaled.factor(), korva::lu::kOk);

  auto rhs = korva_test::random_rhs(50, 50, rng);
  std::vector<double> expected;
  plain.ftran_residual(rhs, korva::lu::SolveKind::Dense, &expected);
  std::vector<double> a = rhs;
  korva::scale_ftran_input(rec, a.data(), 50);
  korva::SparseVector v = korva_test::to_sparse(a);
  scaled.lu.ftran(v, korva::lu::SolveKind::Dense);
  std::vector<double> x = v.values;
  korva::unscale_ftran_result(rec, scaled.source, basic.data(), x.data(), 50);
  for (int p = 0; p < 50; ++p) EXPECT_NEAR(x[p], expected[p], 1e-9 * (1.0 + std::fabs(expected[p])));

  plain.btran_residual(rhs, korva::lu::SolveKind::Dense, &expected);
  std::vector<double> c = rhs;
  korva::scale_btran_input(rec, scaled.source, basic.data(), c.data(), 50);
  korva::SparseVector w = korva_test::to_sparse(c);
  scaled.lu.btran(w, korva::lu::SolveKind::Dense);
  std::vector<double> y = w.values;
  korva::unscale_btran_result(rec, y.data(), 50);
  for (int i = 0; i < 50; ++i) EXPECT_NEAR(y[i], expected[i], 1e-9 * (1.0 + std::fabs(expected[i])));
}
