// KRVstrongbranch: its values against the two restricted LPs solved
// directly by KRVdualopt, iteration-limited trials between the LP optimum
// and the branch's optimum, the problem left with the solution and basis
// of its LP solve, the same values on any number of threads, and the
// failures: wrong problem kinds, bad arguments, the empty list, and the
// stops by request and by the time limits.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>
#include <vector>

#include "support/lp_test.h"

namespace {

using korva_test::data_path;

constexpr double kNoBranch = 1e75;
constexpr int kNoLimit = 2100000000;

class StrongBranch : public korva_test::LpTest {
 protected:
  void read_model(const std::string& path) {
    ASSERT_EQ(KRVreadcopyprob(env, lp, data_path(path).c_str(), nullptr), 0) << path;
    // A MIP collection model is tried on its LP relaxation.
    if (KRVgetprobtype(env, lp) != KRVPROB_LP) {
      ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_LP), 0);
    }
  }
  int num_cols() { return KRVgetnumcols(env, lp); }
  std::vector<int> all_columns() {
    std::vector<int> cols(num_cols());
    for (int j = 0; j < num_cols(); ++j) cols[j] = j;
    return cols;
  }
  // A copy of the problem, solved by the dual simplex.
  KRVprob solved_copy() {
    int status = 0;
    KRVprob copy = KRVcloneprob(env, lp, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(KRVdualopt(env, copy), 0);
    EXPECT_EQ(KRVgetstat(env, copy), 1);
    return copy;
  }
  // The LP optimum with column j's bound `which` ('L' or 'U') moved to
  // `bound`, solved from scratch by KRVdualopt; 1e75 in the problem's sense
  // when that LP has no solution.
  double restricted(int j, char which, double bound) {
    int status = 0;
    KRVprob copy = KRVcloneprob(env, lp, &status);
    EXPECT_EQ(status, 0);
    double lb = 0, ub = 0;
    EXPECT_EQ(KRVgetlb(env, copy, &lb, j, j), 0);
    EXPECT_EQ(KRVgetub(env, copy, &ub, j, j), 0);
    if (which == 'L') bound = std::max(bound, lb);
    else bound = std::min(bound, ub);
    EXPECT_EQ(KRVchgbds(env, copy, 1, &j, &which, &bound), 0);
    EXPECT_EQ(KRVdualopt(env, copy), 0);
    const int stat = KRVgetstat(env, copy);
    double value = KRVgetobjsen(env, copy) * kNoBranch;
    if (stat == 1) {
      EXPECT_EQ(KRVgetobjval(env, copy, &value), 0);
    } else {
      EXPECT_EQ(stat, 3) << "column " << j;
    }
    KRVfreeprob(env, &copy);
    return value;
  }
  void strong_branch(const std::vector<int>& cols, int itlim, std::vector<double>& down, std::vector<double>& up) {
    down.assign(cols.size(), -1.0);
    up.assign(cols.size(), -1.0);
    ASSERT_EQ(KRVstrongbranch(env, lp, cols.data(), static_cast<int>(cols.size()), down.data(), up.data(), itlim), 0);
  }
  // Branch values compared in the minimisation sense.
  double min_sense(double v) { return KRVgetobjsen(env, lp) * v; }
};

bool close(double a, double b) { return std::fabs(a - b) <= 1e-6 * std::max(1.0, std::fabs(b)); }

// ---- values -----------------------------------------------------------------------

class StrongBranchModels : public StrongBranch, public ::testing::WithParamInterface<const char*> {};

TEST_P(StrongBranchModels, TrialsReachTheOptimaOfTheRestrictedLps) {
  KORVA_REQUIRE_SHARED_DATA();
  read_model(GetParam());
  KRVprob solved = solved_copy();
  std::vector<double> x(num_cols());
  ASSERT_EQ(KRVgetx(env, solved, x.data(), 0, num_cols() - 1), 0);
  KRVfreeprob(env, &solved);

  const std::vector<int> cols = all_columns();
  std::vector<double> down, up;
  strong_branch(cols, kNoLimit, down, up);
  int infeasible = 0, moved = 0;
  for (int j : cols) {
    // A value within the integrality tolerance counts as that integer.
    const double value = std::fabs(x[j] - std::round(x[j])) <= 1e-5 ? std::round(x[j]) : x[j];
    const double below = std::floor(value);
    const double expect_down = restricted(j, 'U', below), expect_up = restricted(j, 'L', below + 1);
    EXPECT_TRUE(close(down[j], expect_down)) << GetParam() << " column " << j << ": " << down[j] << " vs " << expect_down;
    EXPECT_TRUE(close(up[j], expect_up)) << GetParam() << " column " << j << ": " << up[j] << " vs " << expect_up;
    infeasible += (std::fabs(expect_down) == kNoBranch) + (std::fabs(expect_up) == kNoBranch);
    moved += std::fabs(expect_up) != kNoBranch;
  }
  // Both kinds of branch occur: the comparison is not vacuous.
  EXPECT_GT(infeasible, 0) << GetParam();
  EXPECT_GT(moved, 0) << GetParam();
}

TEST_P(StrongBranchModels, LimitedTrialsLieBetweenTheLpAndTheBranchOptimum) {
  KORVA_REQUIRE_SHARED_DATA();
  read_model(GetParam());
  const std::vector<int> cols = all_columns();
  std::vector<double> down, up, full_down, full_up;
  strong_branch(cols, kNoLimit, full_down, full_up);
  double lp_value = 0;
  ASSERT_EQ(KRVgetobjval(env, lp, &lp_value), 0);
  const double floor_value = min_sense(lp_value) - 1e-6 * std::max(1.0, std::fabs(lp_value));
  int short_of_full = 0;
  for (int itlim : {0, 1, 3}) {
    strong_branch(cols, itlim, down, up);
    for (size_t k = 0; k < cols.size(); ++k) {
      for (auto [limited, full] : {std::pair{down[k], full_down[k]}, std::pair{up[k], full_up[k]}}) {
        const double tol = 1e-6 * std::max(1.0, std::fabs(full));
        EXPECT_GE(min_sense(limited), floor_value) << "itlim " << itlim << " column " << cols[k];
        EXPECT_LE(min_sense(limited), min_sense(full) + tol) << "itlim " << itlim << " column " << cols[k];
        short_of_full += min_sense(limited) < min_sense(full) - tol;
      }
    }
  }
  EXPECT_GT(short_of_full, 0) << "the limits stopped no trial";
}

INSTANTIATE_TEST_SUITE_P(Collections, StrongBranchModels,
                         ::testing::Values("netlib/afiro.mps.gz", "netlib/sc50a.mps.gz", "miplib3/p0033.mps.gz",
                                           "miplib3/lseu.mps.gz"),
                         [](const auto& info) {
                           std::string name = info.param;
                           name = name.substr(name.find('/') + 1);
                           return name.substr(0, name.find('.'));
                         });

// max 2x + y + z, x + y <= 1.5, z <= 2, x in [0, 1.2], y in [0, 1], z in
// [0, 3]: the optimum x = 1.2, y = 0.3, z = 2 (4.7), and the branches
//   x <= 1: 4.5   x >= 2: none   y <= 0: 4.4   y >= 1: 4.0
//   z <= 2: 4.7 (z is integral: nothing changes)   z >= 3: none.
// Minimised with the costs negated, every value changes sign.
TEST_F(StrongBranch, HandWorkedBranchesInBothSenses) {
  for (int sense : {-1, 1}) {
    const double obj[] = {-2.0 * sense, -1.0 * sense, -1.0 * sense};
    const double rhs[] = {1.5, 2};
    const char rowsense[] = {'L', 'L'};
    const int beg[] = {0, 1, 2}, cnt[] = {1, 1, 1}, ind[] = {0, 0, 1};
    const double val[] = {1, 1, 1}, lb[] = {0, 0, 0}, ub[] = {1.2, 1, 3};
    ASSERT_EQ(KRVcopylp(env, lp, 3, 2, sense, obj, rhs, rowsense, beg, cnt, ind, val, lb, ub, nullptr), 0);
    const double s = -sense;  // the values below are those of the maximisation
    const std::vector<double> want_down = {4.5 * s, 4.4 * s, 4.7 * s};
    const std::vector<double> want_up = {-kNoBranch * s, 4.0 * s, -kNoBranch * s};
    std::vector<double> down, up;
    strong_branch({0, 1, 2}, kNoLimit, down, up);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(down[k], want_down[k], 1e-9) << "sense " << sense << " column " << k;
      EXPECT_NEAR(up[k], want_up[k], 1e-9) << "sense " << sense << " column " << k;
    }
  }
}

TEST_F(StrongBranch, ValuesDoNotDependOnTheThreadCount) {
  KORVA_REQUIRE_SHARED_DATA();
  read_model("miplib3/lseu.mps.gz");
  const std::vector<int> cols = all_columns();
  std::vector<double> down1, up1, down, up;
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, 1), 0);
  strong_branch(cols, 5, down1, up1);
  // Automatic, and every count the machine allows.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, 0), 0);
  const int most = KRVEgetmaxthreads(env);
  for (int threads = 0; threads <= most; threads += threads == 0 ? 2 : 1) {
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, threads), 0);
    strong_branch(cols, 5, down, up);
    EXPECT_EQ(down, down1) << threads << " threads";
    EXPECT_EQ(up, up1) << threads << " threads";
  }
}

// ---- the problem afterwards ----------------------------------------------------------

TEST_F(StrongBranch, TheProblemKeepsTheSolutionAndBasisOfItsLpSolve) {
  KORVA_REQUIRE_SHARED_DATA();
  read_model("miplib3/p0033.mps.gz");
  const int n = num_cols(), m = KRVgetnumrows(env, lp);
  std::vector<double> lb0(n), ub0(n);
  ASSERT_EQ(KRVgetlb(env, lp, lb0.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetub(env, lp, ub0.data(), 0, n - 1), 0);
  KRVprob reference = solved_copy();

  std::vector<double> down, up;
  strong_branch(all_columns(), kNoLimit, down, up);

  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_EQ(KRVgetitcnt(env, lp), KRVgetitcnt(env, reference));
  double obj = 0, ref_obj = 0;
  ASSERT_EQ(KRVgetobjval(env, lp, &obj), 0);
  ASSERT_EQ(KRVgetobjval(env, reference, &ref_obj), 0);
  EXPECT_EQ(obj, ref_obj);
  std::vector<double> x(n), ref_x(n), pi(m), ref_pi(m), lb(n), ub(n);
  ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetx(env, reference, ref_x.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetpi(env, lp, pi.data(), 0, m - 1), 0);
  ASSERT_EQ(KRVgetpi(env, reference, ref_pi.data(), 0, m - 1), 0);
  EXPECT_EQ(x, ref_x);
  EXPECT_EQ(pi, ref_pi);
  std::vector<int> cstat(n), rstat(m), ref_cstat(n), ref_rstat(m);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
  ASSERT_EQ(KRVgetbase(env, reference, ref_cstat.data(), ref_rstat.data()), 0);
  EXPECT_EQ(cstat, ref_cstat);
  EXPECT_EQ(rstat, ref_rstat);
  ASSERT_EQ(KRVgetlb(env, lp, lb.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetub(env, lp, ub.data(), 0, n - 1), 0);
  EXPECT_EQ(lb, lb0);
  EXPECT_EQ(ub, ub0);
  // The basis it keeps is the optimal one: solving again costs nothing.
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_EQ(KRVgetitcnt(env, lp), 0);
  KRVfreeprob(env, &reference);
}

// ---- failures -------------------------------------------------------------------------

TEST_F(StrongBranch, ProblemsOtherThanLpsAreRefused) {
  const double obj[] = {1, 1}, rhs[] = {1}, val[] = {1, 1}, bd[] = {0, 0}, ubd[] = {1, 1};
  const char sense[] = {'G'};
  const int beg[] = {0, 1}, cnt[] = {1, 1}, ind[] = {0, 0};
  const int cols[] = {0};
  double down = 0, up = 0;
  struct Case {
    const char* what;
    int code;
  };
  for (const Case& c : {Case{"mip", 1017}, Case{"quadratic objective", 1018}, Case{"quadratic constraint", 1031}}) {
    ASSERT_EQ(KRVcopylp(env, lp, 2, 1, 1, obj, rhs, sense, beg, cnt, ind, val, bd, ubd, nullptr), 0);
    const std::string what = c.what;
    if (what == "mip") {
      ASSERT_EQ(KRVcopyctype(env, lp, "IC"), 0);
    } else if (what == "quadratic objective") {
      const int qbeg[] = {0, 1}, qcnt[] = {1, 1}, qind[] = {0, 1};
      const double qval[] = {1, 1};
      ASSERT_EQ(KRVcopyquad(env, lp, qbeg, qcnt, qind, qval), 0);
    } else {
      const int q[] = {0};
      const double qv[] = {1};
      ASSERT_EQ(KRVaddqconstr(env, lp, 1, 1, 4.0, 'L', q, qv, q, q, qv, nullptr), 0);
    }
    errors->clear();
    EXPECT_EQ(KRVstrongbranch(env, lp, cols, 1, &down, &up, 10), c.code) << what;
    EXPECT_EQ(KRVgetstat(env, lp), 0) << what;
    EXPECT_EQ(errors->text().rfind("KORVA Error  " + std::to_string(c.code) + ": ", 0), 0u) << what;
  }
}

TEST_F(StrongBranch, BadArgumentsChangeNothing) {
  read_lp_text("Minimize\n obj: x + 2 y\nSubject To\n c1: x + y >= 1.5\nBounds\n x <= 4\n y <= 4\nEnd\n");
  const int good[] = {0, 1}, low[] = {0, -1}, high[] = {2, 1};
  double down[2] = {7, 7}, up[2] = {7, 7};
  struct Case {
    const char* what;
    const int* cols;
    int cnt;
    double* down;
    double* up;
    int itlim;
    int code;
  };
  const Case cases[] = {
      {"negative count", good, -1, down, up, 10, 1003},
      {"negative iteration limit", good, 2, down, up, -1, 1003},
      {"null indices", nullptr, 2, down, up, 10, 1004},
      {"null down values", good, 2, nullptr, up, 10, 1004},
      {"null up values", good, 2, down, nullptr, 10, 1004},
      {"index below the columns", low, 2, down, up, 10, 1200},
      {"index beyond the columns", high, 2, down, up, 10, 1200},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KRVstrongbranch(env, lp, c.cols, c.cnt, c.down, c.up, c.itlim), c.code) << c.what;
    EXPECT_EQ(KRVgetstat(env, lp), 0) << c.what;
  }
  EXPECT_EQ(down[0], 7);
  EXPECT_EQ(up[1], 7);
  // With the data check on, the index error names its position.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_DATACHECK, 1), 0);
  errors->clear();
  EXPECT_EQ(KRVstrongbranch(env, lp, high, 2, down, up, 10), 1201);
  EXPECT_EQ(errors->text(), "KORVA Error  1201: Column index 0 out of range.\n");
}

TEST_F(StrongBranch, AnEmptyListOnlyWarns) {
  read_lp_text("Minimize\n obj: x\nSubject To\n c1: x >= 1.5\nEnd\n");
  EXPECT_EQ(KRVstrongbranch(env, lp, nullptr, 0, nullptr, nullptr, 10), 0);
  EXPECT_EQ(warnings->text(), "Warning:  Variable list empty.\n");
  EXPECT_EQ(errors->text(), "");
}

TEST_F(StrongBranch, StopsByRequestAndByTheTimeLimits) {
  KORVA_REQUIRE_SHARED_DATA();
  read_model("netlib/25fv47.mps.gz");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
  const std::vector<int> cols = all_columns();
  std::vector<double> down(cols.size()), up(cols.size());
  auto run = [&] {
    errors->clear();
    return KRVstrongbranch(env, lp, cols.data(), static_cast<int>(cols.size()), down.data(), up.data(), kNoLimit);
  };

  volatile int stop = 1;
  ASSERT_EQ(KRVsetterminate(env, &stop), 0);
  EXPECT_EQ(run(), 1263);
  EXPECT_EQ(errors->text(), "KORVA Error  1263: Strong branching aborted.\n");
  ASSERT_EQ(KRVsetterminate(env, nullptr), 0);

  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_DETTILIM, 1e-5), 0);
  EXPECT_EQ(run(), 1270);
  EXPECT_EQ(errors->text(), "KORVA Error  1270: Deterministic time limit exceeded in strong branching.\n");
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_DETTILIM, 1e75), 0);

  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_TILIM, 1e-3), 0);
  EXPECT_EQ(run(), 1266);
  EXPECT_EQ(errors->text(), "KORVA Error  1266: Time limit exceeded in strong branching.\n");
}

// An LP callback that asks to stop once the LP solve is over stops the
// trials; the problem keeps the LP's solution.
int stop_after(KRVenv, void*, int, void* handle) {
  auto* calls = static_cast<std::pair<std::atomic<int>, int>*>(handle);
  return ++calls->first > calls->second ? 1 : 0;
}

TEST_F(StrongBranch, AStopDuringTheTrialsKeepsTheLpSolution) {
  KORVA_REQUIRE_SHARED_DATA();
  read_model("miplib3/p0033.mps.gz");
  std::pair<std::atomic<int>, int> calls{0, kNoLimit};
  ASSERT_EQ(KRVsetlpcallbackfunc(env, stop_after, &calls), 0);
  KRVprob reference = solved_copy();  // counts the calls of the LP solve
  const int solve_calls = calls.first.load();
  ASSERT_GT(solve_calls, 0);
  calls.first = 0;
  calls.second = solve_calls + 2;
  const std::vector<int> cols = all_columns();
  std::vector<double> down(cols.size()), up(cols.size());
  EXPECT_EQ(KRVstrongbranch(env, lp, cols.data(), static_cast<int>(cols.size()), down.data(), up.data(), kNoLimit),
            1263);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  double obj = 0, ref_obj = 0;
  ASSERT_EQ(KRVgetobjval(env, lp, &obj), 0);
  ASSERT_EQ(KRVgetobjval(env, reference, &ref_obj), 0);
  EXPECT_EQ(obj, ref_obj);
  ASSERT_EQ(KRVsetlpcallbackfunc(env, nullptr, nullptr), 0);
  KRVfreeprob(env, &reference);
}

}  // namespace
