// The branch-and-bound search on a MIP model: root LP, root heuristics,
// then the node loop with its termination tests, branching, diving and
// backtracking. The driver (mip_optimize.h) does what comes before and
// after: checks, parameters, the final status and the queries' records.
#pragma once
#include <limits>
#include <memory>
#include <vector>

#include "mip/branching.h"
#include "mip/domain.h"
#include "mip/mip_model.h"
#include "mip/node_log.h"
#include "mip/node_lp.h"
#include "mip/node_store.h"
#include "mip/pseudocosts.h"
#include "mip/search_record.h"
#include "mip/search_settings.h"

namespace korva::mip {

// How the search ended before the driver's final-status rules.
struct SearchEnd {
  int status = 0;            // 101..134 as the termination tests give it
  bool gap_tolerance_used = false;
  int error = 0;             // an error code of the node LPs
  bool polish = false;       // a polishing start condition stopped the search
};

class Search {
 public:
  // `order`: the branching priorities in force (the problem's own or one
  // the driver generated), null for none; it must outlive the search.
  Search(Environment& env, Problem& p, const MipModel& model, const SearchSettings& settings,
         MipSearchRecord& record, const PriorityOrder* order = nullptr);
  SearchEnd run();

 private:
  // Root: propagation, the relaxation, its first solve, heuristics.
  bool start(SearchEnd& end);
  int termination_test(SearchEnd& end);
  int polishing_test(SearchEnd& end);
  // Moves the domain and the LP to the node; false when the node's own
  // bound changes or their propagation prove it empty.
  bool enter(const SearchNode& node, bool dive);
  // Solves, checks, branches (or prunes) one node. Returns an LP error code.
  int process(std::unique_ptr<SearchNode> node, bool dive);
  int solve_node_lp(LpSolve& out, bool first);
  void branch(const SearchNode& node, const LpSolve& lp, const Candidates& candidates);
  Branch select_branch(const SearchNode& node, const LpSolve& lp, const Candidates& candidates, bool* resolved);
  int strong_branch(const Candidate& c, double node_objective, double* down, double* up, bool* down_cut,
                    bool* up_cut);
  void make_children(const SearchNode& node, const Branch& b, double bound, double estimate);
  int first_child(const Branch& b, const Candidate* c) const;

  // Incumbents.
  // A candidate solution: checked on the model (unless `trusted`: the
  // LP's own tolerances vouch for it) and taken when it improves.
  enum class Offer { Accepted, NotBetter, Infeasible };
  Offer offer(const std::vector<double>& x, bool from_lp_of_node, int64_t node_number, bool trusted = false);
  bool violated_lazy_rows(const std::vector<double>& x, std::vector<int>& rows) const;
  void activate_globally(const std::vector<int>& rows);
  void round_and_offer(const std::vector<double>& x);
  void dive_heuristic();
  void update_cutoff();
  double exact_cutoff() const;
  double node_cutoff() const;
  void note_pruned(double bound);
  bool prune(double bound);

  double best_bound();
  void log_node(const SearchNode& node, LogLine::State state, const LpSolve* lp, int64_t iterations);
  int64_t nodes_left() const;

  Environment& env_;
  Problem& problem_;
  const MipModel& model_;
  const SearchSettings& settings_;
  MipSearchRecord& record_;
  const PriorityOrder* order_;
  Domain domain_;
  NodeLp lp_;
  Pseudocosts pseudocosts_;
  NodeLog log_;
  std::unique_ptr<NodeStore> store_;
  size_t root_mark_ = 0;
  std::unique_ptr<SearchNode> dive_;       // the child the search continues with
  std::shared_ptr<const CompactBasis> lp_basis_owner_;  // whose basis the LP holds
  int64_t seqnum_ = 0;
  bool objective_integral_ = false;
  bool gap_used_ = false;
  bool unbounded_ = false;  // the relaxation has a ray of unboundedness
  double unresolved_bound_;   // smallest bound of nodes no LP could decide
  double gap_pruned_bound_ = std::numeric_limits<double>::infinity();  // smallest bound pruned by the gap tolerances
  double current_bound_ = std::numeric_limits<double>::infinity();     // of the node being processed
  double start_time_ = 0.0;
  int64_t lp_iterations_ = 0;
  int64_t node_iterations_total_ = 0;
  int64_t strong_trials_ = 0;
  Candidates candidates_;
  std::vector<double> x_scratch_;
};

}  // namespace korva::mip
