// The barrier optimizer through the C API: collection models solved to the
// reference optimum with a basis the simplex accepts as it is, interior
// solutions without crossover, infeasible and unbounded models, limits,
// dense columns and the log.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/lp_test.h"

namespace {

using korva_test::data_path;

class BarrierTest : public korva_test::LpTest {
 protected:
  void expect_reference_optimum(const std::string& name) {
    static const auto reference = korva_test::reference_optima();
    const auto it = reference.find(name);
    ASSERT_NE(it, reference.end()) << name;
    EXPECT_NEAR(objective(), it->second, 1e-6 * (1.0 + std::fabs(it->second))) << name;
  }
};

class BarrierCollection : public BarrierTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BarrierCollection, CrossoverEndsAtTheOptimumWithABasisTheSimplexKeeps) {
  KORVA_REQUIRE_SHARED_DATA();
  const std::string name = GetParam();
  read_collection(name);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL) << name;
  EXPECT_EQ(KRVgetmethod(env, lp), KRV_ALG_BARRIER);
  EXPECT_GT(KRVgetbaritcnt(env, lp), 0);
  expect_reference_optimum(name);
  int solntype = 0;
  ASSERT_EQ(KRVsolninfo(env, lp, nullptr, &solntype, nullptr, nullptr), 0);
  EXPECT_EQ(solntype, KRV_BASIC_SOLN);

  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_EQ(KRVgetitcnt(env, lp), 0) << name;
}

TEST_P(BarrierCollection, WithoutCrossoverTheInteriorPointMeetsTheTolerances) {
  KORVA_REQUIRE_SHARED_DATA();
  const std::string name = GetParam();
  read_collection(name);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARCROSSALG, -1), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL) << name;
  int solntype = 0;
  ASSERT_EQ(KRVsolninfo(env, lp, nullptr, &solntype, nullptr, nullptr), 0);
  EXPECT_EQ(solntype, KRV_NONBASIC_SOLN);
  int cstat = 0;
  EXPECT_EQ(KRVgetbase(env, lp, &cstat, nullptr), 1262);
  expect_reference_optimum(name);
  EXPECT_LT(quality(1), 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Netlib, BarrierCollection,
                         ::testing::Values("afiro", "sc50a", "adlittle", "blend", "share2b", "sc105", "stocfor1",
                                           "kb2", "recipe", "boeing2", "israel", "lotfi", "grow7", "bandm",
                                           "scagr7", "scfxm1", "agg2", "degen2", "25fv47", "pilot4"));

// With and without crossover, and without presolve to find it out first.
TEST_F(BarrierTest, InfeasibleAndUnboundedModelsAreNeverOptimal) {
  KORVA_REQUIRE_SHARED_DATA();
  for (const int crossover : {0, -1}) {
    for (const int presolve : {1, 0}) {
      SCOPED_TRACE("crossover " + std::to_string(crossover) + ", presolve " + std::to_string(presolve));
      ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARCROSSALG, crossover), 0);
      ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, presolve), 0);
      read_infeasible_sc105();
      ASSERT_EQ(KRVbaropt(env, lp), 0);
      const int infeasible = KRVgetstat(env, lp);
      EXPECT_TRUE(infeasible == KRV_STAT_INFEASIBLE || infeasible == KRV_STAT_INForUNBD || infeasible == 22)
          << infeasible;

      read_lp_text("Maximize\n obj: x + y\nSubject To\n c1: x - y <= 1\n c2: x - 2 y <= 4\nEnd\n");
      ASSERT_EQ(KRVbaropt(env, lp), 0);
      const int unbounded = KRVgetstat(env, lp);
      EXPECT_TRUE(unbounded == KRV_STAT_UNBOUNDED || unbounded == KRV_STAT_INForUNBD || unbounded == 21)
          << unbounded;
    }
  }
}

// The homogeneous embedding (algorithms 1 and 2) reaches the optimum
// without crossover, prints τ/κ in the "Inf Ratio" column, and ends with a
// certificate on infeasible and unbounded models instead of diverging.
TEST_F(BarrierTest, HomogeneousFormulationSolvesAndClassifiesWithoutCrossover) {
  KORVA_REQUIRE_SHARED_DATA();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARCROSSALG, -1), 0);
  for (const int algorithm : {1, 2}) {
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARALG, algorithm), 0);
    for (const char* name : {"afiro", "bnl1", "pilot4", "degen2"}) {
      SCOPED_TRACE(name);
      results->clear();
      read_collection(name);
      ASSERT_EQ(KRVbaropt(env, lp), 0);
      ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
      expect_reference_optimum(name);
      // The embedding's residuals shrink only with its complementarity:
      // within the relative tolerance, not far below it.
      EXPECT_LT(quality(1), 1e-5);
      // Iteration 0 and every later line end with the ratio: seven fields.
      const std::string log = results->text();
      const size_t first = log.find("\n   0 ");
      ASSERT_NE(first, std::string::npos) << log;
      std::istringstream line(log.substr(first + 1, log.find('\n', first + 1) - first - 1));
      std::vector<std::string> fields{std::istream_iterator<std::string>(line), std::istream_iterator<std::string>()};
      EXPECT_EQ(fields.size(), 7u) << line.str();
    }
  }
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARALG, 1), 0);
  read_infeasible_sc105();
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_INFEASIBLE);
  read_lp_text("Maximize\n obj: x + y\nSubject To\n c1: x - y <= 1\n c2: x - 2 y <= 4\nEnd\n");
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_INForUNBD);

  // The ordinary iterations turn to the embedding when they diverge.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARALG, 0), 0);
  read_lp_text("Minimize\n obj: x + y + z\nSubject To\n c1: x + y <= 1\n c2: x + y + z >= 3\n c3: z <= 1\nEnd\n");
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_INFEASIBLE);
}

// Without crossover there is no presolve to remove equations that others
// imply (the relaxation of air04 has some); the iterations must cope with
// them themselves and reach the optimum the crossover run proves.
TEST_F(BarrierTest, ImpliedEquationsDoNotSpoilTheInteriorSolution) {
  KORVA_REQUIRE_SHARED_DATA();
  ASSERT_EQ(KRVreadcopyprob(env, lp, data_path("miplib3/air04.mps.gz").c_str(), nullptr), 0);
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_LP), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  const double proven = objective();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARCROSSALG, -1), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_NEAR(objective(), proven, 1e-6 * std::fabs(proven));
  EXPECT_LT(quality(1), 1e-6);
}

// An objective constant that dwarfs the optimum loosens the relative
// measures; the user is told.
TEST_F(BarrierTest, AnObjectiveConstantThatDwarfsTheOptimumIsWarnedAbout) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARCROSSALG, -1), 0);
  read_lp_text("Minimize\n obj: x + y + 1000000 z\nSubject To\n c1: x + y >= -1000000\n c2: x - y <= 3\n"
               "Bounds\n z = 1\n x free\n y free\nEnd\n");
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_NEAR(objective(), 0.0, 1e-3);
  EXPECT_NE(warnings->text().find("\nWarning:  Barrier optimality criterion affected by large objective shift.\n"),
            std::string::npos)
      << warnings->text();
}

TEST_F(BarrierTest, AModelWithoutRowsIsSolvedWithoutIterations) {
  read_lp_text("Minimize\n obj: x - y + 0 z\nBounds\n 1 <= x <= 4\n -2 <= y <= 3\n z free\nEnd\n");
  ASSERT_EQ(KRVgetnumrows(env, lp), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_EQ(KRVgetbaritcnt(env, lp), 0);
  EXPECT_DOUBLE_EQ(objective(), 1.0 - 3.0);

  read_lp_text("Minimize\n obj: x - y\nBounds\n 1 <= x <= 4\n y >= 0\nEnd\n");
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_UNBOUNDED);
}

TEST_F(BarrierTest, AnUnknownCrossoverCharacterIsRefusedAndChangesNothing) {
  read_lp_text("Minimize\n obj: x + y\nSubject To\n c1: x + y >= 1\nEnd\n");
  EXPECT_EQ(KRVhybbaropt(env, lp, 'x'), 1292);
  EXPECT_EQ(KRVgetstat(env, lp), 0);
  EXPECT_NE(errors->text().find("Invalid choice of optimization method"), std::string::npos);
  ASSERT_EQ(KRVhybbaropt(env, lp, 'd'), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_NEAR(objective(), 1.0, 1e-9);
  ASSERT_EQ(KRVhybbaropt(env, lp, 'n'), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_NEAR(objective(), 1.0, 1e-7);
}

TEST_F(BarrierTest, LogFollowsTheDisplaySettings) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("afiro");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARDISPLAY, 0), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(results->text().find("Itn"), std::string::npos);
  EXPECT_EQ(results->text().find("Barrier time"), std::string::npos);
  EXPECT_EQ(results->text().find("Presolve time"), std::string::npos);

  results->clear();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARDISPLAY, 2), 0);
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_BARMAXCOR, 0), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  const std::string& log = results->text();
  EXPECT_NE(log.find("Max number of central corrections is 0\n"), std::string::npos);
  EXPECT_NE(log.find(" Itn      Primal Obj        Dual Obj  Prim Inf Upper Inf  Dual Inf Inf Ratio\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Number of nonzeros in lower triangle of A*A' = "), std::string::npos);
  EXPECT_NE(log.find("Barrier time = "), std::string::npos);
  EXPECT_NE(log.find("Total crossover time = "), std::string::npos);
  // afiro has 27 rows: too few for dense columns to be sought.
  EXPECT_EQ(log.find("Looking for dense columns"), std::string::npos);
}

TEST_F(BarrierTest, IterationLimitStopsWithoutCrossover) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("25fv47");
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_BARITLIM, 3), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_ABORT_IT_LIM);
  EXPECT_EQ(KRVgetbaritcnt(env, lp), 3);
  EXPECT_NE(results->text().find(" Barrier iteration limit exceeded.\n"), std::string::npos);
}

TEST_F(BarrierTest, AnObjectiveLimitStopsTheRunUnlessTheIterationLimitComesFirst) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("25fv47");  // minimised, optimum 5501.8
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARCROSSALG, -1), 0);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_BAROBJRNG, 100.0), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 22);  // the dual objective passed the limit
  const std::string log = results->text();
  EXPECT_NE(log.find(" Barrier limit on dual objective exceeded.\n"
                     " Infeasible barrier solution (dependent on objective limit).\n"),
            std::string::npos)
      << log;

  // With the iteration limit at the iteration where the dual objective
  // passes the limit, both tests fire together: the limits come first.
  const int stopped_at = KRVgetbaritcnt(env, lp);
  ASSERT_GT(stopped_at, 0);
  results->clear();
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_BARITLIM, stopped_at), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_ABORT_IT_LIM);
  EXPECT_EQ(results->text().find("objective exceeded"), std::string::npos) << results->text();
}

// 150 rows, each with its own column and one column in every row: the long
// column is taken out of A·Θ·Aᵀ and added back by the low-rank correction.
TEST_F(BarrierTest, ADenseColumnIsHandledApartAndGivesTheSameOptimum) {
  const int m = 150;
  std::string text = "Minimize\n obj: 10 d";
  for (int i = 0; i < m; ++i) text += " + " + std::to_string(1 + i % 7) + " x" + std::to_string(i);
  text += "\nSubject To\n";
  for (int i = 0; i < m; ++i)
    text += " r" + std::to_string(i) + ": x" + std::to_string(i) + " + " + std::to_string(0.5 + (i % 3)) +
            " d >= " + std::to_string(1 + i % 5) + "\n";
  text += "End\n";
  read_lp_text(text);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  const double simplex_objective = objective();
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_NEAR(objective(), simplex_objective, 1e-7 * (1 + std::fabs(simplex_objective)));
  EXPECT_NE(results->text().find("\n***NOTE: Found 1 dense columns.\n\n"), std::string::npos) << results->text();
}

TEST_F(BarrierTest, LpMethodFourRunsTheBarrier) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("sc50a");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_LPMETHOD, KRV_ALG_BARRIER), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_EQ(KRVgetmethod(env, lp), KRV_ALG_BARRIER);
  EXPECT_GT(KRVgetbaritcnt(env, lp), 0);
  expect_reference_optimum("sc50a");
}

}  // namespace

namespace {

TEST_F(BarrierTest, ConcurrentOptimizationRacesTheBarrierUnlessItsCrossoverIsOff) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("25fv47");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_LPMETHOD, KRV_ALG_CONCURRENT), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  const int method = KRVgetmethod(env, lp);
  EXPECT_TRUE(method == KRV_ALG_DUAL || method == KRV_ALG_PRIMAL || method == KRV_ALG_BARRIER) << method;
  expect_reference_optimum("25fv47");

  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARCROSSALG, -1), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_NE(warnings->text().find("Warning: concurrent optimization will not use barrier because\n"
                                  "crossover was disabled.\n"),
            std::string::npos);
}

}  // namespace
