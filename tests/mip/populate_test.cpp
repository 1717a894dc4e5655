// Populate: the pool it fills is exactly the set of solutions the pool
// gaps admit (each once), found by enumeration on small models; its limits,
// statuses and messages; the parameters it changes come back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "mip/mip_test_support.h"

namespace {

// Maximise sum v_j x_j + 2 y over binaries x_j and an integer y in 0..3
// with sum w_j x_j + 3 y <= capacity: a knapsack with one general integer.
struct Knapsack {
  std::vector<double> value{5, 4, 7, 3, 6, 2, 8, 1};
  std::vector<double> weight{4, 3, 5, 2, 4, 1, 6, 2};
  double capacity = 12.0;
  int num_cols() const { return static_cast<int>(value.size()) + 1; }

  void load(KRVenv env, KRVprob lp) const {
    const int n = num_cols();
    std::vector<double> obj(value), lb(n, 0.0), ub(n, 1.0);
    obj.push_back(2.0);
    ub[n - 1] = 3.0;
    std::vector<double> row(weight);
    row.push_back(3.0);
    std::vector<int> cnt(n, 1), ind(n, 0);
    const char sense = 'L';
    std::vector<int> matbeg(n);
    for (int j = 0; j < n; ++j) matbeg[j] = j;
    ASSERT_EQ(KRVcopylp(env, lp, n, 1, -1, obj.data(), &capacity, &sense, matbeg.data(), cnt.data(), ind.data(),
                        row.data(), lb.data(), ub.data(), nullptr),
              0);
    std::string ctype(static_cast<size_t>(n - 1), 'B');
    ctype += 'I';
    ASSERT_EQ(KRVcopyctype(env, lp, ctype.c_str()), 0);
  }

  // Every feasible point, with its objective.
  std::vector<std::pair<std::vector<int>, double>> all_solutions() const {
    std::vector<std::pair<std::vector<int>, double>> out;
    const int nb = static_cast<int>(value.size());
    for (int mask = 0; mask < (1 << nb); ++mask)
      for (int y = 0; y <= 3; ++y) {
        double w = 3.0 * y, v = 2.0 * y;
        std::vector<int> x(static_cast<size_t>(nb) + 1);
        for (int j = 0; j < nb; ++j)
          if (mask >> j & 1) {
            x[j] = 1;
            w += weight[j];
            v += value[j];
          }
        x[nb] = y;
        if (w <= capacity) out.push_back({x, v});
      }
    return out;
  }
};

class Populate : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    exact_answers_without_log();
    m.load(env, lp);
  }
  std::set<std::vector<int>> pool_set() {
    std::set<std::vector<int>> out;
    const int count = KRVgetsolnpoolnumsolns(env, lp);
    for (int k = 0; k < count; ++k) {
      std::vector<double> x(static_cast<size_t>(m.num_cols()));
      EXPECT_EQ(KRVgetsolnpoolx(env, lp, k, x.data(), 0, m.num_cols() - 1), 0);
      std::vector<int> rounded;
      for (double v : x) {
        EXPECT_NEAR(v, std::round(v), 1e-9);
        rounded.push_back(static_cast<int>(std::lround(v)));
      }
      EXPECT_TRUE(out.insert(rounded).second) << "solution " << k << " stored twice";
    }
    return out;
  }
  std::set<std::vector<int>> enumerated(double relative_gap) const {
    const auto all = m.all_solutions();
    double best = -1e300;
    for (const auto& s : all) best = std::max(best, s.second);
    std::set<std::vector<int>> out;
    for (const auto& s : all)
      if (s.second >= best - relative_gap * std::fabs(best) - 1e-9) out.insert(s.first);
    return out;
  }
  Knapsack m;
};

TEST_F(Populate, WithoutPoolGapsEnumeratesEveryFeasiblePointOnce) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_POPULATELIM, 2100000000), 0);
  ASSERT_EQ(KRVpopulate(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 129);
  EXPECT_EQ(pool_set(), enumerated(1e75));
  double z = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &z), 0);
  EXPECT_NEAR(z, 18.0, 1e-9);
}

TEST_F(Populate, APoolGapEnumeratesExactlyTheSolutionsWithinIt) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_POPULATELIM, 2100000000), 0);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_SOLNPOOLGAP, 0.1), 0);
  ASSERT_EQ(KRVpopulate(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 130);
  EXPECT_EQ(pool_set(), enumerated(0.1));
}

TEST_F(Populate, TheLimitCountsWhatThePoolWasOffered) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_POPULATELIM, 7), 0);
  ASSERT_EQ(KRVpopulate(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 128);
  EXPECT_GE(KRVgetsolnpoolnumsolns(env, lp) + KRVgetsolnpoolnumreplaced(env, lp), 7);
  // A second call finds further solutions.
  const std::set<std::vector<int>> first = pool_set();
  ASSERT_EQ(KRVpopulate(env, lp), 0);
  const std::set<std::vector<int>> second = pool_set();
  EXPECT_GT(second.size(), first.size());
  for (const auto& x : first) EXPECT_EQ(second.count(x), 1u);
  // The parameters populate changed for its phases are back.
  int reduce = 0, symmetry = 0;
  ASSERT_EQ(KRVgetintparam(env, KRV_PARAM_REDUCE, &reduce), 0);
  ASSERT_EQ(KRVgetintparam(env, KRV_PARAM_SYMMETRY, &symmetry), 0);
  EXPECT_EQ(reduce, 3);
  EXPECT_EQ(symmetry, -1);
}

TEST_F(Populate, PhasesAreAnnouncedAndAProvedOptimumSkipsPhaseOne) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 1), 0);
  ASSERT_EQ(KRVpopulate(env, lp), 0);
  EXPECT_NE(results->text().find("\nPopulate: phase I \n"), std::string::npos);
  EXPECT_NE(results->text().find("\nPopulate: phase II \n"), std::string::npos);
  results->clear();
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 101);
  results->clear();
  ASSERT_EQ(KRVpopulate(env, lp), 0);
  EXPECT_EQ(results->text().find("Populate: phase I "), std::string::npos);
  EXPECT_NE(results->text().find("\nPopulate: phase II \n"), std::string::npos);
}

TEST_F(Populate, ZeroCapacityWarnsAndLeavesTheProblemAlone) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SOLNPOOLCAPACITY, 0), 0);
  ASSERT_EQ(KRVpopulate(env, lp), 0);
  EXPECT_EQ(warnings->text(), "Warning: the solution pool needs a positive capacity in order to be populated.\n");
  EXPECT_EQ(KRVgetstat(env, lp), 0);
  EXPECT_EQ(KRVgetsolnpoolnumsolns(env, lp), 0);
}

TEST_F(Populate, AnInfeasibleFirstPhaseEndsPopulate) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 1), 0);
  const int col = 8;
  const char lu = 'L';
  const double four = 4.0;  // y in 0..3 cannot reach 4
  ASSERT_EQ(KRVchgbds(env, lp, 1, &col, &lu, &four), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  ASSERT_EQ(KRVpopulate(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 103);
  EXPECT_EQ(results->text().find("Populate: phase II"), std::string::npos);
}

TEST_F(Populate, AContinuousProblemIsNotPopulated) {
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_LP), 0);
  EXPECT_EQ(KRVpopulate(env, lp), 3003);
}

}  // namespace
