// The queries a callback makes, over a callback record filled by hand from
// a small model: every item and its error codes, the informational-callback
// rule, open nodes in memory and in a node file, the node LP, and answers in
// the original problem's indices after presolve compared through its maps.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "env/environment.h"
#include "mip/callback_data.h"
#include "mip/callback_node_lp.h"
#include "mip/cuts/cut.h"
#include "mip/domain.h"
#include "mip/mip_model.h"
#include "mip/mip_test_support.h"
#include "mip/node_store.h"
#include "mip/pseudocosts.h"
#include "mip/search_record.h"
#include "mip/search_settings.h"
#include "presolve/crush.h"
#include "presolve/presolve_record.h"
#include "simplex/core/run_monitor.h"

namespace {

using namespace korva::mip;

// min x0 + 2 x1 + 3 x2 + x3 + x4 over
//   x0 + x1 + x2 + x3 + x4 >= 3.5,  x0 - x1 <= 2,  x1 + x2 + x4 <= 6,
//   x0, x1 integer in [0, 10], x2 continuous in [0, 5], x3 fixed at 1, x4
//   binary, and the set {x1, x2} of type 1.
mip_test::SmallMip query_model() {
  mip_test::SmallMip m;
  m.obj = {1.0, 2.0, 3.0, 1.0, 1.0};
  m.lb = {0.0, 0.0, 0.0, 1.0, 0.0};
  m.ub = {10.0, 10.0, 5.0, 1.0, 1.0};
  m.ctype = {'I', 'I', 'C', 'C', 'B'};
  m.rows.push_back({{{0, 1.0}, {1, 1.0}, {2, 1.0}, {3, 1.0}, {4, 1.0}}, 'G', 3.5});
  m.rows.push_back({{{0, 1.0}, {1, -1.0}}, 'L', 2.0});
  m.rows.push_back({{{1, 1.0}, {2, 1.0}, {4, 1.0}}, 'L', 6.0});
  return m;
}

std::unique_ptr<SearchNode> make_node(int64_t seqnum, double bound, char type, int col, int set) {
  auto n = std::make_unique<SearchNode>();
  n->seqnum = seqnum;
  n->parent_seqnum = seqnum - 1;
  n->bound = bound;
  n->estimate = bound + 0.5;
  n->depth = seqnum;
  n->branch_type = type;
  n->branch_col = col;
  n->branch_set = set;
  n->sum_infeasibility = 0.25 * static_cast<double>(seqnum);
  n->num_infeasible = seqnum;
  n->user_handle = reinterpret_cast<void*>(static_cast<intptr_t>(1000 + seqnum));
  return n;
}

class CallbackQuery : public mip_test::MipTest {
 protected:
  // Fills the record for a search on `searched` (the problem itself, or
  // its presolved problem), at a node where x2 is tightened to [0, 4].
  void prepare(const mip_test::SmallMip& small, bool presolve, int objsense = 1) {
    mip_test::SmallMip m = small;
    m.objsense = objsense;
    ASSERT_EQ(m.load(env, lp), 0);
    original = lp;
    searched = lp;
    if (presolve) {
      ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_REDUCE, 1), 0);
      ASSERT_EQ(KRVpresolve(env, lp, KRV_ALG_DUAL), 0);
      rec = korva::presolve::find_record(*lp);
      ASSERT_NE(rec, nullptr);
      ASSERT_NE(rec->reduced, nullptr);
      searched = rec->reduced;
    }
    build_mip_model(*searched, model);
    domain.init(model, 1e-6, 1e-5);
    record.objsense = objsense;
    pseudocosts.init(model.num_cols);
    global_lower = model.lower;
    global_upper = model.upper;
    x.assign(static_cast<size_t>(model.num_cols), 0.0);
    for (int j = 0; j < model.num_cols; ++j) x[j] = 0.5 + j;  // fractional everywhere
    current = make_node(7, 2.0, 'U', 0, -1);

    d.env = env;
    d.wherefrom = where::kBranch;
    d.original = original;
    d.searched = searched;
    d.presolve = rec;
    d.model = &model;
    d.settings = &settings;
    d.record = &record;
    d.tree = &tree;
    d.node = current.get();
    d.domain = &domain;
    d.global_lower = &global_lower;
    d.global_upper = &global_upper;
    d.x = &x;
    d.has_objective = true;
    d.objective = 2.5;
    d.node_status = 1;
    d.num_infeasible = 3;
    d.sum_infeasibility = 1.25;
    d.pseudocosts = &pseudocosts;
  }

  int info(int where, int which, void* out) { return KRVgetcallbackinfo(env, &d, where, which, out); }
  double info_double(int where, int which) {
    double v = -1;
    EXPECT_EQ(info(where, which, &v), 0) << which;
    return v;
  }
  int info_int(int where, int which) {
    int v = -1;
    EXPECT_EQ(info(where, which, &v), 0) << which;
    return v;
  }

  KRVprob original = nullptr, searched = nullptr;
  korva::presolve::PresolveRecord* rec = nullptr;
  MipModel model;
  Domain domain;
  SearchSettings settings;
  MipSearchRecord record;
  NodeStore tree;
  Pseudocosts pseudocosts;
  std::vector<double> global_lower, global_upper, x;
  std::unique_ptr<SearchNode> current;
  MipCallbackData d;
};

TEST_F(CallbackQuery, SearchItemsWithTheirTypesAndSense) {
  prepare(query_model(), false, -1);
  record.nodes = 40;
  record.nested_nodes = 2;
  record.iterations = 300;
  record.nested_iterations = 5;
  record.cuts[kCliqueCuts] = 3;
  record.cuts[kGomoryCuts] = 4;
  record.cuts[kMcfCuts] = 5;
  record.cuts[kImpliedBoundCuts] = 6;
  record.stored_bound = -30.0;
  ASSERT_EQ(tree.push(make_node(8, -25.0, 'D', 1, -1)), 0);
  ASSERT_EQ(tree.push(make_node(9, -28.0, 'D', 1, -1)), 0);

  // No incumbent in a maximisation: -1e75 and no gap.
  EXPECT_EQ(info_double(101, KRV_CALLBACK_INFO_BEST_INTEGER), -1e75);
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_MIP_FEAS), 0);
  EXPECT_EQ(info_double(101, KRV_CALLBACK_INFO_MIP_REL_GAP), 1e75);
  // The best bound: the larger of the stored bound and the smallest open
  // one (the current node's 2.0 is not the smallest), times the sense.
  EXPECT_EQ(info_double(101, KRV_CALLBACK_INFO_BEST_REMAINING), 28.0);

  record.has_incumbent = true;
  record.incumbent_objective = -20.0;
  record.incumbent.assign(static_cast<size_t>(model.num_cols), 0.0);
  record.cutoff = -20.0;
  EXPECT_EQ(info_double(101, KRV_CALLBACK_INFO_BEST_INTEGER), 20.0);
  EXPECT_EQ(info_double(101, KRV_CALLBACK_INFO_CUTOFF), 20.0);
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_MIP_FEAS), 1);
  EXPECT_NEAR(info_double(101, KRV_CALLBACK_INFO_MIP_REL_GAP), -(20.0 - 28.0) / (20.0 + 1e-10), 1e-12);

  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_NODE_COUNT), 42);
  long long big = 0;
  ASSERT_EQ(info(101, KRV_CALLBACK_INFO_NODE_COUNT_LONG, &big), 0);
  EXPECT_EQ(big, 42);
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_NODES_LEFT), 3);  // two open and the current one
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_MIP_ITERATIONS), 305);
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_CLIQUE_COUNT), 3);
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_FRACCUT_COUNT), 4);
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_MCFCUT_COUNT), 5);
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_IMPLBD_COUNT), 6);
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_COVER_COUNT), 0);
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_THREADS), 1);
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_NODE_SEQNUM_CALL), 7);
  EXPECT_EQ(info_int(101, KRV_CALLBACK_INFO_NODE_DEPTH_CALL), 7);
  d.cuts.resize(2);
  d.children.resize(1);
  d.clone_number = 3;
  d.candidate_source = 1;
  EXPECT_EQ(info_int(106, KRV_CALLBACK_INFO_CUTS_ADDED_CALL), 2);
  EXPECT_EQ(info_int(102, KRV_CALLBACK_INFO_CHILDREN_CALL), 1);
  EXPECT_EQ(info_int(102, KRV_CALLBACK_INFO_CLONE_NUMBER), 3);
  EXPECT_EQ(info_int(115, KRV_CALLBACK_INFO_CANDIDATE_SOURCE), 1);

  void* p = nullptr;
  ASSERT_EQ(info(101, KRV_CALLBACK_INFO_PROBLEM, &p), 0);
  EXPECT_EQ(p, searched);
  ASSERT_EQ(info(101, KRV_CALLBACK_INFO_ENV, &p), 0);
  EXPECT_EQ(p, env);
}

TEST_F(CallbackQuery, InfoErrorsOverflowAndKappa) {
  prepare(query_model(), false);
  double v = 0;
  EXPECT_EQ(info(112, KRV_CALLBACK_INFO_BEST_INTEGER, &v), 1003);
  EXPECT_EQ(info(0, KRV_CALLBACK_INFO_BEST_INTEGER, &v), 1003);
  EXPECT_EQ(info(119, KRV_CALLBACK_INFO_BEST_INTEGER, &v), 1003);
  EXPECT_EQ(info(101, 999, &v), 1003);
  EXPECT_EQ(info(101, KRV_CALLBACK_INFO_BEST_INTEGER, nullptr), 1004);
  int not_a_record = 0;
  EXPECT_EQ(KRVgetcallbackinfo(env, &not_a_record, 101, KRV_CALLBACK_INFO_BEST_INTEGER, &v), 1006);
  EXPECT_EQ(KRVgetcallbackinfo(env, nullptr, 101, KRV_CALLBACK_INFO_BEST_INTEGER, &v), 1006);
  for (int item = KRV_CALLBACK_INFO_KAPPA_STABLE; item <= KRV_CALLBACK_INFO_KAPPA_ATTENTION; ++item)
    EXPECT_EQ(info(101, item, &v), 1269) << item;

  record.nodes = static_cast<int64_t>(INT_MAX) + 10;
  int small = 0;
  errors->clear();
  EXPECT_EQ(info(101, KRV_CALLBACK_INFO_NODE_COUNT, &small), 1810);
  EXPECT_EQ(small, INT_MAX);
  EXPECT_NE(errors->text().find("Overflow of 32-bit integer value"), std::string::npos);
  long long big = 0;
  EXPECT_EQ(info(101, KRV_CALLBACK_INFO_NODE_COUNT_LONG, &big), 0);
  EXPECT_EQ(big, static_cast<long long>(INT_MAX) + 10);
}

TEST_F(CallbackQuery, InsideAnInformationalCallbackOnlyTheListedQueriesAnswer) {
  prepare(query_model(), false);
  env->info_callback_depth = 1;
  double v = 0;
  int i = 0;
  void* p = nullptr;
  for (int where : {101, 107, 108, 109, 110, 111, 117, 118}) {
    EXPECT_EQ(info(where, KRV_CALLBACK_INFO_BEST_REMAINING, &v), 0) << where;
    EXPECT_EQ(info(where, KRV_CALLBACK_INFO_ENV, &p), 0) << where;
    EXPECT_EQ(info(where, KRV_CALLBACK_INFO_NODE_COUNT_LONG, &v), 0) << where;
  }
  EXPECT_EQ(info(102, KRV_CALLBACK_INFO_BEST_REMAINING, &v), 1804);
  EXPECT_EQ(info(106, KRV_CALLBACK_INFO_BEST_REMAINING, &v), 1804);
  EXPECT_EQ(info(101, KRV_CALLBACK_INFO_THREADS, &i), 1804);
  EXPECT_EQ(info(101, KRV_CALLBACK_INFO_PROBLEM, &p), 1804);
  EXPECT_EQ(info(101, KRV_CALLBACK_INFO_MIP_REL_GAP, &v), 0);
  EXPECT_EQ(info(101, KRV_CALLBACK_INFO_KAPPA_MAX, &v), 1269);  // allowed, but not collected
  EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_NODE_DEPTH, &i), 1804);
  EXPECT_EQ(KRVgetcallbacknodex(env, &d, 102, &v, 0, 0), 1804);
  env->info_callback_depth = 0;
  EXPECT_EQ(info(102, KRV_CALLBACK_INFO_BEST_REMAINING, &v), 0);
}

TEST_F(CallbackQuery, ContinuousOptimiserItems) {
  korva::simplex::LpCallbackData lpdata;
  lpdata.iterations = 12;
  lpdata.objective = -3.5;
  lpdata.infeasibility = 0.25;
  lpdata.primal_feasible = true;
  double v = 0;
  int i = -1;
  long long l = 0;
  ASSERT_EQ(KRVgetcallbackinfo(env, &lpdata, 2, KRV_CALLBACK_INFO_PRIMAL_OBJ, &v), 0);
  EXPECT_EQ(v, -3.5);
  ASSERT_EQ(KRVgetcallbackinfo(env, &lpdata, 2, KRV_CALLBACK_INFO_INFEASIBILITY, &v), 0);
  EXPECT_EQ(v, 0.25);
  ASSERT_EQ(KRVgetcallbackinfo(env, &lpdata, 1, KRV_CALLBACK_INFO_ITCOUNT, &i), 0);
  EXPECT_EQ(i, 12);
  ASSERT_EQ(KRVgetcallbackinfo(env, &lpdata, 1, KRV_CALLBACK_INFO_ITCOUNT_LONG, &l), 0);
  EXPECT_EQ(l, 12);
  ASSERT_EQ(KRVgetcallbackinfo(env, &lpdata, 1, KRV_CALLBACK_INFO_PRIMAL_FEAS, &i), 0);
  EXPECT_EQ(i, 1);
  ASSERT_EQ(KRVgetcallbackinfo(env, &lpdata, 1, KRV_CALLBACK_INFO_DUAL_FEAS, &i), 0);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(KRVgetcallbackinfo(env, &lpdata, 1, KRV_CALLBACK_INFO_BEST_INTEGER, &v), 1003);
  EXPECT_EQ(KRVgetcallbackinfo(env, nullptr, 1, KRV_CALLBACK_INFO_PRIMAL_OBJ, &v), 1006);
  EXPECT_EQ(KRVgetcallbackinfo(env, &lpdata, 11, KRV_CALLBACK_INFO_PRIMAL_OBJ, &v), 1003);
  // The continuous optimisers call informational callbacks only.
  env->info_callback_depth = 1;
  EXPECT_EQ(KRVgetcallbackinfo(env, &lpdata, 1, KRV_CALLBACK_INFO_PRIMAL_OBJ, &v), 0);
  env->info_callback_depth = 0;
}

TEST_F(CallbackQuery, NodeItemsOfTheCurrentAndTheOpenNodes) {
  mip_test::SmallMip m = query_model();
  m.sets.push_back({'2', {1, 2}, {1.0, 2.0}});
  prepare(m, false, -1);
  ASSERT_EQ(tree.push(make_node(8, -25.0, 'L', -1, 0)), 0);
  ASSERT_EQ(tree.push(make_node(9, -28.0, 'A', -1, -1)), 0);
  ASSERT_EQ(tree.push(make_node(10, -28.0, 'Q', -1, -1)), 0);
  auto node_double = [&](int where, int index, int which) {
    double v = 0;
    EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, where, index, which, &v), 0) << which;
    return v;
  };
  auto node_int = [&](int where, int index, int which) {
    int v = 0;
    EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, where, index, which, &v), 0) << which;
    return v;
  };
  auto node_char = [&](int where, int index) {
    char c = 0;
    EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, where, index, KRV_CALLBACK_INFO_NODE_TYPE, &c), 0);
    return c;
  };
  // The current node: 201 and 202 come from the call.
  EXPECT_EQ(node_double(102, 0, KRV_CALLBACK_INFO_NODE_SIINF), 1.25);
  EXPECT_EQ(node_int(102, 0, KRV_CALLBACK_INFO_NODE_NIINF), 3);
  EXPECT_EQ(node_double(102, 0, KRV_CALLBACK_INFO_NODE_OBJVAL), -2.0);
  EXPECT_EQ(node_double(102, 0, KRV_CALLBACK_INFO_NODE_ESTIMATE), -2.5);
  EXPECT_EQ(node_int(102, 0, KRV_CALLBACK_INFO_NODE_DEPTH), 7);
  EXPECT_EQ(node_int(102, 0, KRV_CALLBACK_INFO_NODE_VAR), 0);
  EXPECT_EQ(node_int(102, 0, KRV_CALLBACK_INFO_NODE_SOS), -1);
  EXPECT_EQ(node_int(102, 0, KRV_CALLBACK_INFO_NODE_SEQNUM), 7);
  EXPECT_EQ(node_char(102, 0), '0');
  long long l = 0;
  ASSERT_EQ(KRVgetcallbacknodeinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_NODE_SEQNUM_LONG, &l), 0);
  EXPECT_EQ(l, 7);
  ASSERT_EQ(KRVgetcallbacknodeinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_NODE_DEPTH_LONG, &l), 0);
  EXPECT_EQ(l, 7);
  void* handle = nullptr;
  ASSERT_EQ(KRVgetcallbacknodeinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_NODE_USERHANDLE, &handle), 0);
  EXPECT_EQ(handle, reinterpret_cast<void*>(1007));

  // The open nodes at 103, in the store's order.
  EXPECT_EQ(node_int(103, 0, KRV_CALLBACK_INFO_NODE_SEQNUM), 8);
  EXPECT_EQ(node_char(103, 0), '2');
  EXPECT_EQ(node_int(103, 0, KRV_CALLBACK_INFO_NODE_SOS), 0);
  EXPECT_EQ(node_double(103, 0, KRV_CALLBACK_INFO_NODE_SIINF), 2.0);
  EXPECT_EQ(node_char(103, 1), 'A');
  EXPECT_EQ(node_char(103, 2), 'X');
  EXPECT_EQ(node_int(103, 2, KRV_CALLBACK_INFO_NODE_NIINF), 10);

  int v = 0;
  EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 103, 3, KRV_CALLBACK_INFO_NODE_DEPTH, &v), 1200);
  EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 103, -1, KRV_CALLBACK_INFO_NODE_DEPTH, &v), 1200);
  EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 105, 1, KRV_CALLBACK_INFO_NODE_DEPTH, &v), 1003);
  EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 101, 0, KRV_CALLBACK_INFO_NODE_DEPTH, &v), 1003);
  EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 112, 0, KRV_CALLBACK_INFO_NODE_DEPTH, &v), 1003);
  EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 102, 0, 211, &v), 1003);
  EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_NODE_DEPTH, nullptr), 1004);

  int seq = 0, parent = 0;
  ASSERT_EQ(KRVgetcallbackseqinfo(env, &d, 102, &seq, &parent), 0);
  EXPECT_EQ(seq, 7);
  EXPECT_EQ(parent, 6);
  current->seqnum = static_cast<int64_t>(INT_MAX) + 1;
  EXPECT_EQ(KRVgetcallbackseqinfo(env, &d, 102, &seq, &parent), 1810);
  EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_NODE_SEQNUM, &v), 1810);
  d.node = nullptr;
  EXPECT_EQ(KRVgetcallbackseqinfo(env, &d, 104, &seq, &parent), 1003);
  EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 104, 0, KRV_CALLBACK_INFO_NODE_DEPTH, &v), 1003);
  EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 104, 0, KRV_CALLBACK_INFO_NODE_NIINF, &v), 0);
}

TEST_F(CallbackQuery, OpenNodesInANodeFileGive3504AndKeepTheirHandles) {
  prepare(query_model(), false);
  const std::string dir = ::testing::TempDir();
  for (int mode : {1, 3}) {
    NodeFileSettings files;
    files.mode = mode;
    files.memory_limit = -1.0;  // every node goes to the file
    files.directory = dir;
    NodeStore store(NodeOrder::BestBound, files);
    ASSERT_EQ(store.push(make_node(4, 1.0, 'D', 1, -1)), 0);
    ASSERT_EQ(store.push(make_node(5, 2.0, 'U', 1, -1)), 0);
    ASSERT_TRUE(store.uses_node_file());
    d.tree = &store;
    int v = 0;
    EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 103, 0, KRV_CALLBACK_INFO_NODE_DEPTH, &v), 3504) << mode;
    EXPECT_EQ(KRVgetcallbacknodeinfo(env, &d, 103, 2, KRV_CALLBACK_INFO_NODE_DEPTH, &v), 1200) << mode;
    std::unique_ptr<SearchNode> taken;
    ASSERT_EQ(store.take_open(1, taken), 0);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->seqnum, 5);
    EXPECT_EQ(taken->parent_seqnum, 4);
    EXPECT_EQ(taken->user_handle, reinterpret_cast<void*>(1005));
    EXPECT_EQ(store.size(), 1);
    EXPECT_EQ(store.take_open(1, taken), 1200);
    ASSERT_EQ(store.pop(taken), 0);
    EXPECT_EQ(taken->seqnum, 4);
    EXPECT_TRUE(store.empty());
    d.tree = &tree;
  }
}

TEST_F(CallbackQuery, TakeOpenRemovesTheChosenNodeFromEveryOrder) {
  NodeStore store(NodeOrder::BestEstimateAndBound);
  for (int k = 0; k < 4; ++k) ASSERT_EQ(store.push(make_node(k + 1, 4.0 - k, 'D', 0, -1)), 0);
  bool in_file = true;
  ASSERT_NE(store.open_node(2, &in_file), nullptr);
  EXPECT_FALSE(in_file);
  EXPECT_EQ(store.open_node(2, &in_file)->seqnum, 3);
  std::unique_ptr<SearchNode> taken;
  ASSERT_EQ(store.take_open(2, taken), 0);
  EXPECT_EQ(taken->seqnum, 3);
  EXPECT_EQ(store.open_node(2, &in_file)->seqnum, 4);
  EXPECT_EQ(store.best_bound(), 1.0);
  std::vector<int64_t> order;
  while (!store.empty()) {
    ASSERT_EQ(store.pop(taken), 0);
    order.push_back(taken->seqnum);
  }
  EXPECT_EQ(order.size(), 3u);
  EXPECT_EQ(std::count(order.begin(), order.end(), 3), 0);
}

TEST_F(CallbackQuery, ColumnQueriesInTheSearchedSpace) {
  prepare(query_model(), false);
  domain.tighten_upper(2, 4.0);
  domain.tighten_lower(0, 1.0);
  pseudocosts.record(1, -0.5, 2.0);
  pseudocosts.record(1, 0.25, 1.0);
  const int n = model.num_cols;
  std::vector<double> v(static_cast<size_t>(n));
  ASSERT_EQ(KRVgetcallbacknodex(env, &d, 102, v.data(), 0, n - 1), 0);
  EXPECT_EQ(v, x);
  ASSERT_EQ(KRVgetcallbacknodelb(env, &d, 106, v.data(), 0, n - 1), 0);
  EXPECT_EQ(v[0], 1.0);
  ASSERT_EQ(KRVgetcallbacknodeub(env, &d, 106, v.data(), 2, 2), 0);
  EXPECT_EQ(v[0], 4.0);
  ASSERT_EQ(KRVgetcallbackglobalub(env, &d, 101, v.data(), 0, n - 1), 0);
  EXPECT_EQ(v[2], 5.0);
  global_upper[2] = INFINITY;
  ASSERT_EQ(KRVgetcallbackglobalub(env, &d, 101, v.data(), 2, 2), 0);
  EXPECT_EQ(v[0], 1e20);
  d.global_lower = d.global_upper = nullptr;  // the model's bounds stand in
  ASSERT_EQ(KRVgetcallbackgloballb(env, &d, 101, v.data(), 3, 3), 0);
  EXPECT_EQ(v[0], 1.0);
  double objval = 0;
  ASSERT_EQ(KRVgetcallbacknodeobjval(env, &d, 102, &objval), 0);
  EXPECT_EQ(objval, 2.5);
  int stat = 0;
  ASSERT_EQ(KRVgetcallbacknodestat(env, &d, 106, &stat), 0);
  EXPECT_EQ(stat, 1);
  EXPECT_EQ(KRVgetcallbacknodestat(env, &d, 102, &stat), 1003);

  std::vector<char> ctype(static_cast<size_t>(n));
  ASSERT_EQ(KRVgetcallbackctype(env, &d, 101, ctype.data(), 0, n - 1), 0);
  EXPECT_EQ(std::string(ctype.begin(), ctype.end()), "IICCB");

  std::vector<double> up(2), down(2);
  ASSERT_EQ(KRVgetcallbackpseudocosts(env, &d, 102, up.data(), down.data(), 0, 1), 0);
  EXPECT_EQ(down[1], pseudocosts.down(1));
  EXPECT_EQ(up[1], pseudocosts.up(1));
  EXPECT_EQ(up[0], pseudocosts.up(0));

  std::vector<int> feas(static_cast<size_t>(n));
  x = {1.0, 0.5, 0.5, 1.0, 0.999999};
  ASSERT_EQ(KRVgetcallbacknodeintfeas(env, &d, 102, feas.data(), 0, n - 1), 0);
  EXPECT_EQ(feas, (std::vector<int>{1, 0, 1, 2, 1}));

  // The incumbent: 3023 until there is one.
  EXPECT_EQ(KRVgetcallbackincumbent(env, &d, 101, v.data(), 0, n - 1), 3023);
  record.has_incumbent = true;
  record.incumbent_objective = 7.0;
  record.incumbent = {1, 2, 0, 1, 0};
  ASSERT_EQ(KRVgetcallbackincumbent(env, &d, 101, v.data(), 0, n - 1), 0);
  EXPECT_EQ(v, record.incumbent);

  // Errors: ranges with their message, null outputs, missing data.
  errors->clear();
  EXPECT_EQ(KRVgetcallbacknodex(env, &d, 102, v.data(), 0, n), 1200);
  EXPECT_NE(errors->text().find("KRVgetcallbacknodex: 'end' value 5 is greater than 4"), std::string::npos);
  EXPECT_EQ(KRVgetcallbackctype(env, &d, 102, ctype.data(), -1, 0), 1200);
  EXPECT_NE(errors->text().find("KRVgetcallbackctype: 'begin' value -1 is less than 0"), std::string::npos);
  EXPECT_EQ(KRVgetcallbacknodex(env, &d, 102, nullptr, 0, 1), 1004);
  EXPECT_EQ(KRVgetcallbacknodex(env, &d, 112, v.data(), 0, 1), 1003);
  int not_a_record = 0;
  EXPECT_EQ(KRVgetcallbacknodex(env, &not_a_record, 102, v.data(), 0, 1), 1006);
  d.x = nullptr;
  EXPECT_EQ(KRVgetcallbacknodex(env, &d, 113, v.data(), 0, 1), 1003);
  EXPECT_EQ(KRVgetcallbacknodeobjval(env, &d, 113, &objval), 1003);
  EXPECT_EQ(KRVgetcallbacknodeintfeas(env, &d, 113, feas.data(), 0, 1), 1003);
  d.domain = nullptr;
  EXPECT_EQ(KRVgetcallbacknodelb(env, &d, 101, v.data(), 0, 1), 1003);
  d.pseudocosts = nullptr;
  EXPECT_EQ(KRVgetcallbackpseudocosts(env, &d, 101, up.data(), down.data(), 0, 1), 1003);
}

TEST_F(CallbackQuery, PriorityOrderOfTheSearch) {
  prepare(query_model(), false);
  const int indices[] = {4, 0};
  const int priority[] = {5, 2};
  const int direction[] = {1, -1};
  ASSERT_EQ(KRVcopyorder(env, lp, 2, indices, priority, direction), 0);
  std::vector<int> p(5, -1), dir(5, -1);
  ASSERT_EQ(KRVgetcallbackorder(env, &d, 101, p.data(), dir.data(), 0, 4), 0);
  EXPECT_EQ(p, (std::vector<int>{2, 0, 0, 0, 5}));
  EXPECT_EQ(dir, (std::vector<int>{-1, 0, 0, 0, 1}));
  // The order the search uses wins over the problem's.
  korva::PriorityOrder search_order;
  search_order.indices = {1};
  search_order.priority = {9};
  search_order.direction = {0};
  d.order = &search_order;
  ASSERT_EQ(KRVgetcallbackorder(env, &d, 101, p.data(), nullptr, 0, 4), 0);
  EXPECT_EQ(p, (std::vector<int>{0, 9, 0, 0, 0}));
  EXPECT_EQ(KRVgetcallbackorder(env, &d, 101, nullptr, nullptr, 0, 4), 1004);
}

TEST_F(CallbackQuery, NodeLpHoldsTheNodesBoundsAndActiveRows) {
  prepare(query_model(), false, -1);
  // Two pool cuts, one of them active at the node.
  Cut a, b;
  a.index = {0, 1};
  a.value = {1.0, 1.0};
  a.rhs = 9.0;
  b.index = {2};
  b.value = {1.0};
  b.rhs = 3.0;
  set_pool_rows(model, {a, b});
  domain.init(model, 1e-6, 1e-5);
  domain.activate_row(model.first_pool_row + 1);
  domain.tighten_upper(2, 4.0);
  KRVprob nodelp = nullptr;
  ASSERT_EQ(KRVgetcallbacknodelp(env, &d, 102, &nodelp), 0);
  ASSERT_NE(nodelp, nullptr);
  EXPECT_EQ(KRVgetnumcols(env, nodelp), 5);
  EXPECT_EQ(KRVgetnumrows(env, nodelp), 4);
  EXPECT_EQ(KRVgetobjsen(env, nodelp), -1);
  double ub = 0, obj = 0, rhs = 0;
  ASSERT_EQ(KRVgetub(env, nodelp, &ub, 2, 2), 0);
  EXPECT_EQ(ub, 4.0);
  ASSERT_EQ(KRVgetobj(env, nodelp, &obj, 2, 2), 0);
  EXPECT_EQ(obj, 3.0);
  char sense[4];
  ASSERT_EQ(KRVgetsense(env, nodelp, sense, 0, 3), 0);
  EXPECT_EQ(std::string(sense, 4), "GLLL");
  ASSERT_EQ(KRVgetrhs(env, nodelp, &rhs, 3, 3), 0);
  EXPECT_EQ(rhs, 3.0);
  // The same object for the rest of the call.
  KRVprob again = nullptr;
  ASSERT_EQ(KRVgetcallbacknodelp(env, &d, 106, &again), 0);
  EXPECT_EQ(again, nodelp);
  d.domain = nullptr;
  EXPECT_EQ(KRVgetcallbacknodelp(env, &d, 101, &again), 1003);
  KRVprob searched_lp = nullptr;
  ASSERT_EQ(KRVgetcallbacklp(env, &d, 101, &searched_lp), 0);
  EXPECT_EQ(searched_lp, lp);
}

TEST_F(CallbackQuery, SetsAndIndicatorConstraints) {
  mip_test::SmallMip m = query_model();
  m.sets.push_back({'1', {1, 2}, {1.0, 2.0}});
  m.indicators.push_back({4, 0, {{{0, 1.0}}, 'L', 3.0}});
  prepare(m, false);
  int i = 0;
  double v = 0;
  char c = 0;
  ASSERT_EQ(KRVgetcallbacksosinfo(env, &d, 102, 0, 0, KRV_CALLBACK_INFO_SOS_NUM, &i), 0);
  EXPECT_EQ(i, 1);
  ASSERT_EQ(KRVgetcallbacksosinfo(env, &d, 102, 0, 0, KRV_CALLBACK_INFO_SOS_TYPE, &c), 0);
  EXPECT_EQ(c, '1');
  ASSERT_EQ(KRVgetcallbacksosinfo(env, &d, 102, 0, 0, KRV_CALLBACK_INFO_SOS_SIZE, &i), 0);
  EXPECT_EQ(i, 2);
  ASSERT_EQ(KRVgetcallbacksosinfo(env, &d, 102, 0, 1, KRV_CALLBACK_INFO_SOS_MEMBER_INDEX, &i), 0);
  EXPECT_EQ(i, 2);
  ASSERT_EQ(KRVgetcallbacksosinfo(env, &d, 102, 0, 1, KRV_CALLBACK_INFO_SOS_MEMBER_REFVAL, &v), 0);
  EXPECT_EQ(v, 2.0);
  x = {4.0, 1.0, 0.0, 1.0, 1.0};
  ASSERT_EQ(KRVgetcallbacksosinfo(env, &d, 102, 0, 0, KRV_CALLBACK_INFO_SOS_IS_FEASIBLE, &i), 0);
  EXPECT_EQ(i, 1);
  x[2] = 0.5;
  ASSERT_EQ(KRVgetcallbacksosinfo(env, &d, 102, 0, 0, KRV_CALLBACK_INFO_SOS_IS_FEASIBLE, &i), 0);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(KRVgetcallbacksosinfo(env, &d, 102, 1, 0, KRV_CALLBACK_INFO_SOS_SIZE, &i), 1200);
  EXPECT_EQ(KRVgetcallbacksosinfo(env, &d, 102, 0, 2, KRV_CALLBACK_INFO_SOS_MEMBER_INDEX, &i), 1200);
  EXPECT_EQ(KRVgetcallbacksosinfo(env, &d, 102, 0, 0, 243, &i), 1003);

  ASSERT_EQ(KRVgetcallbackindicatorinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_IC_NUM, &i), 0);
  EXPECT_EQ(i, 1);
  ASSERT_EQ(KRVgetcallbackindicatorinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_IC_IMPLYING_VAR, &i), 0);
  EXPECT_EQ(i, 4);
  ASSERT_EQ(KRVgetcallbackindicatorinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_IC_IMPLIED_VAR, &i), 0);
  EXPECT_EQ(i, -1);
  ASSERT_EQ(KRVgetcallbackindicatorinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_IC_SENSE, &c), 0);
  EXPECT_EQ(c, 'L');
  ASSERT_EQ(KRVgetcallbackindicatorinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_IC_COMPL, &i), 0);
  EXPECT_EQ(i, 0);
  ASSERT_EQ(KRVgetcallbackindicatorinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_IC_RHS, &v), 0);
  EXPECT_EQ(v, 3.0);
  // x4 = 1 switches it on and x0 = 4 breaks it.
  ASSERT_EQ(KRVgetcallbackindicatorinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_IC_IS_FEASIBLE, &i), 0);
  EXPECT_EQ(i, 0);
  x[4] = 0.0;
  ASSERT_EQ(KRVgetcallbackindicatorinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_IC_IS_FEASIBLE, &i), 0);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(KRVgetcallbackindicatorinfo(env, &d, 102, 1, KRV_CALLBACK_INFO_IC_RHS, &v), 1200);
  d.x = nullptr;
  EXPECT_EQ(KRVgetcallbackindicatorinfo(env, &d, 113, 0, KRV_CALLBACK_INFO_IC_IS_FEASIBLE, &i), 1003);
}

TEST_F(CallbackQuery, BranchConstraintsOfTheProposedChildren) {
  prepare(query_model(), false);
  ProposedChildren proposed;
  proposed.type = 'X';
  proposed.begin = {0, 0};
  CallbackRow r1{{0, 1}, {1.0, 1.0}, 2.0, 'L'};
  CallbackRow r2{{2}, {1.0}, 1.0, 'G'};
  proposed.rows = {{r1, r2}, {}};
  d.proposed = &proposed;
  int cuts = -1, nzcnt = -1, surplus = 0;
  double rhs[2];
  char sense[2];
  int beg[2], ind[3];
  double val[3];
  errors->clear();
  EXPECT_EQ(KRVgetcallbackbranchconstraints(env, &d, 102, 0, &cuts, &nzcnt, rhs, sense, beg, ind, val, 0, &surplus),
            1207);
  EXPECT_EQ(errors->text(), "");  // silent with no space given
  EXPECT_EQ(surplus, -3);
  EXPECT_EQ(cuts, 2);
  ASSERT_EQ(KRVgetcallbackbranchconstraints(env, &d, 113, 0, &cuts, &nzcnt, rhs, sense, beg, ind, val, 3, &surplus),
            0);
  EXPECT_EQ(cuts, 2);
  EXPECT_EQ(nzcnt, 3);
  EXPECT_EQ(surplus, 0);
  EXPECT_EQ(beg[1], 2);
  EXPECT_EQ(ind[2], 2);
  EXPECT_EQ(sense[1], 'G');
  EXPECT_EQ(rhs[0], 2.0);
  ASSERT_EQ(KRVgetcallbackbranchconstraints(env, &d, 102, 1, &cuts, &nzcnt, rhs, sense, beg, ind, val, 3, &surplus),
            0);
  EXPECT_EQ(cuts, 0);
  EXPECT_EQ(KRVgetcallbackbranchconstraints(env, &d, 102, 2, &cuts, &nzcnt, rhs, sense, beg, ind, val, 3, &surplus),
            1200);
  EXPECT_EQ(KRVgetcallbackbranchconstraints(env, &d, 106, 0, &cuts, &nzcnt, rhs, sense, beg, ind, val, 3, &surplus),
            1003);
  EXPECT_EQ(KRVgetcallbackbranchconstraints(env, &d, 102, 0, nullptr, &nzcnt, rhs, sense, beg, ind, val, 3,
                                            &surplus),
            1004);
  d.proposed = nullptr;
  EXPECT_EQ(KRVgetcallbackbranchconstraints(env, &d, 102, 0, &cuts, &nzcnt, rhs, sense, beg, ind, val, 3, &surplus),
            1003);
}

TEST_F(CallbackQuery, OriginalSpaceAnswersMatchThePresolveMaps) {
  prepare(query_model(), true);
  const int n = KRVgetnumcols(env, lp);
  const int nred = model.num_cols;
  ASSERT_LT(nred, n) << "presolve should remove the fixed column";
  domain.tighten_upper(rec->col_map[2] >= 0 ? rec->col_map[2] : 0, 4.0);
  record.has_incumbent = true;
  record.incumbent.assign(static_cast<size_t>(nred), 1.0);
  record.incumbent_objective = 0.0;

  std::vector<double> reduced_x(static_cast<size_t>(nred)), reduced_lb(static_cast<size_t>(nred));
  ASSERT_EQ(KRVgetcallbacknodex(env, &d, 102, reduced_x.data(), 0, nred - 1), 0);
  ASSERT_EQ(KRVgetcallbacknodelb(env, &d, 102, reduced_lb.data(), 0, nred - 1), 0);
  std::vector<double> reduced_ub(static_cast<size_t>(nred)), reduced_inc(static_cast<size_t>(nred));
  ASSERT_EQ(KRVgetcallbacknodeub(env, &d, 102, reduced_ub.data(), 0, nred - 1), 0);
  ASSERT_EQ(KRVgetcallbackincumbent(env, &d, 102, reduced_inc.data(), 0, nred - 1), 0);
  KRVprob reported = nullptr;
  ASSERT_EQ(KRVgetcallbacklp(env, &d, 102, &reported), 0);
  EXPECT_EQ(reported, searched);
  double v = 0;
  EXPECT_EQ(KRVgetcallbacknodex(env, &d, 102, &v, nred, nred), 1200);

  d.reduced_space = false;
  ASSERT_EQ(KRVgetcallbacklp(env, &d, 102, &reported), 0);
  EXPECT_EQ(reported, lp);
  void* p = nullptr;
  ASSERT_EQ(KRVgetcallbackinfo(env, &d, 102, KRV_CALLBACK_INFO_PROBLEM, &p), 0);
  EXPECT_EQ(p, lp);
  std::vector<double> orig_x(static_cast<size_t>(n)), orig_lb(static_cast<size_t>(n)), orig_ub(static_cast<size_t>(n));
  std::vector<double> orig_inc(static_cast<size_t>(n));
  ASSERT_EQ(KRVgetcallbacknodex(env, &d, 102, orig_x.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetcallbacknodelb(env, &d, 102, orig_lb.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetcallbacknodeub(env, &d, 102, orig_ub.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetcallbackincumbent(env, &d, 102, orig_inc.data(), 0, n - 1), 0);

  // Values: the presolve's own uncrush of the reduced answer.
  std::vector<double> expect_x(static_cast<size_t>(n)), expect_inc(static_cast<size_t>(n));
  korva::presolve::uncrush_x(*lp, *rec, reduced_x.data(), expect_x.data());
  korva::presolve::uncrush_x(*lp, *rec, reduced_inc.data(), expect_inc.data());
  for (int j = 0; j < n; ++j) {
    EXPECT_NEAR(orig_x[j], expect_x[j], 1e-9) << j;
    EXPECT_NEAR(orig_inc[j], expect_inc[j], 1e-9) << j;
    const int k = rec->col_map[j];
    if (k >= 0) {
      EXPECT_EQ(orig_lb[j], reduced_lb[k]) << j;
      EXPECT_EQ(orig_ub[j], reduced_ub[k]) << j;
    } else {
      double lb = 0, ub = 0;
      ASSERT_EQ(KRVgetlb(env, lp, &lb, j, j), 0);
      ASSERT_EQ(KRVgetub(env, lp, &ub, j, j), 0);
      EXPECT_EQ(orig_lb[j], lb) << j;
      EXPECT_EQ(orig_ub[j], ub) << j;
    }
    EXPECT_LE(orig_lb[j], orig_inc[j] + 1e-9) << j;
    EXPECT_GE(orig_ub[j], orig_inc[j] - 1e-9) << j;
  }
  // Types, pseudocosts and feasibility of removed columns.
  std::vector<char> ctype(static_cast<size_t>(n));
  ASSERT_EQ(KRVgetcallbackctype(env, &d, 102, ctype.data(), 0, n - 1), 0);
  EXPECT_EQ(std::string(ctype.begin(), ctype.end()), "IICCB");
  std::vector<double> up(static_cast<size_t>(n)), down(static_cast<size_t>(n));
  ASSERT_EQ(KRVgetcallbackpseudocosts(env, &d, 102, up.data(), down.data(), 0, n - 1), 0);
  std::vector<int> feas(static_cast<size_t>(n));
  ASSERT_EQ(KRVgetcallbacknodeintfeas(env, &d, 102, feas.data(), 0, n - 1), 0);
  for (int j = 0; j < n; ++j) {
    const int k = rec->col_map[j];
    EXPECT_EQ(up[j], k >= 0 ? pseudocosts.up(k) : 0.0) << j;
    if (k < 0) {
      EXPECT_EQ(feas[j], 2) << j;
    }
  }
  // The node's branching column in the original indices.
  int col = -2;
  current->branch_col = 0;
  ASSERT_EQ(KRVgetcallbacknodeinfo(env, &d, 102, 0, KRV_CALLBACK_INFO_NODE_VAR, &col), 0);
  EXPECT_EQ(col, rec->orig_col[0]);
  EXPECT_EQ(KRVgetcallbacknodex(env, &d, 102, &v, n, n), 1200);
  // The node LP stays in the searched space.
  KRVprob nodelp = nullptr;
  ASSERT_EQ(KRVgetcallbacknodelp(env, &d, 102, &nodelp), 0);
  EXPECT_EQ(KRVgetnumcols(env, nodelp), nred);
}

}  // namespace
