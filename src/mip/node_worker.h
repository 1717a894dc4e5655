// One thread's share of the search: its own domain, LP relaxation and
// pseudocost table, processing one node at a time against a view of the
// shared state that stays fixed for the round. What it finds (children,
// solutions, pruned bounds, lazy constraints to switch on) goes back in a
// report that the search merges in a fixed order, so that a run with a
// given number of threads repeats exactly.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "mip/branching.h"
#include "mip/callback_calls.h"
#include "mip/callback_data.h"
#include "mip/cut_pool.h"
#include "mip/probing.h"
#include "mip/domain.h"
#include "mip/heuristics/column_locks.h"
#include "mip/heuristics/heuristic_state.h"
#include "mip/heuristics/tree_schedule.h"
#include "mip/mip_model.h"
#include "mip/node_log.h"
#include "mip/node_lp.h"
#include "mip/node_store.h"
#include "mip/pseudocosts.h"
#include "mip/search_settings.h"

namespace korva::mip {

// What the root prepared that separation in the tree reads again (owned by
// the root's cut rounds, alive for the whole search).
struct TreeSeparators {
  const std::vector<ImpliedBound>* implied_bounds = nullptr;
};

// The shared state as a worker sees it during a round.
struct RoundView {
  double exact_cutoff = kInf;  // no better solution beyond this bound
  double node_cutoff = kInf;   // the gap tolerances included
  bool has_incumbent = false;
  const std::vector<double>* incumbent = nullptr;
  bool objective_integral = false;
  int64_t nodes = 0;             // nodes processed before the round
  int64_t iterations_left = 0;   // simplex iterations KRV_PARAM_ITLIM leaves
  const PriorityOrder* order = nullptr;
  bool heuristics = false;       // run the root heuristics on this node
  // Further known solutions in the model's columns (the pool), which
  // crossover combines with the incumbent; null when none.
  const std::vector<std::vector<double>>* solutions = nullptr;
  bool populate = false;         // enumerate: integral nodes branch on their free integer columns
  const PoolAges* pool = nullptr;  // the pool rows' ages, or null
};

struct FoundSolution {
  std::vector<double> x;
  bool from_node_lp = false;  // the node's own integral LP solution
};

// What processing one node produced.
struct NodeReport {
  int error = 0;
  int64_t iterations = 0;
  LogLine::State state = LogLine::State::Solved;
  double objective = 0.0;  // node LP objective (minimisation sense)
  int lp_status = 0;
  bool lp_solved = false;
  int64_t num_infeasible = 0;
  // The node as the traditional log shows it: how its parent made it.
  int64_t seqnum = 0, parent_seqnum = -1, depth = 0;
  int branch_col = -1, branch_set = -1;
  char branch_type = ' ';
  // Children, `first` the one to continue with; empty when pruned.
  std::unique_ptr<SearchNode> children[2];
  int first = 0;
  std::vector<FoundSolution> solutions;
  std::vector<int> lazy_rows;            // lazy constraints to switch on everywhere
  std::vector<int> pool_rows;            // pool cuts switched on here (0-based in the pool)
  std::vector<Cut> tree_cuts;            // global cuts found here, for the pool
  std::vector<double> pruned_bounds;     // bounds of what the node or its trials dropped
  double unresolved_bound = kInf;        // a node no LP could decide
  bool unbounded = false;
  std::unique_ptr<SearchNode> returned;  // the node, back to the tree (a limit stopped its LP)
  bool root_fixings = false;             // root reduced costs are known now
  int64_t nested_nodes = 0, nested_iterations = 0;  // of the heuristics' nested searches
  // Callbacks: rows they added (cuts and lazy constraints; local ones for
  // the returned node's subtree), the branching rows of the children they
  // created, and a request to stop the search.
  std::vector<CallbackRow> callback_rows;
  std::vector<CallbackRow> child_rows[2];
  bool abort = false;
  double kappa = -1.0;  // condition estimate of the node's final basis, when sampled
};

class NodeWorker {
 public:
  NodeWorker(Environment& env, const MipModel& model, const SearchSettings& settings,
             const TreeSeparators* separators = nullptr);

  // Domain at the root (with the global changes so far) and the relaxation.
  // Returns 0 or an error code; `infeasible` when propagation empties the root.
  int start(const std::vector<int>& active_rows, const std::vector<BoundChange>& global, bool* infeasible);
  // Builds the domain and the relaxation again for a model whose pool
  // grew; the pseudocosts stay.
  int reload(const std::vector<int>& active_rows, const std::vector<BoundChange>& global, bool* infeasible);
  // Applies global changes made since (the dive, if any, is then entered
  // from the root).
  void apply_global(const std::vector<int>& active_rows, const std::vector<BoundChange>& global);

  NodeReport process(std::unique_ptr<SearchNode> node, bool dive, const RoundView& view);

  // The callbacks of the search (null: none is set, nothing is called).
  void use_callbacks(const CallbackScope* scope) { callbacks_ = scope; }

  Pseudocosts& pseudocosts() { return pseudocosts_; }
  // The root's LP solution and reduced costs, for reduced-cost fixing of
  // the whole tree.
  double root_objective() const { return root_objective_; }
  const std::vector<double>& root_x() const { return root_x_; }
  const std::vector<double>& root_dj() const { return root_dj_; }
  const Domain& domain() const { return domain_; }
  HeuristicState& heuristic_state() { return heuristic_state_; }

 private:
  void process_node(std::unique_ptr<SearchNode>& node, bool dive, const RoundView& view, NodeReport& report);
  bool enter(const SearchNode& node, bool dive);
  bool reenter(const SearchNode& node);
  int solve_lp(LpSolve& out, bool first, NodeReport& report);
  void branch(const SearchNode& node, const LpSolve& lp, NodeReport& report);
  Branch select_branch(const LpSolve& lp, const Candidates& cands, bool* resolved, NodeReport& report);
  int strong_branch(const Candidate& c, double node_objective, double* down, double* up, bool* down_cut,
                    bool* up_cut, NodeReport& report);
  int first_child(const Branch& b, const Candidate* c) const;
  void branch_around_integral_point(const SearchNode& node, double objective, NodeReport& report);
  void make_children(const SearchNode& node, const Branch& b, double bound, double estimate, NodeReport& report);
  void tighten_here(int col, double lower, double upper);
  int reduced_cost_tightenings(double objective, const std::vector<double>& x, const std::vector<double>& dj,
                               double cutoff, bool here);
  bool violated_lazy_rows(const std::vector<double>& x, std::vector<int>& rows) const;
  bool separate_pool(NodeReport& report);
  void separate_tree_cuts(const SearchNode& node, NodeReport& report);
  void note_global_bounds();
  void polish_integral(std::vector<double>& x, NodeReport& report);
  // Callbacks (node_worker_callbacks.cpp). Each returns false when the
  // search must stop (the report says why).
  void fill_node_data(MipCallbackData& d, const SearchNode& node, const std::vector<double>* x,
                      double objective) const;
  bool stopped(const CallbackOutcome& out, NodeReport& report) const;
  bool solve_callback(const SearchNode& node, NodeReport& report);
  bool lazy_callback(const SearchNode& node, const std::vector<double>& x, int wherefrom, int source,
                     NodeReport& report, bool* rejected);
  bool user_cut_callback(SearchNode& node, const LpSolve& lp, NodeReport& report, bool* added);
  bool heuristic_callback(const SearchNode& node, const LpSolve& lp, NodeReport& report);
  bool branch_callback(const SearchNode& node, const Branch* b, const LpSolve* lp, NodeReport& report,
                       bool* replaced);
  void screen_heuristic_solutions(const SearchNode& node, NodeReport& report);
  void take_callback_children(const SearchNode& node, MipCallbackData& d, double bound, NodeReport& report);
  bool heuristics_due(bool root);
  int heuristics(NodeReport& report, bool root, const SearchNode& node);

  Environment& env_;
  const MipModel& model_;
  const SearchSettings& settings_;
  const RoundView* view_ = nullptr;
  Domain domain_;
  NodeLp lp_;
  Pseudocosts pseudocosts_;
  size_t root_mark_ = 0;
  std::shared_ptr<const CompactBasis> lp_basis_owner_;  // whose basis the LP holds
  bool lp_at_dive_parent_ = false;  // the LP and domain stand where the dive child left
  std::vector<BoundChange> local_;  // tightenings of the node being processed
  Candidates candidates_;
  std::vector<double> dj_scratch_;
  std::vector<std::pair<double, int>> pool_scratch_;
  const TreeSeparators* separators_ = nullptr;
  int64_t tree_separations_ = 0;
  std::vector<double> global_lower_, global_upper_;  // the domain at the root mark
  double root_objective_ = 0.0;
  std::vector<double> root_x_, root_dj_;
  int64_t nodes_done_ = 0, iterations_done_ = 0;
  // Heuristics: the search's heuristic record as this worker keeps it,
  // the columns' locks, and what the tree schedule chose for the node.
  HeuristicState heuristic_state_;
  ColumnLocks locks_;
  TreeHeuristicPlan tree_plan_;
  const CallbackScope* callbacks_ = nullptr;
};

}  // namespace korva::mip
