// Presolve inside KRVlpopt on small hand-built models: the proof messages
// and the statuses they give, the summary lines and their switch, and
// models that presolve removes completely.
#include "presolve/presolve_support.h"

namespace {

using presolve_test::PresolveTest;

TEST_F(PresolveTest, EmptyColumnImprovingTowardsInfinityIsUnboundedOrInfeasible) {
  expect_proof("Minimize\n obj: x1 - x2\nSubject To\n c1: x1 + x3 >= 1\nBounds\n x2 >= 0\nEnd\n",
               4, "Dual infeasible due to empty column 'x2'.\n");
  double x = 0.0;
  EXPECT_NE(KRVgetx(env, lp, &x, 0, 0), 0);  // no vectors after a verdict
}

TEST_F(PresolveTest, EmptyRowThatCannotHoldIsInfeasible) {
  expect_proof("Minimize\n obj: x1\nSubject To\n c1: x1 >= 1\n c2: 0 x1 >= 5\nEnd\n",
               3, "Infeasibility row 'c2':  0 >= 5.\n");
}

TEST_F(PresolveTest, CrossedBoundsAndImpliedBoundsProveInfeasibility) {
  expect_proof("Minimize\n obj: x1 + x2\nSubject To\n c1: x1 + x2 >= 10\nBounds\n x1 <= 2\n x2 <= 3\nEnd\n",
               3, "Implied bounds make row 'c1' infeasible.\n");

  expect_proof("Minimize\n obj: x1 + x2\nSubject To\n c1: x1 + x2 >= 1\n c2: x1 >= 4\nBounds\n x1 <= 2\nEnd\n",
               3, "Bound infeasibility column 'x1'.\n");

  // Singleton rows pin both columns; the row is then a constant that misses.
  expect_proof(
      "Minimize\n obj: x1 + x2\nSubject To\n c1: x1 + x2 >= 10\n c2: x1 >= 2\n c3: x2 >= 3\n"
      "Bounds\n x1 <= 2\n x2 <= 3\nEnd\n",
      3, "Row 'c1' infeasible, all entries at implied bounds.\n");
}

TEST_F(PresolveTest, ModelPresolveRemovesCompletely) {
  // Singleton rows become bounds, the columns then go to the bounds their
  // costs prefer.
  read_lp_text(
      "Maximize\n obj: 2 x1 + 3 x2 - x3\nSubject To\n c1: x1 <= 4\n c2: 2 x2 <= 10\n c3: x3 >= 1\n"
      "Bounds\n x1 <= 8\nEnd\n");
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_NE(results->text().find("All rows and columns eliminated.\n"), std::string::npos) << results->text();
  EXPECT_NE(results->text().find("LP Presolve eliminated 3 rows and 3 columns.\n"), std::string::npos);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_DOUBLE_EQ(objective(), 2 * 4 + 3 * 5 - 1);
  double x[3], pi[3], dj[3], slack[3];
  ASSERT_EQ(KRVsolution(env, lp, nullptr, nullptr, x, pi, slack, dj), 0);
  EXPECT_DOUBLE_EQ(x[0], 4);
  EXPECT_DOUBLE_EQ(x[1], 5);
  EXPECT_DOUBLE_EQ(x[2], 1);
  // The rows that gave the bounds carry the duals.
  EXPECT_DOUBLE_EQ(pi[0], 2);
  EXPECT_DOUBLE_EQ(pi[1], 1.5);
  EXPECT_DOUBLE_EQ(pi[2], -1);
  for (double d : dj) EXPECT_DOUBLE_EQ(d, 0.0);
  int cstat[3], rstat[3];
  ASSERT_EQ(KRVgetbase(env, lp, cstat, rstat), 0);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(cstat[k], KRV_BASIC);
    EXPECT_EQ(rstat[k], KRV_AT_LOWER);
  }

  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  int prestat = -1;
  ASSERT_EQ(KRVgetprestat(env, lp, &prestat, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(prestat, 2);
  KRVprob red = lp;
  ASSERT_EQ(KRVgetredlp(env, lp, &red), 0);
  EXPECT_EQ(red, nullptr);
}

TEST_F(PresolveTest, SummaryLinesFollowTheDisplay) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("afiro");
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_NE(results->text().find("LP Presolve eliminated "), std::string::npos) << results->text();
  EXPECT_NE(results->text().find("Reduced LP has "), std::string::npos);
  EXPECT_NE(results->text().find("Presolve time = "), std::string::npos);

  results->clear();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
  read_collection("afiro");
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_EQ(results->text().find("Presolve"), std::string::npos) << results->text();
  EXPECT_EQ(results->text().find("Reduced LP"), std::string::npos);
}

TEST_F(PresolveTest, NoReductionsSaySo) {
  read_lp_text("Minimize\n obj: x1 + x2\nSubject To\n c1: x1 + x2 >= 1\n c2: x1 - x2 <= 3\nEnd\n");
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_NE(results->text().find("No LP presolve or aggregator reductions.\n"), std::string::npos)
      << results->text();
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_DOUBLE_EQ(objective(), 1.0);
}

TEST_F(PresolveTest, PresolveOffSolvesTheOriginal) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  read_lp_text("Minimize\n obj: x1 - x2\nSubject To\n c1: x1 + x3 >= 1\nBounds\n x2 >= 0\nEnd\n");
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(results->text().find("Dual infeasible due to empty column"), std::string::npos);
  EXPECT_EQ(KRVgetstat(env, lp), 2);
}

}  // namespace

namespace {

using presolve_test::PresolveTest;

// x3 is alone in an equality row and free: the row defines it.
constexpr const char* kSubstitutionModel =
    "Minimize\n obj: x1 + 2 x2 + x3\nSubject To\n c1: x1 + x2 + x3 = 4\n c2: x1 - x2 >= -2\n c3: x1 + 3 x2 >= 3\n"
    "Bounds\n x3 free\nEnd\n";

TEST_F(PresolveTest, SubstitutedColumnsAreCountedAndMappedBack) {
  read_lp_text(kSubstitutionModel);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_NE(results->text().find("Aggregator did 1 substitutions.\n"), std::string::npos) << results->text();
  EXPECT_NE(results->text().find("Tried aggregator 1 time.\n"), std::string::npos);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  // x3 = 4 - x1 - x2 makes the objective 4 + x2, so x2 = 0, x1 >= 3.
  EXPECT_NEAR(objective(), 4.0, 1e-9);
  double x[3];
  ASSERT_EQ(KRVgetx(env, lp, x, 0, 2), 0);
  EXPECT_NEAR(x[0] + x[1] + x[2], 4.0, 1e-9);
  EXPECT_LE(dual_violation(), 1e-9);
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  int pcstat[3], prstat[3];
  ASSERT_EQ(KRVgetprestat(env, lp, nullptr, pcstat, prstat, nullptr, nullptr), 0);
  EXPECT_EQ(pcstat[2], -2);
  EXPECT_LT(prstat[0], 0);
}

TEST_F(PresolveTest, ReductionSwitchesAreHonoured) {
  // Without aggregation nothing is substituted; with no reductions at all
  // presolve says so.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_AGGIND, 0), 0);
  read_lp_text(kSubstitutionModel);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(results->text().find("Aggregator did"), std::string::npos) << results->text();
  EXPECT_NEAR(objective(), 4.0, 1e-9);

  results->clear();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_REDUCE, 0), 0);
  read_lp_text(kSubstitutionModel);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_NE(results->text().find("No LP presolve or aggregator reductions.\n"), std::string::npos)
      << results->text();
  EXPECT_NEAR(objective(), 4.0, 1e-9);
}

TEST_F(PresolveTest, PresolveAloneRecordsItsVerdict) {
  read_lp_text("Minimize\n obj: x1 + x2\nSubject To\n c1: x1 + x2 >= 10\nBounds\n x1 <= 2\n x2 <= 3\nEnd\n");
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 3);
  int prestat = -1;
  ASSERT_EQ(KRVgetprestat(env, lp, &prestat, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(prestat, 0);
}

}  // namespace

namespace {

using presolve_test::PresolveTest;

TEST_F(PresolveTest, MultiplesOfAnEqualityRowGoOrProveInfeasibility) {
  read_lp_text(
      "Minimize\n obj: x1 + x2 + x3\nSubject To\n c1: x1 + 2 x2 + x3 = 4\n c2: 2 x1 + 4 x2 + 2 x3 <= 9\n"
      " c3: x1 - x2 >= -1\nEnd\n");
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  int prstat[3];
  ASSERT_EQ(KRVgetprestat(env, lp, nullptr, nullptr, prstat, nullptr, nullptr), 0);
  EXPECT_LT(prstat[1], 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_NEAR(objective(), 7.0 / 3.0, 1e-9);
  EXPECT_LE(dual_violation(), 1e-9);

  expect_proof(
      "Minimize\n obj: x1 + x2 + x3\nSubject To\n c1: x1 + 2 x2 + x3 = 4\n c2: 2 x1 + 4 x2 + 2 x3 <= 7\n"
      " c3: x1 - x2 >= -1\nEnd\n",
      3, "Row 'c2' is dependent and infeasible.\n");
}

}  // namespace

namespace {

using presolve_test::PresolveTest;

TEST_F(PresolveTest, TerminationEndsPresolveAsUserAbort) {
  KORVA_REQUIRE_SHARED_DATA();
  volatile int stop = 1;
  ASSERT_EQ(KRVsetterminate(env, &stop), 0);
  read_collection("afiro");
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 13);
  ASSERT_EQ(KRVsetterminate(env, nullptr), 0);
}

}  // namespace

namespace {

using presolve_test::PresolveTest;

TEST_F(PresolveTest, FreeColumnPricedAgainstItsRowIsDualInfeasible) {
  // x2 is free and alone in c2 (<=): its cost would need a positive dual there.
  expect_proof("Minimize\n obj: x1 + x2\nSubject To\n c1: x1 >= 1\n c2: x1 + x2 <= 4\nBounds\n x2 free\nEnd\n",
               4, "Dual infeasible due to dual bounds, row 'c2'.\n");
}

}  // namespace
