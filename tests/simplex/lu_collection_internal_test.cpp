// The basis factor on bases of real models: slack bases, triangular and
// overlapping crash bases, and random column selections completed with
// slacks (repaired by the driver when singular), followed by long runs of
// Forrest–Tomlin updates.
#include <gtest/gtest.h>

#include <random>

#include "env/environment.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/lu/refactor_driver.h"
#include "simplex/support/factor_harness.h"
#include "simplex/support/tiny_mps.h"
#include "support/korva_test.h"

using korva::lu::SolveKind;
using korva::lu::UpdateResult;
using korva_test::FactorHarness;
using korva_test::SparseMatrix;

namespace {

// Relative residual bounds under the default Markowitz threshold 0.01 on
// unscaled data (pilot spans many decades); updates add their own rounding.
constexpr double kBound = 1e-9;
constexpr double kUpdateBound = 1e-8;

const char* const kModels[] = {"afiro", "adlittle", "sc50a", "blend", "share2b", "scagr7", "israel",
                               "brandy", "bandm", "ship04s", "scfxm1", "stair", "pilot4", "25fv47",
                               "degen2", "czprob", "maros", "pilot"};

class LuCollection : public korva_test::EnvTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    korva_test::EnvTest::SetUp();
    KORVA_REQUIRE_SHARED_DATA();
    ASSERT_TRUE(korva_test::read_tiny_mps(korva_test::data_path(std::string("netlib/") + GetParam() + ".mps.gz"), a));
  }

  // Factorises through the driver (repairing when needed) and checks the
  // solves with dense and sparse right-hand sides in both solve kinds.
  void check_basis(std::vector<int> basic, const char* what) {
    SCOPED_TRACE(what);
    FactorHarness h(a, std::move(basic), korva::lu::factor_options(*env));
    korva::lu::FactorControl control = korva::lu::factor_control(*env);
    std::vector<korva::lu::RepairRecord> records;
    korva::lu::RepairView quiet;
    quiet.display = 0;
    int code = korva::lu::refactorise(*env, h.lu, h.source, h.basic.data(), control, true, quiet, records);
    ASSERT_TRUE(code == korva::lu::kOk || code == korva::lu::kRepaired) << code;
    for (int nz : {1, 5, a.rows}) {
      auto rhs = korva_test::random_rhs(a.rows, nz, rng);
      for (SolveKind kind : {SolveKind::Dense, SolveKind::Hypersparse}) {
        bool ok = false;
        EXPECT_LT(h.ftran_residual(rhs, kind, nullptr, &ok), kBound);
        EXPECT_TRUE(ok);
        EXPECT_LT(h.btran_residual(rhs, kind, nullptr, &ok), kBound);
        EXPECT_TRUE(ok);
      }
    }
    run_updates(h, control, 150);
  }

  // Simplex-like basis changes: a random nonbasic structural column enters
  // where its ftran has a pivot of at least a tenth of its largest entry.
  void run_updates(FactorHarness& h, korva::lu::FactorControl& control, int count) {
    std::vector<char> in_basis(static_cast<size_t>(a.cols + a.rows), 0);
    for (int v : h.basic) in_basis[v] = 1;
    std::uniform_int_distribution<int> pick(0, a.cols - 1);
    std::vector<korva::lu::RepairRecord> records;
    int done = 0;
    for (int attempt = 0; attempt < 20 * count && done < count; ++attempt) {
      int var = pick(rng);
      if (in_basis[var]) continue;
      korva::SparseVector col = h.column(var);
      h.lu.ftran(col, SolveKind::Automatic, true);
      double big = 0.0;
      for (int k = 0; k < col.count; ++k) big = std::max(big, std::fabs(col.values[col.index[k]]));
      int p = -1;
      for (int k = 0; k < col.count && p < 0; ++k)
        if (std::fabs(col.values[col.index[k]]) >= 0.1 * big) p = col.index[k];
      if (p < 0) continue;
      in_basis[h.basic[p]] = 0;
      in_basis[var] = 1;
      UpdateResult r = h.lu.update(col, p);
      h.basic[p] = var;
      if (r == UpdateResult::Refactorise) {
        korva::lu::RepairView quiet;
        quiet.display = 0;
        int code = korva::lu::refactorise(*env, h.lu, h.source, h.basic.data(), control, true, quiet, records);
        ASSERT_TRUE(code == korva::lu::kOk || code == korva::lu::kRepaired) << code;
        for (const auto& rec : records) {
          in_basis[rec.removed] = 0;
          in_basis[rec.entered] = 1;
        }
        records.clear();
      }
      ++done;
      if (done % 10 == 0) {
        auto rhs = korva_test::random_rhs(a.rows, done % 20 == 0 ? a.rows : 3, rng);
        bool ok = false;
        ASSERT_LT(h.ftran_residual(rhs, SolveKind::Automatic, nullptr, &ok), kUpdateBound) << "update " << done;
        ASSERT_TRUE(ok);
        ASSERT_LT(h.btran_residual(rhs, SolveKind::Automatic, nullptr, &ok), kUpdateBound) << "update " << done;
        ASSERT_TRUE(ok);
      }
    }
    EXPECT_GT(done, count / 2);
  }

  SparseMatrix a;
  std::mt19937_64 rng{2024};
};

}  // namespace

TEST_P(LuCollection, SlackBasis) { check_basis(korva_test::slack_basis(a), "slack"); }
TEST_P(LuCollection, TriangularCrashBasis) { check_basis(korva_test::triangular_crash(a), "triangular crash"); }
TEST_P(LuCollection, OverlappingCrashBasis) { check_basis(korva_test::overlapping_crash(a), "overlapping crash"); }
TEST_P(LuCollection, RandomColumnsWithSlacks) {
  check_basis(korva_test::random_basis(a, 0.3, rng), "30% structural");
  check_basis(korva_test::random_basis(a, 0.8, rng), "80% structural");
}

INSTANTIATE_TEST_SUITE_P(Models, LuCollection, ::testing::ValuesIn(kModels),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });
