// The primal simplex through KRVprimopt: models of the LP collection against their
// reference optima with feasible primal and dual solutions, every pricing
// mode, infeasible and unbounded models, warm starts, limits and the log
// lines of perturbation and steepest-edge initialisation.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/lp_test.h"

namespace {

using korva_test::data_path;
using korva_test::reference_optima;

class PrimalTest : public korva_test::LpTest {
 protected:
  void SetUp() override {
    LpTest::SetUp();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  }
  // Largest violation of the sign conditions on the reduced costs and row
  // duals of the stored solution, measured against the bounds it sits at.
  double dual_infeasibility() {
    const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
    std::vector<double> x(n), dj(n), pi(m), slack(m), lb(n), ub(n);
    std::vector<char> sense(m);
    EXPECT_EQ(KRVsolution(env, lp, nullptr, nullptr, x.data(), pi.data(), slack.data(), dj.data()), 0);
    EXPECT_EQ(KRVgetlb(env, lp, lb.data(), 0, n - 1), 0);
    EXPECT_EQ(KRVgetub(env, lp, ub.data(), 0, n - 1), 0);
    EXPECT_EQ(KRVgetsense(env, lp, sense.data(), 0, m - 1), 0);
    const double s = KRVgetobjsen(env, lp);
    const double tol = 1e-7;
    double worst = 0.0;
    for (int j = 0; j < n; ++j) {
      const double d = s * dj[j];
      const bool at_lo = lb[j] > -1e20 && x[j] <= lb[j] + tol * (1 + std::fabs(lb[j]));
      const bool at_up = ub[j] < 1e20 && x[j] >= ub[j] - tol * (1 + std::fabs(ub[j]));
      double v = std::fabs(d);
      if (at_lo && at_up) v = 0.0;
      else if (at_lo) v = std::max(0.0, -d);
      else if (at_up) v = std::max(0.0, d);
      worst = std::max(worst, v);
    }
    for (int i = 0; i < m; ++i) {
      // A row with zero slack is tight; 'L' rows need pi <= 0, 'G' rows
      // pi >= 0 when minimising; loose rows need pi = 0.
      const double y = s * pi[i];
      const bool tight = std::fabs(slack[i]) <= tol * 10;
      double v = 0.0;
      if (sense[i] == 'E' || sense[i] == 'R') v = 0.0;
      else if (!tight) v = std::fabs(y);
      else if (sense[i] == 'L') v = std::max(0.0, y);
      else v = std::max(0.0, -y);
      worst = std::max(worst, v);
    }
    return worst;
  }
  // Optimal, at the reference objective, primal and dual feasible.
  void expect_solved(const std::string& name, double reference) {
    EXPECT_EQ(KRVgetstat(env, lp), 1) << name;
    EXPECT_NEAR(objective(), reference, 1e-6 * std::max(1.0, std::fabs(reference))) << name;
    EXPECT_LE(quality(1), 1e-6) << name << ": primal infeasibility";
    EXPECT_LE(dual_infeasibility(), 1e-6) << name << ": dual infeasibility";
    EXPECT_LE(quality(13), 1e-6) << name << ": dual infeasibility measure";
    int method = 0, type = 0, pfeas = 0, dfeas = 0;
    EXPECT_EQ(KRVsolninfo(env, lp, &method, &type, &pfeas, &dfeas), 0);
    EXPECT_EQ(method, 1);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(pfeas, 1);
    EXPECT_EQ(dfeas, 1);
  }

};

// Small and medium models with degenerate, ranged, free-variable and
// badly scaled cases among them.
const char* const kCollectionModels[] = {
    "afiro",   "adlittle", "blend",   "sc50a",   "sc105",   "share2b",  "stocfor1", "kb2",
    "scagr7",  "recipe",   "boeing2", "israel",  "bandm",   "scfxm1",   "degen2",   "brandy",
    "lotfi",   "sctap1",   "grow7",   "vtpbase", "bore3d",  "scorpion",
};

TEST_F(PrimalTest, CollectionModelsReachTheReferenceOptimum) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  for (const char* name : kCollectionModels) {
    read_collection(name);
    ASSERT_EQ(KRVprimopt(env, lp), 0) << name;
    expect_solved(name, ref.at(name));
  }
}

TEST_F(PrimalTest, EveryPricingModeSolves) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  for (int mode = -1; mode <= 4; ++mode) {
    for (const char* name : {"share2b", "scfxm1"}) {
      ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PPRIIND, mode), 0);
      read_collection(name);
      ASSERT_EQ(KRVprimopt(env, lp), 0) << name << " mode " << mode;
      expect_solved(std::string(name) + " mode " + std::to_string(mode), ref.at(name));
    }
  }
}

TEST_F(PrimalTest, SteepestEdgeAnnouncesItsNorms) {
  KORVA_REQUIRE_SHARED_DATA();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PPRIIND, 2), 0);
  read_collection("afiro");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_NE(results->text().find("Initializing primal norms"), std::string::npos) << results->text();
  EXPECT_NE(results->text().find("\nIteration log . . .\n"), std::string::npos);
}

TEST_F(PrimalTest, AutomaticPricingSwitchesToSteepestEdgeOnALongRun) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  read_collection("25fv47");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_NE(results->text().find("Initializing primal norms"), std::string::npos);
  expect_solved("25fv47", ref.at("25fv47"));
}

TEST_F(PrimalTest, DisplayZeroWritesNoLog) {
  KORVA_REQUIRE_SHARED_DATA();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PPRIIND, 2), 0);
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_PERLIM, 5), 0);
  read_collection("degen2");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_EQ(results->text().find("Iteration"), std::string::npos) << results->text();
  EXPECT_EQ(results->text().find("Perturbation"), std::string::npos);
  EXPECT_EQ(results->text().find("Initializing"), std::string::npos);
}

TEST_F(PrimalTest, DeterministicTimeLimit) {
  KORVA_REQUIRE_SHARED_DATA();
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_DETTILIM, 0.01), 0);
  read_collection("scfxm1");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 25);
}

TEST_F(PrimalTest, WarmStartFromTheOptimalBasisTakesNoIteration) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  read_collection("scagr7");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_GT(KRVgetitcnt(env, lp), 0);
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetitcnt(env, lp), 0);
  expect_solved("scagr7 again", ref.at("scagr7"));

  // The same basis copied into a fresh problem.
  const int n = 140, m = 129;
  std::vector<int> cstat(n), rstat(m);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
  read_collection("scagr7");
  ASSERT_EQ(KRVcopybase(env, lp, cstat.data(), rstat.data()), 0);
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetitcnt(env, lp), 0);
  expect_solved("scagr7 copied basis", ref.at("scagr7"));
}

TEST_F(PrimalTest, ReoptimisingAfterABoundChangeTakesFewIterations) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("adlittle");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  const int cold = KRVgetitcnt(env, lp);
  const int index = 0;
  const char lu = 'U';
  double x0 = 0.0;
  ASSERT_EQ(KRVgetx(env, lp, &x0, 0, 0), 0);
  const double bound = x0 * 0.9;
  ASSERT_EQ(KRVchgbds(env, lp, 1, &index, &lu, &bound), 0);
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_LT(KRVgetitcnt(env, lp), cold);
  EXPECT_LE(quality(1), 1e-6);
}

TEST_F(PrimalTest, SlackBasisThatIsOptimalTakesNoIteration) {
  read_lp_text("Minimize\n obj: x + 2 y\nSubject To\n c1: x + y <= 4\n c2: x - y >= -3\nEnd\n");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_EQ(KRVgetitcnt(env, lp), 0);
  EXPECT_DOUBLE_EQ(objective(), 0.0);
}

TEST_F(PrimalTest, ContradictoryRowsAreInfeasible) {
  read_lp_text("Minimize\n obj: x + y\nSubject To\n c1: x + y <= 1\n c2: x + y >= 3\nEnd\n");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 3);
  int pfeas = -1, dfeas = -1;
  ASSERT_EQ(KRVsolninfo(env, lp, nullptr, nullptr, &pfeas, &dfeas), 0);
  EXPECT_EQ(pfeas, 0);
  EXPECT_EQ(dfeas, 0);
}

TEST_F(PrimalTest, ContradictoryBoundsAreInfeasible) {
  read_lp_text("Minimize\n obj: x\nSubject To\n c1: x + y >= 1\nBounds\n 2 <= x <= 1\nEnd\n");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 3);
}

TEST_F(PrimalTest, InfeasibleCollectionVariant) {
  KORVA_REQUIRE_SHARED_DATA();
  // A '<=' row of nonnegative coefficients over nonnegative columns asked
  // to stay below -1 has no solution.
  read_infeasible_sc105();
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 3);
}

TEST_F(PrimalTest, UnboundedModels) {
  KORVA_REQUIRE_SHARED_DATA();
  read_lp_text("Maximize\n obj: x + y\nSubject To\n c1: x - y <= 1\n c2: -x + y <= 4\nEnd\n");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 2);

  // A free column with a cost and no rows to stop it, after phase I.
  read_lp_text("Minimize\n obj: x - z\nSubject To\n c1: x + y = 2\n c2: y - z <= 1\nBounds\n z free\nEnd\n");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 2);

  // scagr7 with one more column that has a profit and loosens a '<=' row.
  read_collection("scagr7");
  const int m = KRVgetnumrows(env, lp);
  std::vector<char> sense(m);
  ASSERT_EQ(KRVgetsense(env, lp, sense.data(), 0, m - 1), 0);
  const int row = static_cast<int>(std::find(sense.begin(), sense.end(), 'L') - sense.begin());
  ASSERT_LT(row, m);
  const double cost = -1.0, lower = 0.0, upper = 1e20;
  ASSERT_EQ(KRVnewcols(env, lp, 1, &cost, &lower, &upper, nullptr, nullptr), 0);
  ASSERT_EQ(KRVchgcoef(env, lp, row, KRVgetnumcols(env, lp) - 1, -1.0), 0);
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 2);
}

TEST_F(PrimalTest, IterationLimits) {
  KORVA_REQUIRE_SHARED_DATA();
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_ITLIM, 0), 0);
  read_collection("afiro");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 10);
  EXPECT_EQ(KRVgetitcnt(env, lp), 0);

  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_ITLIM, 7), 0);
  read_collection("scfxm1");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 10);
  EXPECT_EQ(KRVgetitcnt(env, lp), 7);
}

TEST_F(PrimalTest, ObjectiveLimitOfAMaximisation) {
  read_lp_text("Maximize\n obj: 3 x + 2 y\nSubject To\n c1: x + y <= 4\n c2: x + 3 y <= 6\n c3: x <= 3\nEnd\n");
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_OBJULIM, 5.0), 0);
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 12);
  int pfeas = -1, dfeas = -1;
  ASSERT_EQ(KRVsolninfo(env, lp, nullptr, nullptr, &pfeas, &dfeas), 0);
  EXPECT_EQ(pfeas, 1);
  EXPECT_EQ(dfeas, 0);
}

TEST_F(PrimalTest, ShortStallWindowPerturbsAndRemovesThePerturbation) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_PERLIM, 5), 0);
  read_collection("degen2");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_NE(results->text().find("Perturbation started.\n"), std::string::npos);
  EXPECT_NE(results->text().find("Removing perturbation.\n"), std::string::npos);
  expect_solved("degen2", ref.at("degen2"));
}

// A perturbation that got phase I past a stall is removed once the basis
// is feasible: phase II starts on the real bounds.
TEST_F(PrimalTest, PhaseOnePerturbationEndsWithPhaseOne) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_PERLIM, 5), 0);
  read_collection("scfxm1");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  const std::string log = results->text();
  const size_t started = log.find("Perturbation started.\n");
  const size_t removed = log.find("Removing perturbation.\n");
  const size_t phase2 = log.find("Objective     =");
  ASSERT_NE(started, std::string::npos) << log;
  ASSERT_NE(phase2, std::string::npos) << log;
  EXPECT_LT(started, removed);
  EXPECT_LT(removed, phase2) << log;
  expect_solved("scfxm1", ref.at("scfxm1"));
}

TEST_F(PrimalTest, PerturbationFromTheStart) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PERIND, 1), 0);
  read_collection("sc105");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_NE(results->text().find("Perturbation started.\n"), std::string::npos);
  expect_solved("sc105", ref.at("sc105"));
}

TEST_F(PrimalTest, DetailedLogNamesTheVariables) {
  KORVA_REQUIRE_SHARED_DATA();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 2), 0);
  read_collection("afiro");
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_NE(results->text().find("\nIteration           Objective            In Variable           Out Variable\n"),
            std::string::npos)
      << results->text();
}

}  // namespace
