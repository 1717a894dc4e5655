#include "mip/heuristics/fix_and_propagate.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "mip/heuristics/heuristic_support.h"

namespace korva::mip {

namespace {

// Fixings between checks of the limits.
constexpr size_t kCheckInterval = 64;
// Propagation may read this many matrix entries per model entry (plus the
// base) before the fixing gives up.
constexpr int64_t kPropagationWork = 20;
constexpr int64_t kPropagationBase = 100000;

// Fixes column j at v and propagates; false (with the domain undone to
// where it was) when that cannot hold.
bool try_fixing(Domain& domain, int j, double v) {
  const size_t mark = domain.mark();
  domain.tighten_lower(j, v);
  domain.tighten_upper(j, v);
  if (!domain.infeasible() && domain.propagate()) return true;
  domain.undo(mark);
  return false;
}

}  // namespace

int fix_and_propagate(HeuristicContext& ctx, const FixingPlan& plan, std::vector<double>& x, double* objective,
                      bool* found) {
  *found = false;
  DomainScope scope(ctx);
  Domain& domain = ctx.domain;
  const int64_t work_start = domain.work_done();
  const int64_t work_limit = kPropagationWork * static_cast<int64_t>(ctx.model.row_col.size()) + kPropagationBase;
  size_t start = 0;
  if (plan.batch > 0) {
    const size_t mark = domain.mark();
    for (size_t k = 0; k < plan.batch && !domain.infeasible(); ++k) {
      const int j = plan.order[k];
      const double v = rounded_value(ctx, j, plan.target[j], plan.direction[j] < 0 ? -1 : 1);
      domain.tighten_lower(j, v);
      domain.tighten_upper(j, v);
    }
    if (!domain.infeasible() && domain.propagate()) start = plan.batch;
    else domain.undo(mark);
  }
  for (size_t k = start; k < plan.order.size(); ++k) {
    const int j = plan.order[k];
    if ((k - start + 1) % kCheckInterval == 0 &&
        (heuristic_should_stop(ctx) || domain.work_done() - work_start > work_limit))
      return 0;
    if (domain.lower(j) == domain.upper(j)) continue;
    const int d = plan.direction[j] < 0 ? -1 : 1;
    const double first = rounded_value(ctx, j, plan.target[j], d);
    if (try_fixing(domain, j, first)) continue;
    double second = rounded_value(ctx, j, plan.target[j], -d);
    // An integral target rounds the same both ways: the next value on the
    // preferred side is the alternative.
    if (second == first) second = std::clamp(first + d, domain.lower(j), domain.upper(j));
    if (second == first || !try_fixing(domain, j, second)) return 0;
  }
  std::vector<double> values(ctx.lp_x);
  for (int j = 0; j < ctx.model.num_cols; ++j)
    values[j] = ctx.model.is_integer(j) ? domain.lower(j) : std::clamp(values[j], domain.lower(j), domain.upper(j));
  return complete_with_fixed_integers(ctx, values, x, objective, found);
}

int lock_direction(const HeuristicContext& ctx, int j, double value) {
  const int up = ctx.locks.up(j), down = ctx.locks.down(j);
  if (up != down) return up < down ? 1 : -1;
  return value - std::floor(value) >= 0.5 ? 1 : -1;
}

int lock_fixing(HeuristicContext& ctx, int argument, std::vector<double>& x, double* objective, bool* found) {
  const MipModel& m = ctx.model;
  FixingPlan plan;
  plan.target = ctx.lp_x;
  plan.direction.assign(static_cast<size_t>(m.num_cols), 0);
  for (int j = 0; j < m.num_cols; ++j) {
    if (!m.is_integer(j)) continue;
    plan.order.push_back(j);
    plan.direction[j] = argument == -1 ? -1 : argument == 1 ? 1 : lock_direction(ctx, j, plan.target[j]);
  }
  // The most constrained columns first: their fixings propagate furthest.
  std::stable_sort(plan.order.begin(), plan.order.end(), [&](int a, int b) {
    return ctx.locks.up(a) + ctx.locks.down(a) > ctx.locks.up(b) + ctx.locks.down(b);
  });
  return fix_and_propagate(ctx, plan, x, objective, found);
}

}  // namespace korva::mip
