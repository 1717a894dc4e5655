// MIP starts seen from KRVmipopt: a feasible start is the first incumbent
// and the log says so; a start that breaks a row is repaired or reported,
// never taken as it is.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "mip/mip_test_support.h"

namespace {

class MipStartSearch : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    exact_answers_without_log();
    read_collection_model("p0201");
    n = KRVgetnumcols(env, lp);
  }
  std::vector<double> solve_for_optimum() {
    EXPECT_EQ(KRVmipopt(env, lp), 0);
    EXPECT_EQ(KRVgetstat(env, lp), 101);
    std::vector<double> x(static_cast<size_t>(n));
    EXPECT_EQ(KRVgetx(env, lp, x.data(), 0, n - 1), 0);
    return x;
  }
  void add_start(const std::vector<double>& x, int effort) {
    std::vector<int> ind(static_cast<size_t>(n));
    for (int j = 0; j < n; ++j) ind[j] = j;
    const int beg = 0;
    ASSERT_EQ(KRVaddmipstarts(env, lp, 1, n, &beg, ind.data(), x.data(), &effort, nullptr), 0);
  }
  int n = 0;
};

TEST_F(MipStartSearch, AFeasibleStartIsTheFirstIncumbentAndTheLogSaysSo) {
  const std::vector<double> optimum = solve_for_optimum();
  add_start(optimum, KRV_MIPSTART_AUTO);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 1), 0);
  results->clear();
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  const std::string& log = results->text();
  EXPECT_NE(log.find("MIP start 'm1' defined solution with objective 7615.0000.\n"), std::string::npos) << log;
  EXPECT_NE(log.find("1 of 1 MIP starts provided solutions.\n"), std::string::npos) << log;
  EXPECT_NE(log.find("MIP start 'm1' defined initial solution with objective 7615.0000.\n"), std::string::npos);
  // The start's lines come before the search's.
  EXPECT_LT(log.find("MIP start 'm1'"), log.find("Presolve time"));
  EXPECT_EQ(KRVgetstat(env, lp), 101);
  EXPECT_EQ(KRVgetnodeint(env, lp), 0);
  double z = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &z), 0);
  EXPECT_NEAR(z, 7615.0, 1e-6);
  // The start is in the pool too.
  EXPECT_GE(KRVgetsolnpoolnumsolns(env, lp), 1);
}

TEST_F(MipStartSearch, AStartThatBreaksARowIsNeverTakenAsItIs) {
  std::vector<double> zeros(static_cast<size_t>(n), 0.0);
  add_start(zeros, KRV_MIPSTART_CHECKFEAS);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 1), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  const std::string& log = results->text() + warnings->text();
  const bool repaired = log.find("Repair heuristic succeeded.\n") != std::string::npos;
  const bool reported = log.find("Warning:  No solution found from 1 MIP starts.\n") != std::string::npos;
  EXPECT_TRUE(repaired || reported) << log;
  EXPECT_EQ(log.find("defined solution with objective 0"), std::string::npos);
  EXPECT_EQ(KRVgetstat(env, lp), 101);
  double z = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &z), 0);
  EXPECT_NEAR(z, 7615.0, 1e-6);
}

}  // namespace
