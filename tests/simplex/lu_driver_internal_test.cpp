// The refactorisation driver: recovery from instability and singularity,
// the repair of singular bases with its messages, and the parameters that
// bound it.
#include <gtest/gtest.h>

#include <string>

#include "env/environment.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/lu/refactor_driver.h"
#include "simplex/support/factor_harness.h"
#include "support/korva_test.h"

using korva::lu::FactorControl;
using korva::lu::Placement;
using korva::lu::RepairRecord;
using korva::lu::RepairView;
using korva_test::SparseMatrix;

namespace {

const char* test_name(void*, bool row, int index) {
  static std::string name;
  name = (row ? "row" : "col") + std::to_string(index);
  return name.c_str();
}

class LuDriver : public korva_test::EnvTest {
 protected:
  // Runs the driver on `basic` of matrix `a`.
  int refactor(const SparseMatrix& a, std::vector<int>& basic, FactorControl& control,
               const RepairView& view, double* ratio = nullptr, bool allow = true) {
    lu.setup(a.rows, korva::lu::factor_options(*env), &env->ticks);
    source = a.source();
    records.clear();
    return korva::lu::refactorise(*env, lu, source, basic.data(), control, allow, view, records, ratio);
  }
  RepairView named() {
    RepairView v;
    v.name = test_name;
    return v;
  }
  korva::lu::LuFactor lu;
  korva::lu::BasisSource source;
  std::vector<RepairRecord> records;
};

// Three rows; columns 0 and 1 are identical, column 2 is independent.
SparseMatrix twin_columns() {
  SparseMatrix a;
  a.rows = 3;
  a.add_column({{0, 1.0}, {1, 2.0}});
  a.add_column({{0, 1.0}, {1, 2.0}});
  a.add_column({{1, 1.0}, {2, 4.0}});
  return a;
}

}  // namespace

TEST_F(LuDriver, AllSlackBasisFactorisesOnce) {
  SparseMatrix a;
  a.rows = 20;
  std::vector<int> basic = korva_test::slack_basis(a);
  FactorControl control = korva::lu::factor_control(*env);
  EXPECT_EQ(refactor(a, basic, control, named()), korva::lu::kOk);
  EXPECT_EQ(control.refactorisations, 1);
  EXPECT_EQ(lu.factor_nonzeros(), 20);
  EXPECT_EQ(results->text(), "");
}

TEST_F(LuDriver, IdenticalColumnsAreRepairedOnce) {
  SparseMatrix a = twin_columns();
  std::vector<int> basic = {0, 1, 2};
  FactorControl control = korva::lu::factor_control(*env);
  ASSERT_EQ(refactor(a, basic, control, named()), korva::lu::kRepaired);
  ASSERT_EQ(records.size(), 1u);
  const RepairRecord& r = records[0];
  EXPECT_TRUE(r.removed == 0 || r.removed == 1);
  EXPECT_TRUE(r.fixed_by_singularity);
  EXPECT_EQ(r.entered, a.cols + r.row);
  EXPECT_EQ(basic[r.position], r.entered);
  EXPECT_EQ(control.repairs, 1);
  EXPECT_EQ(control.refactorisations, 1);
  EXPECT_DOUBLE_EQ(control.markowitz, 0.1);
  std::string expected = "Repairing basis singularity.\nVariable 'col" + std::to_string(r.removed) +
                         "' fixed because of singularity.\nMarkowitz threshold set to 0.1\n";
  EXPECT_EQ(results->text(), expected);
  EXPECT_TRUE(lu.factorised());
}

TEST_F(LuDriver, SingularityLimitZeroMeansNoRepair) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SINGLIM, 0), 0);
  SparseMatrix a = twin_columns();
  std::vector<int> basic = {0, 1, 2};
  FactorControl control = korva::lu::factor_control(*env);
  EXPECT_EQ(refactor(a, basic, control, named()), korva::lu::kSingular);
  EXPECT_TRUE(records.empty());
  EXPECT_EQ(basic, (std::vector<int>{0, 1, 2}));
  EXPECT_FALSE(lu.factorised());
  EXPECT_EQ(control.refactorisations, 0);
}

TEST_F(LuDriver, RepairsCountAgainstTheLimitOncePerCall) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SINGLIM, 1), 0);
  SparseMatrix a = twin_columns();
  FactorControl control = korva::lu::factor_control(*env);
  std::vector<int> basic = {0, 1, 2};
  EXPECT_EQ(refactor(a, basic, control, named()), korva::lu::kRepaired);
  basic = {0, 1, 2};
  EXPECT_EQ(refactor(a, basic, control, named()), korva::lu::kSingular);
  EXPECT_EQ(control.repairs, 1);
}

TEST_F(LuDriver, ForbiddenRepairStopsWithTheRepairCode) {
  SparseMatrix a = twin_columns();
  std::vector<int> basic = {0, 1, 2};
  FactorControl control = korva::lu::factor_control(*env);
  control.forbid_repair = true;
  EXPECT_EQ(refactor(a, basic, control, named()), korva::lu::kRepaired);
  EXPECT_EQ(control.refused_repairs, 1);
  EXPECT_TRUE(records.empty());
  EXPECT_FALSE(lu.factorised());
}

TEST_F(LuDriver, RepairNotAllowedByTheCallerLeavesTheBasisSingular) {
  SparseMatrix a = twin_columns();
  std::vector<int> basic = {0, 1, 2};
  FactorControl control = korva::lu::factor_control(*env);
  EXPECT_EQ(refactor(a, basic, control, named(), nullptr, false), korva::lu::kSingular);
  EXPECT_EQ(control.repairs, 0);
}

TEST_F(LuDriver, BadlyScaledBasisRaisesTheThresholdTwice) {
  SparseMatrix a;
  a.rows = 2;
  a.add_column({{0, 1.0}});
  a.add_column({{1, 3e-11}});
  std::vector<int> basic = {0, 1};
  FactorControl control = korva::lu::factor_control(*env);
  EXPECT_EQ(refactor(a, basic, control, named()), korva::lu::kOk);
  EXPECT_DOUBLE_EQ(control.markowitz, 0.2);
  EXPECT_EQ(results->text(), "Markowitz threshold set to 0.2\n");
}

TEST_F(LuDriver, AskingForThePivotRatioDisablesTheStabilityTest) {
  SparseMatrix a;
  a.rows = 2;
  a.add_column({{0, 4.0}});
  a.add_column({{1, 3e-11}});
  std::vector<int> basic = {0, 1};
  FactorControl control = korva::lu::factor_control(*env);
  double ratio = 0.0;
  EXPECT_EQ(refactor(a, basic, control, named(), &ratio), korva::lu::kOk);
  EXPECT_DOUBLE_EQ(ratio, 4.0 / 3e-11);
  EXPECT_DOUBLE_EQ(control.markowitz, 0.01);
  EXPECT_EQ(results->text(), "");
}

TEST_F(LuDriver, DuplicateSlackIsRemovedWithItsMessage) {
  SparseMatrix a;
  a.rows = 2;
  std::vector<int> basic = {0, 0};  // the slack of row 0 twice
  FactorControl control = korva::lu::factor_control(*env);
  ASSERT_EQ(refactor(a, basic, control, named()), korva::lu::kRepaired);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].row, 1);
  EXPECT_FALSE(records[0].fixed_by_singularity);
  EXPECT_EQ(results->text(),
            "Repairing basis singularity.\nSlack removed by singularity.\nMarkowitz threshold set to 0.1\n");

  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
  results->clear();
  basic = {0, 0};
  control = korva::lu::factor_control(*env);
  RepairView quiet = named();
  quiet.display = 0;
  ASSERT_EQ(refactor(a, basic, control, quiet), korva::lu::kRepaired);
  EXPECT_EQ(results->text(), "");
}

TEST_F(LuDriver, RangeVariableAndDualRepairsReportTheirRows) {
  SparseMatrix a;
  a.rows = 2;
  // Logicals: the two slacks, then the range variable of row 1.
  const int logical_row[] = {0, 1, 1};
  const double logical_coef[] = {1.0, 1.0, -1.0};
  const korva::lu::LogicalKind kinds[] = {korva::lu::LogicalKind::Slack, korva::lu::LogicalKind::Slack,
                                           korva::lu::LogicalKind::Range};
  std::vector<int> basic = {2, 2};
  FactorControl control = korva::lu::factor_control(*env);
  lu.setup(2, korva::lu::factor_options(*env), &env->ticks);
  source = a.source();
  source.num_logical = 3;
  source.logical_row = logical_row;
  source.logical_coef = logical_coef;
  source.logical_kind = kinds;
  RepairView view = named();
  ASSERT_EQ(korva::lu::refactorise(*env, lu, source, basic.data(), control, true, view, records),
            korva::lu::kRepaired);
  EXPECT_NE(results->text().find("Variable 'range row1' caused singularity.\n"), std::string::npos);

  results->clear();
  records.clear();
  basic = {2, 2};
  view.dual = true;
  ASSERT_EQ(korva::lu::refactorise(*env, lu, source, basic.data(), control, true, view, records),
            korva::lu::kRepaired);
  EXPECT_NE(results->text().find("Dual 'row0' fixed because of singularity.\n"), std::string::npos);
  EXPECT_EQ(results->text().find("caused singularity"), std::string::npos);
}

TEST_F(LuDriver, RemovedVariablesGoToBoundsOrTheSuperbasicList) {
  SparseMatrix a = twin_columns();
  std::vector<int> basic = {0, 1, 2};
  const double value[] = {0.5, 0.5, 0.0, 0, 0, 0};
  const double lower[] = {0.0, 0.0, 0.0, 0, 0, 0};
  const double upper[] = {1.0, 1.0, 1.0, 1e20, 1e20, 1e20};
  RepairView view = named();
  view.value = value;
  view.lower = lower;
  view.upper = upper;
  FactorControl control = korva::lu::factor_control(*env);
  ASSERT_EQ(refactor(a, basic, control, view), korva::lu::kRepaired);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].placement, Placement::Superbasic);
  EXPECT_DOUBLE_EQ(records[0].value, 0.5);
  EXPECT_NE(results->text().find("Added to 1d columns superbasic list.\n"), std::string::npos);
}

TEST(LuPlacement, ValuesAtOrBeyondABoundGoToThatBound) {
  double v = 0.0;
  EXPECT_EQ(korva::lu::place_nonbasic(-1.0, 0.0, 5.0, &v), Placement::AtLower);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(korva::lu::place_nonbasic(5.0, 0.0, 5.0, &v), Placement::AtUpper);
  EXPECT_EQ(v, 5.0);
  EXPECT_EQ(korva::lu::place_nonbasic(2.0, 0.0, 5.0, &v), Placement::Superbasic);
  EXPECT_EQ(v, 2.0);
  EXPECT_EQ(korva::lu::place_nonbasic(3.0, 0.0, 1e20, &v), Placement::AtLower);
  EXPECT_EQ(korva::lu::place_nonbasic(2e10, -3e10, 3e10, &v), Placement::AtUpper);
  EXPECT_EQ(korva::lu::place_nonbasic(7.0, -1e20, 1e20, &v), Placement::Superbasic);
}

TEST_F(LuDriver, ReinvOneRefusesEveryUpdate) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_REINV, 1), 0);
  SparseMatrix a = twin_columns();
  std::vector<int> basic = {0, 4, 2};
  FactorControl control = korva::lu::factor_control(*env);
  ASSERT_EQ(refactor(a, basic, control, named()), korva::lu::kOk);
  korva::SparseVector col(3);
  col.set_new(1, 1.0);
  lu.ftran(col, korva::lu::SolveKind::Automatic, true);
  EXPECT_EQ(lu.update(col, 1), korva::lu::UpdateResult::Refactorise);
}

TEST_F(LuDriver, FactorisationChargesTicks) {
  std::mt19937_64 rng(3);
  SparseMatrix a = korva_test::random_matrix(200, 400, 3, rng);
  std::vector<int> basic = korva_test::overlapping_crash(a);
  FactorControl control = korva::lu::factor_control(*env);
  uint64_t before = env->ticks.now();
  int code = refactor(a, basic, control, RepairView{});
  EXPECT_TRUE(code == korva::lu::kOk || code == korva::lu::kRepaired);
  EXPECT_GE(env->ticks.now() - before, static_cast<uint64_t>(a.rows));
}

// The driver writes to whatever the results channel's destinations are;
// here a destination of our own on a separate environment.
TEST(LuDriverChannels, RepairMessagesReachTheResultsChannelDestinations) {
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  ASSERT_NE(env, nullptr);
  KRVchannel results = nullptr;
  KRVgetchannels(env, &results, nullptr, nullptr, nullptr);
  std::string text;
  auto receive = [](void* handle, const char* message) { *static_cast<std::string*>(handle) += message; };
  ASSERT_EQ(KRVaddfuncdest(env, results, &text, receive), 0);
  SparseMatrix a = twin_columns();
  std::vector<int> basic = {0, 1, 2};
  korva::lu::LuFactor lu;
  lu.setup(3, korva::lu::factor_options(*env), &env->ticks);
  korva::lu::BasisSource source = a.source();
  FactorControl control = korva::lu::factor_control(*env);
  std::vector<RepairRecord> records;
  EXPECT_EQ(korva::lu::refactorise(*env, lu, source, basic.data(), control, true, RepairView{}, records),
            korva::lu::kRepaired);
  EXPECT_NE(text.find("fixed because of singularity"), std::string::npos);
  EXPECT_EQ(KRVdelfuncdest(env, results, &text, receive), 0);
  KRVcloseKORVA(&env);
}
