// The callbacks a worker calls while it processes a node: solve, user
// cuts, lazy constraints, heuristic and branch. Each is called only when
// its slot is set; without callbacks none of this runs.
#include <cmath>

#include "mip/heuristics/heuristic_support.h"
#include "mip/node_worker.h"
#include "model/model.h"
#include "simplex/solution/solution_queries.h"

namespace korva::mip {

namespace {

// Rounds of the user cut callback at one node; the last runs as the
// node's last cut round (114).
constexpr int kUserCutRounds = 10;

}  // namespace

void NodeWorker::fill_node_data(MipCallbackData& d, const SearchNode& node, const std::vector<double>* x,
                                double objective) const {
  d.node = &node;
  d.domain = &domain_;
  d.global_lower = &global_lower_;
  d.global_upper = &global_upper_;
  d.x = x;
  d.has_objective = x != nullptr;
  d.objective = objective;
  d.num_infeasible = x ? candidates_.count() : node.num_infeasible;
  d.sum_infeasibility = x ? candidates_.sum_infeasibility : node.sum_infeasibility;
  d.pseudocosts = &pseudocosts_;
  d.lp = const_cast<NodeLp*>(&lp_);
}

bool NodeWorker::stopped(const CallbackOutcome& out, NodeReport& report) const {
  if (out.error && !report.error) report.error = out.error;
  if (out.abort) report.abort = true;
  return out.stop();
}

// useraction 2: the callback solved the node LP it was given. Its basis
// becomes the relaxation's, so the search's own solve finds that optimum
// at once, and its iterations count as the search's.
bool NodeWorker::solve_callback(const SearchNode& node, NodeReport& report) {
  if (!callbacks_ || !callbacks_->callbacks.solve.is_set()) return true;
  MipCallbackData d(env_, *callbacks_);
  fill_node_data(d, node, nullptr, node.bound);
  const CallbackOutcome out = solve_call(env_, d);
  if (stopped(out, report)) return false;
  if (out.useraction != 2 || !d.node_lp) return true;
  Problem& nlp = *d.node_lp;
  int64_t iterations = 0;
  if (simplex::get_counter(env_, nlp, simplex::Counter::Iterations, &iterations) == 0) report.iterations += iterations;
  const int n = model_.num_cols;
  std::vector<int> cstat(static_cast<size_t>(n)), rstat(static_cast<size_t>(nlp.num_rows()));
  if (model::get_basis(env_, nlp, cstat.data(), rstat.data()) != 0) return true;
  CompactBasis basis;
  basis.status.assign(static_cast<size_t>(n + model_.num_relaxation_rows), simplex::kBasic);
  auto column_status = [](int s) -> uint8_t {
    return s == 1 ? simplex::kBasic : s == 2 ? simplex::kAtUpper : s == 3 ? simplex::kSuperbasic : simplex::kAtLower;
  };
  // A row's logical is the negated activity: a row at its lower side has
  // its logical at the upper bound.
  auto row_status = [](int s) -> uint8_t {
    return s == 1 ? simplex::kBasic : s == 2 ? simplex::kAtLower : simplex::kAtUpper;
  };
  for (int j = 0; j < n; ++j) basis.status[j] = column_status(cstat[j]);
  int position = 0;
  for (int r = 0; r < model_.num_relaxation_rows; ++r) {
    const bool exported = r < model_.num_rows || (r >= model_.first_pool_row && domain_.row_active(r));
    if (!exported) continue;
    if (position < static_cast<int>(rstat.size())) basis.status[n + r] = row_status(rstat[position]);
    ++position;
  }
  lp_.load_basis(basis);
  lp_basis_owner_.reset();
  return true;
}

bool NodeWorker::lazy_callback(const SearchNode& node, const std::vector<double>& x, int wherefrom, int source,
                               NodeReport& report, bool* rejected) {
  *rejected = false;
  if (!callbacks_ || !has_lazy_callback(callbacks_->callbacks)) return true;
  MipCallbackData d(env_, *callbacks_);
  fill_node_data(d, node, &x, objective_of(model_, x));
  d.node_status = report.lp_status;
  d.candidate_source = source;
  const CallbackOutcome out = cut_call(env_, d, wherefrom);
  if (stopped(out, report)) return false;
  // Only a constraint the candidate breaks turns it down (a callback
  // adding rows it satisfies would otherwise send the node round forever).
  for (CallbackRow& row : d.cuts) {
    if (violated_by(row, x, settings_.feasibility)) *rejected = true;
    report.callback_rows.push_back(std::move(row));
  }
  return true;
}

bool NodeWorker::user_cut_callback(SearchNode& node, const LpSolve& lp, NodeReport& report, bool* added) {
  *added = false;
  if (!callbacks_ || !has_user_cut_callback(callbacks_->callbacks) || node.cut_rounds >= kUserCutRounds) return true;
  MipCallbackData d(env_, *callbacks_);
  fill_node_data(d, node, &lp_.x(), lp.objective);
  d.node_status = lp.status;
  const int wherefrom = ++node.cut_rounds == kUserCutRounds ? where::kCutLast : where::kCutLoop;
  const CallbackOutcome out = cut_call(env_, d, wherefrom);
  if (stopped(out, report)) return false;
  // useraction 3: no more cut rounds at this node.
  if (out.useraction == 3) node.cut_rounds = kUserCutRounds;
  // The node is solved again only for cuts its point violates.
  for (CallbackRow& row : d.cuts) {
    if (violated_by(row, lp_.x(), settings_.feasibility)) *added = true;
    report.callback_rows.push_back(std::move(row));
  }
  return true;
}

bool NodeWorker::heuristic_callback(const SearchNode& node, const LpSolve& lp, NodeReport& report) {
  if (!callbacks_ || !callbacks_->callbacks.heuristic.is_set()) return true;
  MipCallbackData d(env_, *callbacks_);
  fill_node_data(d, node, &lp_.x(), lp.objective);
  d.node_status = lp.status;
  std::vector<double> x;
  d.to_callback_space(lp_.x(), x);
  double objective = d.user_objective(lp.objective);
  int check = 0;
  const CallbackOutcome out = heuristic_call(env_, d, &objective, x.data(), &check);
  if (stopped(out, report)) return false;
  if (out.useraction == 2) {
    // The search checks every solution it is given, whatever `check` says.
    std::vector<double> solution;
    d.from_callback_space(x.data(), solution);
    report.solutions.push_back({std::move(solution), false});
  }
  return true;
}

// Solutions the node's heuristics found go past the lazy constraint
// callback like any other candidate; one it adds constraints for is no
// solution.
void NodeWorker::screen_heuristic_solutions(const SearchNode& node, NodeReport& report) {
  if (!callbacks_ || !has_lazy_callback(callbacks_->callbacks)) return;
  std::vector<FoundSolution> kept;
  for (FoundSolution& s : report.solutions) {
    if (s.from_node_lp) {
      kept.push_back(std::move(s));
      continue;
    }
    bool rejected = false;
    if (!lazy_callback(node, s.x, where::kLazyFeasible, 1, report, &rejected)) {
      report.solutions.clear();
      return;
    }
    if (!rejected) kept.push_back(std::move(s));
  }
  report.solutions = std::move(kept);
}

bool NodeWorker::branch_callback(const SearchNode& node, const Branch* b, const LpSolve* lp, NodeReport& report,
                                 bool* replaced) {
  *replaced = false;
  const int wherefrom = lp ? where::kBranch : where::kBranchNoSolution;
  if (!callbacks_) return true;
  const auto& slot = lp ? callbacks_->callbacks.branch : callbacks_->callbacks.branch_nosoln;
  if (!slot.is_set()) return true;
  MipCallbackData d(env_, *callbacks_);
  fill_node_data(d, node, lp ? &lp_.x() : nullptr, lp ? lp->objective : node.bound);
  if (lp) d.node_status = lp->status;
  ProposedChildren proposed;
  if (b) {
    proposed.set = b->set;
    proposed.type = b->set >= 0 ? '0' + model_.sos[b->set].type : b->col >= 0 ? '0' : 'X';
    const double estimate = d.user_objective(lp ? lp->objective : node.bound);
    for (int k = 0; k < 2; ++k) {
      proposed.begin.push_back(static_cast<int>(proposed.indices.size()));
      for (const BoundChange& c : b->child[k]) {
        int col = c.col;
        if (d.original_space()) col = d.presolve->orig_col[c.col];
        const bool lower = std::isfinite(c.lower), upper = std::isfinite(c.upper);
        if (lower && upper && c.lower == c.upper) {
          proposed.indices.push_back(col);
          proposed.lu.push_back('B');
          proposed.bd.push_back(c.lower);
          continue;
        }
        if (lower) {
          proposed.indices.push_back(col);
          proposed.lu.push_back('L');
          proposed.bd.push_back(c.lower);
        }
        if (upper) {
          proposed.indices.push_back(col);
          proposed.lu.push_back('U');
          proposed.bd.push_back(c.upper);
        }
      }
      proposed.estimates.push_back(estimate);
    }
    proposed.rows.resize(2);
  }
  const CallbackOutcome out = branch_call(env_, d, wherefrom, proposed);
  if (stopped(out, report)) return false;
  if (!d.children.empty()) {
    take_callback_children(node, d, lp ? std::max(node.bound, lp->bound) : node.bound, report);
    *replaced = true;
  } else if (out.useraction == 2) {
    // Told to branch, with no children: the node is done.
    *replaced = true;
  }
  return true;
}

void NodeWorker::take_callback_children(const SearchNode& node, MipCallbackData& d, double bound,
                                        NodeReport& report) {
  auto basis = std::make_shared<CompactBasis>();
  lp_.save_basis(*basis);
  lp_basis_owner_ = basis;
  for (size_t k = 0; k < d.children.size(); ++k) {
    CallbackChild& given = d.children[k];
    auto c = std::make_unique<SearchNode>();
    c->bound = bound;
    c->estimate = std::max(given.estimate, bound);
    c->depth = node.depth + 1;
    c->changes = node.changes;
    c->changes.insert(c->changes.end(), local_.begin(), local_.end());
    c->changes.insert(c->changes.end(), given.bounds.begin(), given.bounds.end());
    c->new_changes = static_cast<int>(local_.size() + given.bounds.size());
    c->local_rows = node.local_rows;
    c->basis = basis;
    c->branch_type = 'A';
    c->parent_objective = bound;
    c->num_infeasible = node.num_infeasible;
    c->sum_infeasibility = node.sum_infeasibility;
    c->user_handle = given.user_handle;
    c->seqnum = given.seqnum;
    report.child_rows[k] = std::move(given.rows);
    report.children[k] = std::move(c);
  }
  report.first = 0;
  lp_at_dive_parent_ = report.child_rows[0].empty();
}

}  // namespace korva::mip
