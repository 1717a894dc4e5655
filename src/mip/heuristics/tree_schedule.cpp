#include "mip/heuristics/tree_schedule.h"

#include <algorithm>

namespace korva::mip {

namespace {

// Automatic frequency: every this many nodes, while the heuristics'
// iterations stay within this share of the worker's (plus the allowance).
constexpr int64_t kAutomaticPeriod = 20;
constexpr double kAutomaticShare = 0.1;
constexpr int64_t kAutomaticAllowance = 1000;
// One tree run may spend this many times a node's average iterations
// (within these limits).
constexpr int64_t kRunNodes = 20;
constexpr int64_t kLeastRunIterations = 500;
constexpr int64_t kMostRunIterations = 50000;

// Unsuccessful runs stretch the automatic period: by one period for
// every this many, up to this many periods.
constexpr int64_t kBackoffRuns = 100;
constexpr int64_t kLongestStretch = 50;

// True when the node is due (the first node at or beyond `next`), which
// then moves a period on.
bool due(int64_t nodes, int64_t period, int64_t& next) {
  if (period <= 0) return false;
  if (next == 0) next = period;
  if (nodes < next) return false;
  next = nodes + period;
  return true;
}

}  // namespace

TreeHeuristicPlan plan_tree_heuristics(const SearchSettings& s, HeuristicState& state, const TreeNodeFacts& f) {
  TreeHeuristicPlan plan;
  if (s.heuristic_frequency > 0) {
    plan.group = due(f.nodes, s.heuristic_frequency, state.next_group_node);
  } else if (s.heuristic_frequency == 0) {
    // The feasibility emphases (1 and 4) look twice as often, with twice the share.
    const int64_t eagerness = s.emphasis == 1 || s.emphasis == 4 ? 2 : 1;
    const double allowed =
        kAutomaticShare * static_cast<double>(eagerness * f.worker_iterations) + kAutomaticAllowance;
    const int64_t stretch = std::min(1 + state.unsuccessful_runs / kBackoffRuns, kLongestStretch);
    plan.group = static_cast<double>(state.heuristic_iterations) <= allowed &&
                 due(f.nodes, kAutomaticPeriod * stretch / eagerness, state.next_group_node);
  }
  if (f.has_incumbent) {
    if (!f.inside_sub_mip && s.rins_frequency > 0) plan.rins = due(f.nodes, s.rins_frequency, state.next_rins_node);
    const bool new_incumbent = f.incumbent_objective < state.incumbent_seen;
    state.incumbent_seen = f.incumbent_objective;
    plan.one_opt = new_incumbent;
    plan.local_branching = new_incumbent && s.local_branching && !f.inside_sub_mip;
  }
  return plan;
}

int64_t tree_iteration_budget(int64_t worker_iterations, int64_t worker_nodes) {
  const int64_t average = worker_iterations / std::max<int64_t>(worker_nodes, 1);
  return std::clamp(kRunNodes * average, kLeastRunIterations, kMostRunIterations);
}

}  // namespace korva::mip
