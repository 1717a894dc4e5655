#include "mip/heuristics/heuristic_support.h"

#include <algorithm>
#include <cmath>

#include "env/time_limit.h"
#include "mip/solution_check.h"

namespace korva::mip {

namespace {
// The completion LP's feasibility tolerance: this share of the model's,
// not below the floor.
constexpr double kCompletionTightening = 0.01;
constexpr double kTightestFeasibility = 1e-11;
}  // namespace

bool heuristic_should_stop(const HeuristicContext& ctx) {
  return ctx.iterations_left() == 0 || ctx.env.terminate_requested() || time_limit_reached(ctx.env) ||
         tick_limit_reached(ctx.env);
}

int heuristic_solve(HeuristicContext& ctx, double cutoff, LpSolve& out) {
  out = LpSolve{};
  const int64_t left = ctx.iterations_left();
  if (left == 0) {
    out.outcome = LpOutcome::Limit;
    return 0;
  }
  const int code = ctx.lp.solve(ctx.env, cutoff, left, false, out);
  ctx.iterations += out.iterations;
  return code;
}

double objective_of(const MipModel& model, const std::vector<double>& x) {
  double z = model.offset;
  for (int j = 0; j < model.num_cols; ++j) z += model.cost[j] * x[j];
  return z;
}

bool is_binary(const MipModel& model, int j) {
  return model.kind[j] == ColKind::Integer && model.lower[j] >= 0.0 && model.upper[j] <= 1.0;
}

bool pure_binary(const MipModel& model) {
  for (int j = 0; j < model.num_cols; ++j)
    if (!is_binary(model, j)) return false;
  return model.num_cols > 0;
}

bool integral_value(const HeuristicContext& ctx, int j, double v) {
  return !ctx.model.is_integer(j) || std::fabs(v - std::round(v)) <= ctx.settings.integrality;
}

double rounded_value(const HeuristicContext& ctx, int j, double v, int direction) {
  const MipModel& m = ctx.model;
  const double lo = ctx.domain.lower(j), hi = ctx.domain.upper(j);
  const double tol = ctx.settings.integrality;
  double r = v;
  const bool semi = m.kind[j] == ColKind::SemiContinuous || m.kind[j] == ColKind::SemiInteger;
  if (semi && v > 0.0 && v < m.lower[j]) {
    // Between 0 and the semi-continuous lower bound: one of the two ends.
    const double on = m.kind[j] == ColKind::SemiInteger ? std::ceil(m.lower[j] - tol) : m.lower[j];
    r = direction < 0 ? 0.0 : direction > 0 ? on : (v < 0.5 * on ? 0.0 : on);
  } else if (m.is_integer(j)) {
    r = direction < 0 ? std::floor(v + tol) : direction > 0 ? std::ceil(v - tol) : std::round(v);
  }
  return std::clamp(r, lo, hi);
}

bool settle_candidate(const HeuristicContext& ctx, std::vector<double>& x, double* objective) {
  if (!settle_solution(ctx.model, x, ctx.settings.integrality, ctx.settings.feasibility)) return false;
  // A point that holds only with its integer columns off their integers
  // is no solution to hand on (the LP completion may find the one nearby).
  for (int j = 0; j < ctx.model.num_cols; ++j)
    if (ctx.model.is_integer(j) && x[j] != std::round(x[j])) return false;
  const double z = objective_of(ctx.model, x);
  if (!(z < ctx.cutoff)) return false;
  *objective = z;
  return true;
}

int complete_with_fixed_integers(HeuristicContext& ctx, const std::vector<double>& values, std::vector<double>& x,
                                 double* objective, bool* found) {
  *found = false;
  const MipModel& m = ctx.model;
  DomainScope scope(ctx);
  std::vector<double> fixed(values);
  for (int j = 0; j < m.num_cols; ++j) {
    if (!m.is_integer(j)) continue;
    fixed[j] = rounded_value(ctx, j, values[j], 0);
    ctx.domain.tighten_lower(j, fixed[j]);
    ctx.domain.tighten_upper(j, fixed[j]);
    if (ctx.domain.infeasible()) return 0;
  }
  if (!ctx.domain.propagate()) return 0;
  bool free_columns = false;
  for (int j = 0; j < m.num_cols && !free_columns; ++j)
    free_columns = !m.is_integer(j) && ctx.domain.lower(j) < ctx.domain.upper(j);
  if (!free_columns) {
    for (int j = 0; j < m.num_cols; ++j)
      if (!m.is_integer(j)) fixed[j] = ctx.domain.lower(j);
    if (settle_candidate(ctx, fixed, objective)) {
      x.swap(fixed);
      *found = true;
    }
    return 0;
  }
  // Propagation proved the fixings consistent; the bounds it implied for
  // the other columns allow the rows a tolerance, which a column resting
  // on such a bound would use up. The LP takes the model's own bounds.
  for (int j = 0; j < m.num_cols; ++j) {
    if (m.is_integer(j)) continue;
    const bool semi = m.kind[j] == ColKind::SemiContinuous;
    const double lower = semi ? std::min(m.lower[j], 0.0) : m.lower[j];
    const double upper = semi ? std::max(m.upper[j], 0.0) : m.upper[j];
    ctx.domain.set_bounds(j, lower, upper);
  }
  ctx.lp.sync(ctx.domain);
  // The scaled LP's tolerance lets a row of the model that scaling shrank
  // miss by more than the model's own: the completion works to tighter
  // ones until its point holds (or the tightest fails).
  struct TightTolerance {
    NodeLp& lp;
    double saved;
    ~TightTolerance() { lp.set_feasibility_tolerance(saved); }
  } tight{ctx.lp, ctx.lp.feasibility_tolerance()};
  for (double tol = tight.saved * kCompletionTightening;; tol *= kCompletionTightening) {
    tol = std::max(tol, kTightestFeasibility);
    ctx.lp.set_feasibility_tolerance(tol);
    LpSolve solved;
    if (int code = heuristic_solve(ctx, ctx.cutoff, solved)) return code;
    if (solved.outcome != LpOutcome::Optimal) return 0;
    std::vector<double> completed = ctx.lp.x();
    for (int j = 0; j < m.num_cols; ++j)
      if (m.is_integer(j)) completed[j] = fixed[j];
    if (settle_candidate(ctx, completed, objective)) {
      x.swap(completed);
      *found = true;
      return 0;
    }
    if (tol == kTightestFeasibility || !(objective_of(m, completed) < ctx.cutoff)) return 0;
  }
}

int accept_or_complete(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found) {
  std::vector<double> settled(x);
  if (settle_candidate(ctx, settled, objective)) {
    x.swap(settled);
    *found = true;
    return 0;
  }
  *found = false;
  bool others = false;
  for (int j = 0; j < ctx.model.num_cols && !others; ++j) others = !ctx.model.is_integer(j);
  if (!others) return 0;
  return complete_with_fixed_integers(ctx, x, x, objective, found);
}

}  // namespace korva::mip
