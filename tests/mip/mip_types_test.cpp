// Column types, special ordered sets and indicator constraints, solved by
// KRVmipopt and checked against enumeration on random small models: the
// same verdict (feasible or not), the same optimum, and an incumbent that
// satisfies every part of the model.
#include <random>

#include "mip/mip_test_support.h"

namespace {

using mip_test::SmallMip;

class MipTypes : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    exact_answers_without_log();
  }

  // Solves `m` and compares with enumeration.
  void expect_matches_enumeration(const SmallMip& m, const std::string& what) {
    const double expected = mip_test::enumerate_optimum(env, m);
    ASSERT_EQ(m.load(env, lp), 0) << what;
    ASSERT_EQ(KRVmipopt(env, lp), 0) << what;
    const int status = KRVgetstat(env, lp);
    if (std::isnan(expected)) {
      // Dual reductions in presolve blur infeasible into "infeasible or unbounded".
      int presolve = 0, reduce = 0;
      ASSERT_EQ(KRVgetintparam(env, KRV_PARAM_PREIND, &presolve), 0);
      ASSERT_EQ(KRVgetintparam(env, KRV_PARAM_REDUCE, &reduce), 0);
      EXPECT_EQ(status, presolve != 0 && reduce >= 2 ? 119 : 103) << what;
      return;
    }
    ++feasible;
    ASSERT_EQ(status, 101) << what;
    double obj = 0;
    ASSERT_EQ(KRVgetobjval(env, lp, &obj), 0);
    EXPECT_NEAR(obj, expected, 1e-6 * std::max(1.0, std::fabs(expected))) << what;
    std::vector<double> x(m.num_cols());
    ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, m.num_cols() - 1), 0);
    EXPECT_TRUE(mip_test::satisfies(m, x, 1e-6)) << what;
    double bound = 0;
    ASSERT_EQ(KRVgetbestobjval(env, lp, &bound), 0);
    EXPECT_NEAR(bound, expected, 1e-6 * std::max(1.0, std::fabs(expected))) << what;
  }

  int feasible = 0;  // models with a solution: the suites must not be vacuous
};

// n columns of the given types, m rows of random coefficients.
SmallMip random_model(std::mt19937& rng, const std::string& types, int rows) {
  std::uniform_int_distribution<int> coef(-4, 4), rhs(-3, 8), cost(-5, 5), pick(0, 2);
  SmallMip m;
  m.objsense = pick(rng) == 0 ? -1 : 1;
  for (char t : types) {
    m.ctype.push_back(t);
    m.obj.push_back(cost(rng));
    switch (t) {
      case 'B':
        m.lb.push_back(0);
        m.ub.push_back(1);
        break;
      case 'S':
      case 'N':
        m.lb.push_back(1 + pick(rng));
        m.ub.push_back(3 + pick(rng));
        break;
      case 'I':
        m.lb.push_back(-1 + pick(rng));
        m.ub.push_back(2 + pick(rng));
        break;
      default:
        m.lb.push_back(-2.5);
        m.ub.push_back(3.5);
        break;
    }
  }
  const char senses[] = {'L', 'G', 'E'};
  for (int i = 0; i < rows; ++i) {
    mip_test::Row r;
    for (int j = 0; j < static_cast<int>(types.size()); ++j)
      if (int a = coef(rng); a != 0 && pick(rng) != 0) r.entries.emplace_back(j, a);
    r.sense = senses[i == 0 ? 0 : pick(rng) % (rows > 2 ? 3 : 2)];
    r.rhs = rhs(rng);
    m.rows.push_back(r);
  }
  return m;
}

TEST_F(MipTypes, IntegerAndBinaryColumns) {
  std::mt19937 rng(11);
  for (int k = 0; k < 25; ++k) expect_matches_enumeration(random_model(rng, "IIBBBC", 3), "model " + std::to_string(k));
  EXPECT_GE(feasible, 10);
}

// Fixed-charge models whose big-M coefficients are far larger than the
// flows they switch (the search strengthens them): the same optima as
// enumeration, with presolve on and off.
TEST_F(MipTypes, BigMRowsKeepTheirIntegerSolutions) {
  std::mt19937 rng(53);
  std::uniform_int_distribution<int> cap(1, 6), bigm(10, 100), fixed(1, 9), demand(2, 9), pick(0, 1);
  for (int k = 0; k < 30; ++k) {
    // Flows x0..x2 in [0, cap], switches y3..y5; x_i <= M·y_i; Σ x >= demand;
    // a knapsack on the switches with a loose coefficient; x0 + x1 <= cap.
    SmallMip m;
    for (int i = 0; i < 3; ++i) {
      m.ctype.push_back('C');
      m.lb.push_back(0);
      m.ub.push_back(cap(rng));
      m.obj.push_back(1 + pick(rng));
    }
    for (int i = 0; i < 3; ++i) {
      m.ctype.push_back('B');
      m.lb.push_back(0);
      m.ub.push_back(1);
      m.obj.push_back(fixed(rng));
    }
    for (int i = 0; i < 3; ++i) {
      // Half of the switching rows are written as >= rows.
      const double s = pick(rng) ? 1.0 : -1.0;
      m.rows.push_back({{{i, s}, {3 + i, -s * bigm(rng)}}, s > 0 ? 'L' : 'G', 0.0});
    }
    m.rows.push_back({{{0, 1}, {1, 1}, {2, 1}}, 'G', static_cast<double>(demand(rng))});
    m.rows.push_back({{{3, 1}, {4, 1}, {5, static_cast<double>(bigm(rng))}}, 'L', static_cast<double>(bigm(rng))});
    m.rows.push_back({{{0, 1}, {1, 1}}, 'L', static_cast<double>(cap(rng) + 2)});
    const std::string what = "model " + std::to_string(k);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 1), 0);
    expect_matches_enumeration(m, what + ", presolve on");
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
    expect_matches_enumeration(m, what + ", presolve off");
  }
  EXPECT_GE(feasible, 20);
}

TEST_F(MipTypes, SemiContinuousAndSemiIntegerColumns) {
  std::mt19937 rng(23);
  for (int k = 0; k < 25; ++k) expect_matches_enumeration(random_model(rng, "SSNIBC", 3), "model " + std::to_string(k));
  EXPECT_GE(feasible, 10);
}

TEST_F(MipTypes, SpecialOrderedSetsOfBothTypes) {
  std::mt19937 rng(37);
  for (int k = 0; k < 30; ++k) {
    SmallMip m = random_model(rng, "CCCCIB", 2);
    // Set members must be able to be zero.
    for (int j = 0; j < 4; ++j) m.lb[j] = 0;
    m.sets.push_back({k % 2 == 0 ? '1' : '2', {0, 1, 2, 3}, {1, 2, 3, 4}});
    expect_matches_enumeration(m, "model " + std::to_string(k));
  }
  EXPECT_GE(feasible, 10);
}

TEST_F(MipTypes, IndicatorConstraintsBindOnlyWhenTheirIndicatorIsOn) {
  std::mt19937 rng(41);
  std::uniform_int_distribution<int> coef(-3, 3), rhs(-2, 4);
  for (int k = 0; k < 30; ++k) {
    SmallMip m = random_model(rng, "CCIBB", 2);
    for (int t = 0; t < 2; ++t) {
      mip_test::Indicator ic;
      ic.indicator = 3 + t;
      ic.complemented = (k + t) % 2;
      ic.row.entries = {{0, 1.0 + t}, {1, static_cast<double>(coef(rng))}, {2, 1.0}};
      ic.row.sense = t == 0 ? 'L' : 'G';
      ic.row.rhs = rhs(rng);
      m.indicators.push_back(ic);
    }
    expect_matches_enumeration(m, "model " + std::to_string(k));
  }
  EXPECT_GE(feasible, 10);
}

}  // namespace
