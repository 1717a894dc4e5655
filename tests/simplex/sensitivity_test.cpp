// Sensitivity ranges: values worked out by hand on a small model, both
// evaluation schemes against each other, re-solves just inside and just
// outside the ranges on collection models, the statuses that allow each
// analysis, and the errors.
#include <cmath>
#include <string>
#include <vector>

#include "simplex/sensitivity_checks.h"
#include "support/lp_test.h"

namespace {

using korva_test::check_ranges;
using korva_test::check_tableau;

class SensitivityTest : public korva_test::LpTest {
 protected:
  void SetUp() override {
    LpTest::SetUp();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  }
  void solve_text(const std::string& text, int expected_status) {
    read_lp_text(text);
    ASSERT_EQ(KRVlpopt(env, lp), 0);
    ASSERT_EQ(KRVgetstat(env, lp), expected_status);
  }
};

// max 3x + 2y s.t. c1: x + y <= 4, c2: x + 3y <= 7, x <= 3. Optimum x = 3
// (at its bound), y = 1 basic, c1 binding, c2's slack basic at 1; the dual
// of c1 is 2 and x's reduced cost 1.
constexpr const char* kSmall =
    "Maximize\n obj: 3 x + 2 y\nSubject To\n c1: x + y <= 4\n c2: x + 3 y <= 7\nBounds\n x <= 3\nEnd\n";

TEST_F(SensitivityTest, RangesOfASmallModel) {
  solve_text(kSmall, 1);
  double lo[2], hi[2];
  // x stays at its bound while its cost is at least y's (2); y's cost may
  // go from 0 (c1's dual stays nonnegative) to 3 (x's reduced cost too).
  ASSERT_EQ(KRVobjsa(env, lp, 0, 1, lo, hi), 0);
  EXPECT_NEAR(lo[0], 2.0, 1e-12);
  EXPECT_EQ(hi[0], 1e20);
  EXPECT_NEAR(lo[1], 0.0, 1e-12);
  EXPECT_NEAR(hi[1], 3.0, 1e-12);
  // c1: y = b1 - 3 >= 0 and c2's slack 13 - 3 b1 >= 0; c2 down to its activity 6.
  ASSERT_EQ(KRVrhssa(env, lp, 0, 1, lo, hi), 0);
  EXPECT_NEAR(lo[0], 3.0, 1e-12);
  EXPECT_NEAR(hi[0], 13.0 / 3.0, 1e-12);
  EXPECT_NEAR(lo[1], 6.0, 1e-12);
  EXPECT_EQ(hi[1], 1e20);
  // x's upper bound u: y = 4 - u >= 0 and c2's slack 2u - 5 >= 0; y basic at 1.
  double lbl[2], lbu[2], ubl[2], ubu[2];
  ASSERT_EQ(KRVboundsa(env, lp, 0, 1, lbl, lbu, ubl, ubu), 0);
  EXPECT_EQ(lbl[0], -1e20);
  EXPECT_NEAR(lbu[0], 3.0, 1e-12);
  EXPECT_NEAR(ubl[0], 2.5, 1e-12);
  EXPECT_NEAR(ubu[0], 4.0, 1e-12);
  EXPECT_EQ(lbl[1], -1e20);
  EXPECT_NEAR(lbu[1], 1.0, 1e-12);
  EXPECT_NEAR(ubl[1], 1.0, 1e-12);
  EXPECT_EQ(ubu[1], 1e20);
  // Outputs may be left out one by one.
  ASSERT_EQ(KRVobjsa(env, lp, 1, 1, nullptr, hi), 0);
  EXPECT_NEAR(hi[0], 3.0, 1e-12);
  ASSERT_EQ(KRVboundsa(env, lp, 0, 0, nullptr, nullptr, ubl, nullptr), 0);
  EXPECT_NEAR(ubl[0], 2.5, 1e-12);
}

TEST_F(SensitivityTest, MinimisationGivesTheMirroredCostRanges) {
  solve_text("Minimize\n obj: -3 x - 2 y\nSubject To\n c1: x + y <= 4\n c2: x + 3 y <= 7\nBounds\n x <= 3\nEnd\n", 1);
  double lo[2], hi[2];
  ASSERT_EQ(KRVobjsa(env, lp, 0, 1, lo, hi), 0);
  EXPECT_EQ(lo[0], -1e20);
  EXPECT_NEAR(hi[0], -2.0, 1e-12);
  EXPECT_NEAR(lo[1], -3.0, 1e-12);
  EXPECT_NEAR(hi[1], 0.0, 1e-12);
}

TEST_F(SensitivityTest, StatusesAndErrors) {
  double lo[4], hi[4];
  read_lp_text(kSmall);
  EXPECT_EQ(KRVobjsa(env, lp, 0, 1, lo, hi), 1217);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVobjsa(env, lp, 0, 1, nullptr, nullptr), 1004);
  EXPECT_EQ(KRVboundsa(env, lp, 0, 1, nullptr, nullptr, nullptr, nullptr), 1004);
  errors->clear();
  EXPECT_EQ(KRVobjsa(env, lp, 0, 2, lo, hi), 1200);
  EXPECT_NE(errors->text().find("KRVobjsa: 'end' value 2 is greater than 1"), std::string::npos) << errors->text();
  EXPECT_EQ(KRVrhssa(env, lp, -1, 0, lo, hi), 1200);
  EXPECT_NE(errors->text().find("KRVrhssa: 'begin' value -1 is less than 0"), std::string::npos);
  EXPECT_EQ(KRVboundsa(env, lp, 1, 2, lo, hi, lo, hi), 1200);

  // Infeasible: no analysis.
  solve_text("Minimize\n obj: x\nSubject To\n c1: x + y >= 5\n c2: x + y <= 2\nEnd\n", 3);
  errors->clear();
  EXPECT_EQ(KRVobjsa(env, lp, 0, 1, lo, hi), 1260);
  EXPECT_NE(errors->text().find("Sensitivity analysis not available for current status"), std::string::npos);
  EXPECT_EQ(KRVrhssa(env, lp, 0, 1, lo, hi), 1260);

  // Unbounded: the primal feasible basis answers for right-hand sides and
  // bounds, not for costs.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_LPMETHOD, KRV_ALG_PRIMAL), 0);
  solve_text("Maximize\n obj: x + y\nSubject To\n c1: x - y <= 1\n c2: -x + y <= 4\nEnd\n", 2);
  EXPECT_EQ(KRVobjsa(env, lp, 0, 1, lo, hi), 1260);
  EXPECT_EQ(KRVrhssa(env, lp, 0, 1, lo, hi), 0);
  EXPECT_EQ(KRVboundsa(env, lp, 0, 1, lo, hi, lo, hi), 0);

  char ctype[2] = {'I', 'C'};
  solve_text(kSmall, 1);
  ASSERT_EQ(KRVcopyctype(env, lp, ctype), 0);
  EXPECT_EQ(KRVobjsa(env, lp, 0, 1, lo, hi), 1017);
}

class SensitivityCollection : public SensitivityTest, public ::testing::WithParamInterface<const char*> {};

// All entities at once go by rows of B⁻¹A, one at a time by their own
// columns: the values agree.
TEST_P(SensitivityCollection, BothSchemesGiveTheSameRanges) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection(GetParam());
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
  ASSERT_GE(m, 4);
  auto same = [](double a, double b) { return std::fabs(a - b) <= 1e-7 * std::max(1.0, std::fabs(a)); };
  std::vector<double> a(n), b(n), c(n), e(n);
  ASSERT_EQ(KRVobjsa(env, lp, 0, n - 1, a.data(), b.data()), 0);
  for (int j = 0; j < n; ++j) {
    double lo = 0, hi = 0;
    ASSERT_EQ(KRVobjsa(env, lp, j, j, &lo, &hi), 0);
    EXPECT_TRUE(same(lo, a[j]) && same(hi, b[j])) << "cost " << j << ": " << lo << " " << hi << " vs " << a[j] << " "
                                                 << b[j];
  }
  std::vector<double> r1(m), r2(m);
  ASSERT_EQ(KRVrhssa(env, lp, 0, m - 1, r1.data(), r2.data()), 0);
  for (int i = 0; i < m; ++i) {
    double lo = 0, hi = 0;
    ASSERT_EQ(KRVrhssa(env, lp, i, i, &lo, &hi), 0);
    EXPECT_TRUE(same(lo, r1[i]) && same(hi, r2[i])) << "rhs " << i << ": " << lo << " " << hi << " vs " << r1[i]
                                                   << " " << r2[i];
  }
  ASSERT_EQ(KRVboundsa(env, lp, 0, n - 1, a.data(), b.data(), c.data(), e.data()), 0);
  for (int j = 0; j < n; ++j) {
    double v[4];
    ASSERT_EQ(KRVboundsa(env, lp, j, j, &v[0], &v[1], &v[2], &v[3]), 0);
    EXPECT_TRUE(same(v[0], a[j]) && same(v[1], b[j]) && same(v[2], c[j]) && same(v[3], e[j])) << "bounds " << j;
  }
}

// Moved just inside its range a value keeps the optimal basis, just
// outside it does not; the tableau's basic columns are unit vectors.
TEST_P(SensitivityCollection, RangesHoldWhenReSolved) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection(GetParam());
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ADVIND, 1), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  for (const std::string& failure : check_tableau(env, lp, 10)) ADD_FAILURE() << GetParam() << ": " << failure;
  for (const std::string& failure : check_ranges(env, lp)) ADD_FAILURE() << GetParam() << ": " << failure;
}

INSTANTIATE_TEST_SUITE_P(Models, SensitivityCollection,
                         ::testing::Values("afiro", "sc50a", "adlittle", "blend", "share2b", "kb2", "scagr7",
                                           "recipe", "boeing2", "stocfor1"));

}  // namespace
