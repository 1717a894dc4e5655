// The control callbacks of a MIP search through the C interface: what
// their useractions do, what a broken protocol gets (1006, and a search
// that ends cleanly), and the steering entries' checks. The model is a
// small one of the collection with a known optimum.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "mip/mip_test_support.h"

namespace {

constexpr double kP0033Optimum = 3089.0;

class CallbackProtocol : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    exact_answers_without_log();
    read_collection_model("p0033");
    cols = KRVgetnumcols(env, lp);
  }
  int cols = 0;
};

// ---- useractions and broken protocols ----------------------------------------------

struct ActionProbe {
  int useraction = 0;
  int calls = 0;
};

int lazy_with_action(KRVenv, void*, int, void* handle, int* useraction) {
  auto* probe = static_cast<ActionProbe*>(handle);
  ++probe->calls;
  *useraction = probe->useraction;
  return 0;
}

TEST_F(CallbackProtocol, BadUseractionsEndTheSearchWithTheCallbackError) {
  for (int bad : {7, -1, 3}) {  // 3 stops a cut loop, which a lazy context has not
    ActionProbe probe{bad, 0};
    ASSERT_EQ(KRVsetlazyconstraintcallbackfunc(env, lazy_with_action, &probe), 0);
    EXPECT_EQ(KRVmipopt(env, lp), 1006) << bad;
    EXPECT_GT(probe.calls, 0);
    const int status = KRVgetstat(env, lp);
    EXPECT_TRUE(status == 109 || status == 110) << status;
  }
}

TEST_F(CallbackProtocol, AbortFromALazyCallbackStopsTheSearch) {
  ActionProbe probe{1, 0};
  ASSERT_EQ(KRVsetlazyconstraintcallbackfunc(env, lazy_with_action, &probe), 0);
  EXPECT_EQ(KRVmipopt(env, lp), 0);
  const int status = KRVgetstat(env, lp);
  EXPECT_TRUE(status == 113 || status == 114) << status;
}

TEST_F(CallbackProtocol, ANonErrorReturnBecomesTheCallbackError) {
  const KRVcutcallbackfunc odd = [](KRVenv, void*, int, void*, int*) { return 42; };
  ASSERT_EQ(KRVsetlazyconstraintcallbackfunc(env, odd, nullptr), 0);
  EXPECT_EQ(KRVmipopt(env, lp), 1006);
  // An error code of the library's own is passed on as it is.
  const KRVcutcallbackfunc memory = [](KRVenv, void*, int, void*, int*) { return 1001; };
  ASSERT_EQ(KRVsetlazyconstraintcallbackfunc(env, memory, nullptr), 0);
  EXPECT_EQ(KRVmipopt(env, lp), 1001);
}

TEST_F(CallbackProtocol, ContinuingLazyCallbackLeavesTheOptimum) {
  ActionProbe probe{0, 0};
  ASSERT_EQ(KRVsetlazyconstraintcallbackfunc(env, lazy_with_action, &probe), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 101);
  double objective = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &objective), 0);
  EXPECT_NEAR(objective, kP0033Optimum, 1e-6);
  EXPECT_GT(probe.calls, 0);
}

// ---- the steering entries' checks ----------------------------------------------------

struct SteerProbe {
  int purge2_in_lazy = 0, bad_where = 0, null_arrays = 0, negative = 0, bad_purge = 0;
};

int steering_checks(KRVenv env, void* cbdata, int wherefrom, void* handle, int* useraction) {
  auto* p = static_cast<SteerProbe*>(handle);
  *useraction = 0;
  const int ind[1] = {0};
  const double val[1] = {1.0};
  p->purge2_in_lazy = KRVcutcallbackadd(env, cbdata, wherefrom, 1, 1.0, 'L', ind, val, 2);
  p->bad_where = KRVcutcallbackadd(env, cbdata, 104, 1, 1.0, 'L', ind, val, 0);
  p->null_arrays = KRVcutcallbackadd(env, cbdata, wherefrom, 1, 1.0, 'L', nullptr, val, 0);
  p->negative = KRVcutcallbackadd(env, cbdata, wherefrom, -1, 1.0, 'L', ind, val, 0);
  p->bad_purge = KRVcutcallbackadd(env, cbdata, wherefrom, 1, 1.0, 'L', ind, val, 5);
  return 0;
}

TEST_F(CallbackProtocol, CutAddChecksItsArguments) {
  SteerProbe probe;
  ASSERT_EQ(KRVsetlazyconstraintcallbackfunc(env, steering_checks, &probe), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(probe.purge2_in_lazy, 1003);
  EXPECT_EQ(probe.bad_where, 1003);
  EXPECT_EQ(probe.null_arrays, 1004);
  EXPECT_EQ(probe.negative, 1003);
  EXPECT_EQ(probe.bad_purge, 1003);
  // The failed calls added nothing: the optimum stands.
  double objective = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &objective), 0);
  EXPECT_NEAR(objective, kP0033Optimum, 1e-6);
}

TEST_F(CallbackProtocol, SteeringNeedsTheSearchsCallbackData) {
  int dummy = 0;
  const int ind[1] = {0};
  const double val[1] = {1.0};
  EXPECT_EQ(KRVcutcallbackadd(env, &dummy, 115, 1, 1.0, 'L', ind, val, 0), 1006);
  EXPECT_EQ(KRVcutcallbackadd(env, nullptr, 115, 1, 1.0, 'L', ind, val, 0), 1006);
  int seq = 0;
  EXPECT_EQ(KRVbranchcallbackbranchbds(env, nullptr, 102, 0.0, 0, nullptr, nullptr, nullptr, nullptr, &seq), 1006);
}

// ---- lazy constraints cut off solutions ------------------------------------------------

// A lazy constraint the model does not know: of the columns `support`
// (the columns of a known solution) at most `limit` are used. The callback
// adds it whenever a candidate breaks it.
struct SupportLimit {
  int cols = 0;
  std::vector<int> support;
  double limit = 0.0;
  int calls = 0, added = 0;
};

int support_limit_lazy(KRVenv env, void* cbdata, int wherefrom, void* handle, int* useraction) {
  auto* s = static_cast<SupportLimit*>(handle);
  *useraction = 0;
  ++s->calls;
  std::vector<double> x(static_cast<size_t>(s->cols));
  if (int code = KRVgetcallbacknodex(env, cbdata, wherefrom, x.data(), 0, s->cols - 1)) return code;
  double sum = 0.0;
  for (int j : s->support) sum += x[j];
  if (sum <= s->limit + 1e-6) return 0;
  const std::vector<double> ones(s->support.size(), 1.0);
  if (int code = KRVcutcallbackadd(env, cbdata, wherefrom, static_cast<int>(s->support.size()), s->limit, 'L',
                                   s->support.data(), ones.data(), 0))
    return code;
  ++s->added;
  return 0;
}

TEST_F(CallbackProtocol, LazyConstraintsHoldInTheAnswerInBothIndexSpaces) {
  // A no-good constraint on the optimum found first, and the answer with
  // it as a row of the model.
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  std::vector<double> x(static_cast<size_t>(cols));
  ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, cols - 1), 0);
  SupportLimit base;
  base.cols = cols;
  for (int j = 0; j < cols; ++j)
    if (x[j] > 0.5) base.support.push_back(j);
  base.limit = static_cast<double>(base.support.size()) - 1.0;
  KRVprob reference = KRVcloneprob(env, lp, nullptr);
  ASSERT_NE(reference, nullptr);
  const std::vector<double> ones(base.support.size(), 1.0);
  const int beg = 0;
  const char sense = 'L';
  ASSERT_EQ(KRVaddrows(env, reference, 0, 1, static_cast<int>(base.support.size()), &base.limit, &sense, &beg,
                       base.support.data(), ones.data(), nullptr, nullptr),
            0);
  ASSERT_EQ(KRVmipopt(env, reference), 0);
  ASSERT_EQ(KRVgetstat(env, reference), 101);
  double expected = 0.0;
  ASSERT_EQ(KRVgetobjval(env, reference, &expected), 0);
  KRVfreeprob(env, &reference);

  for (int reduced : {1, 0}) {
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPCBREDLP, reduced), 0);
    SupportLimit s = base;
    ASSERT_EQ(KRVsetlazyconstraintcallbackfunc(env, support_limit_lazy, &s), 0);
    // In the presolved space the callback's columns are the model's only
    // without presolve.
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, reduced ? 0 : 1), 0);
    ASSERT_EQ(KRVmipopt(env, lp), 0);
    ASSERT_EQ(KRVgetstat(env, lp), 101) << reduced;
    EXPECT_GT(s.calls, 0);
    double objective = 0.0;
    ASSERT_EQ(KRVgetobjval(env, lp, &objective), 0);
    EXPECT_NEAR(objective, expected, 1e-6) << reduced;
    ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, cols - 1), 0);
    double sum = 0.0;
    for (int j : base.support) sum += x[j];
    EXPECT_LE(sum, base.limit + 1e-6);
  }
}

// ---- incumbent, heuristic and solve callbacks ---------------------------------------

struct IncumbentFilter {
  double refuse_below = 0.0;  // objective values the callback turns down
  int calls = 0, refused = 0;
};

int refuse_cheap(KRVenv, void*, int, void* handle, double objval, double*, int* isfeas, int* useraction) {
  auto* f = static_cast<IncumbentFilter*>(handle);
  ++f->calls;
  *useraction = 0;
  if (objval < f->refuse_below) {
    *isfeas = 0;
    ++f->refused;
  }
  return 0;
}

TEST_F(CallbackProtocol, IncumbentsTheCallbackRefusesAreNoSolutions) {
  IncumbentFilter f{kP0033Optimum + 0.5};
  ASSERT_EQ(KRVsetincumbentcallbackfunc(env, refuse_cheap, &f), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_GT(f.calls, 0);
  double objective = 0.0;
  if (KRVgetobjval(env, lp, &objective) == 0) {
    EXPECT_GE(objective, f.refuse_below);
  }
}

struct HeuristicGift {
  std::vector<double> solution;
  int calls = 0;
};

int give_solution(KRVenv, void*, int, void* handle, double* objval, double* x, int* checkfeas, int* useraction) {
  auto* g = static_cast<HeuristicGift*>(handle);
  ++g->calls;
  if (g->calls > 1) {
    *useraction = 0;
    return 0;
  }
  for (size_t j = 0; j < g->solution.size(); ++j) x[j] = g->solution[j];
  *objval = 0.0;
  *checkfeas = 1;
  *useraction = 2;
  return 0;
}

TEST_F(CallbackProtocol, AHeuristicCallbacksSolutionIsTaken) {
  // The optimum, found first without callbacks, handed over at the first node.
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  HeuristicGift g;
  g.solution.resize(static_cast<size_t>(cols));
  ASSERT_EQ(KRVgetx(env, lp, g.solution.data(), 0, cols - 1), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPCBREDLP, 0), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_HEURFREQ, -1), 0);
  ASSERT_EQ(KRVsetheuristiccallbackfunc(env, give_solution, &g), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_GT(g.calls, 0);
  EXPECT_EQ(KRVgetstat(env, lp), 101);
  double objective = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &objective), 0);
  EXPECT_NEAR(objective, kP0033Optimum, 1e-6);
}

int solve_node_lp_itself(KRVenv env, void* cbdata, int wherefrom, void*, int* useraction) {
  KRVprob nodelp = nullptr;
  *useraction = 0;
  if (int code = KRVgetcallbacknodelp(env, cbdata, wherefrom, &nodelp)) return code;
  if (int code = KRVdualopt(env, nodelp)) return code;
  *useraction = 2;
  return 0;
}

TEST_F(CallbackProtocol, ASolveCallbackSolvingTheNodeLpKeepsTheOptimum) {
  ASSERT_EQ(KRVsetsolvecallbackfunc(env, solve_node_lp_itself, nullptr), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 101);
  double objective = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &objective), 0);
  EXPECT_NEAR(objective, kP0033Optimum, 1e-6);
}

int grow_node_lp(KRVenv env, void* cbdata, int wherefrom, void*, int* useraction) {
  KRVprob nodelp = nullptr;
  *useraction = 0;
  if (int code = KRVgetcallbacknodelp(env, cbdata, wherefrom, &nodelp)) return code;
  return KRVnewrows(env, nodelp, 1, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(CallbackProtocol, ChangingTheNodeLpIsACallbackError) {
  ASSERT_EQ(KRVsetsolvecallbackfunc(env, grow_node_lp, nullptr), 0);
  EXPECT_EQ(KRVmipopt(env, lp), 1006);
  const int status = KRVgetstat(env, lp);
  EXPECT_TRUE(status == 109 || status == 110) << status;
}

// ---- branching -------------------------------------------------------------------------

struct BranchProbe {
  int calls = 0;
  int third = 0;       // the answer to a third child
  int children = 0;
  std::set<void*> handles_given, handles_deleted;
  std::vector<int> storage;
};

// Takes the children the search proposes, through the entry, with a user
// handle each, and tries a third one.
int replay_children(KRVenv env, void* cbdata, int wherefrom, void* handle, int, int, int nodecnt, int bdcnt,
                    const int* nodebeg, const int* indices, const char* lu, const double* bd, const double* nodeest,
                    int* useraction) {
  auto* p = static_cast<BranchProbe*>(handle);
  *useraction = 0;
  ++p->calls;
  if (nodecnt == 0) return 0;
  for (int k = 0; k < nodecnt; ++k) {
    const int begin = nodebeg[k];
    const int end = k + 1 < nodecnt ? nodebeg[k + 1] : bdcnt;
    void* user = &p->storage[static_cast<size_t>(p->children++) % p->storage.size()];
    int seq = -1;
    if (int code = KRVbranchcallbackbranchbds(env, cbdata, wherefrom, nodeest[k], end - begin, indices + begin,
                                              lu + begin, bd + begin, user, &seq))
      return code;
    p->handles_given.insert(user);
  }
  int seq = -1;
  p->third = KRVbranchcallbackbranchbds(env, cbdata, wherefrom, nodeest[0], 0, nullptr, nullptr, nullptr, nullptr,
                                        &seq);
  return 0;
}

void note_deleted(KRVenv, int, void* handle, int, void* nodehandle) {
  static_cast<BranchProbe*>(handle)->handles_deleted.insert(nodehandle);
}

TEST_F(CallbackProtocol, BranchCallbackChildrenReachTheOptimumAndGiveTheirHandlesBack) {
  BranchProbe p;
  p.storage.resize(1000);
  ASSERT_EQ(KRVsetbranchcallbackfunc(env, replay_children, &p), 0);
  ASSERT_EQ(KRVsetdeletenodecallbackfunc(env, note_deleted, &p), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_GT(p.calls, 0);
  EXPECT_EQ(p.third, 1006);  // two children per call at most
  EXPECT_EQ(KRVgetstat(env, lp), 101);
  double objective = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &objective), 0);
  EXPECT_NEAR(objective, kP0033Optimum, 1e-6);
  // Every node given a handle was freed by the end of the search.
  for (void* h : p.handles_deleted) EXPECT_TRUE(p.handles_given.count(h));
  EXPECT_FALSE(p.handles_deleted.empty());
}

int prune_everything(KRVenv, void*, int, void*, int, int, int, int, const int*, const int*, const char*,
                     const double*, const double*, int* useraction) {
  *useraction = 2;  // branch, with no children: the node is done
  return 0;
}

TEST_F(CallbackProtocol, BranchingIntoNothingPrunesTheNode) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_HEURFREQ, -1), 0);
  ASSERT_EQ(KRVsetbranchcallbackfunc(env, prune_everything, nullptr), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_LE(KRVgetnodecnt(env, lp), 1);
}

// ---- informational callback ------------------------------------------------------------

int stop_at_once(KRVenv, void*, int wherefrom, void* handle) {
  if (wherefrom == 101) ++*static_cast<int*>(handle);
  return wherefrom == 101;
}

TEST_F(CallbackProtocol, AnInformationalCallbackStopsTheSearch) {
  int calls = 0;
  ASSERT_EQ(KRVsetinfocallbackfunc(env, stop_at_once, &calls), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_EQ(calls, 1);
  const int status = KRVgetstat(env, lp);
  EXPECT_TRUE(status == 113 || status == 114 || status == 101) << status;
}

}  // namespace

namespace {

struct KappaProbe {
  int unavailable = 0, answered = 0;
  double max_kappa = 0.0, stable = -1.0;
};

int read_kappa(KRVenv env, void* cbdata, int wherefrom, void* handle) {
  auto* k = static_cast<KappaProbe*>(handle);
  if (wherefrom != 101) return 0;
  double value = 0.0;
  const int code = KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_KAPPA_MAX, &value);
  if (code == 1269) ++k->unavailable;
  if (code == 0) {
    ++k->answered;
    k->max_kappa = value;
    KRVgetcallbackinfo(env, cbdata, wherefrom, KRV_CALLBACK_INFO_KAPPA_STABLE, &k->stable);
  }
  return 0;
}

TEST_F(CallbackProtocol, ConditionStatisticsOnlyWhenCollected) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_HEURFREQ, -1), 0);
  KappaProbe off;
  ASSERT_EQ(KRVsetinfocallbackfunc(env, read_kappa, &off), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_GT(off.unavailable, 0);
  EXPECT_EQ(off.answered, 0);

  KappaProbe on;
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPKAPPASTATS, 2), 0);
  ASSERT_EQ(KRVsetinfocallbackfunc(env, read_kappa, &on), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_GT(on.answered, 0);
  EXPECT_GE(on.max_kappa, 1.0);  // no basis is better conditioned than the identity
  EXPECT_GE(on.stable, 0.0);
  EXPECT_LE(on.stable, 1.0);
}

}  // namespace

namespace {

// The proposed children again, each as branching rows instead of bounds:
// rows hold only below their node, and the answer must not change.
int children_as_rows(KRVenv env, void* cbdata, int wherefrom, void* handle, int, int, int nodecnt, int bdcnt,
                     const int* nodebeg, const int* indices, const char* lu, const double* bd, const double* nodeest,
                     int* useraction) {
  *useraction = 0;
  ++*static_cast<int*>(handle);
  for (int k = 0; k < nodecnt; ++k) {
    const int begin = nodebeg[k], end = k + 1 < nodecnt ? nodebeg[k + 1] : bdcnt;
    std::vector<double> rhs;
    std::vector<char> sense;
    std::vector<int> rmatbeg, rmatind;
    std::vector<double> rmatval;
    for (int e = begin; e < end; ++e) {
      rmatbeg.push_back(static_cast<int>(rmatind.size()));
      rmatind.push_back(indices[e]);
      rmatval.push_back(1.0);
      rhs.push_back(bd[e]);
      sense.push_back(lu[e] == 'L' ? 'G' : lu[e] == 'U' ? 'L' : 'E');
    }
    int seq = -1;
    if (int code = KRVbranchcallbackbranchconstraints(env, cbdata, wherefrom, nodeest[k], static_cast<int>(rhs.size()),
                                                      static_cast<int>(rmatind.size()), rhs.data(), sense.data(),
                                                      rmatbeg.data(), rmatind.data(), rmatval.data(), nullptr, &seq))
      return code;
  }
  return 0;
}

TEST_F(CallbackProtocol, BranchingRowsHoldOnlyInTheirSubtrees) {
  for (int reduced : {1, 0}) {
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPCBREDLP, reduced), 0);
    int calls = 0;
    ASSERT_EQ(KRVsetbranchcallbackfunc(env, children_as_rows, &calls), 0);
    ASSERT_EQ(KRVmipopt(env, lp), 0);
    EXPECT_GT(calls, 0);
    EXPECT_EQ(KRVgetstat(env, lp), 101) << reduced;
    double objective = 0.0;
    ASSERT_EQ(KRVgetobjval(env, lp, &objective), 0);
    EXPECT_NEAR(objective, kP0033Optimum, 1e-6) << reduced;
  }
}

}  // namespace

namespace {

struct UserCutProbe {
  int cols = 0;
  int calls = 0, other_where = 0, add_failed = 0;
  std::set<int> wheres;
};

// Adds a valid cut (every column at most its bound 1) locally and globally,
// then asks for no more rounds at the node.
int valid_user_cuts(KRVenv env, void* cbdata, int wherefrom, void* handle, int* useraction) {
  auto* p = static_cast<UserCutProbe*>(handle);
  ++p->calls;
  p->wheres.insert(wherefrom);
  if (wherefrom != 106 && wherefrom != 114) ++p->other_where;
  const int ind[2] = {0, 1};
  const double val[2] = {1.0, 1.0};
  if (KRVcutcallbackaddlocal(env, cbdata, wherefrom, 2, 2.0, 'L', ind, val) != 0) ++p->add_failed;
  if (KRVcutcallbackadd(env, cbdata, wherefrom, 1, 1.0, 'L', ind, val, 1) != 0) ++p->add_failed;
  *useraction = 3;
  return 0;
}

TEST_F(CallbackProtocol, UserCutCallbackRunsInTheCutContexts) {
  UserCutProbe p;
  p.cols = cols;
  ASSERT_EQ(KRVsetusercutcallbackfunc(env, valid_user_cuts, &p), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_GT(p.calls, 0);
  EXPECT_EQ(p.other_where, 0);
  EXPECT_EQ(p.add_failed, 0);
  EXPECT_EQ(KRVgetstat(env, lp), 101);
  double objective = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &objective), 0);
  EXPECT_NEAR(objective, kP0033Optimum, 1e-6);
}

}  // namespace

namespace {

int second_lazy(KRVenv, void*, int, void* handle, int* useraction) {
  ++*static_cast<int*>(handle);
  *useraction = 0;
  return 0;
}

struct Swap {
  int first_calls = 0, second_calls = 0;
};

// Registers another lazy constraint callback from inside the search.
int swapping_lazy(KRVenv env, void*, int, void* handle, int* useraction) {
  auto* s = static_cast<Swap*>(handle);
  ++s->first_calls;
  *useraction = 0;
  return KRVsetlazyconstraintcallbackfunc(env, second_lazy, &s->second_calls);
}

TEST_F(CallbackProtocol, RegistrationsDuringASearchServeTheNextOne) {
  Swap s;
  ASSERT_EQ(KRVsetlazyconstraintcallbackfunc(env, swapping_lazy, &s), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_GT(s.first_calls, 0);
  EXPECT_EQ(s.second_calls, 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  EXPECT_GT(s.second_calls, 0);
}

}  // namespace
