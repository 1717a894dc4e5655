#include "mip/search.h"

#include <algorithm>
#include <cmath>

#include "env/channel.h"
#include "env/threads.h"
#include "env/time_limit.h"
#include "mip/solution_check.h"
#include "mip/sub_mip.h"
#include "model/model.h"

namespace korva::mip {

namespace {

// Polishing start conditions are in force below these values (which are
// not the parameters' defaults).
constexpr int64_t kPolishCountThreshold = 210000000;
constexpr double kPolishTimeThreshold = 1e74;
// Tolerance of the objective comparison of incumbents.
constexpr double kImprovement = 1e-9;
// A pool cut no node switched on for this many rounds is no longer checked.
constexpr int64_t kPoolRetireRounds = 2000;
// Cuts found in the tree join the relaxation in batches (each costs every
// worker a new relaxation): this many, or after this many rounds, a few
// times per search, up to as many pool rows as the model has rows.
constexpr size_t kInstallBatch = 50;
constexpr int64_t kInstallRounds = 200;
constexpr int kMostInstalls = 10;
constexpr int kLeastPoolRows = 200;

}  // namespace

struct Search::Slot {
  Environment* env = nullptr;  // the worker's environment (a clone beyond the first)
  std::unique_ptr<NodeWorker> worker;
  std::unique_ptr<SearchNode> dive;  // the child the worker continues with
  size_t rows_applied = 0, changes_applied = 0;
  Pseudocosts start;  // the shared table as the worker got it (parallel runs)
  // This round's work.
  std::unique_ptr<SearchNode> node;
  bool diving = false;
  bool busy = false;
  NodeReport report;
};

Search::Search(Environment& env, Problem& p, MipModel& model, const SearchSettings& settings,
               MipSearchRecord& record, const PriorityOrder* order, std::shared_ptr<const CompactBasis> root_basis)
    : env_(env),
      problem_(p),
      model_(model),
      settings_(settings),
      record_(record),
      order_(order),
      root_basis_(std::move(root_basis)),
      log_(env, settings, record, model.objsense) {}

Search::~Search() = default;

// ---- start -------------------------------------------------------------------

int Search::start(SearchEnd& end, bool* infeasible) {
  *infeasible = false;
  pool_ages_.init(model_.first_lazy_row - model_.first_pool_row);
  const NodeOrder order = settings_.nodesel == 0   ? NodeOrder::DepthFirst
                          : settings_.nodesel == 2 ? NodeOrder::BestEstimate
                          : settings_.nodesel == 3 ? NodeOrder::BestEstimateAndBound
                                                   : NodeOrder::BestBound;
  NodeFileSettings files;
  files.mode = env_.int_param(KRV_PARAM_NODEFILEIND);
  files.memory_limit = env_.dbl_param(KRV_PARAM_WORKMEM) * 1048576.0;
  files.directory = env_.str_param(KRV_PARAM_WORKDIR);
  store_ = std::make_unique<NodeStore>(order, files);
  record_.running_tree = store_.get();
  if (env_.callbacks.has_delete_node_callback() && !inside_sub_mip(env_)) {
    // The store outlives the search (its open nodes stay with the record).
    Environment* env = &env_;
    store_->on_drop([env](const SearchNode& node) {
      if (node.user_handle) invoke_delete_node_callback(*env, where::kNodeSelection, node.seqnum, node.user_handle);
    });
  }
  // An objective that only integer columns with integer costs make up takes
  // integer values: a better solution is better by at least 1.
  objective_integral_ = objective_is_integral(model_);
  update_cutoff();
  prepare_callbacks();
  install_start();
  const int threads = std::max(settings_.threads, 1);
  for (int k = 0; k < threads; ++k) {
    auto slot = std::make_unique<Slot>();
    int status = 0;
    slot->env = k == 0 ? &env_ : worker_clone(env_, k, &status);
    if (!slot->env) return status;
    slot->worker = std::make_unique<NodeWorker>(*slot->env, model_, settings_, separators_);
    slot->worker->use_callbacks(control_callbacks_ ? &scope_ : nullptr);
    if (int code = slot->worker->start(active_rows_, global_changes_, infeasible)) return code;
    if (*infeasible) {
      end.status = 103;
      return 0;
    }
    slots_.push_back(std::move(slot));
  }
  shared_pseudocosts_ = &slots_[0]->worker->pseudocosts();
  return 0;
}

// ---- cutoff and bounds --------------------------------------------------------

void Search::update_cutoff() {
  const double user = model_.objsense * settings_.cutoff_user;
  double cutoff = std::fabs(settings_.cutoff_user) >= 1e75 ? kInf : user;
  if (record_.has_incumbent) {
    const double z = record_.incumbent_objective;
    cutoff = std::min(cutoff, z - std::max(settings_.objdif, settings_.relobjdif * std::fabs(z)));
  }
  record_.cutoff = cutoff;
}

// Nodes whose bound reaches this cannot hold a better solution: the
// incumbent's cutoff, and one less when the objective takes integer values.
double Search::exact_cutoff() const {
  if (populate_) {
    // Every solution the pool keeps counts, not only better ones.
    const double user = std::fabs(settings_.cutoff_user) >= 1e75 ? kInf : model_.objsense * settings_.cutoff_user;
    const double pool = sink_->populate_cutoff(record_.has_incumbent, record_.incumbent_objective);
    return std::min(user, pool >= 1e75 ? kInf : pool);
  }
  // Solutions count only below the cutoff; an objective that takes integer
  // values is then at most the integer below it.
  double cutoff = record_.cutoff;
  if (objective_integral_ && std::isfinite(cutoff)) {
    const double scale = std::max(1.0, std::fabs(cutoff));
    cutoff = std::min(cutoff, std::ceil(cutoff - 1e-9 * scale) - 1.0 + 1e-6 * scale);
  }
  return cutoff;
}

// Nodes whose bound reaches this are not worth exploring: the gap
// tolerances let those close to the incumbent go.
double Search::node_cutoff() const {
  double cutoff = exact_cutoff();
  if (record_.has_incumbent && !populate_) {
    const double z = record_.incumbent_objective;
    cutoff = std::min(cutoff, z - std::max(settings_.absolute_gap, settings_.gap * std::fabs(z)));
  }
  return cutoff;
}

// A node dropped with this bound: below the exact cutoff only the gap
// tolerances dropped it, and its bound still counts.
void Search::note_pruned(double bound) {
  if (bound >= exact_cutoff()) return;
  gap_used_ = true;
  gap_pruned_bound_ = std::min(gap_pruned_bound_, bound);
}

double Search::best_bound() {
  double open = std::min(store_->best_bound(), unresolved_bound_);
  for (const auto& slot : slots_) {
    if (slot->dive) open = std::min(open, slot->dive->bound);
    if (slot->node) open = std::min(open, slot->node->bound);
  }
  // Nodes pruned by the gap tolerances, not by the incumbent itself, still
  // count with the cutoff they were pruned at.
  if (gap_used_) open = std::min(open, gap_pruned_bound_);
  open = std::min(open, pending_bound_);
  if (record_.has_incumbent) open = std::min(open, record_.incumbent_objective);
  if (unbounded_) open = -kInf;
  // An objective that takes integer values is at least the next integer.
  if (objective_integral_ && std::isfinite(open)) open = std::ceil(open - 1e-6 * std::max(1.0, std::fabs(open)));
  record_.best_bound = std::max(record_.stored_bound, open);
  return record_.best_bound;
}

int64_t Search::nodes_left() const {
  int64_t left = store_->size();
  for (const auto& slot : slots_) left += slot->dive ? 1 : 0;
  return left;
}

// ---- termination ---------------------------------------------------------------

int Search::termination_test(SearchEnd& end) {
  const bool incumbent = record_.has_incumbent;
  if (store_error_ != 0) {
    end.error = store_error_;
    return incumbent ? 116 : 117;
  }
  if (callback_error_) {
    end.error = callback_error_;
    return incumbent ? 109 : 110;
  }
  if (env_.terminate_requested() || callback_abort_) return incumbent ? 113 : 114;
  if (unbounded_) return incumbent ? 118 : 119;
  const double b = best_bound();
  if (populate_) {
    if (const int status = populate_termination_test(b)) return status;
  } else if (incumbent) {
    const double z = record_.incumbent_objective;
    const double gap = std::fabs(z - b);
    if (settings_.absolute_gap * 1.0000000000001 > gap || settings_.gap * (std::fabs(z) + 1e-10) > gap ||
        b >= record_.cutoff) {
      if (z != b || gap_used_) end.gap_tolerance_used = true;
      return z == b ? 101 : 102;
    }
    if (record_.improvements >= settings_.solution_limit) return 104;
  }
  if (const int status = polishing_test(end)) return status;
  if (record_.iterations >= settings_.iteration_limit) return incumbent ? 133 : 134;
  if (record_.nodes >= settings_.node_limit) return incumbent ? 105 : 106;
  if (static_cast<double>(store_->memory() + store_->file_bytes()) > settings_.tree_limit_bytes)
    return incumbent ? 111 : 112;
  if (time_limit_reached(env_)) return incumbent ? 107 : 108;
  if (tick_limit_reached(env_)) return incumbent ? 131 : 132;
  if (nodes_left() == 0) {
    // Nodes that no LP could decide leave the search unfinished.
    if (std::isfinite(unresolved_bound_)) return incumbent ? 109 : 110;
    if (populate_) return sink_->gap_limited() ? 130 : 129;
    if (incumbent && gap_used_) end.gap_tolerance_used = true;
    return incumbent ? (gap_used_ ? 102 : 101) : 103;
  }
  return 0;
}

// Populate mode: the pool's limit, then the bound beyond the pool cutoff
// (every solution the pool would keep has been enumerated).
int Search::populate_termination_test(double best_bound) {
  if (sink_->populate_limit_reached()) return 128;
  if (best_bound > exact_cutoff()) return sink_->gap_limited() ? 130 : 129;
  return 0;
}

// The start conditions of polishing, each with the status the search
// stops with there.
int Search::polishing_test(SearchEnd& end) {
  const bool incumbent = record_.has_incumbent;
  int status = 0;
  if (incumbent) {
    const double z = record_.incumbent_objective, b = record_.best_bound;
    const double gap = std::fabs(z - b);
    if ((settings_.polish_after_gap != 0.0 && gap <= settings_.polish_after_gap * (std::fabs(z) + 1e-10)) ||
        (settings_.polish_after_absolute_gap != 0.0 && gap <= settings_.polish_after_absolute_gap))
      status = 102;
    else if (settings_.polish_after_solutions < kPolishCountThreshold &&
             record_.improvements >= settings_.polish_after_solutions)
      status = 104;
  }
  if (status == 0 && settings_.polish_after_node < kPolishCountThreshold &&
      record_.nodes >= settings_.polish_after_node)
    status = incumbent ? 105 : 106;
  if (status == 0 && settings_.polish_after_time < kPolishTimeThreshold &&
      current_time(env_) - start_time_ >= settings_.polish_after_time)
    status = incumbent ? 107 : 108;
  if (status != 0) {
    end.polish = true;
    if (status == 102) end.gap_tolerance_used = true;
  }
  return status;
}

// ---- the loop --------------------------------------------------------------------

SearchEnd Search::run() {
  SearchEnd end;
  // The node file directory stays as it is while the search runs.
  struct DirectoryInUse {
    Environment& env;
    explicit DirectoryInUse(Environment& e) : env(e) { ++env.node_file_users; }
    ~DirectoryInUse() { --env.node_file_users; }
  } directory(env_);
  start_time_ = current_time(env_);
  record_.threads = std::max(settings_.threads, 1);
  bool infeasible = false;
  if (int code = start(end, &infeasible)) {
    end.error = code;
  } else if (callback_abort_ || progress_callback(where::kProgress)) {
    end.status = record_.has_incumbent ? 113 : 114;
  } else if (!infeasible) {
    // The root alone, with its heuristics.
    auto root = std::make_unique<SearchNode>();
    root->bound = -kInf;
    root->estimate = -kInf;
    root->seqnum = seqnum_++;
    root->basis = root_basis_;
    keep(store_->push(std::move(root)));
    bool progressed = false;
    if (int code = round(&progressed)) end.error = code;
    record_.root_time = current_time(env_) - start_time_;
    const double tree_started = current_time(env_);
    for (bool after_root = true; end.error == 0; after_root = false) {
      progress_callback(where::kProgress);
      if (const int status = termination_test(end)) {
        end.status = status;
        break;
      }
      if (after_root && wants_represolve()) {
        end.represolve = true;
        break;
      }
      if (int code = round(&progressed)) {
        end.error = code;
        break;
      }
    }
    record_.bc_time = current_time(env_) - tree_started;
  } else {
    record_.root_time = current_time(env_) - start_time_;
  }
  if (end.error != 0 && end.status == 0) end.status = record_.has_incumbent ? 109 : 110;
  if (store_) {
    // The open nodes stay with the record for the queries; those the
    // cutoff rules out go first.
    for (auto& slot : slots_) {
      if (slot->dive && slot->dive->bound >= node_cutoff()) {
        if (slot->dive->user_handle)
          invoke_delete_node_callback(env_, where::kNodeSelection, slot->dive->seqnum, slot->dive->user_handle);
        slot->dive.reset();
      }
      if (slot->dive) keep(store_->push(std::move(slot->dive)));
    }
    store_->prune(node_cutoff());
    best_bound();
    record_.nodes_left = nodes_left();
    record_.running_tree = nullptr;
    record_.tree = std::move(store_);
  }
  return end;
}

// The cuts the tree found join the pool rows (the model's relaxation
// grows, lazy constraints move behind them) and every worker loads the
// relaxation again. Counted as applied by their families.
int Search::install_tree_cuts() {
  rounds_since_install_ = 0;
  ++installs_;
  const int first = model_.first_pool_row, old_lazy = model_.first_lazy_row;
  const int room = std::max(kLeastPoolRows, model_.num_rows) - (old_lazy - first);
  // Workers whose root holds no solution any more leave their nodes to
  // fail on entry; a new relaxation could not even be built for them.
  Domain global;
  global.init(model_, settings_.feasibility, settings_.integrality);
  global.apply_global(active_rows_, global_changes_);
  if (room <= 0 || global.infeasible() || !global.propagate()) {
    tree_cuts_.clear();
    return 0;
  }
  const std::vector<Cut> added =
      tree_cuts_.best(static_cast<size_t>(room), static_cast<int64_t>(model_.row_col.size()));
  tree_cuts_.clear();
  for (const Cut& c : added) ++record_.cuts[c.family];
  append_pool_rows(model_, added);
  const int shift = model_.first_lazy_row - old_lazy;
  for (int& r : active_rows_)
    if (r >= old_lazy) r += shift;
  const size_t pool_rows = static_cast<size_t>(model_.first_lazy_row - first);
  pool_ages_.idle.resize(pool_rows, 0);
  pool_ages_.retired.resize(pool_rows, 0);
  return reload_workers();
}

// Every worker builds its relaxation again once the model's rows grew.
int Search::reload_workers() {
  callback_rows_added_ = false;
  for (auto& slot : slots_) {
    bool infeasible = false;
    if (int code = slot->worker->reload(active_rows_, global_changes_, &infeasible)) return code;
    slot->rows_applied = active_rows_.size();
    slot->changes_applied = global_changes_.size();
  }
  return 0;
}


RoundView Search::view(bool root) const {
  RoundView v;
  v.exact_cutoff = exact_cutoff();
  v.node_cutoff = node_cutoff();
  v.has_incumbent = record_.has_incumbent;
  v.incumbent = record_.has_incumbent ? &record_.incumbent : nullptr;
  v.objective_integral = objective_integral_;
  v.nodes = record_.nodes;
  v.iterations_left = settings_.iteration_limit - record_.iterations;
  v.order = order_;
  v.heuristics = root && settings_.heuristic_frequency >= 0;
  v.populate = populate_;
  v.pool = pool_ages_.idle.empty() ? nullptr : &pool_ages_;
  return v;
}

int Search::round(bool* progressed) {
  const bool root = record_.nodes == 0;
  // Workers take their dive child, or the next open nodes in worker order,
  // never more than the node limits leave.
  int64_t budget = settings_.node_limit - record_.nodes;
  if (settings_.polish_after_node < kPolishCountThreshold)
    budget = std::min(budget, settings_.polish_after_node - record_.nodes);
  int assigned = 0;
  for (auto& slot : slots_) {
    if (assigned >= budget || (root && assigned > 0)) break;
    if (slot->dive) {
      slot->node = std::move(slot->dive);
      slot->diving = true;
    } else if (!store_->empty()) {
      if (int code = next_open_node(slot->node)) return code;
      slot->diving = false;
    }
    slot->busy = slot->node != nullptr;
    if (slot->busy) ++assigned;
  }
  *progressed = assigned > 0;
  if (!*progressed) return 0;

  // Global changes the workers have not seen yet.
  for (auto& slot : slots_) {
    if (slot->rows_applied == active_rows_.size() && slot->changes_applied == global_changes_.size()) continue;
    const std::vector<int> rows(active_rows_.begin() + static_cast<int64_t>(slot->rows_applied), active_rows_.end());
    const std::vector<BoundChange> changes(global_changes_.begin() + static_cast<int64_t>(slot->changes_applied),
                                           global_changes_.end());
    slot->worker->apply_global(rows, changes);
    slot->rows_applied = active_rows_.size();
    slot->changes_applied = global_changes_.size();
  }

  const RoundView v = view(root);
  const bool parallel = slots_.size() > 1 && env_.team != nullptr;
  if (parallel) {
    // Every worker starts from the shared pseudocosts; the master merges
    // what each learned once the round is over.
    for (size_t k = 1; k < slots_.size(); ++k) {
      Slot& s = *slots_[k];
      if (!s.node) continue;
      s.worker->pseudocosts() = *shared_pseudocosts_;
      s.start = *shared_pseudocosts_;
    }
    slots_[0]->start = *shared_pseudocosts_;
    for (size_t k = 1; k < slots_.size(); ++k) {
      Slot& s = *slots_[k];
      if (!s.node) continue;
      env_.team->run(static_cast<int>(k) - 1,
                     [&s, &v] { s.report = s.worker->process(std::move(s.node), s.diving, v); });
    }
  }
  Slot& first = *slots_[0];
  if (first.node) first.report = first.worker->process(std::move(first.node), first.diving, v);
  if (parallel) {
    const double waiting = current_time(env_);
    env_.team->wait_all();
    record_.wait_time += (current_time(env_) - waiting) / static_cast<double>(slots_.size());
  }

  // Reports in worker order. The first worker's table is the shared one;
  // the others' changes merge into it.
  const double merging = current_time(env_);
  struct SyncTime {
    Search& s;
    double started;
    bool parallel;
    ~SyncTime() {
      if (parallel) s.record_.sync_time += (current_time(s.env_) - started) / static_cast<double>(s.slots_.size());
    }
  } sync{*this, merging, parallel};
  int error = 0;
  for (size_t k = 0; k < slots_.size(); ++k) {
    Slot& s = *slots_[k];
    if (!s.busy) continue;
    s.busy = false;
    if (parallel && k > 0) shared_pseudocosts_->merge(s.worker->pseudocosts(), s.start);
    if (s.report.error && !error) error = s.report.error;
    merge(s, s.report);
    s.report = NodeReport{};
  }
  if (!pool_ages_.idle.empty()) {
    pool_ages_.age(pool_used_, kPoolRetireRounds);
    pool_used_.clear();
  }
  ++rounds_since_install_;
  const bool batch = tree_cuts_.size() >= kInstallBatch ||
                     (tree_cuts_.size() > 0 && rounds_since_install_ >= kInstallRounds);
  // Rows of callbacks sit behind every other: the tree's own cuts no
  // longer join once there are some.
  if (!error && batch && installs_ < kMostInstalls && model_.first_callback_row < 0) error = install_tree_cuts();
  if (!error && callback_rows_added_) error = reload_workers();
  return error;
}

void Search::merge(Slot& slot, NodeReport& r) {
  record_.iterations += r.iterations;
  record_.nested_nodes += r.nested_nodes;
  record_.nested_iterations += r.nested_iterations;
  if (r.lp_status != 0) {
    record_.sub_status = r.lp_status;
    record_.sub_method = 2;  // node LPs are solved by the dual simplex
  }
  for (double b : r.pruned_bounds) note_pruned(b);
  unresolved_bound_ = std::min(unresolved_bound_, r.unresolved_bound);
  if (r.unbounded) unbounded_ = true;
  if (r.root_fixings) {
    root_known_ = true;
    root_objective_ = slot.worker->root_objective();
    root_x_ = slot.worker->root_x();
    root_dj_ = slot.worker->root_dj();
  }
  for (Cut& c : r.tree_cuts) {
    const double score = 0.0;
    tree_cuts_.offer(std::move(c), score);
  }
  if (!r.pool_rows.empty()) {
    pool_used_.insert(pool_used_.end(), r.pool_rows.begin(), r.pool_rows.end());
    record_.cuts[kPoolCuts] += static_cast<int64_t>(r.pool_rows.size());
  }
  if (r.abort) callback_abort_ = true;
  if (r.kappa >= 0.0) {
    record_.kappa_collected = true;
    record_.kappa.add(r.kappa);
  }
  take_callback_rows(r);
  if (!r.lazy_rows.empty()) {
    for (int row : r.lazy_rows)
      if (std::find(active_rows_.begin(), active_rows_.end(), row) == active_rows_.end()) active_rows_.push_back(row);
    record_.lazy_applied += static_cast<int64_t>(r.lazy_rows.size());
  }
  if (r.returned) {
    // Back to the tree: processed again once the limit or the new rows allow.
    keep(store_->push(std::move(r.returned)));
    return;
  }
  const int64_t number = record_.nodes++;
  LogLine::State state = r.state;
  // Until its children are in the tree, the node's own bound stands for
  // them in the bound a new incumbent's line shows.
  if (r.children[0]) pending_bound_ = r.objective;
  for (FoundSolution& s : r.solutions) {
    const Offer verdict = offer(s.x, s.from_node_lp, number);
    if (s.from_node_lp && verdict != Offer::Accepted) state = LogLine::State::Cutoff;
  }
  pending_bound_ = kInf;
  if (r.children[0]) {
    for (auto& child : r.children) {
      if (!child) continue;
      // A branch callback's children have their numbers already.
      if (child->branch_type != 'A') child->seqnum = seqnum_++;
      child->parent_seqnum = r.seqnum;
    }
    std::unique_ptr<SearchNode>& next = r.children[r.first];
    std::unique_ptr<SearchNode>& other = r.children[1 - r.first];
    if (other) keep(store_->push(std::move(other)));
    // Dive into the first child while it stays within the backtracking
    // tolerance of the best bound; otherwise it waits with the others.
    bool dive = next->bound < node_cutoff();
    if (dive && record_.has_incumbent && settings_.nodesel != 0) {
      const double best = std::min(store_->best_bound(), next->bound);
      dive = next->bound <= best + settings_.backtrack * (record_.cutoff - best);
    }
    if (dive) slot.dive = std::move(next);
    else keep(store_->push(std::move(next)));
  }
  LogLine line;
  line.node = number;
  line.nodes_left = nodes_left();
  line.state = state;
  line.objective = r.objective;
  line.num_infeasible = r.num_infeasible;
  line.lp_status = r.lp_status;
  line.lp_solved = r.lp_solved;
  line.node_id = r.seqnum;
  line.parent_id = r.parent_seqnum;
  line.depth = r.depth;
  if (settings_.search_method == 1) {
    // A column branch shows the column and its direction; a set branch a
    // blank name and 'X'; the root neither.
    if (r.branch_set >= 0) {
      line.branch_direction = 'X';
    } else if (r.branch_col >= 0) {
      line.branch_name = model::col_name(env_, problem_, r.branch_col);
      line.branch_direction = r.branch_type;
    }
  }
  best_bound();
  log_.node(line, r.iterations);
}

// ---- incumbents -------------------------------------------------------------------------

// A solution of the presolved model that breaks a row of the user's model
// (by more than the tolerances allow) is not a solution.
bool Search::holds_on_original(const std::vector<double>& x, double objective) {
  if (!original_model_ || !to_original_) return true;
  std::vector<double> original_x;
  to_original_(x, original_x);
  const double violation = model_violation(*original_model_, original_x, settings_.integrality, settings_.feasibility);
  if (acceptable_violation(violation, settings_.feasibility)) return true;
  msg(env_.results(), "Integer feasible solution rejected --- ");
  msg(env_.results(), "infeasible on original model\n");
  if (objective < rejected_objective_) {
    rejected_ = x;
    rejected_objective_ = objective;
  }
  return false;
}

void Search::install_start() {
  std::vector<double> x = std::move(start_solution_);
  start_solution_.clear();
  if (static_cast<int>(x.size()) != model_.num_cols) return;
  if (!settle_solution(model_, x, settings_.integrality, settings_.feasibility)) return;
  double objective = model_.offset;
  for (int j = 0; j < model_.num_cols; ++j) objective += model_.cost[j] * x[j];
  if (objective >= record_.cutoff || !holds_on_original(x, objective)) return;
  if (start_breaks_lazy_callback(x) || !incumbent_callback(x, objective, where::kIncumbentOther)) {
    start_rejected_ = true;
    return;
  }
  record_.has_incumbent = true;
  record_.incumbent = std::move(x);
  record_.incumbent_objective = objective;
  record_.incumbent_node = 0;
  ++record_.improvements;
  update_cutoff();
}

Search::Offer Search::offer(const std::vector<double>& candidate, bool from_node_lp, int64_t node_number) {
  const int n = model_.num_cols;
  std::vector<double> x(candidate);
  // A node's own LP solution was checked and, when needed, solved again
  // with tighter tolerances: what it then calls feasible is taken.
  const bool feasible = settle_solution(model_, x, settings_.integrality, settings_.feasibility);
  if (!feasible && !from_node_lp) return Offer::Infeasible;
  double objective = model_.offset;
  for (int j = 0; j < n; ++j) objective += model_.cost[j] * x[j];
  const bool better =
      objective < record_.cutoff &&
      !(record_.has_incumbent && objective >= record_.incumbent_objective -
                                                  kImprovement * std::max(1.0, std::fabs(record_.incumbent_objective)));
  if (!better) {
    // The pool checks what it keeps on the user's model itself.
    if (sink_) sink_->offer(x, objective);
    return Offer::NotBetter;
  }
  if (!holds_on_original(x, objective)) return Offer::Infeasible;
  if (!incumbent_callback(x, objective, from_node_lp ? where::kIncumbentNode : where::kIncumbentHeuristic))
    return Offer::Infeasible;
  if (sink_) sink_->offer(x, objective);
  record_.has_incumbent = true;
  record_.incumbent = x;
  record_.incumbent_objective = objective;
  record_.incumbent_node = node_number;
  ++record_.improvements;
  update_cutoff();
  note_pruned(store_->prune(node_cutoff()));
  root_reduced_cost_fixing();
  if (!from_node_lp) {
    LogLine line;
    line.node = node_number;
    line.nodes_left = nodes_left();
    line.state = LogLine::State::HeuristicIncumbent;
    best_bound();
    log_.node(line, 0);
  }
  best_bound();
  log_.incumbent(node_number);
  if (to_original_ && log_.writes_incumbent_files()) {
    // Mapped back only when a file takes it.
    std::vector<double> original_x;
    to_original_(x, original_x);
    log_.incumbent_file(*original_, original_x, model_.objsense * objective);
  } else {
    log_.incumbent_file(problem_, x, model_.objsense * objective);
  }
  return Offer::Accepted;
}

// After the root, presolve again when asked to, or by itself when the
// root's fixings reach a tenth of the integer columns (and are more than a
// handful: on a small model the search gains nothing from it).
bool Search::wants_represolve() const {
  constexpr double kAutomaticShare = 0.1;
  constexpr int64_t kAutomaticLeast = 20;
  if (settings_.repeat_presolve == 0 || nodes_left() == 0) return false;
  if (settings_.repeat_presolve > 0) return true;
  std::vector<uint8_t> changed(static_cast<size_t>(model_.num_cols), 0);
  int64_t integers = 0, fixed = 0;
  for (const BoundChange& c : global_changes_) changed[c.col] = 1;
  for (int j = 0; j < model_.num_cols; ++j) {
    if (!model_.is_integer(j)) continue;
    ++integers;
    fixed += changed[j];
  }
  return fixed >= kAutomaticLeast && static_cast<double>(fixed) >= kAutomaticShare * static_cast<double>(integers);
}

// The root's reduced costs against a better cutoff hold everywhere: a
// nonbasic integer column whose reduced cost would push the root's
// objective past the cutoff after a move of t units cannot move t units.
void Search::root_reduced_cost_fixing() {
  if (!root_known_) return;
  const double cutoff = exact_cutoff();
  const double room = cutoff - root_objective_;
  if (!std::isfinite(room) || room < 0) return;
  for (int j = 0; j < model_.num_cols; ++j) {
    if (model_.kind[j] != ColKind::Integer) continue;
    const double d = root_dj_[j], x = root_x_[j];
    if (d > settings_.optimality) {
      const double limit = x + std::floor(room / d + settings_.integrality);
      if (limit < model_.upper[j]) global_changes_.push_back({j, -kInf, limit});
    } else if (d < -settings_.optimality) {
      const double limit = x - std::floor(room / -d + settings_.integrality);
      if (limit > model_.lower[j]) global_changes_.push_back({j, limit, kInf});
    }
  }
}

}  // namespace korva::mip
