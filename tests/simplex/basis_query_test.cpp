// Basis queries after a solve: the basis head, rows and columns of B⁻¹
// and B⁻¹A checked against each other and against the matrix on LP
// collection models, the ray of unbounded models checked on the model, the
// feasibility checks, manual pivots with the solution record they leave,
// and the errors of each function.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "simplex/sensitivity_support.h"
#include "support/lp_test.h"

namespace {

using korva_test::ModelData;
using korva_test::read_model_data;

constexpr int kNone = 2100000000;

class BasisQueryTest : public korva_test::LpTest {
 protected:
  void solve_text(const std::string& text, int expected_status = 1) {
    read_lp_text(text);
    ASSERT_EQ(KRVlpopt(env, lp), 0);
    ASSERT_EQ(KRVgetstat(env, lp), expected_status);
  }
  // x and slack of the current solution record satisfy Ax + slack = rhs
  // and give the recorded objective.
  void expect_consistent_record(const ModelData& d) {
    std::vector<double> x(d.n), slack(d.m);
    double obj = 0.0;
    ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, d.n - 1), 0);
    ASSERT_EQ(KRVgetslack(env, lp, slack.data(), 0, d.m - 1), 0);
    ASSERT_EQ(KRVgetobjval(env, lp, &obj), 0);
    const std::vector<double> ax = d.times(x);
    double expected = 0.0;
    for (int j = 0; j < d.n; ++j) expected += d.obj[j] * x[j];
    EXPECT_NEAR(obj, expected, 1e-9 * std::max(1.0, std::fabs(obj)));
    for (int i = 0; i < d.m; ++i) EXPECT_NEAR(ax[i] + slack[i], d.rhs[i], 1e-8 * std::max(1.0, std::fabs(d.rhs[i])));
  }
};

// Small and medium collection models (presolve on: the solution is mapped
// back and its basis factorised on demand).
class BasisQueryCollection : public BasisQueryTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BasisQueryCollection, InverseRowsColumnsAndTableauAgree) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection(GetParam());
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  const ModelData d = read_model_data(env, lp);
  std::vector<int> head(d.m);
  std::vector<double> xb(d.m), x(d.n), slack(d.m);
  ASSERT_EQ(KRVgetbhead(env, lp, head.data(), xb.data()), 0);
  ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, d.n - 1), 0);
  ASSERT_EQ(KRVgetslack(env, lp, slack.data(), 0, d.m - 1), 0);
  // The head names each basic variable once, at the position KRVgetijrow
  // gives, with its value in the solution.
  std::vector<int> cstat(d.n), rstat(d.m);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
  for (int r = 0; r < d.m; ++r) {
    int row = -2;
    const int h = head[r];
    if (h >= 0) {
      ASSERT_LT(h, d.n);
      EXPECT_EQ(cstat[h], KRV_BASIC);
      ASSERT_EQ(KRVgetijrow(env, lp, -1, h, &row), 0);
      EXPECT_NEAR(xb[r], x[h], 1e-7 * std::max(1.0, std::fabs(x[h])));
    } else {
      const int i = -h - 1;
      ASSERT_LT(i, d.m);
      EXPECT_EQ(rstat[i], KRV_BASIC);
      ASSERT_EQ(KRVgetijrow(env, lp, i, -1, &row), 0);
      EXPECT_NEAR(xb[r], slack[i], 1e-7 * std::max(1.0, std::fabs(slack[i])));
    }
    EXPECT_EQ(row, r);
  }
  // Columns of B⁻¹A of basic columns are unit vectors.
  std::vector<double> col(d.m);
  for (int r = 0; r < d.m; ++r) {
    if (head[r] < 0) continue;
    ASSERT_EQ(KRVbinvacol(env, lp, head[r], col.data()), 0);
    for (int k = 0; k < d.m; ++k) EXPECT_NEAR(col[k], k == r ? 1.0 : 0.0, 1e-8) << GetParam() << " column " << head[r];
  }
  // Rows of B⁻¹ times A are rows of B⁻¹A; rows and columns of B⁻¹ agree.
  std::vector<double> y(d.m), z(d.n), binv_col(d.m);
  const int step = std::max(1, d.m / 40);
  for (int i = 0; i < d.m; i += step) {
    ASSERT_EQ(KRVbinvrow(env, lp, i, y.data()), 0);
    ASSERT_EQ(KRVbinvarow(env, lp, i, z.data()), 0);
    const std::vector<double> ya = d.transposed_times(y);
    double scale = 1.0;
    for (double v : ya) scale = std::max(scale, std::fabs(v));
    for (int j = 0; j < d.n; ++j) EXPECT_NEAR(ya[j], z[j], 1e-9 * scale) << GetParam() << " row " << i << " col " << j;
    ASSERT_EQ(KRVbinvcol(env, lp, i, binv_col.data()), 0);
    for (int k = 0; k < d.m; k += step) {
      ASSERT_EQ(KRVbinvrow(env, lp, k, y.data()), 0);
      EXPECT_NEAR(y[i], binv_col[k], 1e-9 * std::max(1.0, std::fabs(y[i])));
    }
  }
  // KRVftran of a column of A is B⁻¹A's column.
  for (int j = 0; j < d.n; j += std::max(1, d.n / 20)) {
    std::vector<double> a(d.m, 0.0);
    for (int k = d.beg[j]; k < d.beg[j + 1]; ++k) a[d.ind[k]] = d.val[k];
    ASSERT_EQ(KRVftran(env, lp, a.data()), 0);
    ASSERT_EQ(KRVbinvacol(env, lp, j, col.data()), 0);
    for (int k = 0; k < d.m; ++k) EXPECT_NEAR(a[k], col[k], 1e-9 * std::max(1.0, std::fabs(col[k])));
  }
  int infeasible = 0;
  EXPECT_EQ(KRVcheckdfeas(env, lp, &infeasible), 0);
  EXPECT_EQ(infeasible, kNone);
  EXPECT_EQ(KRVcheckpfeas(env, lp, &infeasible), 0);
  EXPECT_EQ(infeasible, kNone);
}

INSTANTIATE_TEST_SUITE_P(Models, BasisQueryCollection,
                         ::testing::Values("afiro", "sc50a", "adlittle", "blend", "share2b", "kb2", "recipe",
                                           "scagr7", "boeing2", "stocfor1"));

TEST_F(BasisQueryTest, SlackBasisHeadListsTheSlacksInOrder) {
  solve_text("Minimize\n obj: x + y + z\nSubject To\n c1: x + y <= 4\n c2: x - z <= 2\n c3: y + z <= 3\nEnd\n");
  std::vector<int> head(3);
  std::vector<double> x(3);
  ASSERT_EQ(KRVgetbhead(env, lp, head.data(), x.data()), 0);
  EXPECT_EQ(head, (std::vector<int>{-1, -2, -3}));
  EXPECT_EQ(x, (std::vector<double>{4, 2, 3}));
  ASSERT_EQ(KRVgetbhead(env, lp, nullptr, nullptr), 0);
  std::vector<double> y(3);
  ASSERT_EQ(KRVbinvrow(env, lp, 1, y.data()), 0);
  EXPECT_EQ(y, (std::vector<double>{0, 1, 0}));
}

TEST_F(BasisQueryTest, ErrorsOfTheQueries) {
  double v[8] = {0};
  int head[8] = {0}, row = 5;
  // No solution yet.
  read_lp_text("Maximize\n obj: 3 x + 2 y\nSubject To\n c1: x + y <= 4\n c2: x + 3 y <= 6\nBounds\n x <= 3\nEnd\n");
  EXPECT_EQ(KRVgetbhead(env, lp, head, v), 1217);
  EXPECT_EQ(KRVbinvrow(env, lp, 0, v), 1217);
  EXPECT_EQ(KRVgetray(env, lp, v), 1217);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  // Null arrays and indices out of range.
  EXPECT_EQ(KRVbinvcol(env, lp, 0, nullptr), 1004);
  EXPECT_EQ(KRVbinvarow(env, lp, 0, nullptr), 1004);
  EXPECT_EQ(KRVgetijrow(env, lp, 0, -1, nullptr), 1004);
  errors->clear();
  EXPECT_EQ(KRVbinvrow(env, lp, 2, v), 1200);
  EXPECT_NE(errors->text().find("KRVbinvrow: 'end' value 2 is greater than 1"), std::string::npos) << errors->text();
  EXPECT_EQ(KRVbinvacol(env, lp, -1, v), 1200);
  EXPECT_NE(errors->text().find("KRVbinvacol: 'begin' value -1 is less than 0"), std::string::npos);
  EXPECT_EQ(KRVbinvcol(env, lp, 2, v), 1200);
  EXPECT_EQ(KRVbinvarow(env, lp, -3, v), 1200);
  // Both or neither index given; a nonbasic variable.
  EXPECT_EQ(KRVgetijrow(env, lp, 0, 0, &row), 1200);
  EXPECT_EQ(row, -1);
  EXPECT_EQ(KRVgetijrow(env, lp, -1, -1, &row), 1200);
  EXPECT_EQ(KRVgetijrow(env, lp, 5, -1, &row), 1200);
  // x = 3, y = 1: both columns basic, c1 binding, c2 slack basic... or not;
  // whichever row slack is nonbasic fails with 1251.
  int cstat[2], rstat[2];
  ASSERT_EQ(KRVgetbase(env, lp, cstat, rstat), 0);
  for (int i = 0; i < 2; ++i) {
    row = 7;
    const int code = KRVgetijrow(env, lp, i, -1, &row);
    EXPECT_EQ(code, rstat[i] == KRV_BASIC ? 0 : 1251);
    if (code) {
      EXPECT_EQ(row, -1);
    }
  }
  errors->clear();
  EXPECT_EQ(KRVgetray(env, lp, v), 1254);
  EXPECT_NE(errors->text().find("Unbounded solution required"), std::string::npos);
  // Not for mixed-integer problems.
  char ctype[2] = {'I', 'C'};
  ASSERT_EQ(KRVcopyctype(env, lp, ctype), 0);
  EXPECT_EQ(KRVbinvrow(env, lp, 0, v), 1017);
}

TEST_F(BasisQueryTest, CheckOfThePrimalAndDualFeasibilityOfABasis) {
  solve_text("Maximize\n obj: 3 x + 2 y\nSubject To\n c1: x + y <= 4\n c2: x + 3 y <= 6\nBounds\n x <= 3\nEnd\n");
  int infeasible = 0, stat = 0;
  EXPECT_EQ(KRVcheckpfeas(env, lp, &infeasible), 0);
  EXPECT_EQ(infeasible, kNone);
  EXPECT_EQ(KRVcheckdfeas(env, lp, &infeasible), 0);
  EXPECT_EQ(infeasible, kNone);
  EXPECT_EQ(KRVchecksoln(env, lp, &stat), 0);
  EXPECT_EQ(stat, 1);
  // The slack basis of a maximisation with positive costs: both columns
  // would improve; x the more (cost 3).
  int cstat[2] = {KRV_AT_LOWER, KRV_AT_LOWER}, rstat[2] = {KRV_BASIC, KRV_BASIC};
  ASSERT_EQ(KRVcopybase(env, lp, cstat, rstat), 0);
  EXPECT_EQ(KRVcheckdfeas(env, lp, &infeasible), 0);
  EXPECT_EQ(infeasible, 0);
  EXPECT_EQ(KRVcheckpfeas(env, lp, &infeasible), 0);
  EXPECT_EQ(infeasible, kNone);
  EXPECT_EQ(KRVcheckdfeas(env, lp, nullptr), 1004);
  EXPECT_EQ(KRVchecksoln(env, lp, nullptr), 1004);
}

// The ray of an unbounded model keeps every row and bound and improves the
// objective, whichever simplex found it.
TEST_F(BasisQueryTest, RayOfUnboundedModelsImprovesAndStaysFeasible) {
  const char* models[] = {
      "Maximize\n obj: x + y\nSubject To\n c1: x - y <= 1\n c2: -x + y <= 4\nEnd\n",
      "Minimize\n obj: x - z\nSubject To\n c1: x + y = 2\n c2: y - z <= 1\nBounds\n z free\nEnd\n",
      ("Minimize\n obj: - a - 2 b + c\nSubject To\n r1: a - b + c >= -3\n r2: a + b - 2 c <= 8\n r3: b - c >= -5\n"
       "Bounds\n a <= 10\n c free\nEnd\n"),
  };
  // Presolve would only tell "unbounded or infeasible" of some of them.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  for (int method : {KRV_ALG_PRIMAL, KRV_ALG_DUAL}) {
    for (const char* text : models) {
      ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_LPMETHOD, method), 0);
      solve_text(text, 2);
      const ModelData d = read_model_data(env, lp);
      std::vector<double> z(d.n);
      ASSERT_EQ(KRVgetray(env, lp, z.data()), 0) << text;
      double slope = 0.0, size = 0.0;
      for (int j = 0; j < d.n; ++j) {
        slope += d.objsense * d.obj[j] * z[j];
        size = std::max(size, std::fabs(z[j]));
        if (d.lb[j] > -1e20) {
          EXPECT_GE(z[j], -1e-9) << text;
        }
        if (d.ub[j] < 1e20) {
          EXPECT_LE(z[j], 1e-9) << text;
        }
      }
      EXPECT_GT(size, 0.0);
      EXPECT_LT(slope, -1e-9) << text;
      const std::vector<double> az = d.times(z);
      for (int i = 0; i < d.m; ++i) {
        if (d.row_lower(i) > -1e20) {
          EXPECT_GE(az[i], -1e-9) << text << " row " << i;
        }
        if (d.row_upper(i) < 1e20) {
          EXPECT_LE(az[i], 1e-9) << text << " row " << i;
        }
      }
    }
  }
}

TEST_F(BasisQueryTest, PivotKeepsTheSolutionRecordConsistent) {
  const char* text =
      "Maximize\n obj: 3 x + 2 y + z\nSubject To\n c1: x + y + z <= 4\n c2: x + 3 y <= 6\n c3: y - z >= -2\n"
      "Bounds\n x <= 3\nEnd\n";
  solve_text(text);
  const ModelData d = read_model_data(env, lp);
  std::vector<int> cstat(d.n), rstat(d.m);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
  const int itcnt = KRVgetitcnt(env, lp);
  // A nonbasic variable enters where the primal ratio test says it may
  // (the first one that does not just move to its other bound).
  int enter = kNone, leave = kNone, leave_status = -1;
  for (int v = -d.m; v < d.n && leave == kNone; ++v) {
    if ((v >= 0 ? cstat[v] : rstat[-v - 1]) == KRV_BASIC) continue;
    double down = 0, up = 0;
    int down_leave = 0, up_leave = 0, down_status = 0, up_status = 0;
    ASSERT_EQ(KRVpratio(env, lp, &v, 1, &down, &up, &down_leave, &up_leave, &down_status, &up_status), 0);
    const bool at_upper = v >= 0 ? cstat[v] == KRV_AT_UPPER : false;
    const int candidate = at_upper ? down_leave : up_leave;
    if (candidate == kNone || candidate == v) continue;
    enter = v;
    leave = candidate;
    leave_status = at_upper ? down_status : up_status;
  }
  ASSERT_NE(leave, kNone);
  ASSERT_EQ(KRVpivot(env, lp, enter, leave, leave_status), 0);
  std::vector<int> cstat2(d.n), rstat2(d.m);
  ASSERT_EQ(KRVgetbase(env, lp, cstat2.data(), rstat2.data()), 0);
  auto status_of = [&](const std::vector<int>& c, const std::vector<int>& r, int v) { return v >= 0 ? c[v] : r[-v - 1]; };
  EXPECT_EQ(status_of(cstat2, rstat2, enter), KRV_BASIC);
  EXPECT_EQ(status_of(cstat2, rstat2, leave), leave_status);
  // The step kept primal feasibility: the record is consistent and feasible.
  expect_consistent_record(d);
  EXPECT_EQ(KRVgetitcnt(env, lp), itcnt + 1);
  const int stat = KRVgetstat(env, lp);
  EXPECT_TRUE(stat == 1 || stat == 6) << stat;
  int infeasible = 0;
  EXPECT_EQ(KRVcheckpfeas(env, lp, &infeasible), 0);
  EXPECT_EQ(infeasible, kNone);
  // The optimiser goes back to an optimal basis from here.
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_NEAR(objective(), 3 * 3 + 2 * 1 + 0, 1e-9);
}

TEST_F(BasisQueryTest, PivotErrors) {
  solve_text("Maximize\n obj: 3 x + 2 y\nSubject To\n c1: x + y <= 4\n c2: x + 3 y <= 6\nBounds\n x <= 3\nEnd\n");
  int cstat[2], rstat[2];
  ASSERT_EQ(KRVgetbase(env, lp, cstat, rstat), 0);
  int basic = -1, nonbasic = -1;
  for (int v = -2; v < 2; ++v) {
    const int s = v >= 0 ? cstat[v] : rstat[-v - 1];
    if (s == KRV_BASIC) basic = v;
    else nonbasic = v;
  }
  EXPECT_EQ(KRVpivot(env, lp, basic, basic, 0), 1267);
  EXPECT_EQ(KRVpivot(env, lp, nonbasic, nonbasic, 0), 1267);
  EXPECT_EQ(KRVpivot(env, lp, 7, basic, 0), 1003);
  EXPECT_EQ(KRVpivot(env, lp, nonbasic, basic, 5), 1003);
  int list[1] = {basic};
  double r[1];
  EXPECT_EQ(KRVdratio(env, lp, list, 1, r, r, nullptr, nullptr), 0);
  list[0] = nonbasic;
  EXPECT_EQ(KRVdratio(env, lp, list, 1, r, r, nullptr, nullptr), 1251);
  EXPECT_EQ(KRVmdleave(env, lp, list, 1, r, r), 1251);
  EXPECT_EQ(KRVpratio(env, lp, nullptr, 1, r, r, nullptr, nullptr, nullptr, nullptr), 1004);
  int rows[1] = {2};
  EXPECT_EQ(KRVpivotin(env, lp, rows, 1), 1003);
  int cols[1] = {0};
  errors->clear();
  EXPECT_EQ(KRVpivotout(env, lp, cols, 1), 1221);
  EXPECT_NE(errors->text().find("Only fixed variables are pivoted out"), std::string::npos);
}

TEST_F(BasisQueryTest, PivotInMakesSlacksBasicAndPivotOutTakesFixedColumnsOut) {
  solve_text("Maximize\n obj: 3 x + 2 y + w\nSubject To\n c1: x + y + w <= 4\n c2: x + 3 y <= 6\n c3: w <= 5\n"
             "Bounds\n x <= 3\n w = 1\nEnd\n");
  const ModelData d = read_model_data(env, lp);
  korva_test::Capture& out = *results;
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 1), 0);
  EXPECT_EQ(KRVpivotin(env, lp, nullptr, 0), 0);
  EXPECT_NE(out.text().find("No rows to pivot in.\n"), std::string::npos) << out.text();
  std::vector<int> cstat(d.n), rstat(d.m);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
  std::vector<int> binding, free_rows;
  for (int i = 0; i < d.m; ++i) (rstat[i] == KRV_BASIC ? free_rows : binding).push_back(i);
  ASSERT_FALSE(free_rows.empty());
  out.clear();
  EXPECT_EQ(KRVpivotin(env, lp, free_rows.data(), static_cast<int>(free_rows.size())), 0);
  EXPECT_NE(out.text().find("All indicated row variables are basic.\n"), std::string::npos) << out.text();
  ASSERT_FALSE(binding.empty());
  ASSERT_EQ(KRVpivotin(env, lp, binding.data(), static_cast<int>(binding.size())), 0);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
  for (int i : binding) EXPECT_EQ(rstat[i], KRV_BASIC) << "row " << i;
  expect_consistent_record(d);
  // The fixed column w: made basic by a pivot, then pivoted out again.
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
  const int w = 2;
  if (cstat[w] != KRV_BASIC) {
    int leave = -1;
    for (int i = 0; i < d.m; ++i)
      if (rstat[i] == KRV_BASIC) leave = -i - 1;
    ASSERT_NE(leave, -1);
    ASSERT_EQ(KRVpivot(env, lp, w, leave, KRV_AT_LOWER), 0);
    ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
    ASSERT_EQ(cstat[w], KRV_BASIC);
  }
  int cols[1] = {w};
  ASSERT_EQ(KRVpivotout(env, lp, cols, 1), 0);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
  EXPECT_NE(cstat[w], KRV_BASIC);
  expect_consistent_record(d);
}

TEST_F(BasisQueryTest, RatioTestsReportTheLimitingVariables) {
  // max 3x + 2y, x + y <= 4, x + 3y <= 6, x <= 3: optimum x = 3, y = 1 with
  // c1 binding (slack nonbasic) and c2's slack basic (value 0? no: 6 - 6 = 0).
  solve_text("Maximize\n obj: 3 x + 2 y\nSubject To\n c1: x + y <= 4\n c2: x + 3 y <= 7\nBounds\n x <= 3\nEnd\n");
  int cstat[2], rstat[2];
  ASSERT_EQ(KRVgetbase(env, lp, cstat, rstat), 0);
  ASSERT_EQ(cstat[0], KRV_AT_UPPER);
  ASSERT_EQ(cstat[1], KRV_BASIC);
  ASSERT_EQ(rstat[0], KRV_AT_LOWER);
  ASSERT_EQ(rstat[1], KRV_BASIC);
  // x down from 3: y = 4 - x grows, c2's slack 7 - x - 3(4 - x) = 2x - 5
  // reaches 0 at x = 2.5: a step of 0.5, c2's slack leaves.
  int x = 0;
  double down = 0, up = 0;
  int dl = 0, ul = 0, ds = 0, us = 0;
  ASSERT_EQ(KRVpratio(env, lp, &x, 1, &down, &up, &dl, &ul, &ds, &us), 0);
  EXPECT_NEAR(down, 0.5, 1e-12);
  EXPECT_EQ(dl, -2);
  EXPECT_EQ(ds, KRV_AT_LOWER);
  // x up from 3: at its bound already, y falls to 1 - t: the own bound stops at 0.
  EXPECT_NEAR(up, 0.0, 1e-12);
  EXPECT_EQ(ul, 0);
  // Dual side: y basic (reduced costs: x 1, slack c1 2 in the max sense).
  int y = 1;
  double ddown = 0, dup = 0, md_down = 0, md_up = 0;
  int de = 0, ue = 0;
  ASSERT_EQ(KRVdratio(env, lp, &y, 1, &ddown, &dup, &de, &ue), 0);
  ASSERT_EQ(KRVmdleave(env, lp, &y, 1, &md_down, &md_up), 0);
  EXPECT_GE(ddown, 0.0);
  EXPECT_GE(dup, 0.0);
  // y to 0 (distance 1) costs the objective at least its dual step.
  EXPECT_NEAR(md_down, 1.0 * ddown, 1e-9);
  EXPECT_EQ(md_up, 1e20);  // y has no upper bound
}

}  // namespace
