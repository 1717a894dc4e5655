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

// True once per period of `period` nodes (at the first node that reaches
// a new period).
bool period_reached(int64_t nodes, int64_t period, int64_t& last) {
  if (period <= 0) return false;
  const int64_t current = nodes / period;
  if (current <= last) return false;
  last = current;
  return true;
}

}  // namespace

TreeHeuristicPlan plan_tree_heuristics(const SearchSettings& s, HeuristicState& state, const TreeNodeFacts& f) {
  TreeHeuristicPlan plan;
  if (s.heuristic_frequency > 0) {
    plan.group = period_reached(f.nodes, s.heuristic_frequency, state.group_period);
  } else if (s.heuristic_frequency == 0) {
    const double allowed = kAutomaticShare * static_cast<double>(f.worker_iterations) + kAutomaticAllowance;
    plan.group = static_cast<double>(state.heuristic_iterations) <= allowed &&
                 period_reached(f.nodes, kAutomaticPeriod, state.group_period);
  }
  if (f.has_incumbent) {
    if (!f.inside_sub_mip && s.rins_frequency > 0) plan.rins = period_reached(f.nodes, s.rins_frequency, state.rins_period);
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
