// What a search makes of the MIP starts before it begins, called the way
// the driver calls it: the effort levels in force, the checks that keep
// infeasible points out, completion of partial starts by a nested search,
// the messages, and the repair of the starts that gave nothing.
#include <cmath>
#include <string>
#include <vector>

#include "mip/mip_model.h"
#include "mip/mip_start_processing.h"
#include "mip/mip_test_support.h"
#include "mip/solution_check.h"
#include "model/model.h"

namespace {

using korva::mip::MipStartOutcome;

// min 3 a + 2 b + 4 c + y  with a + b + c >= 1, y >= 2 a + b;
// a, b, c binary, y in [0, 10]. The optimum is b = 1, y = 1 (3).
mip_test::SmallMip choice_model() {
  mip_test::SmallMip m;
  m.obj = {3.0, 2.0, 4.0, 1.0};
  m.lb = {0.0, 0.0, 0.0, 0.0};
  m.ub = {1.0, 1.0, 1.0, 10.0};
  m.ctype = {'B', 'B', 'B', 'C'};
  m.rows.push_back({{{0, 1.0}, {1, 1.0}, {2, 1.0}}, 'G', 1.0});
  m.rows.push_back({{{3, 1.0}, {0, -2.0}, {1, -1.0}}, 'G', 0.0});
  return m;
}

class StartProcessing : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    ASSERT_EQ(model_data.load(env, lp), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 2), 0);
  }
  void add(const std::vector<int>& cols, const std::vector<double>& values, int effort) {
    const int beg = 0;
    ASSERT_EQ(KRVaddmipstarts(env, lp, 1, static_cast<int>(cols.size()), &beg, cols.data(), values.data(),
                              &effort, nullptr),
              0);
  }
  MipStartOutcome process(int display = 2) {
    korva::Problem& p = *lp;
    EXPECT_EQ(korva::model::complete(*env, p), 0);
    korva::mip::build_mip_model(p, model);
    MipStartOutcome out;
    EXPECT_EQ(korva::mip::process_mip_starts(*env, p, model, display, out), 0);
    return out;
  }
  bool feasible(std::vector<double> x) {
    return korva::mip::model_violation(model, x, 1e-5, 1e-6) <= 1e-6 && model_data.num_cols() == static_cast<int>(x.size());
  }
  mip_test::SmallMip model_data = choice_model();
  korva::mip::MipModel model;
};

TEST_F(StartProcessing, AnAutomaticStartAtIndexZeroRunsAtRepairLevelAndIsFound) {
  add({0, 1, 2, 3}, {1.0, 0.0, 0.0, 2.0}, KRV_MIPSTART_AUTO);
  const MipStartOutcome out = process();
  EXPECT_EQ(out.levels, std::vector<int>{KRV_MIPSTART_REPAIR});
  ASSERT_TRUE(out.found);
  EXPECT_EQ(out.index, 0);
  EXPECT_EQ(out.x, (std::vector<double>{1.0, 0.0, 0.0, 2.0}));
  EXPECT_DOUBLE_EQ(out.objective, 5.0);
  EXPECT_EQ(results->text(),
            "MIP start 'm1' defined solution with objective 5.0000.\n"
            "1 of 1 MIP starts provided solutions.\n"
            "MIP start 'm1' defined initial solution with objective 5.0000.\n");
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(StartProcessing, TheSameStartAtIndexOneIsOnlyChecked) {
  add({1}, {1.0}, -1);
  add({0, 1, 2, 3}, {1.0, 0.0, 0.0, 2.0}, KRV_MIPSTART_AUTO);
  const MipStartOutcome out = process();
  EXPECT_EQ(out.levels, (std::vector<int>{-1, KRV_MIPSTART_CHECKFEAS}));
  ASSERT_TRUE(out.found);
  EXPECT_EQ(out.index, 1);
  EXPECT_EQ(results->text(),
            "MIP start 'm2' defined solution with objective 5.0000.\n"
            "1 of 1 MIP starts provided solutions.\n"
            "MIP start 'm2' defined initial solution with objective 5.0000.\n");
}

TEST_F(StartProcessing, APartialStartIsCompletedAtLevelFourButNotChecked) {
  // Only b given: the nested search finds y = 1 with the rest at 0.
  add({1}, {1.0}, KRV_MIPSTART_AUTO);
  add({1}, {1.0}, KRV_MIPSTART_AUTO);
  const MipStartOutcome out = process();
  EXPECT_EQ(out.levels, (std::vector<int>{KRV_MIPSTART_REPAIR, KRV_MIPSTART_CHECKFEAS}));
  ASSERT_TRUE(out.found);
  EXPECT_EQ(out.index, 0);
  EXPECT_TRUE(feasible(out.x));
  EXPECT_DOUBLE_EQ(out.objective, 3.0);
  EXPECT_EQ(out.solutions, 1);
  ASSERT_EQ(out.retained.size(), 1u);
  EXPECT_EQ(out.retained[0].index, 1);
  EXPECT_EQ(results->text(),
            "MIP start 'm1' defined solution with objective 3.0000.\n"
            "1 of 2 MIP starts provided solutions.\n"
            "MIP start 'm1' defined initial solution with objective 3.0000.\n"
            "Retaining values of one MIP start for possible repair.\n");
}

TEST_F(StartProcessing, CheckingComputesMissingContinuousValues) {
  add({0, 1, 2}, {0.0, 1.0, 0.0}, KRV_MIPSTART_CHECKFEAS);
  const MipStartOutcome out = process();
  ASSERT_TRUE(out.found);
  EXPECT_TRUE(feasible(out.x));
  EXPECT_NEAR(out.x[3], 1.0, 1e-9);
}

TEST_F(StartProcessing, InfeasibleStartsAreNeverTaken) {
  // Complete but breaking both rows, at every level that keeps the values.
  add({0, 1, 2, 3}, {0.0, 0.0, 0.0, 0.0}, KRV_MIPSTART_CHECKFEAS);
  add({0, 1, 2, 3}, {1.0, 0.0, 0.0, 0.0}, KRV_MIPSTART_CHECKFEAS);
  // Integer values fixed at an infeasible choice: no completion exists.
  add({0, 1, 2}, {0.0, 0.0, 0.0}, KRV_MIPSTART_SOLVEFIXED);
  add({0, 1, 2}, {0.0, 0.0, 0.0}, KRV_MIPSTART_NOCHECK);
  // A fractional value cannot be fixed at level 2.
  add({0, 1, 2}, {0.5, 1.0, 0.0}, KRV_MIPSTART_SOLVEFIXED);
  const MipStartOutcome out = process();
  EXPECT_FALSE(out.found);
  EXPECT_EQ(out.solutions, 0);
  EXPECT_EQ(out.retained.size(), 5u);
  EXPECT_EQ(warnings->text(), "Warning:  No solution found from 5 MIP starts.\n");
  EXPECT_EQ(results->text(), "Retaining values of 5 MIP starts for possible repair.\n");
}

TEST_F(StartProcessing, TheBestOfSeveralStartsWinsAndSkippedOnesDoNotCount) {
  add({0, 1, 2, 3}, {0.0, 0.0, 1.0, 0.0}, KRV_MIPSTART_CHECKFEAS);  // 4
  add({0, 1, 2, 3}, {0.0, 1.0, 0.0, 1.0}, -1);                       // skipped
  add({0, 1, 2, 3}, {0.0, 1.0, 0.0, 5.0}, KRV_MIPSTART_CHECKFEAS);  // 7
  add({1}, {1.0}, KRV_MIPSTART_SOLVEMIP);                            // 3
  const MipStartOutcome out = process();
  ASSERT_TRUE(out.found);
  EXPECT_EQ(out.index, 3);
  EXPECT_EQ(out.solutions, 3);
  EXPECT_EQ(results->text(),
            "MIP start 'm1' defined solution with objective 4.0000.\n"
            "MIP start 'm3' defined solution with objective 7.0000.\n"
            "MIP start 'm4' defined solution with objective 3.0000.\n"
            "3 of 3 MIP starts provided solutions.\n"
            "MIP start 'm4' defined initial solution with objective 3.0000.\n");
}

TEST_F(StartProcessing, LargeObjectivesAreWrittenInExponentFormAndNamesAreShown) {
  const int cols[] = {0, 1, 2, 3};
  const double big[] = {3e7, 2e7, 4e7, 1e7};
  ASSERT_EQ(KRVchgobj(env, lp, 4, cols, big), 0);
  const int beg = 0, effort = KRV_MIPSTART_CHECKFEAS;
  const double values[] = {1.0, 0.0, 0.0, 2.0};
  const char* name[] = {"mine"};
  ASSERT_EQ(KRVaddmipstarts(env, lp, 1, 4, &beg, cols, values, &effort, const_cast<char**>(name)), 0);
  process();
  EXPECT_EQ(results->text(),
            "MIP start 'mine' defined solution with objective 5.0000e+07.\n"
            "1 of 1 MIP starts provided solutions.\n"
            "MIP start 'mine' defined initial solution with objective 5.0000e+07.\n");
}

TEST_F(StartProcessing, MaximisingPicksTheLargestObjective) {
  ASSERT_EQ(KRVchgobjsen(env, lp, -1), 0);
  add({0, 1, 2, 3}, {0.0, 1.0, 0.0, 1.0}, KRV_MIPSTART_CHECKFEAS);  // 3
  add({0, 1, 2, 3}, {1.0, 1.0, 1.0, 9.0}, KRV_MIPSTART_CHECKFEAS);  // 18
  const MipStartOutcome out = process();
  ASSERT_TRUE(out.found);
  EXPECT_EQ(out.index, 1);
  EXPECT_DOUBLE_EQ(out.objective, 18.0);
}

TEST_F(StartProcessing, WithoutDisplayNothingIsWrittenButWarnings) {
  add({0, 1, 2, 3}, {0.0, 0.0, 0.0, 0.0}, KRV_MIPSTART_CHECKFEAS);
  const MipStartOutcome out = process(0);
  EXPECT_FALSE(out.found);
  EXPECT_EQ(results->text(), "");
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(StartProcessing, LazyConstraintsTurnCheckingIntoSolvingFixedWithOneWarning) {
  // Lazy: a + b <= 1.
  const double rhs = 1.0;
  const char sense = 'L';
  const int beg = 0, ind[] = {0, 1};
  const double val[] = {1.0, 1.0};
  ASSERT_EQ(KRVaddlazyconstraints(env, lp, 1, 2, &rhs, &sense, &beg, ind, val, nullptr), 0);
  add({0, 1, 2, 3}, {1.0, 1.0, 0.0, 3.0}, KRV_MIPSTART_CHECKFEAS);  // breaks the lazy row
  add({0, 1, 2}, {0.0, 1.0, 0.0}, KRV_MIPSTART_AUTO);
  const MipStartOutcome out = process();
  EXPECT_EQ(out.levels, (std::vector<int>{KRV_MIPSTART_SOLVEFIXED, KRV_MIPSTART_SOLVEFIXED}));
  EXPECT_EQ(warnings->text(),
            "Warning: Effort level 'CheckFeas' is incompatible with lazy constraints.\n"
            "         Effort level increased to 'SolveFixed'.\n");
  ASSERT_TRUE(out.found);
  EXPECT_EQ(out.index, 1);
  EXPECT_TRUE(feasible(out.x));
}

TEST_F(StartProcessing, NoRepairTriesRetainNothing) {
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_REPAIRTRIES, -1), 0);
  add({0, 1, 2, 3}, {0.0, 0.0, 0.0, 0.0}, KRV_MIPSTART_CHECKFEAS);
  const MipStartOutcome out = process();
  EXPECT_TRUE(out.retained.empty());
  EXPECT_EQ(results->text(), "");
}

TEST_F(StartProcessing, RepairFreesTheConflictAndFindsAFeasiblePoint) {
  // Every binary at 0 breaks a + b + c >= 1; the repair frees that row.
  add({0, 1, 2, 3}, {0.0, 0.0, 0.0, 0.0}, KRV_MIPSTART_REPAIR);
  const MipStartOutcome started = process();
  ASSERT_EQ(started.retained.size(), 1u);
  results->clear();
  MipStartOutcome repaired;
  ASSERT_EQ(korva::mip::repair_mip_starts(*env, model, started.retained, 0, 2, repaired), 0);
  ASSERT_TRUE(repaired.found);
  EXPECT_TRUE(feasible(repaired.x));
  EXPECT_EQ(repaired.index, 0);
  EXPECT_EQ(results->text(), "Repair heuristic succeeded.\n");

  results->clear();
  ASSERT_EQ(korva::mip::repair_mip_starts(*env, model, started.retained, -1, 2, repaired), 0);
  EXPECT_FALSE(repaired.found);
  EXPECT_EQ(results->text(), "");
}

TEST_F(StartProcessing, RepairOfAnInfeasibleModelFindsNothing) {
  // a + b + c <= 0 contradicts a + b + c >= 1.
  const double rhs = 0.0;
  const char sense = 'L';
  const int beg = 0, ind[] = {0, 1, 2};
  const double val[] = {1.0, 1.0, 1.0};
  ASSERT_EQ(KRVaddrows(env, lp, 0, 1, 3, &rhs, &sense, &beg, ind, val, nullptr, nullptr), 0);
  add({0, 1, 2}, {1.0, 0.0, 0.0}, KRV_MIPSTART_REPAIR);
  const MipStartOutcome started = process();
  ASSERT_EQ(started.retained.size(), 1u);
  results->clear();
  MipStartOutcome repaired;
  ASSERT_EQ(korva::mip::repair_mip_starts(*env, model, started.retained, 2, 2, repaired), 0);
  EXPECT_FALSE(repaired.found);
  EXPECT_EQ(results->text(), "Repair heuristic found nothing.\n");
}

// A collection model: egout's binaries open arcs that carry continuous flow.
class CollectionStarts : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    KORVA_REQUIRE_SHARED_DATA();
    exact_answers_without_log();
    read_collection_model("egout");
    ASSERT_EQ(KRVmipopt(env, lp), 0);
    ASSERT_EQ(KRVgetstat(env, lp), 101);
    n = KRVgetnumcols(env, lp);
    optimum.resize(n);
    ASSERT_EQ(KRVgetx(env, lp, optimum.data(), 0, n - 1), 0);
    ASSERT_EQ(KRVgetobjval(env, lp, &objective), 0);
    types.resize(n);
    ASSERT_EQ(KRVgetctype(env, lp, types.data(), 0, n - 1), 0);
  }
  void add(bool continuous_too, int effort) {
    std::vector<int> cols;
    std::vector<double> values;
    for (int j = 0; j < n; ++j) {
      if (types[j] == 'C' && !continuous_too) continue;
      cols.push_back(j);
      values.push_back(optimum[j]);
    }
    const int beg = 0;
    ASSERT_EQ(KRVaddmipstarts(env, lp, 1, static_cast<int>(cols.size()), &beg, cols.data(), values.data(), &effort,
                              nullptr),
              0);
  }
  MipStartOutcome process() {
    korva::mip::build_mip_model(*lp, model);
    MipStartOutcome out;
    EXPECT_EQ(korva::mip::process_mip_starts(*env, *lp, model, 0, out), 0);
    return out;
  }
  int n = 0;
  double objective = 0.0;
  std::vector<double> optimum;
  std::vector<char> types;
  korva::mip::MipModel model;
};

TEST_F(CollectionStarts, TheOptimumAndItsIntegerPartBothGiveTheOptimalObjective) {
  add(true, KRV_MIPSTART_CHECKFEAS);
  add(false, KRV_MIPSTART_CHECKFEAS);
  add(false, KRV_MIPSTART_SOLVEFIXED);
  const MipStartOutcome out = process();
  EXPECT_EQ(out.solutions, 3);
  EXPECT_NEAR(out.objective, objective, 1e-6 * (1.0 + std::fabs(objective)));
  EXPECT_LE(korva::mip::model_violation(model, out.x, 1e-5, 1e-6), 1e-6);
}

TEST_F(CollectionStarts, AStartWithEveryBinaryClosedIsRepaired) {
  // All arcs closed leaves the demands unserved: nothing completes it as it is.
  std::vector<int> cols;
  for (int j = 0; j < n; ++j)
    if (types[j] != 'C') cols.push_back(j);
  const std::vector<double> zeros(cols.size(), 0.0);
  const int beg = 0, effort = KRV_MIPSTART_REPAIR;
  ASSERT_EQ(KRVaddmipstarts(env, lp, 1, static_cast<int>(cols.size()), &beg, cols.data(), zeros.data(), &effort,
                            nullptr),
            0);
  const MipStartOutcome out = process();
  ASSERT_FALSE(out.found);
  ASSERT_EQ(out.retained.size(), 1u);
  MipStartOutcome repaired;
  ASSERT_EQ(korva::mip::repair_mip_starts(*env, model, out.retained, 0, 0, repaired), 0);
  ASSERT_TRUE(repaired.found);
  EXPECT_LE(korva::mip::model_violation(model, repaired.x, 1e-5, 1e-6), 1e-6);
  EXPECT_GE(repaired.objective, objective - 1e-6 * (1.0 + std::fabs(objective)));
}

}  // namespace
