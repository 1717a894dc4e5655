// What a MIP callback receives as cbdata: a view of the search at the
// moment of the call (the node being processed, the worker's relaxation,
// the shared record) and what the callback adds through the steering
// entries (cuts, children). Every worker fills its own record, so that
// callbacks running in several threads never share one. The record lives
// only for the duration of one call.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "env/callbacks.h"
#include "mip/domain.h"
#include "mip/kappa_stats.h"
#include "mip/mip_model.h"
#include "mip/node_store.h"
#include "mip/search_record.h"
#include "mip/search_settings.h"
#include "presolve/presolve_record.h"

namespace korva::mip {

class NodeLp;
class Pseudocosts;

// The where-values passed to the MIP callbacks.
namespace where {
inline constexpr int kProgress = 101;
inline constexpr int kBranch = 102;
inline constexpr int kNodeSelection = 103;
inline constexpr int kHeuristic = 104;
inline constexpr int kSolve = 105;
inline constexpr int kCutLoop = 106;
inline constexpr int kProbing = 107;
inline constexpr int kGomory = 108;
inline constexpr int kDisjunctive = 109;
inline constexpr int kMirFlow = 110;
inline constexpr int kIncumbentNode = 111;
inline constexpr int kBranchNoSolution = 113;
inline constexpr int kCutLast = 114;
inline constexpr int kLazyFeasible = 115;
inline constexpr int kLazyUnbounded = 116;
inline constexpr int kIncumbentHeuristic = 117;
inline constexpr int kIncumbentOther = 118;

inline bool is_cut_context(int w) { return w == kCutLoop || w == kCutLast || w == kLazyFeasible || w == kLazyUnbounded; }
inline bool is_lazy_context(int w) { return w == kLazyFeasible || w == kLazyUnbounded; }
inline bool is_branch_context(int w) { return w == kBranch || w == kBranchNoSolution; }
}  // namespace where

// A row a callback added: a cut, a lazy constraint or a child's branching
// constraint, in the searched problem's columns (crushed when the
// callback spoke of the original problem's).
struct CallbackRow {
  std::vector<int> ind;
  std::vector<double> val;
  double rhs = 0.0;
  char sense = 'L';
  int purgeable = 0;   // 0 kept, 1 and 2 may be purged
  bool local = false;  // valid in the current node's subtree only
  bool lazy = false;   // a lazy constraint (a constraint of the model), not a cut
};

// True when x breaks the row by more than `tolerance` (relative to the
// size of its side).
bool violated_by(const CallbackRow& row, const std::vector<double>& x, double tolerance);

// A child a branch callback created.
struct CallbackChild {
  double estimate = 0.0;  // minimisation sense
  std::vector<BoundChange> bounds;  // tightenings (searched problem's columns)
  std::vector<CallbackRow> rows;
  void* user_handle = nullptr;
  int64_t seqnum = -1;
};

// The children the search proposes at a branch callback (the callback
// sees them through its arguments and KRVgetcallbackbranchconstraints).
struct ProposedChildren {
  int type = '0';  // the branch type argument: '0' variable, '1'/'2' a set, 'X' other
  int set = -1;
  std::vector<int> begin;  // per child, its first entry in the arrays below
  std::vector<int> indices;
  std::vector<char> lu;
  std::vector<double> bd;
  std::vector<double> estimates;  // in the user's sense
  std::vector<std::vector<CallbackRow>> rows;  // per child (empty for bound branches)
};

// What every call of one search shares, set once when the search starts.
struct CallbackScope {
  Problem* original = nullptr;
  Problem* searched = nullptr;
  const presolve::PresolveRecord* presolve = nullptr;
  const MipModel* model = nullptr;
  const SearchSettings* settings = nullptr;
  const MipSearchRecord* record = nullptr;
  NodeStore* tree = nullptr;
  const PriorityOrder* order = nullptr;
  std::atomic<int64_t>* next_seqnum = nullptr;
  bool reduced_space = true;
  // The callbacks as they were when the search started: a callback that
  // changes the registry changes the next search, not this one.
  CallbackRegistry callbacks;
};

struct MipCallbackData {
  static constexpr uint32_t kMark = 0x4b524342u;
  uint32_t mark = kMark;  // tells a record of the search from any other pointer
  Environment* env = nullptr;  // the environment the callback was called with
  int wherefrom = 0;

  // The optimisation.
  Problem* original = nullptr;  // the problem KRVmipopt was called on
  Problem* searched = nullptr;  // the problem the search works on (presolved, or the original)
  const presolve::PresolveRecord* presolve = nullptr;  // between the two; null when they are one
  const MipModel* model = nullptr;  // of `searched`, with its cut and lazy rows
  const SearchSettings* settings = nullptr;
  const MipSearchRecord* record = nullptr;  // counters, incumbent and bounds (minimisation sense)
  NodeStore* tree = nullptr;                // the open nodes
  const PriorityOrder* order = nullptr;
  bool reduced_space = true;  // KRV_PARAM_MIPCBREDLP: answer in the searched problem's indices
  const CallbackRegistry* callbacks = nullptr;  // the search's (null: the environment's)
  const KappaStats* kappa = nullptr;  // condition statistics of the node LPs, when collected

  // The node being processed (null outside node contexts).
  const SearchNode* node = nullptr;
  const Domain* domain = nullptr;                 // its bounds and active rows
  const std::vector<double>* global_lower = nullptr;  // the bounds valid in the whole tree
  const std::vector<double>* global_upper = nullptr;
  const std::vector<double>* x = nullptr;  // the node's LP solution or the candidate
  bool has_objective = false;
  double objective = 0.0;  // minimisation sense, offset included
  int node_status = 0;     // simplex status of the node's LP
  int64_t num_infeasible = 0;
  double sum_infeasibility = 0.0;
  const Pseudocosts* pseudocosts = nullptr;
  NodeLp* lp = nullptr;    // the worker's relaxation
  // The node LP as a problem object, built when a callback asks for it.
  Problem* node_lp = nullptr;
  const ProposedChildren* proposed = nullptr;  // branch contexts

  // Steering: what the call added.
  std::vector<CallbackRow> cuts;
  std::vector<CallbackChild> children;
  std::atomic<int64_t>* next_seqnum = nullptr;  // the search's sequence numbers
  int crush_failures = 0;

  // Items of the calling context (KRVgetcallbackinfo 113..123).
  int clone_number = 0;
  int candidate_source = 0;  // 0 a node LP solution, 1 a heuristic, 2 another source

  MipCallbackData() = default;
  MipCallbackData(Environment& env, const CallbackScope& scope);
  MipCallbackData(const MipCallbackData&) = delete;
  MipCallbackData& operator=(const MipCallbackData&) = delete;
  ~MipCallbackData();

  // A solution of the searched problem in the callback's space, and back.
  void to_callback_space(const std::vector<double>& x, std::vector<double>& out) const;
  void from_callback_space(const double* x, std::vector<double>& out) const;
  bool original_space() const { return !reduced_space && presolve; }
  const CallbackRegistry& registry() const { return callbacks ? *callbacks : env->callbacks; }
  // An objective of the search (minimisation sense) as the callback sees it.
  double user_objective(double objective) const { return model->objsense * objective; }
};

// The record behind a callback's cbdata, checked: null when cbdata is not
// one the search handed out (the caller answers 1006).
MipCallbackData* callback_data_of(void* cbdata);

}  // namespace korva::mip
