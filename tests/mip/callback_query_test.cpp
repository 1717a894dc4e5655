// The callback queries during a real search, in both index spaces: an
// informational callback under its restriction, and a lazy constraint
// callback whose answers in the original problem's columns match the
// presolved ones mapped back.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "mip/mip_test_support.h"

namespace {

// A knapsack-like model with a column presolve fixes (x5 in [2, 2]) and a
// relaxation that needs branching:
//   max 5 x0 + 4 x1 + 3 x2 + 7 x3 + 2 x4 + x5
//   2 x0 + 3 x1 + 4 x2 + 5 x3 + x4 + x5 <= 11.5,  x0 + x3 <= 1.5,
//   x0..x3 integer in [0, 3], x4 continuous in [0, 1.5].
mip_test::SmallMip search_model() {
  mip_test::SmallMip m;
  m.objsense = -1;
  m.obj = {5.0, 4.0, 3.0, 7.0, 2.0, 1.0};
  m.lb = {0, 0, 0, 0, 0, 2};
  m.ub = {3, 3, 3, 3, 1.5, 2};
  m.ctype = {'I', 'I', 'I', 'I', 'C', 'C'};
  m.rows.push_back({{{0, 2.0}, {1, 3.0}, {2, 4.0}, {3, 5.0}, {4, 1.0}, {5, 1.0}}, 'L', 11.5});
  m.rows.push_back({{{0, 1.0}, {3, 1.0}}, 'L', 1.5});
  return m;
}

// What the lazy constraint callback saw at each call.
struct LazyCalls {
  KRVprob original = nullptr;
  int calls = 0;
  int failures = 0;
  std::vector<std::vector<double>> x;        // as reported
  std::vector<std::vector<double>> mapped;   // the presolved values mapped back (searched space only)
  int reported_cols = 0;
};

int lazy_callback(KRVenv env, void* cbdata, int wherefrom, void* handle, int* useraction) {
  auto* calls = static_cast<LazyCalls*>(handle);
  *useraction = KRV_CALLBACK_DEFAULT;
  ++calls->calls;
  KRVprob lp = nullptr;
  if (KRVgetcallbacklp(env, cbdata, wherefrom, &lp) || !lp) return ++calls->failures, 0;
  const int n = KRVgetnumcols(env, lp);
  calls->reported_cols = n;
  std::vector<double> x(static_cast<size_t>(n)), lb(x.size()), ub(x.size()), inc(x.size());
  std::vector<char> ctype(x.size());
  std::vector<int> feas(x.size());
  if (KRVgetcallbacknodex(env, cbdata, wherefrom, x.data(), 0, n - 1) ||
      KRVgetcallbacknodelb(env, cbdata, wherefrom, lb.data(), 0, n - 1) ||
      KRVgetcallbacknodeub(env, cbdata, wherefrom, ub.data(), 0, n - 1) ||
      KRVgetcallbackctype(env, cbdata, wherefrom, ctype.data(), 0, n - 1) ||
      KRVgetcallbacknodeintfeas(env, cbdata, wherefrom, feas.data(), 0, n - 1))
    return ++calls->failures, 0;
  double extra = 0;
  if (KRVgetcallbacknodex(env, cbdata, wherefrom, &extra, n, n) != 1200) ++calls->failures;
  for (int j = 0; j < n; ++j) {
    if (x[j] < lb[j] - 1e-6 || x[j] > ub[j] + 1e-6) ++calls->failures;
    // A lazy candidate is integral.
    if ((ctype[j] == 'I' || ctype[j] == 'B') && feas[j] == 0) ++calls->failures;
  }
  calls->x.push_back(x);
  if (lp != calls->original) {
    std::vector<double> mapped(static_cast<size_t>(KRVgetnumcols(env, calls->original)));
    if (KRVuncrushx(env, calls->original, mapped.data(), x.data())) ++calls->failures;
    calls->mapped.push_back(mapped);
  }
  return 0;
}

class CallbackQueries : public mip_test::MipTest {
 protected:
  LazyCalls run_lazy(int reduced_space) {
    LazyCalls calls;
    calls.original = lp;
    EXPECT_EQ(search_model().load(env, lp), 0);
    exact_answers_without_log();
    EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_MIPCBREDLP, reduced_space), 0);
    EXPECT_EQ(KRVsetlazyconstraintcallbackfunc(env, lazy_callback, &calls), 0);
    EXPECT_EQ(KRVmipopt(env, lp), 0);
    EXPECT_EQ(KRVsetlazyconstraintcallbackfunc(env, nullptr, nullptr), 0);
    return calls;
  }
};

TEST_F(CallbackQueries, LazyCallbackAnswersMatchAcrossIndexSpaces) {
  const LazyCalls reduced = run_lazy(1);
  ASSERT_GT(reduced.calls, 0);
  EXPECT_EQ(reduced.failures, 0);
  EXPECT_LT(reduced.reported_cols, 6);  // the fixed column is gone
  double best_reduced = 0;
  ASSERT_EQ(KRVgetobjval(env, lp, &best_reduced), 0);

  const LazyCalls original = run_lazy(0);
  EXPECT_EQ(original.failures, 0);
  EXPECT_EQ(original.reported_cols, 6);
  ASSERT_EQ(original.calls, reduced.calls);  // the same search either way
  ASSERT_EQ(reduced.mapped.size(), original.x.size());
  for (size_t c = 0; c < original.x.size(); ++c) {
    EXPECT_DOUBLE_EQ(original.x[c][5], 2.0);
    for (int j = 0; j < 6; ++j) EXPECT_NEAR(original.x[c][j], reduced.mapped[c][j], 1e-9) << c << " " << j;
  }
  double best_original = 0;
  ASSERT_EQ(KRVgetobjval(env, lp, &best_original), 0);
  EXPECT_NEAR(best_original, best_reduced, 1e-9);
}

// What the informational callback learned.
struct InfoCalls {
  int calls = 0;
  int failures = 0;
  int refused = 0;
  long long last_nodes = -1;
};

int info_callback(KRVenv env, void* cbdata, int wherefrom, void* handle) {
  auto* calls = static_cast<InfoCalls*>(handle);
  if (wherefrom < KRV_CALLBACK_MIP) {
    // The node LPs' simplex runs call it too, with their own items.
    long long iterations = -1;
    if (KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_ITCOUNT_LONG, &iterations) || iterations < 0)
      ++calls->failures;
    return 0;
  }
  ++calls->calls;
  long long nodes = 0;
  double bound = 0, incumbent = 0, gap = 0;
  int feasible = 0;
  void* env_pointer = nullptr;
  if (KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_NODE_COUNT_LONG, &nodes) ||
      KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_BEST_REMAINING, &bound) ||
      KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_BEST_INTEGER, &incumbent) ||
      KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_MIP_FEAS, &feasible) ||
      KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_MIP_REL_GAP, &gap) ||
      KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_ENV, &env_pointer))
    ++calls->failures;
  if (env_pointer != env) ++calls->failures;
  if (!feasible && incumbent != -1e75) ++calls->failures;  // a maximisation
  if (feasible && incumbent > bound + 1e-6) ++calls->failures;
  if (nodes < calls->last_nodes) ++calls->failures;
  calls->last_nodes = nodes;
  // Everything else is refused while an informational callback runs.
  int threads = 0;
  KRVprob lp = nullptr;
  double x = 0;
  if (KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_THREADS, &threads) == 1804) ++calls->refused;
  if (KRVgetcallbacklp(env, cbdata, wherefrom, &lp) == 1804) ++calls->refused;
  if (KRVgetcallbacknodex(env, cbdata, wherefrom, &x, 0, 0) == 1804) ++calls->refused;
  return 0;
}

TEST_F(CallbackQueries, InformationalCallbackReadsTheSearchFiguresOnly) {
  ASSERT_EQ(search_model().load(env, lp), 0);
  exact_answers_without_log();
  InfoCalls calls;
  ASSERT_EQ(KRVsetinfocallbackfunc(env, info_callback, &calls), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  ASSERT_GT(calls.calls, 0);
  EXPECT_EQ(calls.failures, 0);
  EXPECT_EQ(calls.refused, 3 * calls.calls);
  EXPECT_EQ(calls.last_nodes <= KRVgetnodecnt(env, lp), true);
  // The refusals were reported.
  EXPECT_NE(errors->text().find("Calling routines from info callback"), std::string::npos);
}

}  // namespace

namespace {

// Open nodes written to a node file come back whole (the callbacks' fields
// travel with them): a search kept entirely on disk ends where one in
// memory does.
TEST_F(CallbackQueries, SearchWithEveryOpenNodeOnDiskFindsTheOptimum) {
  read_collection_model("p0201");
  exact_answers_without_log();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_NODEFILEIND, 3), 0);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_WORKMEM, 0.0), 0);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_WORKDIR, ::testing::TempDir().c_str()), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  double objective = 0;
  ASSERT_EQ(KRVgetobjval(env, lp, &objective), 0);
  EXPECT_NEAR(objective, 7615.0, 1e-6);
  EXPECT_GT(KRVgetnodecnt(env, lp), 1);
}

}  // namespace
