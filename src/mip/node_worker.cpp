#include "mip/node_worker.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "env/channel.h"
#include "env/time_limit.h"
#include "mip/cuts/cover_cuts.h"
#include "mip/cuts/implied_bound_cuts.h"
#include "mip/heuristics/dispatcher.h"
#include "mip/heuristics/heuristic_sequence.h"
#include "mip/heuristics/heuristic_support.h"
#include "mip/solution_check.h"
#include "mip/sub_mip.h"

namespace korva::mip {

namespace {

// A column's pseudocosts are trusted once both directions have this many
// observations; until then strong branching measures them.
constexpr int64_t kReliable = 4;
// Pool cuts: rounds per node, cuts switched on per round, and how far
// beyond its side (relative) the point must lie.
constexpr int kPoolRoundsPerNode = 2;
constexpr size_t kPoolCutsPerRound = 10;
constexpr double kPoolViolation = 1e-5;
// Separation in the tree: nodes this deep at most, cuts kept per node, and
// the efficacy they need.
constexpr int64_t kTreeCutDepth = 6;
constexpr int64_t kTreeSeparations = 300;  // nodes per worker
// On larger models a pass over the rows costs more than a node's LP.
constexpr int64_t kTreeSeparationNonzeros = 100000;
constexpr size_t kTreeCutsPerNode = 5;
constexpr double kTreeCutEfficacy = 1e-3;
// Strong branching stops when this many candidates in a row did not beat
// the best score.
constexpr int kLookahead = 6;
// Iterations of a strong-branching trial when KRV_PARAM_STRONGITLIM is 0:
// twice the average of a node's solve, within these limits.
constexpr int64_t kTrialIterationsMin = 15;
constexpr int64_t kTrialIterationsMax = 300;
// Simplex iterations of the root's heuristics: this many, or this many
// per row and column of the model when more.
constexpr int64_t kRootHeuristicIterations = 20000;
constexpr int64_t kRootHeuristicIterationsPerLine = 5;
// An integral LP solution that misses the model's tolerances is solved
// again with the feasibility tolerance this much tighter (not below the floor).
constexpr double kRetryTightening = 0.01;
constexpr double kTightestFeasibility = 1e-11;
// An incumbent from a node's LP should satisfy the model with this share
// of the feasibility tolerance to spare; otherwise the LP tightens first.
constexpr double kCleanShare = 0.1;
// An integral LP point that misses the model by more than this many
// feasibility tolerances, even at the tightest LP tolerance, is no solution.
constexpr double kUsableViolation = 100.0;

}  // namespace

NodeWorker::NodeWorker(Environment& env, const MipModel& model, const SearchSettings& settings,
                       const TreeSeparators* separators)
    : env_(env), model_(model), settings_(settings), separators_(separators) {}

int NodeWorker::start(const std::vector<int>& active_rows, const std::vector<BoundChange>& global, bool* infeasible) {
  pseudocosts_.init(model_.num_cols);
  // Each worker draws its own sequence, the same in every run.
  const uint32_t stream = env_.is_worker_clone ? static_cast<uint32_t>(env_.clone_number + 1) * 0x9e3779b9u : 0u;
  heuristic_state_.start(settings_.random_seed ^ stream, current_time(env_));
  return reload(active_rows, global, infeasible);
}

int NodeWorker::reload(const std::vector<int>& active_rows, const std::vector<BoundChange>& global, bool* infeasible) {
  *infeasible = false;
  lp_at_dive_parent_ = false;
  lp_basis_owner_.reset();
  domain_.init(model_, settings_.feasibility, settings_.integrality);
  domain_.apply_global(active_rows, global);
  if (domain_.infeasible() || !domain_.propagate()) {
    *infeasible = true;
    return 0;
  }
  root_mark_ = domain_.mark();
  note_global_bounds();
  NodeLpSettings lps;
  lps.feasibility_tol = settings_.feasibility;
  lps.optimality_tol = settings_.optimality;
  lps.scaling = settings_.scaling;
  lps.display = settings_.simplex_display;
  if (int code = lp_.load(env_, model_, domain_, lps)) return code;
  std::vector<int> drained;
  domain_.take_changed_columns(drained);
  domain_.take_changed_rows(drained);
  return 0;
}

void NodeWorker::apply_global(const std::vector<int>& active_rows, const std::vector<BoundChange>& global) {
  // Changes that hold for the whole tree go below the root mark.
  domain_.undo(root_mark_);
  domain_.apply_global(active_rows, global);
  domain_.propagate();
  root_mark_ = domain_.mark();
  note_global_bounds();
  lp_.sync(domain_);
  lp_at_dive_parent_ = false;
}

void NodeWorker::note_global_bounds() {
  if (!separators_ && !callbacks_) return;
  global_lower_ = domain_.lowers();
  global_upper_ = domain_.uppers();
}

// ---- entering a node -----------------------------------------------------------

bool NodeWorker::enter(const SearchNode& node, bool dive) {
  if (dive) {
    // The parent's domain is in place: only the child's own changes follow.
    const size_t added = static_cast<size_t>(node.new_changes);
    for (size_t k = node.changes.size() - added; k < node.changes.size(); ++k) {
      const BoundChange& c = node.changes[k];
      domain_.tighten_lower(c.col, c.lower);
      domain_.tighten_upper(c.col, c.upper);
    }
  } else {
    domain_.undo(root_mark_);
    for (const BoundChange& c : node.changes) {
      domain_.tighten_lower(c.col, c.lower);
      domain_.tighten_upper(c.col, c.upper);
    }
    if (node.basis && node.basis != lp_basis_owner_) {
      lp_.load_basis(*node.basis);
      lp_basis_owner_ = node.basis;
    }
  }
  for (int r : node.local_rows) domain_.activate_row(r);
  lp_at_dive_parent_ = false;
  if (domain_.infeasible() || !domain_.propagate()) return false;
  lp_.sync(domain_);
  return true;
}

bool NodeWorker::reenter(const SearchNode& node) {
  if (!enter(node, false)) return false;
  for (const BoundChange& c : local_) {
    domain_.tighten_lower(c.col, c.lower);
    domain_.tighten_upper(c.col, c.upper);
  }
  if (domain_.infeasible() || !domain_.propagate()) return false;
  lp_.sync(domain_);
  return true;
}

void NodeWorker::tighten_here(int col, double lower, double upper) {
  domain_.tighten_lower(col, lower);
  domain_.tighten_upper(col, upper);
  local_.push_back({col, lower, upper});
}

int NodeWorker::solve_lp(LpSolve& out, bool first, NodeReport& report) {
  const int64_t left = view_->iterations_left - report.iterations;
  const int code = lp_.solve(env_, view_->node_cutoff, std::max<int64_t>(left, 0), first, out);
  report.iterations += out.iterations;
  report.lp_status = out.status;
  return code;
}

// ---- one node ---------------------------------------------------------------------

NodeReport NodeWorker::process(std::unique_ptr<SearchNode> node, bool dive, const RoundView& view) {
  NodeReport report;
  process_node(node, dive, view, report);
  // Condition statistics: every node LP, or one in ten.
  constexpr int64_t kKappaSample = 10;
  if (settings_.kappa_stats >= 1 && report.lp_solved && (settings_.kappa_stats >= 2 || nodes_done_ % kKappaSample == 1))
    report.kappa = lp_.condition_estimate();
  if (callbacks_ && report.error == 0 && !report.abort) {
    if (SearchNode* kept = node ? node.get() : report.returned.get()) screen_heuristic_solutions(*kept, report);
  }
  // A node done with goes; its user handle is handed back.
  if (node && node->user_handle)
    invoke_delete_node_callback(env_, where::kBranch, node->seqnum, node->user_handle);
  return report;
}

void NodeWorker::process_node(std::unique_ptr<SearchNode>& node, bool dive, const RoundView& view,
                              NodeReport& report) {
  view_ = &view;
  const bool root = view.nodes == 0;
  if (dive && !lp_at_dive_parent_) dive = false;
  local_.clear();
  ++nodes_done_;
  struct Count {
    NodeWorker& w;
    NodeReport& r;
    ~Count() { w.iterations_done_ += r.iterations; }
  } count{*this, report};
  report.num_infeasible = node->num_infeasible;
  report.objective = node->bound;
  report.seqnum = node->seqnum;
  report.parent_seqnum = node->parent_seqnum;
  report.depth = node->depth;
  report.branch_col = node->branch_col;
  report.branch_set = node->branch_set;
  report.branch_type = node->parent_seqnum >= 0 ? node->branch_type : ' ';
  if (!enter(*node, dive)) {
    report.state = LogLine::State::Infeasible;
    return;
  }
  if (node->bound >= view.node_cutoff) {
    report.pruned_bounds.push_back(node->bound);
    report.state = LogLine::State::Cutoff;
    return;
  }
  LpSolve lp;
  bool tightened = false;  // the LP runs with a tighter feasibility tolerance
  double working_tolerance = settings_.feasibility;
  struct RestoreTolerance {
    NodeLp& lp;
    const bool& tightened;
    double tolerance;
    ~RestoreTolerance() {
      if (tightened) lp.set_feasibility_tolerance(tolerance);
    }
  } restore{lp_, tightened, settings_.feasibility};
  if (!solve_callback(*node, report)) {
    report.returned = std::move(node);
    return;
  }
  int pool_rounds = 0;
  for (int round = 0;; ++round) {
    const double lp_started = current_time(env_);
    if ((report.error = solve_lp(lp, root && round == 0, report)) != 0) return;
    if (root && round == 0 && settings_.display >= 1 && !settings_.root_lp_reported)
      msg(env_.results(), "Root relaxation solution time = %7.2f sec.\n", current_time(env_) - lp_started);
    if (lp.outcome != LpOutcome::Optimal) break;
    report.objective = lp.objective;
    report.lp_solved = true;
    // Pseudocosts learn from the first solve of a branched child.
    if (round == 0 && node->branch_col >= 0 && std::isfinite(node->parent_objective))
      pseudocosts_.record(node->branch_col, node->branch_change, lp.objective - node->parent_objective);
    const double bound = std::max(node->bound, lp.bound);
    if (bound >= view.node_cutoff) {
      report.pruned_bounds.push_back(bound);
      lp.outcome = LpOutcome::Cutoff;
      break;
    }
    find_candidates(model_, domain_, lp_.x(), settings_.integrality, settings_.feasibility, candidates_);
    if (!candidates_.empty()) {
      node->bound = bound;
      if (round == 0 && !heuristic_callback(*node, lp, report)) {
        report.returned = std::move(node);
        return;
      }
      if (round == 0 && heuristics_due(root)) {
        if ((report.error = heuristics(report, root, *node)) != 0) return;
        if ((report.error = solve_lp(lp, false, report)) != 0) return;
        if (lp.outcome != LpOutcome::Optimal) break;
        find_candidates(model_, domain_, lp_.x(), settings_.integrality, settings_.feasibility, candidates_);
        if (candidates_.empty()) continue;
      }
      // Pool cuts the point violates switch on here and below; a few
      // rounds per node.
      if (pool_rounds < kPoolRoundsPerNode && separate_pool(report)) {
        ++pool_rounds;
        if (domain_.infeasible() || !domain_.propagate()) {
          lp.outcome = LpOutcome::Infeasible;
          break;
        }
        lp_.sync(domain_);
        continue;
      }
      // Cuts of the user's own: the node comes back once they are in.
      bool cuts_added = false;
      if (!user_cut_callback(*node, lp, report, &cuts_added) || cuts_added) {
        report.returned = std::move(node);
        return;
      }
      if (!root) separate_tree_cuts(*node, report);
      if (root) {
        root_objective_ = lp.objective;
        root_x_ = lp_.x();
        lp_.reduced_costs(root_dj_);
        report.root_fixings = true;
      }
      if (view.has_incumbent) {
        lp_.reduced_costs(dj_scratch_);
        reduced_cost_tightenings(lp.objective, lp_.x(), dj_scratch_, view.exact_cutoff, true);
      }
      bool resolved = false;
      const Branch b = select_branch(lp, candidates_, &resolved, report);
      if (report.error != 0) return;
      if (resolved) {
        // Strong branching tightened the node: its LP changed.
        if (domain_.infeasible() || !domain_.propagate()) {
          lp.outcome = LpOutcome::Infeasible;
          break;
        }
        lp_.sync(domain_);
        continue;
      }
      double estimate = lp.objective;
      for (const Candidate& c : candidates_.columns)
        estimate += std::min(pseudocosts_.cost(c.index, -c.fraction), pseudocosts_.cost(c.index, 1.0 - c.fraction));
      node->num_infeasible = candidates_.count();
      node->sum_infeasibility = candidates_.sum_infeasibility;
      report.num_infeasible = node->num_infeasible;
      report.state = LogLine::State::Solved;
      bool replaced = false;
      if (!branch_callback(*node, &b, &lp, report, &replaced)) {
        report.returned = std::move(node);
        return;
      }
      if (!replaced) make_children(*node, b, bound, estimate, report);
      return;
    }
    // Integral. Lazy constraints it violates switch on for the whole tree,
    // and the node comes back once they are in.
    if (violated_lazy_rows(lp_.x(), report.lazy_rows)) {
      report.returned = std::move(node);
      return;
    }
    std::vector<double> x = lp_.x();
    polish_integral(x, report);
    const bool clean =
        settle_solution(model_, x, settings_.integrality, kCleanShare * settings_.feasibility);
    if (!clean && working_tolerance > kTightestFeasibility) {
      // Feasible for the scaled LP, not cleanly on the model (a row scaled
      // down hides its violation): the LP works again with a tighter
      // feasibility tolerance, and what it calls feasible at the tightest
      // is taken (the final check reports what remains).
      tightened = true;
      working_tolerance = std::max(working_tolerance * kRetryTightening, kTightestFeasibility);
      lp_.set_feasibility_tolerance(working_tolerance);
      continue;
    }
    if (!clean && model_violation(model_, x, settings_.integrality, settings_.feasibility) >
                      kUsableViolation * settings_.feasibility) {
      // Not even the tightest LP gives a point the model nearly accepts:
      // its answer is not to be trusted here, and the node is split
      // without it.
      lp.outcome = LpOutcome::Failed;
      break;
    }
    // The user's lazy constraints judge the candidate; the node comes back
    // once those it breaks are in.
    bool rejected = false;
    if (!lazy_callback(*node, x, where::kLazyFeasible, 0, report, &rejected) || rejected) {
      report.returned = std::move(node);
      return;
    }
    report.solutions.push_back({std::move(x), true});
    report.state = LogLine::State::NewIncumbent;
    // Enumerating: the other integer points below this node are solutions
    // too, reached by splitting off this point's value of a free column.
    if (view.populate) branch_around_integral_point(*node, lp.objective, report);
    return;
  }
  switch (lp.outcome) {
    case LpOutcome::Infeasible:
      report.state = LogLine::State::Infeasible;
      return;
    case LpOutcome::Cutoff:
      report.pruned_bounds.push_back(lp.bound);
      report.state = LogLine::State::Cutoff;
      return;
    case LpOutcome::Unbounded: {
      // An unbounded relaxation: the MIP is unbounded when it has a
      // solution at all (its integral points need not be found here).
      std::vector<double> x = lp_.x();
      bool rejected = false;
      if (!lazy_callback(*node, x, where::kLazyUnbounded, 0, report, &rejected) || rejected) {
        report.returned = std::move(node);
        return;
      }
      report.unbounded = true;
      find_candidates(model_, domain_, x, settings_.integrality, settings_.feasibility, candidates_);
      if (candidates_.empty() && settle_solution(model_, x, settings_.integrality, settings_.feasibility))
        report.solutions.push_back({std::move(x), false});
      report.state = LogLine::State::LpStatus;
      return;
    }
    case LpOutcome::Limit:
      report.returned = std::move(node);
      return;
    default:
      break;
  }
  // No trustworthy LP answer: split the node without one.
  report.state = LogLine::State::LpStatus;
  report.lp_solved = false;
  Branch b;
  const bool split = blind_branch(model_, domain_, b);
  bool replaced = false;
  if (!branch_callback(*node, split ? &b : nullptr, nullptr, report, &replaced)) {
    report.returned = std::move(node);
    return;
  }
  if (replaced) return;
  if (!split) {
    report.unresolved_bound = node->bound;
    return;
  }
  lp_basis_owner_.reset();
  make_children(*node, b, node->bound, node->estimate, report);
  lp_at_dive_parent_ = false;
  return;
}

// ---- branching ----------------------------------------------------------------------

int NodeWorker::first_child(const Branch& b, const Candidate* c) const {
  if (b.col >= 0 && view_->order) {
    const PriorityOrder& order = *view_->order;
    for (size_t k = 0; k < order.indices.size(); ++k)
      if (order.indices[k] == b.col && order.direction[k] != 0) return order.direction[k] > 0 ? 1 : 0;
  }
  if (b.type[0] == 'L') return b.first;
  if (settings_.brdir != 0) return settings_.brdir > 0 ? 1 : 0;
  if (c && c->kind == CandidateKind::Column && view_->has_incumbent && view_->incumbent &&
      (settings_.divetype == 3 || (settings_.divetype == 0 && view_->nodes % 19 == 18))) {
    const double incumbent_value = (*view_->incumbent)[c->index];
    return c->value + settings_.integrality > incumbent_value ? 0 : 1;
  }
  return b.first;
}

Branch NodeWorker::select_branch(const LpSolve& lp, const Candidates& cands, bool* resolved, NodeReport& report) {
  *resolved = false;
  if (cands.columns.empty()) {
    const Candidate& c = most_infeasible(cands);
    Branch b = other_branch(model_, domain_, c, lp_.x());
    b.first = first_child(b, &c);
    return b;
  }
  // Branching priorities narrow the column candidates to the highest priority.
  std::vector<const Candidate*> pool;
  pool.reserve(cands.columns.size());
  for (const Candidate& c : cands.columns) pool.push_back(&c);
  if (view_->order && !view_->order->indices.empty()) {
    const PriorityOrder& order = *view_->order;
    std::vector<int> priority(static_cast<size_t>(model_.num_cols), 0);
    for (size_t k = 0; k < order.indices.size(); ++k) priority[order.indices[k]] = order.priority[k];
    int top = std::numeric_limits<int>::min();
    for (const Candidate* c : pool) top = std::max(top, priority[c->index]);
    pool.erase(std::remove_if(pool.begin(), pool.end(), [&](const Candidate* c) { return priority[c->index] < top; }),
               pool.end());
  }
  const Candidate* chosen = nullptr;
  switch (settings_.varsel) {
    case -1: {
      for (const Candidate* c : pool)
        if (!chosen || c->infeasibility < chosen->infeasibility) chosen = c;
      break;
    }
    case 1: {
      // Largest infeasibility, first on ties; a non-column candidate with a
      // strictly larger value replaces it.
      for (const Candidate* c : pool)
        if (!chosen || c->infeasibility > chosen->infeasibility) chosen = c;
      for (const Candidate& c : cands.others)
        if (c.infeasibility > chosen->infeasibility) chosen = &c;
      break;
    }
    case 4: {
      // Pseudo-reduced costs: pseudocosts where they exist, the objective
      // coefficient standing in for the rest.
      double best = -1.0;
      for (const Candidate* c : pool) {
        const double unit = std::fabs(model_.cost[c->index]);
        const double down = std::max(pseudocosts_.cost(c->index, -c->fraction), unit * c->fraction);
        const double up = std::max(pseudocosts_.cost(c->index, 1.0 - c->fraction), unit * (1.0 - c->fraction));
        const double s = score_of(down, up);
        if (s > best) {
          best = s;
          chosen = c;
        }
      }
      break;
    }
    default: {
      // 0 (reliability: strong branching until the pseudocosts are
      // trusted), 2 (pseudocosts only) and 3 (strong branching on every
      // candidate of the list).
      std::vector<std::pair<double, const Candidate*>> ranked;
      for (const Candidate* c : pool) ranked.emplace_back(pseudocost_score(pseudocosts_, *c), c);
      std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
      double best = -1.0;
      int since_best = 0, trials = 0;
      for (const auto& [score, c] : ranked) {
        double s = score;
        const bool unreliable = std::min(pseudocosts_.down_count(c->index), pseudocosts_.up_count(c->index)) < kReliable;
        const bool trial = settings_.varsel == 3 || (settings_.varsel == 0 && unreliable);
        if (trial && trials < settings_.strong_candidates) {
          ++trials;
          double down = 0.0, up = 0.0;
          bool down_cut = false, up_cut = false;
          if ((report.error = strong_branch(*c, lp.objective, &down, &up, &down_cut, &up_cut, report)) != 0)
            return Branch{};
          if (down_cut && up_cut) {
            // Neither child can hold a solution worth having.
            tighten_here(c->index, domain_.upper(c->index) + 1.0, domain_.upper(c->index));
            *resolved = true;
            return Branch{};
          }
          if (down_cut || up_cut) {
            // One side is empty: the node lives on in the other.
            if (down_cut) tighten_here(c->index, std::floor(c->value) + 1.0, domain_.upper(c->index));
            else tighten_here(c->index, domain_.lower(c->index), std::floor(c->value));
            *resolved = true;
            return Branch{};
          }
          s = score_of(down - lp.objective, up - lp.objective);
        } else if (settings_.varsel == 3 && trials >= settings_.strong_candidates) {
          break;
        }
        if (s > best) {
          best = s;
          chosen = c;
          since_best = 0;
        } else if (++since_best >= kLookahead && settings_.varsel == 0 && trials > 0) {
          break;
        }
      }
      if (!chosen) chosen = ranked.front().second;
      break;
    }
  }
  Branch b = chosen->kind == CandidateKind::Column ? column_branch(domain_, chosen->index, chosen->value)
                                                   : other_branch(model_, domain_, *chosen, lp_.x());
  b.first = first_child(b, chosen);
  return b;
}

int NodeWorker::strong_branch(const Candidate& c, double node_objective, double* down, double* up, bool* down_cut,
                              bool* up_cut, NodeReport& report) {
  const int64_t limit = settings_.strong_iterations > 0
                            ? settings_.strong_iterations
                            : std::clamp<int64_t>(2 * iterations_done_ / std::max<int64_t>(nodes_done_, 1),
                                                  kTrialIterationsMin, kTrialIterationsMax);
  lp_.checkpoint();
  const double cutoff = view_->node_cutoff;
  for (int side = 0; side < 2; ++side) {
    const size_t mark = domain_.mark();
    if (side == 0) domain_.tighten_upper(c.index, std::floor(c.value));
    else domain_.tighten_lower(c.index, std::floor(c.value) + 1.0);
    double value = node_objective;
    bool cut = false;
    if (domain_.infeasible() || !domain_.propagate()) {
      cut = true;
    } else {
      lp_.sync(domain_);
      LpSolve trial;
      const int code = lp_.solve(env_, cutoff, limit, false, trial);
      report.iterations += trial.iterations;
      if (code != 0) {
        domain_.undo(mark);
        lp_.sync(domain_);
        lp_.rollback();
        return code;
      }
      if (trial.outcome == LpOutcome::Infeasible) cut = true;
      if (trial.outcome == LpOutcome::Cutoff) {
        cut = true;
        report.pruned_bounds.push_back(trial.bound);
      }
      if (trial.outcome == LpOutcome::Optimal) value = std::max(trial.objective, node_objective);
      else if (!cut && std::isfinite(trial.bound)) value = std::max(trial.bound, node_objective);
      if (cut || trial.outcome == LpOutcome::Optimal)
        pseudocosts_.record(c.index, side == 0 ? -c.fraction : 1.0 - c.fraction,
                            cut ? std::max(0.0, (std::isfinite(cutoff) ? cutoff : value) - node_objective)
                                : value - node_objective);
    }
    domain_.undo(mark);
    lp_.sync(domain_);
    lp_.rollback();
    if (side == 0) {
      *down = value;
      *down_cut = cut;
    } else {
      *up = value;
      *up_cut = cut;
    }
  }
  return 0;
}

void NodeWorker::branch_around_integral_point(const SearchNode& node, double objective, NodeReport& report) {
  const std::vector<double>& x = lp_.x();
  for (int j = 0; j < model_.num_cols; ++j) {
    if (model_.kind[j] != ColKind::Integer || domain_.lower(j) >= domain_.upper(j)) continue;
    // The child holding the point must be smaller than this node: split
    // above its value, or below it when the value is the upper bound.
    const double v = std::round(x[j]);
    const double split = v < domain_.upper(j) ? v + 0.5 : v - 0.5;
    make_children(node, column_branch(domain_, j, split), objective, objective, report);
    return;
  }
}

void NodeWorker::make_children(const SearchNode& node, const Branch& b, double bound, double estimate,
                               NodeReport& report) {
  auto basis = std::make_shared<CompactBasis>();
  lp_.save_basis(*basis);
  lp_basis_owner_ = basis;
  for (int k = 0; k < 2; ++k) {
    auto c = std::make_unique<SearchNode>();
    c->bound = bound;
    c->estimate = std::max(estimate, bound);
    c->depth = node.depth + 1;
    // The node's own tightenings (strong branching, reduced costs) hold in
    // its children too.
    c->changes = node.changes;
    c->changes.insert(c->changes.end(), local_.begin(), local_.end());
    c->changes.insert(c->changes.end(), b.child[k].begin(), b.child[k].end());
    c->new_changes = static_cast<int>(local_.size() + b.child[k].size());
    c->local_rows = node.local_rows;
    c->basis = basis;
    c->branch_col = b.col;
    c->branch_set = b.set;
    c->branch_type = b.type[k];
    c->branch_change = b.change[k];
    c->parent_objective = bound;
    c->num_infeasible = node.num_infeasible;
    c->sum_infeasibility = node.sum_infeasibility;
    if (b.col >= 0 && b.set < 0) {
      const double frac = std::fabs(b.change[k]);
      c->estimate = std::max(bound, estimate + pseudocosts_.cost(b.col, b.change[k]) -
                                        std::min(pseudocosts_.cost(b.col, -frac), pseudocosts_.cost(b.col, 1.0 - frac)));
    }
    report.children[k] = std::move(c);
  }
  report.first = b.first;
  lp_at_dive_parent_ = true;
}

// Reduced-cost fixing: a nonbasic integer column whose reduced cost d
// would push the objective past the cutoff after a move of t units
// cannot move t units in any solution worth having.
int NodeWorker::reduced_cost_tightenings(double objective, const std::vector<double>& x,
                                         const std::vector<double>& dj, double cutoff, bool here) {
  if (!std::isfinite(cutoff) || !std::isfinite(objective)) return 0;
  const double room = cutoff - objective;
  if (room < 0) return 0;
  int count = 0;
  for (int j = 0; j < model_.num_cols; ++j) {
    if (model_.kind[j] != ColKind::Integer) continue;
    const double lo = domain_.lower(j), hi = domain_.upper(j);
    if (lo == hi) continue;
    const double d = dj[j];
    const double tol = settings_.optimality;
    if (d > tol && std::isfinite(lo) && std::fabs(x[j] - lo) <= settings_.feasibility) {
      const double limit = lo + std::floor(room / d + settings_.integrality);
      if (limit < hi) {
        if (here) tighten_here(j, lo, limit);
        else domain_.tighten_upper(j, limit);
        ++count;
      }
    } else if (d < -tol && std::isfinite(hi) && std::fabs(x[j] - hi) <= settings_.feasibility) {
      const double limit = hi - std::floor(room / -d + settings_.integrality);
      if (limit > lo) {
        if (here) tighten_here(j, limit, hi);
        else domain_.tighten_lower(j, limit);
        ++count;
      }
    }
  }
  return count;
}

// The pool rows, not yet on here and not retired, that the node's LP point
// violates: the most efficacious of them switch on in the node's domain
// (the trail takes them back when the worker leaves the subtree).
bool NodeWorker::separate_pool(NodeReport& report) {
  const int first = model_.first_pool_row, last = model_.first_lazy_row;
  if (first == last) return false;
  const std::vector<double>& x = lp_.x();
  pool_scratch_.clear();
  for (int r = first; r < last; ++r) {
    if (domain_.row_active(r) || (view_->pool && view_->pool->retired[r - first])) continue;
    double a = 0.0, norm = 0.0;
    for (int64_t k = model_.row_begin[r]; k < model_.row_begin[r + 1]; ++k) {
      a += model_.row_val[k] * x[model_.row_col[k]];
      norm += model_.row_val[k] * model_.row_val[k];
    }
    const double over = a - model_.row_hi[r];
    if (over > kPoolViolation * std::max(1.0, std::fabs(model_.row_hi[r])))
      pool_scratch_.emplace_back(over / std::sqrt(norm), r);
  }
  if (pool_scratch_.empty()) return false;
  const size_t take = std::min(pool_scratch_.size(), kPoolCutsPerRound);
  std::partial_sort(pool_scratch_.begin(), pool_scratch_.begin() + static_cast<int64_t>(take), pool_scratch_.end(),
                    [](const auto& a, const auto& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
  for (size_t k = 0; k < take; ++k) {
    domain_.activate_row(pool_scratch_[k].second);
    report.pool_rows.push_back(pool_scratch_[k].second - first);
  }
  return true;
}

// Near the root and early in the search, the cheapest families separate
// the node's LP point with the global bounds: what they find holds
// everywhere and goes to the pool (the search adds it to the relaxation
// between rounds).
void NodeWorker::separate_tree_cuts(const SearchNode& node, NodeReport& report) {
  if (!separators_ || node.depth > kTreeCutDepth || tree_separations_ >= kTreeSeparations) return;
  if (static_cast<int64_t>(model_.row_col.size()) > kTreeSeparationNonzeros) return;
  ++tree_separations_;
  SeparationInput in;
  in.model = &model_;
  in.x = lp_.x().data();
  in.lower = global_lower_.data();
  in.upper = global_upper_.data();
  in.integrality = settings_.integrality;
  const int rows = model_.num_rows - model_.num_cuts;
  std::vector<Cut> found;
  if (settings_.cut_switch[kCoverCuts] >= 0)
    separate_covers(in, rows, settings_.cut_switch[kCoverCuts] >= kLiftedCovers, found);
  if (settings_.cut_switch[kImpliedBoundCuts] >= 0 && separators_->implied_bounds)
    separate_implied_bounds(in, *separators_->implied_bounds, found);
  std::vector<std::pair<double, size_t>> ranked;
  for (size_t k = 0; k < found.size(); ++k)
    if (const double e = found[k].efficacy(in.x); e >= kTreeCutEfficacy) ranked.emplace_back(e, k);
  std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  if (ranked.size() > kTreeCutsPerNode) ranked.resize(kTreeCutsPerNode);
  for (const auto& [e, k] : ranked) report.tree_cuts.push_back(std::move(found[k]));
}

bool NodeWorker::violated_lazy_rows(const std::vector<double>& x, std::vector<int>& rows) const {
  rows.clear();
  for (int r = model_.first_lazy_row; r < model_.num_relaxation_rows; ++r) {
    if (domain_.row_active(r) || model_.is_local_row(r)) continue;
    const double a = row_activity(model_, r, x.data());
    const double lo = model_.row_lo[r], hi = model_.row_hi[r];
    const double tol = settings_.feasibility;
    if (a < lo - tol * std::max(1.0, std::fabs(lo)) || a > hi + tol * std::max(1.0, std::fabs(hi))) rows.push_back(r);
  }
  return !rows.empty();
}

// An integral LP solution whose integer columns are only within the
// integrality tolerance of their integers: the columns go to those
// integers and the LP solves once more, with a tight feasibility
// tolerance, for the continuous columns that go with them.
void NodeWorker::polish_integral(std::vector<double>& x, NodeReport& report) {
  bool exact = true;
  for (int j = 0; j < model_.num_cols && exact; ++j)
    exact = !model_.is_integer(j) || x[j] == std::round(x[j]);
  if (exact) return;
  const size_t mark = domain_.mark();
  for (int j = 0; j < model_.num_cols; ++j) {
    if (!model_.is_integer(j)) continue;
    const double v = std::round(x[j]);
    domain_.tighten_lower(j, v);
    domain_.tighten_upper(j, v);
  }
  if (!domain_.infeasible()) {
    lp_.sync(domain_);
    lp_.set_feasibility_tolerance(kTightestFeasibility);
    LpSolve polished;
    if (solve_lp(polished, false, report) == 0 && polished.outcome == LpOutcome::Optimal) x = lp_.x();
    lp_.set_feasibility_tolerance(settings_.feasibility);
  }
  domain_.undo(mark);
  lp_.sync(domain_);
  lp_at_dive_parent_ = false;
}

// ---- heuristics ----------------------------------------------------------------------

// The root runs the full sequence when the search asks for it; a node of
// the tree what the tree schedule picks.
bool NodeWorker::heuristics_due(bool root) {
  tree_plan_ = TreeHeuristicPlan{};
  if (root) return view_->heuristics;
  TreeNodeFacts facts;
  facts.nodes = view_->nodes;
  facts.worker_iterations = iterations_done_;
  facts.has_incumbent = view_->has_incumbent && view_->incumbent;
  if (facts.has_incumbent) facts.incumbent_objective = objective_of(model_, *view_->incumbent);
  facts.inside_sub_mip = inside_sub_mip(env_);
  tree_plan_ = plan_tree_heuristics(settings_, heuristic_state_, facts);
  return tree_plan_.any();
}

// Runs the node's heuristics on its solved LP. What they find goes into
// the report; the domain, the LP's bounds and objective, and its basis
// are as before afterwards (the caller solves the LP again).
int NodeWorker::heuristics(NodeReport& report, bool root, const SearchNode& node) {
  locks_.refresh(model_);
  lp_.checkpoint();
  const size_t mark = domain_.mark();
  HeuristicContext ctx(env_, model_, settings_, domain_, lp_, heuristic_state_, locks_);
  ctx.pseudocosts = &pseudocosts_;
  ctx.lp_x = lp_.x();
  ctx.lp_objective = report.objective;
  ctx.depth = node.depth;
  ctx.nodes = view_->nodes;
  if (view_->has_incumbent && view_->incumbent) {
    ctx.incumbent = view_->incumbent;
    ctx.incumbent_objective = objective_of(model_, *view_->incumbent);
  }
  ctx.cutoff = view_->exact_cutoff;
  if (view_->solutions)
    for (const std::vector<double>& s : *view_->solutions) ctx.pool.push_back(&s);
  const int64_t left = std::max<int64_t>(view_->iterations_left - report.iterations, 0);
  const int64_t lines = static_cast<int64_t>(model_.num_cols) + model_.num_rows;
  const int64_t budget = root ? std::max(kRootHeuristicIterations, kRootHeuristicIterationsPerLine * lines)
                              : tree_iteration_budget(iterations_done_, nodes_done_);
  ctx.iteration_limit = std::min(left, budget);

  std::vector<HeuristicSolution> found;
  HeuristicSequence sequence(ctx);
  bool hit = false;
  int code = 0;
  if (root) {
    SequenceOptions options;
    options.full = true;
    code = sequence.run(options, found);
  } else {
    if (tree_plan_.group) code = sequence.run(SequenceOptions{}, found);
    if (code == 0 && tree_plan_.rins) code = sequence.attempt(heuristic_id::kRins, found, &hit);
    if (code == 0 && tree_plan_.local_branching) code = sequence.attempt(heuristic_id::kLocalBranching, found, &hit);
  }
  // A new incumbent (the search's or one just found) gets a 1-opt pass.
  const bool new_incumbent = root || tree_plan_.one_opt || !found.empty();
  if (code == 0 && ctx.incumbent && new_incumbent) code = sequence.attempt(heuristic_id::kOneOpt, found, &hit);

  for (HeuristicSolution& s : found) report.solutions.push_back({std::move(s.x), false});
  report.iterations += ctx.iterations;
  report.nested_nodes += ctx.nested_nodes;
  report.nested_iterations += ctx.nested_iterations;
  heuristic_state_.heuristic_iterations += ctx.iterations;
  domain_.undo(mark);
  lp_.sync(domain_);
  lp_.rollback();
  return code;
}

}  // namespace korva::mip
