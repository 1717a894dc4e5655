#include "mip/search.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "env/channel.h"
#include "env/time_limit.h"
#include "model/model.h"

namespace korva::mip {

namespace {

// A column's pseudocosts are trusted once both directions have this many
// observations; until then strong branching measures them.
constexpr int64_t kReliable = 4;
// Strong branching stops when this many candidates in a row did not beat
// the best score.
constexpr int kLookahead = 6;
// Iterations of a strong-branching trial when KRV_PARAM_STRONGITLIM is 0:
// twice the average of a node's solve, within these limits.
constexpr int64_t kTrialIterationsMin = 15;
constexpr int64_t kTrialIterationsMax = 300;
// The root dive gives up after this many fixings.
constexpr int kDiveDepth = 200;
// Polishing start conditions are in force below these values (which are
// not the parameters' defaults).
constexpr int64_t kPolishCountThreshold = 210000000;
constexpr double kPolishTimeThreshold = 1e74;
// Tolerance of the objective comparison of incumbents.
constexpr double kImprovement = 1e-9;
// An integral LP solution that misses the model's tolerances is solved
// again with the feasibility tolerance this much tighter (not below the floor).
constexpr double kRetryTightening = 0.01;
constexpr double kTightestFeasibility = 1e-9;

bool close_to_integer(double v, double tol) { return std::fabs(v - std::round(v)) <= tol; }

}  // namespace

Search::Search(Environment& env, Problem& p, const MipModel& model, const SearchSettings& settings,
               MipSearchRecord& record, const PriorityOrder* order)
    : env_(env),
      problem_(p),
      model_(model),
      settings_(settings),
      record_(record),
      order_(order),
      log_(env, settings, record, model.objsense),
      unresolved_bound_(kInf) {}

// ---- start -------------------------------------------------------------------

bool Search::start(SearchEnd& end) {
  domain_.init(model_, settings_.feasibility, settings_.integrality);
  pseudocosts_.init(model_.num_cols);
  const NodeOrder order = settings_.nodesel == 0   ? NodeOrder::DepthFirst
                          : settings_.nodesel >= 2 ? NodeOrder::BestEstimate
                                                   : NodeOrder::BestBound;
  store_ = std::make_unique<NodeStore>(order);
  // An objective that only integer columns with integer costs make up takes
  // integer values: a better solution is better by at least 1.
  objective_integral_ = true;
  for (int j = 0; j < model_.num_cols && objective_integral_; ++j) {
    const double c = model_.cost[j];
    if (c == 0.0) continue;
    objective_integral_ = model_.kind[j] == ColKind::Integer && c == std::round(c);
  }
  update_cutoff();
  if (!domain_.propagate()) {
    end.status = 103;
    return false;
  }
  root_mark_ = domain_.mark();
  NodeLpSettings lps;
  lps.feasibility_tol = settings_.feasibility;
  lps.optimality_tol = settings_.optimality;
  lps.scaling = settings_.scaling;
  lps.display = settings_.simplex_display;
  if (int code = lp_.load(env_, model_, domain_, lps)) {
    end.error = code;
    return false;
  }
  std::vector<int> drained;
  domain_.take_changed_columns(drained);
  domain_.take_changed_rows(drained);
  return true;
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
  double cutoff = record_.cutoff;
  if (record_.has_incumbent && objective_integral_) {
    const double z = record_.incumbent_objective;
    cutoff = std::min(cutoff, z - 1.0 + 1e-6 * std::max(1.0, std::fabs(z)));
  }
  return cutoff;
}

// Nodes whose bound reaches this are not worth exploring: the gap
// tolerances let those close to the incumbent go.
double Search::node_cutoff() const {
  double cutoff = exact_cutoff();
  if (record_.has_incumbent) {
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

bool Search::prune(double bound) {
  if (bound < node_cutoff()) return false;
  note_pruned(bound);
  return true;
}

double Search::best_bound() {
  double open = std::min({store_->best_bound(), unresolved_bound_, current_bound_});
  if (dive_) open = std::min(open, dive_->bound);
  // Nodes pruned by the gap tolerances, not by the incumbent itself, still
  // count with the cutoff they were pruned at.
  if (gap_used_) open = std::min(open, gap_pruned_bound_);
  if (record_.has_incumbent) open = std::min(open, record_.incumbent_objective);
  if (unbounded_) open = -kInf;
  // An objective that takes integer values is at least the next integer.
  if (objective_integral_ && std::isfinite(open)) open = std::ceil(open - 1e-6 * std::max(1.0, std::fabs(open)));
  record_.best_bound = std::max(record_.stored_bound, open);
  return record_.best_bound;
}

int64_t Search::nodes_left() const { return store_->size() + (dive_ ? 1 : 0); }

// ---- termination ---------------------------------------------------------------

int Search::termination_test(SearchEnd& end) {
  const bool incumbent = record_.has_incumbent;
  if (env_.terminate_requested()) return incumbent ? 113 : 114;
  if (unbounded_) return incumbent ? 118 : 119;
  const double b = best_bound();
  if (incumbent) {
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
  if (static_cast<double>(store_->memory()) > settings_.tree_limit_bytes) return incumbent ? 111 : 112;
  if (time_limit_reached(env_)) return incumbent ? 107 : 108;
  if (tick_limit_reached(env_)) return incumbent ? 131 : 132;
  if (!dive_ && store_->empty() && std::isinf(unresolved_bound_)) {
    if (incumbent && gap_used_) end.gap_tolerance_used = true;
    return incumbent ? (gap_used_ ? 102 : 101) : 103;
  }
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
  const double started = current_time(env_);
  start_time_ = started;
  record_.threads = 1;
  if (!start(end)) {
    record_.root_time = current_time(env_) - started;
    return end;
  }
  auto root = std::make_unique<SearchNode>();
  root->bound = -kInf;
  root->estimate = -kInf;
  root->seqnum = seqnum_++;
  if (int code = process(std::move(root), false)) {
    end.error = code;
    return end;
  }
  record_.root_time = current_time(env_) - started;
  const double tree_started = current_time(env_);
  for (;;) {
    if (const int status = termination_test(end)) {
      end.status = status;
      break;
    }
    std::unique_ptr<SearchNode> node;
    bool dive = false;
    if (dive_) {
      node = std::move(dive_);
      dive = true;
    } else if (!store_->empty()) {
      node = store_->pop();
    } else {
      // Only undecided nodes are left: nothing more can be learned.
      end.status = record_.has_incumbent ? 109 : 110;
      break;
    }
    if (int code = process(std::move(node), dive)) {
      end.error = code;
      end.status = record_.has_incumbent ? 109 : 110;
      break;
    }
  }
  record_.bc_time = current_time(env_) - tree_started;
  best_bound();
  record_.nodes_left = nodes_left();
  // The open nodes stay with the record for the queries.
  if (dive_) store_->push(std::move(dive_));
  record_.tree = std::move(store_);
  return end;
}

// ---- one node ---------------------------------------------------------------------

bool Search::enter(const SearchNode& node, bool dive) {
  if (dive) {
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
  if (domain_.infeasible() || !domain_.propagate()) return false;
  lp_.sync(domain_);
  return true;
}

int Search::solve_node_lp(LpSolve& out, bool first) {
  const int64_t left = settings_.iteration_limit - record_.iterations;
  const int code = lp_.solve(env_, node_cutoff(), std::max<int64_t>(left, 0), first, out);
  record_.iterations += out.iterations;
  record_.sub_status = out.status;
  record_.sub_method = 2;
  return code;
}

int Search::process(std::unique_ptr<SearchNode> node, bool dive) {
  const int64_t number = record_.nodes++;
  const bool root = number == 0;
  // While the node is open its bound counts towards the best bound.
  struct CurrentBound {
    double& slot;
    CurrentBound(double& s, double v) : slot(s) { slot = v; }
    ~CurrentBound() { slot = kInf; }
  } current(current_bound_, node->bound);
  if (!enter(*node, dive)) {
    log_node(*node, LogLine::State::Infeasible, nullptr, 0);
    return 0;
  }
  if (prune(node->bound)) {
    log_node(*node, LogLine::State::Cutoff, nullptr, 0);
    return 0;
  }
  LpSolve lp;
  int64_t iterations = 0;
  bool tightened = false;  // the LP runs with a tighter feasibility tolerance
  struct RestoreTolerance {
    NodeLp& lp;
    const bool& tightened;
    double tolerance;
    ~RestoreTolerance() {
      if (tightened) lp.set_feasibility_tolerance(tolerance);
    }
  } restore{lp_, tightened, settings_.feasibility};
  for (int round = 0;; ++round) {
    if (int code = solve_node_lp(lp, root && round == 0)) return code;
    iterations += lp.iterations;
    if (lp.outcome != LpOutcome::Optimal) break;
    // Pseudocosts learn from the first solve of a branched child.
    if (round == 0 && node->branch_col >= 0 && std::isfinite(node->parent_objective))
      pseudocosts_.record(node->branch_col, node->branch_change, lp.objective - node->parent_objective);
    const double bound = std::max(node->bound, lp.bound);
    if (prune(bound)) {
      lp.outcome = LpOutcome::Cutoff;
      break;
    }
    find_candidates(model_, domain_, lp_.x(), settings_.integrality, settings_.feasibility, candidates_);
    if (!candidates_.empty()) {
      node->bound = bound;
      current_bound_ = bound;
      if (root && settings_.heuristic_frequency >= 0) {
        x_scratch_ = lp_.x();
        CompactBasis basis;
        lp_.save_basis(basis);
        round_and_offer(x_scratch_);
        dive_heuristic();
        lp_.load_basis(basis);
        lp_basis_owner_.reset();
        if (int code = solve_node_lp(lp, false)) return code;
        iterations += lp.iterations;
        if (lp.outcome != LpOutcome::Optimal) break;
        if (prune(std::max(node->bound, lp.bound))) {
          lp.outcome = LpOutcome::Cutoff;
          break;
        }
        find_candidates(model_, domain_, lp_.x(), settings_.integrality, settings_.feasibility, candidates_);
        if (candidates_.empty()) continue;
      }
      bool resolved = false;
      const Branch b = select_branch(*node, lp, candidates_, &resolved);
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
      log_node(*node, LogLine::State::Solved, &lp, iterations);
      make_children(*node, b, std::max(node->bound, lp.bound), estimate);
      return 0;
    }
    // Integral: lazy constraints first, then the incumbent.
    std::vector<int> lazy;
    if (violated_lazy_rows(lp_.x(), lazy)) {
      activate_globally(lazy);
      if (!enter(*node, false)) {
        lp.outcome = LpOutcome::Infeasible;
        break;
      }
      continue;
    }
    x_scratch_ = lp_.x();
    const Offer verdict = offer(x_scratch_, true, number, tightened);
    if (verdict == Offer::Infeasible) {
      // Feasible for the scaled LP, not quite on the model: the LP works
      // once more with a tighter feasibility tolerance, and what it then
      // calls feasible is taken (the final check reports what remains).
      tightened = true;
      lp_.set_feasibility_tolerance(std::max(settings_.feasibility * kRetryTightening, kTightestFeasibility));
      continue;
    }
    if (tightened) lp_.set_feasibility_tolerance(settings_.feasibility);
    log_node(*node, verdict == Offer::Accepted ? LogLine::State::NewIncumbent : LogLine::State::Cutoff, &lp,
             iterations);
    return 0;
  }
  switch (lp.outcome) {
    case LpOutcome::Infeasible:
      log_node(*node, LogLine::State::Infeasible, &lp, iterations);
      return 0;
    case LpOutcome::Cutoff:
      note_pruned(lp.bound);
      log_node(*node, LogLine::State::Cutoff, &lp, iterations);
      return 0;
    case LpOutcome::Unbounded: {
      // An unbounded relaxation: the MIP is unbounded when it has a
      // solution at all (its integral points need not be found here).
      unbounded_ = true;
      x_scratch_ = lp_.x();
      find_candidates(model_, domain_, x_scratch_, settings_.integrality, settings_.feasibility, candidates_);
      if (candidates_.empty()) offer(x_scratch_, false, number);
      return 0;
    }
    case LpOutcome::Limit:
      // The node goes back: the termination tests report the limit.
      --record_.nodes;
      lp_basis_owner_.reset();
      store_->push(std::move(node));
      return 0;
    default:
      break;
  }
  // No trustworthy LP answer: split the node without one.
  log_node(*node, LogLine::State::LpStatus, &lp, iterations);
  Branch b;
  if (!blind_branch(model_, domain_, b)) {
    unresolved_bound_ = std::min(unresolved_bound_, node->bound);
    return 0;
  }
  lp_basis_owner_.reset();
  make_children(*node, b, node->bound, node->estimate);
  return 0;
}

// ---- branching ----------------------------------------------------------------------

int Search::first_child(const Branch& b, const Candidate* c) const {
  if (b.col >= 0 && order_ && settings_.use_order) {
    const PriorityOrder& order = *order_;
    for (size_t k = 0; k < order.indices.size(); ++k)
      if (order.indices[k] == b.col && order.direction[k] != 0) return order.direction[k] > 0 ? 1 : 0;
  }
  if (b.type[0] == 'L') return b.first;
  if (settings_.brdir != 0) return settings_.brdir > 0 ? 1 : 0;
  if (c && c->kind == CandidateKind::Column && record_.has_incumbent &&
      (settings_.divetype == 3 || (settings_.divetype == 0 && record_.nodes % 19 == 18))) {
    const double incumbent_value = record_.incumbent[c->index];
    return c->value + settings_.integrality > incumbent_value ? 0 : 1;
  }
  return b.first;
}

Branch Search::select_branch(const SearchNode& node, const LpSolve& lp, const Candidates& cands, bool* resolved) {
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
  if (settings_.use_order && order_ && !order_->indices.empty()) {
    const PriorityOrder& order = *order_;
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
          if (strong_branch(*c, lp.objective, &down, &up, &down_cut, &up_cut) != 0) break;
          if (down_cut && up_cut) {
            // Neither child can hold a solution worth having.
            domain_.tighten_lower(c->index, domain_.upper(c->index) + 1.0);
            *resolved = true;
            return Branch{};
          }
          if (down_cut || up_cut) {
            // One side is empty: the node lives on in the other.
            if (down_cut) domain_.tighten_lower(c->index, std::floor(c->value) + 1.0);
            else domain_.tighten_upper(c->index, std::floor(c->value));
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
  (void)node;
  return b;
}

int Search::strong_branch(const Candidate& c, double node_objective, double* down, double* up, bool* down_cut,
                          bool* up_cut) {
  const int64_t limit = settings_.strong_iterations > 0
                            ? settings_.strong_iterations
                            : std::clamp<int64_t>(2 * node_iterations_total_ / std::max<int64_t>(record_.nodes, 1),
                                                  kTrialIterationsMin, kTrialIterationsMax);
  lp_.checkpoint();
  const double cutoff = node_cutoff();
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
      record_.iterations += trial.iterations;
      ++strong_trials_;
      if (code != 0) {
        domain_.undo(mark);
        lp_.sync(domain_);
        lp_.rollback();
        return code;
      }
      if (trial.outcome == LpOutcome::Infeasible) cut = true;
      if (trial.outcome == LpOutcome::Cutoff) {
        cut = true;
        note_pruned(trial.bound);
      }
      else if (trial.outcome == LpOutcome::Optimal) value = std::max(trial.objective, node_objective);
      else if (std::isfinite(trial.bound)) value = std::max(trial.bound, node_objective);
      if (cut || trial.outcome == LpOutcome::Optimal)
        pseudocosts_.record(c.index, side == 0 ? -c.fraction : 1.0 - c.fraction,
                            cut ? 0.0 + std::max(0.0, (std::isfinite(cutoff) ? cutoff : value) - node_objective)
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

void Search::make_children(const SearchNode& node, const Branch& b, double bound, double estimate) {
  auto basis = std::make_shared<CompactBasis>();
  lp_.save_basis(*basis);
  lp_basis_owner_ = basis;
  std::unique_ptr<SearchNode> child[2];
  for (int k = 0; k < 2; ++k) {
    auto c = std::make_unique<SearchNode>();
    c->bound = bound;
    c->estimate = std::max(estimate, bound);
    c->depth = node.depth + 1;
    c->seqnum = seqnum_++;
    c->changes = node.changes;
    c->changes.insert(c->changes.end(), b.child[k].begin(), b.child[k].end());
    c->new_changes = static_cast<int>(b.child[k].size());
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
    child[k] = std::move(c);
  }
  const int first = b.first;
  std::unique_ptr<SearchNode>& next = child[first];
  std::unique_ptr<SearchNode>& other = child[1 - first];
  store_->push(std::move(other));
  // Dive into the first child while it stays within the backtracking
  // tolerance of the best bound; otherwise it waits with the others.
  bool dive = true;
  if (record_.has_incumbent && settings_.nodesel != 0) {
    const double best = std::min(store_->best_bound(), next->bound);
    const double window = settings_.backtrack * (record_.cutoff - best);
    dive = next->bound <= best + window;
  }
  if (dive) dive_ = std::move(next);
  else store_->push(std::move(next));
}

// ---- incumbents -------------------------------------------------------------------------

bool Search::violated_lazy_rows(const std::vector<double>& x, std::vector<int>& rows) const {
  rows.clear();
  for (int r = model_.first_lazy_row; r < model_.num_relaxation_rows; ++r) {
    if (domain_.row_active(r)) continue;
    const double a = row_activity(model_, r, x.data());
    const double lo = model_.row_lo[r], hi = model_.row_hi[r];
    const double tol = settings_.feasibility;
    if (a < lo - tol * std::max(1.0, std::fabs(lo)) || a > hi + tol * std::max(1.0, std::fabs(hi))) rows.push_back(r);
  }
  return !rows.empty();
}

void Search::activate_globally(const std::vector<int>& rows) {
  // Changes that hold for the whole tree go below the root mark.
  domain_.undo(root_mark_);
  for (int r : rows) domain_.activate_row(r);
  record_.lazy_applied += static_cast<int64_t>(rows.size());
  domain_.propagate();
  root_mark_ = domain_.mark();
  lp_.sync(domain_);
}

Search::Offer Search::offer(const std::vector<double>& candidate, bool from_lp_of_node, int64_t node_number,
                            bool trusted) {
  const int n = model_.num_cols;
  std::vector<double> x(candidate);
  // Integer columns snap to their integers when that keeps the rows
  // satisfied.
  std::vector<double> snapped(x);
  for (int j = 0; j < n; ++j) {
    if (model_.is_integer(j) && close_to_integer(snapped[j], settings_.integrality)) snapped[j] = std::round(snapped[j]);
    // A semi-continuous column within the tolerance of 0 is off.
    const ColKind k = model_.kind[j];
    if ((k == ColKind::SemiContinuous || k == ColKind::SemiInteger) && std::fabs(snapped[j]) <= settings_.feasibility)
      snapped[j] = 0.0;
  }
  auto violation = [&](const std::vector<double>& v) {
    double worst = 0.0;
    for (int j = 0; j < n; ++j) {
      const double lo = model_.lower[j], hi = model_.upper[j];
      const ColKind k = model_.kind[j];
      const bool semi = k == ColKind::SemiContinuous || k == ColKind::SemiInteger;
      if (semi && std::fabs(v[j]) <= settings_.feasibility) continue;
      worst = std::max(worst, (lo - v[j]) / std::max(1.0, std::fabs(lo)));
      worst = std::max(worst, (v[j] - hi) / std::max(1.0, std::fabs(hi)));
      if (model_.is_integer(j) && std::fabs(v[j] - std::round(v[j])) > settings_.integrality) return kInf;
    }
    for (int r = 0; r < model_.num_relaxation_rows; ++r) {
      if (r >= model_.num_rows && r < model_.first_lazy_row) {
        // An indicator row binds only when its indicator is on.
        int link = -1;
        for (size_t k = 0; k < model_.indicators.size() && link < 0; ++k)
          if (model_.indicators[k].row == r) link = static_cast<int>(k);
        const IndicatorLink& ind = model_.indicators[link];
        if (std::fabs(v[ind.indicator] - ind.active_value) > settings_.integrality) continue;
      }
      const double a = row_activity(model_, r, v.data());
      const double lo = model_.row_lo[r], hi = model_.row_hi[r];
      worst = std::max(worst, (lo - a) / std::max(1.0, std::fabs(lo)));
      worst = std::max(worst, (a - hi) / std::max(1.0, std::fabs(hi)));
    }
    for (const SosConstraint& set : model_.sos) {
      int first = -1, last = -1, count = 0;
      for (int p = 0; p < static_cast<int>(set.cols.size()); ++p) {
        if (std::fabs(v[set.cols[p]]) <= settings_.feasibility) continue;
        if (first < 0) first = p;
        last = p;
        ++count;
      }
      if (set.type == 1 ? count > 1 : (count > 2 || (count == 2 && last - first > 1))) return kInf;
    }
    return worst;
  };
  const double tol = settings_.feasibility;
  if (violation(snapped) <= tol) x.swap(snapped);
  else if (violation(x) > tol && !trusted) return Offer::Infeasible;
  double objective = 0.0;
  for (int j = 0; j < n; ++j) objective += model_.cost[j] * x[j];
  if (record_.has_incumbent &&
      objective >= record_.incumbent_objective - kImprovement * std::max(1.0, std::fabs(record_.incumbent_objective)))
    return Offer::NotBetter;
  if (objective >= record_.cutoff) return Offer::NotBetter;
  record_.has_incumbent = true;
  record_.incumbent = x;
  record_.incumbent_objective = objective;
  record_.incumbent_node = node_number;
  ++record_.improvements;
  update_cutoff();
  note_pruned(store_->prune(node_cutoff()));
  if (!from_lp_of_node) {
    LogLine line;
    line.node = node_number;
    line.nodes_left = nodes_left();
    line.state = LogLine::State::HeuristicIncumbent;
    best_bound();
    log_.node(line, 0);
  }
  best_bound();
  log_.incumbent(node_number);
  log_.incumbent_file(problem_, x, model_.objsense * objective);
  return Offer::Accepted;
}

void Search::round_and_offer(const std::vector<double>& x) {
  std::vector<double> rounded(x);
  for (int j = 0; j < model_.num_cols; ++j)
    if (model_.is_integer(j)) rounded[j] = std::clamp(std::round(rounded[j]), domain_.lower(j), domain_.upper(j));
  offer(rounded, false, record_.nodes - 1);
}

void Search::dive_heuristic() {
  // Fractional diving: fix the least fractional candidate at its nearest
  // integer, propagate, re-solve, until the LP turns integral or fails.
  const size_t mark = domain_.mark();
  Candidates cands;
  for (int depth = 0; depth < kDiveDepth; ++depth) {
    find_candidates(model_, domain_, lp_.x(), settings_.integrality, settings_.feasibility, cands);
    if (cands.empty()) {
      std::vector<int> lazy;
      if (!violated_lazy_rows(lp_.x(), lazy)) {
        x_scratch_ = lp_.x();
        offer(x_scratch_, false, record_.nodes - 1);
      }
      break;
    }
    if (cands.columns.empty()) break;
    const Candidate* pick = &cands.columns.front();
    for (const Candidate& c : cands.columns)
      if (c.infeasibility < pick->infeasibility) pick = &c;
    const double target = std::round(pick->value);
    domain_.tighten_lower(pick->index, target);
    domain_.tighten_upper(pick->index, target);
    if (domain_.infeasible() || !domain_.propagate()) break;
    lp_.sync(domain_);
    LpSolve lp;
    if (solve_node_lp(lp, false) != 0 || lp.outcome != LpOutcome::Optimal) break;
    if (time_limit_reached(env_) || env_.terminate_requested()) break;
  }
  domain_.undo(mark);
  lp_.sync(domain_);
}

// ---- log ---------------------------------------------------------------------------------

void Search::log_node(const SearchNode& node, LogLine::State state, const LpSolve* lp, int64_t iterations) {
  node_iterations_total_ += iterations;
  LogLine line;
  line.node = record_.nodes - 1;
  line.nodes_left = nodes_left();
  line.state = state;
  line.objective = lp ? lp->objective : node.bound;
  line.num_infeasible = node.num_infeasible;
  line.lp_status = lp ? lp->status : 0;
  line.lp_solved = lp && lp->outcome == LpOutcome::Optimal;
  line.depth = node.depth;
  line.node_id = node.seqnum;
  if (state == LogLine::State::Solved || state == LogLine::State::NewIncumbent) best_bound();
  log_.node(line, iterations);
}

}  // namespace korva::mip
