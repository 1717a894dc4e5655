// The branch-and-bound search on a MIP model. The search holds what its
// workers share: the tree of open nodes, the incumbent and cutoff, the
// pseudocosts, the global changes (lazy constraints switched on, root
// reduced-cost fixings), the counters and the log. It runs in rounds: each
// worker (one per thread) takes one node (the child it dives into, or the
// next open node), processes it against a view that stays fixed for the
// round, and the reports are merged in worker order. A run with a given
// number of threads therefore repeats exactly, whatever the timing. The
// driver (mip_optimize.h) does what comes before and after.
#pragma once
#include <atomic>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "mip/callback_data.h"
#include "mip/mip_model.h"
#include "mip/node_log.h"
#include "mip/node_store.h"
#include "mip/node_worker.h"
#include "mip/pseudocosts.h"
#include "mip/search_record.h"
#include "mip/search_settings.h"

namespace korva::mip {

// How the search ended before the driver's final-status rules.
struct SearchEnd {
  int status = 0;            // 101..134 as the termination tests give it
  bool gap_tolerance_used = false;
  int error = 0;             // an error code of the node LPs or the node store
  bool polish = false;       // a polishing start condition stopped the search
  bool represolve = false;   // stopped after the root: presolve again with its fixings
};

// Where a search offers every solution it finds (the solution pool), and
// in populate mode what it prunes against and when it stops.
class SolutionSink {
 public:
  virtual ~SolutionSink() = default;
  // A solution in the search's columns, objective in the minimisation
  // sense (offset included).
  virtual void offer(const std::vector<double>& x, double objective) = 0;
  // Populate mode: no node whose bound exceeds this holds a solution the
  // pool would keep (infinity: every solution counts).
  virtual double populate_cutoff(bool has_incumbent, double incumbent_objective) const = 0;
  virtual bool populate_limit_reached() const = 0;
  // A pool gap limits the enumeration (it ends with 130, not 129).
  virtual bool gap_limited() const = 0;
};

class Search {
 public:
  // `order`: the branching priorities in force (the problem's or a
  // generated one), or null.
  // `root_basis`: where the root's LP starts (the basis of the root cut
  // rounds), or null.
  // The search adds the cuts its nodes find to the model's pool rows.
  Search(Environment& env, Problem& p, MipModel& model, const SearchSettings& settings,
         MipSearchRecord& record, const PriorityOrder* order,
         std::shared_ptr<const CompactBasis> root_basis = nullptr);
  ~Search();
  SearchEnd run();

  // Bounds the search found valid for every improving solution (root
  // reduced-cost fixings), to presolve again with.
  const std::vector<BoundChange>& global_changes() const { return global_changes_; }

  // What separation in the tree reads (null: the tree finds no new cuts).
  void separate_in_tree(const TreeSeparators* separators) { separators_ = separators; }

  // A search on a presolved model writes its incumbent files in the terms
  // of the original problem, through `to_original`.
  using ToOriginal = std::function<void(const std::vector<double>& reduced, std::vector<double>& x)>;
  void write_incumbents_as(const Problem& original, ToOriginal to_original) {
    original_ = &original;
    to_original_ = std::move(to_original);
  }
  // With write_incumbents_as: a solution of the presolved model counts only
  // when it also holds on the user's model.
  void check_on_original(const MipModel& original) { original_model_ = &original; }

  // Every solution found goes to `sink` as well; in populate mode the
  // search enumerates the solutions the sink keeps instead of closing the
  // gap.
  void offer_solutions_to(SolutionSink* sink, bool populate) {
    sink_ = sink;
    populate_ = populate && sink;
  }

  // A solution known before the search (a MIP start, in this search's
  // columns): the first incumbent when it holds on the model.
  void start_from(std::vector<double> x) { start_solution_ = std::move(x); }
  // The start broke a lazy constraint of a callback: it is no solution.
  bool start_rejected() const { return start_rejected_; }

  // The callbacks' view of the problems: `original` is the problem the
  // user optimises, `rec` the presolve between it and the searched one.
  void call_back_with(Problem& original, const presolve::PresolveRecord* rec) {
    callback_original_ = &original;
    callback_presolve_ = rec;
  }
  // An informational callback asked to stop before the search began.
  void stop_before_root() { callback_abort_ = true; }

  // The best solution the check on the user's model turned down, kept for
  // a search that ends without any other (its violation is then reported).
  bool has_rejected() const { return !rejected_.empty(); }
  const std::vector<double>& best_rejected() const { return rejected_; }

 private:
  struct Slot;  // a worker, its environment and its pending dive
  enum class Offer { Accepted, NotBetter, Infeasible };

  int start(SearchEnd& end, bool* infeasible);
  int termination_test(SearchEnd& end);
  int populate_termination_test(double best_bound);
  int polishing_test(SearchEnd& end);
  // One round: assigns nodes, runs the workers, merges their reports.
  // Returns 0 or an error code; false in `progressed` when no node was left.
  int round(bool* progressed);
  RoundView view(bool root) const;
  void merge(Slot& slot, NodeReport& report);
  // Callbacks (search_callbacks.cpp).
  void prepare_callbacks();
  bool progress_callback(int wherefrom);
  int next_open_node(std::unique_ptr<SearchNode>& node);
  bool incumbent_callback(std::vector<double>& x, double objective, int wherefrom);
  bool start_breaks_lazy_callback(const std::vector<double>& x);
  void take_callback_rows(NodeReport& r);
  int reload_workers();
  Offer offer(const std::vector<double>& x, bool from_node_lp, int64_t node_number);
  bool holds_on_original(const std::vector<double>& x, double objective);
  void install_start();
  void update_cutoff();
  double exact_cutoff() const;
  double node_cutoff() const;
  void note_pruned(double bound);
  void root_reduced_cost_fixing();
  int install_tree_cuts();
  bool wants_represolve() const;
  double best_bound();
  int64_t nodes_left() const;
  void keep(int store_code) {
    if (store_code != 0 && store_error_ == 0) store_error_ = store_code;
  }

  Environment& env_;
  Problem& problem_;
  const Problem* original_ = nullptr;
  ToOriginal to_original_;
  const MipModel* original_model_ = nullptr;
  std::vector<double> start_solution_;
  SolutionSink* sink_ = nullptr;
  bool populate_ = false;
  std::vector<double> rejected_;
  double rejected_objective_ = kInf;
  MipModel& model_;
  const SearchSettings& settings_;
  MipSearchRecord& record_;
  const PriorityOrder* order_;
  std::shared_ptr<const CompactBasis> root_basis_;
  NodeLog log_;
  std::unique_ptr<NodeStore> store_;
  std::vector<std::unique_ptr<Slot>> slots_;
  Pseudocosts* shared_pseudocosts_ = nullptr;  // the first worker's table
  // Global changes: lazy constraints switched on, root reduced-cost fixings.
  std::vector<int> active_rows_;
  PoolAges pool_ages_;          // the cut pool's rows (empty without a pool)
  std::vector<int> pool_used_;  // pool rows switched on during the round
  const TreeSeparators* separators_ = nullptr;
  CutPool tree_cuts_;           // found in the tree, not yet in the pool rows
  int64_t rounds_since_install_ = 0;
  int installs_ = 0;
  std::vector<BoundChange> global_changes_;
  bool root_known_ = false;
  double root_objective_ = 0.0;
  std::vector<double> root_x_, root_dj_;
  std::atomic<int64_t> seqnum_{0};
  // Callbacks: what every call shares, whether any control callback is
  // set, and a request to stop from one of them.
  Problem* callback_original_ = nullptr;
  const presolve::PresolveRecord* callback_presolve_ = nullptr;
  CallbackScope scope_;
  bool control_callbacks_ = false;
  bool callback_abort_ = false;
  int callback_error_ = 0;
  bool start_rejected_ = false;
  bool callback_rows_added_ = false;  // the workers' relaxations must be built again
  bool objective_integral_ = false;
  bool gap_used_ = false;
  bool unbounded_ = false;
  int store_error_ = 0;
  double unresolved_bound_ = std::numeric_limits<double>::infinity();
  double gap_pruned_bound_ = std::numeric_limits<double>::infinity();
  double pending_bound_ = std::numeric_limits<double>::infinity();  // see merge()
  double start_time_ = 0.0;
};

}  // namespace korva::mip
