// The dual simplex through KRVdualopt and KRVlpopt (presolve off): LP collection
// models against their reference optima with primal and dual feasibility
// checked by the quality measures, infeasible models with their Farkas
// rays checked numerically, unbounded models, warm starts, limits, the
// log, concurrent optimisation and the entries of optimisers that are not
// built.
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

class DualTest : public korva_test::LpTest {
 protected:
  void SetUp() override {
    LpTest::SetUp();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  }
  // Optimal, at the reference objective, primal and dual feasible by the
  // quality measures (max primal and max dual infeasibility, unscaled).
  void expect_solved(const std::string& name, double reference, int method) {
    EXPECT_EQ(KRVgetstat(env, lp), 1) << name;
    EXPECT_NEAR(objective(), reference, 1e-6 * std::max(1.0, std::fabs(reference))) << name;
    EXPECT_LE(quality(1), 1e-6) << name << ": primal infeasibility";
    EXPECT_LE(quality(13), 1e-6) << name << ": dual infeasibility";
    int sol_method = 0, type = 0, pfeas = 0, dfeas = 0;
    EXPECT_EQ(KRVsolninfo(env, lp, &sol_method, &type, &pfeas, &dfeas), 0);
    EXPECT_EQ(sol_method, method) << name;
    EXPECT_EQ(type, 1);
    EXPECT_EQ(pfeas, 1);
    EXPECT_EQ(dfeas, 1);
  }
  // The Farkas certificate of the last solve: with z = yᵀA, the largest
  // value of zᵀx over the column bounds must stay below the smallest value
  // of yᵀr over the row activities r allowed by the senses.
  void expect_farkas_certificate(const std::string& name) {
    const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
    std::vector<double> y(m), lb(n), ub(n), rhs(m), range(m, 0.0);
    std::vector<char> sense(m);
    double proof = 0.0;
    ASSERT_EQ(KRVdualfarkas(env, lp, y.data(), &proof), 0) << name;
    EXPECT_GT(proof, 0.0) << name;
    ASSERT_EQ(KRVgetlb(env, lp, lb.data(), 0, n - 1), 0);
    ASSERT_EQ(KRVgetub(env, lp, ub.data(), 0, n - 1), 0);
    ASSERT_EQ(KRVgetrhs(env, lp, rhs.data(), 0, m - 1), 0);
    ASSERT_EQ(KRVgetsense(env, lp, sense.data(), 0, m - 1), 0);
    if (std::count(sense.begin(), sense.end(), 'R') > 0) {
      ASSERT_EQ(KRVgetrngval(env, lp, range.data(), 0, m - 1), 0);
    }
    const double tiny = 1e-9;
    double sup_zx = 0.0;
    for (int j = 0; j < n; ++j) {
      int nz = 0, beg = 0, surplus = 0;
      std::vector<int> ind(m);
      std::vector<double> val(m);
      ASSERT_EQ(KRVgetcols(env, lp, &nz, &beg, ind.data(), val.data(), m, &surplus, j, j), 0);
      double z = 0.0;
      for (int k = 0; k < nz; ++k) z += val[k] * y[ind[k]];
      if (z > tiny) {
        ASSERT_LT(ub[j], 1e20) << name << ": ray unbounded above in column " << j;
        sup_zx += z * ub[j];
      } else if (z < -tiny) {
        ASSERT_GT(lb[j], -1e20) << name << ": ray unbounded below in column " << j;
        sup_zx += z * lb[j];
      }
    }
    double inf_yr = 0.0;
    for (int i = 0; i < m; ++i) {
      double lo = rhs[i], up = rhs[i];
      if (sense[i] == 'L') lo = -1e30;
      if (sense[i] == 'G') up = 1e30;
      if (sense[i] == 'R') {
        lo = std::min(rhs[i], rhs[i] + range[i]);
        up = std::max(rhs[i], rhs[i] + range[i]);
      }
      if (y[i] > tiny) {
        ASSERT_GT(lo, -1e20) << name << ": row " << i;
        inf_yr += y[i] * lo;
      } else if (y[i] < -tiny) {
        ASSERT_LT(up, 1e20) << name << ": row " << i;
        inf_yr += y[i] * up;
      }
    }
    EXPECT_GT(inf_yr - sup_zx, 1e-7) << name;
  }

};

// Models with ranges, free columns, degeneracy, bad scaling, fixed columns
// and bound flips among them.
const char* const kDualModels[] = {
    "afiro",   "adlittle", "blend",  "sc105",  "share1b", "stocfor1", "kb2",      "recipe",
    "boeing2", "israel",   "bandm",  "scfxm1", "degen2",  "brandy",   "etamacro", "grow7",
    "vtpbase", "bore3d",   "scsd1",  "forplan",
};

TEST_F(DualTest, CollectionModelsReachTheReferenceOptimum) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  for (const char* name : kDualModels) {
    read_collection(name);
    ASSERT_EQ(KRVdualopt(env, lp), 0) << name;
    expect_solved(name, ref.at(name), 2);
  }
}

TEST_F(DualTest, LpoptRunsTheDualByDefault) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  for (const char* name : {"sc50b", "agg", "ship04s", "finnis", "scagr25"}) {
    read_collection(name);
    ASSERT_EQ(KRVlpopt(env, lp), 0) << name;
    expect_solved(name, ref.at(name), 2);
  }
  EXPECT_EQ(KRVgetmethod(env, lp), 2);
}

TEST_F(DualTest, EveryPricingModeSolves) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  for (int mode = 0; mode <= 5; ++mode) {
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_DPRIIND, mode), 0);
    read_collection("scfxm1");
    ASSERT_EQ(KRVdualopt(env, lp), 0) << "mode " << mode;
    expect_solved("scfxm1 mode " + std::to_string(mode), ref.at("scfxm1"), 2);
  }
}

TEST_F(DualTest, SteepestEdgeAnnouncesItsNorms) {
  KORVA_REQUIRE_SHARED_DATA();
  // A slack basis has unit norms; a start from another basis computes them.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_DPRIIND, 1), 0);
  read_collection("afiro");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
  std::vector<int> cstat(n), rstat(m);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
  const struct {
    int mode;
    const char* line;
  } kModes[] = {{2, "Initializing dual steep norms . . .\n"}, {3, "Initializing dual full norms . . .\n"}};
  for (const auto& c : kModes) {
    results->clear();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_DPRIIND, c.mode), 0);
    read_collection("afiro");
    ASSERT_EQ(KRVcopybase(env, lp, cstat.data(), rstat.data()), 0);
    ASSERT_EQ(KRVdualopt(env, lp), 0);
    EXPECT_EQ(KRVgetstat(env, lp), 1);
    EXPECT_NE(results->text().find(c.line), std::string::npos) << c.mode << "\n" << results->text();
  }
}

TEST_F(DualTest, IterationLogLines) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("scfxm1");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  const std::string& log = results->text();
  EXPECT_NE(log.find("\nIteration log . . .\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Iteration: "), std::string::npos) << log;
  EXPECT_TRUE(log.find("   Dual objective     = ") != std::string::npos ||
              log.find("   Dual infeasibility = ") != std::string::npos ||
              log.find("   Scaled dual infeas = ") != std::string::npos)
      << log;

  results->clear();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 2), 0);
  read_collection("afiro");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_NE(results->text().find("\nIteration      Dual Objective            In Variable           Out Variable\n"),
            std::string::npos)
      << results->text();

  results->clear();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
  read_collection("afiro");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(results->text().find("Iteration"), std::string::npos) << results->text();
}

TEST_F(DualTest, InfeasibleModelsGiveAFarkasRay) {
  KORVA_REQUIRE_SHARED_DATA();
  read_lp_text("Minimize\n obj: x + y\nSubject To\n c1: x + y <= 1\n c2: x + y >= 3\nEnd\n");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 3);
  int pfeas = -1;
  ASSERT_EQ(KRVsolninfo(env, lp, nullptr, nullptr, &pfeas, nullptr), 0);
  EXPECT_EQ(pfeas, 0);
  expect_farkas_certificate("two rows");

  // A ranged row and bounded columns.
  read_lp_text(
      "Maximize\n obj: x + 2 y - z\nSubject To\n c1: x + y + z >= 10\n c2: x - y >= 0\n"
      "Bounds\n x <= 2\n y <= 3\n -1 <= z <= 4\nEnd\n");
  const int ranged = 1;
  const char range_sense = 'R';
  const double width = 1.0;
  ASSERT_EQ(KRVchgsense(env, lp, 1, &ranged, &range_sense), 0);
  ASSERT_EQ(KRVchgrngval(env, lp, 1, &ranged, &width), 0);
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 3);
  expect_farkas_certificate("ranged");

  // sc105 with a '<=' row of positive coefficients asked to stay below -1.
  read_infeasible_sc105();
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 3);
  expect_farkas_certificate("sc105 variant");
}

TEST_F(DualTest, FarkasNeedsAnInfeasibleDualSolution) {
  double y[2], proof = 0.0;
  read_lp_text("Minimize\n obj: x + y\nSubject To\n c1: x + y >= 1\n c2: x - y <= 3\nEnd\n");
  EXPECT_EQ(KRVdualfarkas(env, lp, y, &proof), 1265);  // no solution
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_EQ(KRVdualfarkas(env, lp, y, &proof), 1265);  // optimal
  EXPECT_NE(errors->text().find("Dual unbounded solution required"), std::string::npos) << errors->text();
}

TEST_F(DualTest, ContradictoryBoundsAreInfeasible) {
  read_lp_text("Minimize\n obj: x\nSubject To\n c1: x + y >= 1\nBounds\n 2 <= x <= 1\nEnd\n");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 3);
  double proof = 0.0;
  ASSERT_EQ(KRVdualfarkas(env, lp, nullptr, &proof), 0);
  EXPECT_GT(proof, 0.0);
}

TEST_F(DualTest, UnboundedModelsAreNeverOptimal) {
  read_lp_text("Maximize\n obj: x + y\nSubject To\n c1: x - y <= 1\n c2: -x + y <= 4\nEnd\n");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 2);

  read_lp_text("Minimize\n obj: x - z\nSubject To\n c1: x + y = 2\n c2: y - z <= 1\nBounds\n z free\nEnd\n");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 2);

  // Dual infeasible and primal infeasible at once: 2 is not allowed, 3 or 4 is.
  read_lp_text("Minimize\n obj: - x\nSubject To\n c1: y >= 2\n c2: y <= 1\nEnd\n");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  const int stat = KRVgetstat(env, lp);
  EXPECT_TRUE(stat == 3 || stat == 4) << stat;
}

TEST_F(DualTest, SlackBasisThatIsDualFeasibleGoesStraightToPhaseTwo) {
  read_lp_text("Minimize\n obj: x + y\nSubject To\n c1: x + 2 y >= 2\n c2: 3 x + y >= 3\nEnd\n");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_EQ(KRVgetphase1cnt(env, lp), 0);
  EXPECT_NEAR(objective(), 1.4, 1e-9);
}

TEST_F(DualTest, WarmStartFromTheOptimalBasisTakesNoIteration) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  read_collection("scagr7");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_GT(KRVgetitcnt(env, lp), 0);
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetitcnt(env, lp), 0);
  expect_solved("scagr7 again", ref.at("scagr7"), 2);

  const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
  std::vector<int> cstat(n), rstat(m);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
  read_collection("scagr7");
  ASSERT_EQ(KRVcopybase(env, lp, cstat.data(), rstat.data()), 0);
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetitcnt(env, lp), 0);
  expect_solved("scagr7 copied basis", ref.at("scagr7"), 2);
}

TEST_F(DualTest, ReoptimisingAfterAnEditTakesFewIterations) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("bandm");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  const int cold = KRVgetitcnt(env, lp);
  ASSERT_GT(cold, 100);
  const int n = KRVgetnumcols(env, lp);
  std::vector<double> x(n);
  ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, n - 1), 0);
  const int j = static_cast<int>(std::max_element(x.begin(), x.end()) - x.begin());

  // One bound: the basis stays dual feasible, a few dual iterations repair it.
  const char lu = 'U';
  const double bound = 0.9 * x[j];
  ASSERT_EQ(KRVchgbds(env, lp, 1, &j, &lu, &bound), 0);
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_LT(KRVgetitcnt(env, lp), cold / 5);
  EXPECT_LE(quality(1), 1e-6);

  // One cost.
  double cost = 0.0;
  ASSERT_EQ(KRVgetobj(env, lp, &cost, j, j), 0);
  cost += 1.0;
  ASSERT_EQ(KRVchgobj(env, lp, 1, &j, &cost), 0);
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_LT(KRVgetitcnt(env, lp), cold / 5);
  EXPECT_LE(quality(13), 1e-6);
}

TEST_F(DualTest, LimitsEndTheRunWithTheirStatus) {
  KORVA_REQUIRE_SHARED_DATA();
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_ITLIM, 0), 0);
  read_collection("afiro");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 10);
  EXPECT_EQ(KRVgetitcnt(env, lp), 0);

  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_ITLIM, 7), 0);
  read_collection("scfxm1");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 10);
  EXPECT_EQ(KRVgetitcnt(env, lp), 7);
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_ITLIM, 9223372036800000000LL), 0);

  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_TILIM, 1e-9), 0);
  read_collection("scfxm1");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 11);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_TILIM, 1e75), 0);

  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_DETTILIM, 1.0), 0);
  read_collection("scfxm1");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 25);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_DETTILIM, 1e75), 0);

  volatile int terminate = 1;
  ASSERT_EQ(KRVsetterminate(env, &terminate), 0);
  read_collection("scfxm1");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 13);
  ASSERT_EQ(KRVsetterminate(env, nullptr), 0);
}

TEST_F(DualTest, PerturbationFromTheStartIsRemovedBeforeTheEnd) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PERIND, 1), 0);
  read_collection("degen2");
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_NE(results->text().find("Perturbation started.\n"), std::string::npos) << results->text();
  EXPECT_NE(results->text().find("Removing perturbation.\n"), std::string::npos) << results->text();
  expect_solved("degen2", ref.at("degen2"), 2);
}

TEST_F(DualTest, ConcurrentOptimisationSolves) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = reference_optima();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_LPMETHOD, 6), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, 2), 0);
  read_collection("scfxm1");
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_NEAR(objective(), ref.at("scfxm1"), 1e-6 * std::fabs(ref.at("scfxm1")));
  EXPECT_LE(quality(1), 1e-6);
  const int method = KRVgetmethod(env, lp);
  // Any racer may win: dual, primal or the barrier.
  EXPECT_TRUE(method == 1 || method == 2 || method == 4) << method;
  // Without a primal simplex in the build only the dual runs, as a plain solve.
  KRVprob probe = KRVcloneprob(env, lp, nullptr);
  ASSERT_NE(probe, nullptr);
  const bool primal_built = KRVprimopt(env, probe) == 0;
  KRVfreeprob(env, &probe);
  if (primal_built) {
    EXPECT_NE(results->text().find("Parallel mode: deterministic, using up to 2 threads for concurrent optimization.\n"),
              std::string::npos)
        << results->text();
  }
  // With its crossover off the barrier stays out of the race, and says so.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARCROSSALG, -1), 0);
  read_collection("afiro");
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_NE(warnings->text().find("Warning: concurrent optimization will not use barrier because\ncrossover was disabled.\n"),
            std::string::npos)
      << warnings->text();
}

TEST_F(DualTest, OptimisersThatAreNotBuiltFailCleanly) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("afiro");
  EXPECT_EQ(KRVsiftopt(env, lp), 1292);
  EXPECT_EQ(KRVgetstat(env, lp), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_LPMETHOD, 5), 0);
  EXPECT_EQ(KRVlpopt(env, lp), 1292);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_LPMETHOD, 2), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
}

}  // namespace
