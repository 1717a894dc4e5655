#include "mip/heuristics/sub_mip_heuristics.h"

#include <algorithm>
#include <cmath>

#include "mip/heuristics/heuristic_support.h"
#include "mip/sub_mip.h"

namespace korva::mip {

namespace {

// A neighbourhood made by fixings is worth a search when at least this
// share of the integer columns is fixed (and not all of them).
constexpr double kLeastFixedShare = 0.2;
// Local branching: at most this many binary columns change.
constexpr int kLocalBranchingRadius = 10;
// Mutation fixes this share of the integer columns.
constexpr double kMutationShare = 0.6;
// Proximity asks for an improvement of at least this (relative to the
// incumbent's objective, and absolute).
constexpr double kProximityRelative = 1e-4;
constexpr double kProximityAbsolute = 1e-6;

int integer_count(const MipModel& m) {
  int count = 0;
  for (int j = 0; j < m.num_cols; ++j) count += m.is_integer(j) ? 1 : 0;
  return count;
}

// Fixes the integer columns `agree` selects at the incumbent's values;
// false when too few (or all) are fixed.
template <class Agree>
bool fix_where(const HeuristicContext& ctx, Agree agree, SubMipRequest& request) {
  const MipModel& m = ctx.model;
  const std::vector<double>& inc = *ctx.incumbent;
  int fixed = 0;
  for (int j = 0; j < m.num_cols; ++j) {
    if (!m.is_integer(j) || !agree(j)) continue;
    const double v = std::round(inc[j]);
    request.bounds.push_back({j, v, v});
    ++fixed;
  }
  const int integers = integer_count(m);
  bool continuous = false;
  for (int j = 0; j < m.num_cols && !continuous; ++j) continuous = !m.is_integer(j);
  if (fixed == integers && !continuous) return false;
  return static_cast<double>(fixed) >= kLeastFixedShare * static_cast<double>(integers);
}

bool rins(const HeuristicContext& ctx, SubMipRequest& request) {
  const double tol = ctx.settings.integrality;
  return fix_where(ctx, [&](int j) { return std::fabs((*ctx.incumbent)[j] - ctx.lp_x[j]) <= tol; }, request);
}

bool local_branching(const HeuristicContext& ctx, SubMipRequest& request) {
  const MipModel& m = ctx.model;
  SubMipRow row;
  int ones = 0;
  for (int j = 0; j < m.num_cols; ++j) {
    if (!is_binary(m, j)) continue;
    const bool one = (*ctx.incumbent)[j] > 0.5;
    row.cols.push_back(j);
    row.vals.push_back(one ? -1.0 : 1.0);
    ones += one ? 1 : 0;
  }
  if (row.cols.empty()) return false;
  const int radius = std::min<int>(kLocalBranchingRadius, std::max<int>(1, static_cast<int>(row.cols.size()) / 2));
  row.hi = static_cast<double>(radius - ones);
  request.rows.push_back(std::move(row));
  return true;
}

bool crossover(const HeuristicContext& ctx, SubMipRequest& request) {
  const std::vector<double>& inc = *ctx.incumbent;
  const double tol = ctx.settings.integrality;
  auto differs = [&](const std::vector<double>& s) {
    for (int j = 0; j < ctx.model.num_cols; ++j)
      if (ctx.model.is_integer(j) && std::fabs(s[j] - inc[j]) > tol) return true;
    return false;
  };
  std::vector<const std::vector<double>*> parents;
  for (const std::vector<double>* s : ctx.pool) {
    if (parents.size() == 2) break;
    if (s && static_cast<int>(s->size()) == ctx.model.num_cols && differs(*s)) parents.push_back(s);
  }
  for (auto it = ctx.state.recent.rbegin(); it != ctx.state.recent.rend() && parents.size() < 2; ++it)
    if (differs(*it)) parents.push_back(&*it);
  if (parents.empty()) return false;
  return fix_where(
      ctx,
      [&](int j) {
        for (const std::vector<double>* p : parents)
          if (std::fabs((*p)[j] - inc[j]) > tol) return false;
        return true;
      },
      request);
}

bool mutation(HeuristicContext& ctx, SubMipRequest& request) {
  return fix_where(ctx, [&](int) { return ctx.state.random.next() < kMutationShare; }, request);
}

bool proximity(const HeuristicContext& ctx, SubMipRequest& request) {
  const MipModel& m = ctx.model;
  bool costs = false, binaries = false;
  for (int j = 0; j < m.num_cols; ++j) {
    costs = costs || m.cost[j] != 0.0;
    binaries = binaries || is_binary(m, j);
  }
  if (!costs || !binaries) return false;
  request.objective.assign(static_cast<size_t>(m.num_cols), 0.0);
  for (int j = 0; j < m.num_cols; ++j)
    if (is_binary(m, j)) request.objective[j] = (*ctx.incumbent)[j] > 0.5 ? -1.0 : 1.0;
  const double z = ctx.incumbent_objective;
  const double target = std::min(ctx.cutoff, z - std::max(kProximityAbsolute, kProximityRelative * std::fabs(z)));
  // With the objective replaced, the nested search holds the model's
  // objective below the cutoff by a row of its own.
  request.cutoff = target;
  request.stop_at_first = true;
  return true;
}

}  // namespace

int sub_mip_heuristic(HeuristicContext& ctx, SubMipMode mode, std::vector<double>& x, double* objective,
                      bool* found) {
  *found = false;
  if (inside_sub_mip(ctx.env) || heuristic_should_stop(ctx)) return 0;
  if (mode != SubMipMode::Feasibility && !ctx.incumbent) return 0;
  SubMipRequest request;
  request.node_limit = ctx.settings.submip_node_limit;
  request.cutoff = ctx.cutoff;
  if (ctx.incumbent) request.start = *ctx.incumbent;
  bool ready = false;
  switch (mode) {
    case SubMipMode::Rins:
      ready = rins(ctx, request);
      break;
    case SubMipMode::LocalBranching:
      ready = local_branching(ctx, request);
      break;
    case SubMipMode::Crossover:
      ready = crossover(ctx, request);
      break;
    case SubMipMode::Mutation:
      ready = mutation(ctx, request);
      break;
    case SubMipMode::Proximity:
      request.start.clear();
      ready = proximity(ctx, request);
      break;
    case SubMipMode::Feasibility:
      request.objective.assign(static_cast<size_t>(ctx.model.num_cols), 0.0);
      request.stop_at_first = true;
      ready = true;
      break;
  }
  if (!ready) return 0;
  SubMipResult result;
  const int code = solve_sub_mip(ctx.env, ctx.model, request, result);
  ctx.nested_nodes += result.nodes;
  ctx.nested_iterations += result.iterations;
  if (code != 0) return code;
  if (!result.found || static_cast<int>(result.x.size()) != ctx.model.num_cols) return 0;
  x = std::move(result.x);
  return accept_or_complete(ctx, x, objective, found);
}

}  // namespace korva::mip
