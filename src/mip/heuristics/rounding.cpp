#include "mip/heuristics/rounding.h"

#include <algorithm>
#include <cmath>

#include "mip/heuristics/fix_and_propagate.h"
#include "mip/heuristics/heuristic_support.h"

namespace korva::mip {

namespace {

// Shift rounding reads at most this many matrix entries per model entry.
constexpr int64_t kShiftWorkFactor = 20;
constexpr int64_t kShiftWorkBase = 10000;
// A shift must cut the total violation by at least this share of the
// feasibility tolerance to count.
constexpr double kShiftProgress = 1.0;
// Violation changes this close count as equal.
constexpr double kTie = 1e-12;

// Rounds the integer columns of the LP point: toward a side without locks
// when there is one, else to the nearer integer.
void lock_free_rounding(const HeuristicContext& ctx, std::vector<double>& x) {
  const MipModel& m = ctx.model;
  for (int j = 0; j < m.num_cols; ++j) {
    if (!m.is_integer(j) && m.kind[j] != ColKind::SemiContinuous) continue;
    if (m.is_integer(j) && integral_value(ctx, j, x[j])) {
      x[j] = rounded_value(ctx, j, x[j], 0);
      continue;
    }
    const bool down_free = ctx.locks.down(j) == 0, up_free = ctx.locks.up(j) == 0;
    const int d = down_free && !up_free ? -1 : up_free && !down_free ? 1 : 0;
    x[j] = rounded_value(ctx, j, x[j], d);
  }
}

int simple_rounding(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found) {
  return simple_rounding_at(ctx, ctx.lp_x, x, objective, found);
}

double violation(const MipModel& m, int r, double activity, double tol) {
  const double lo = m.row_lo[r], hi = m.row_hi[r];
  if (activity < lo - tol) return lo - activity;
  if (activity > hi + tol) return activity - hi;
  return 0.0;
}

// Repairs the rows the rounded point violates by shifting one column at a
// time; every shift lowers the total violation, so the repair ends.
class ShiftRepair {
 public:
  ShiftRepair(HeuristicContext& ctx, std::vector<double>& x) : ctx_(ctx), m_(ctx.model), x_(x) {}

  bool run() {
    const int rows = m_.num_rows;
    activity_.assign(static_cast<size_t>(rows), 0.0);
    for (int r = 0; r < rows; ++r) activity_[r] = row_activity(m_, r, x_.data());
    work_ = kShiftWorkFactor * static_cast<int64_t>(m_.row_col.size()) + kShiftWorkBase;
    for (;;) {
      const int r = most_violated();
      if (r < 0) return true;
      if (work_ <= 0 || !shift_in(r)) return false;
    }
  }

 private:
  int most_violated() {
    int worst = -1;
    double largest = 0.0;
    for (int r = 0; r < m_.num_rows; ++r) {
      const double v = violation(m_, r, activity_[r], tol()) / std::max(1.0, row_side(r));
      if (v > largest) {
        largest = v;
        worst = r;
      }
    }
    work_ -= m_.num_rows;
    return worst;
  }
  double row_side(int r) const {
    return activity_[r] < m_.row_lo[r] ? std::fabs(m_.row_lo[r]) : std::fabs(m_.row_hi[r]);
  }
  double tol() const { return ctx_.settings.feasibility; }

  // The step of column j that moves row r's activity by `need` (as far
  // as j's domain allows; integer columns whole units).
  double step_for(int j, double a, double need) const {
    const double want = need / a;
    const double lo = ctx_.domain.lower(j), hi = ctx_.domain.upper(j);
    const double room = want > 0 ? hi - x_[j] : lo - x_[j];
    double step = std::fabs(want) < std::fabs(room) ? want : room;
    if (ctx_.model.is_integer(j) || ctx_.model.kind[j] == ColKind::SemiInteger) {
      step = want > 0 ? std::ceil(step - ctx_.settings.integrality) : std::floor(step + ctx_.settings.integrality);
      if (std::fabs(step) > std::fabs(room)) step = want > 0 ? std::floor(room) : std::ceil(room);
    }
    return step;
  }

  // The change of the total violation of j's rows after x_j moves by step.
  double violation_change(int j, double step) {
    double change = 0.0;
    for (int64_t k = m_.col_begin[j]; k < m_.col_begin[j + 1]; ++k) {
      const int r = m_.col_row[k];
      if (r >= m_.num_rows) continue;
      const double before = violation(m_, r, activity_[r], tol());
      const double after = violation(m_, r, activity_[r] + m_.col_val[k] * step, tol());
      change += after - before;
    }
    work_ -= m_.col_begin[j + 1] - m_.col_begin[j];
    return change;
  }

  bool shift_in(int r) {
    const double lo = m_.row_lo[r], hi = m_.row_hi[r];
    const double need = activity_[r] < lo ? lo - activity_[r] : hi - activity_[r];
    int best = -1;
    double best_step = 0.0, best_change = 0.0, best_cost = kInf;
    const double least_gain = kShiftProgress * tol();
    for (int64_t k = m_.row_begin[r]; k < m_.row_begin[r + 1]; ++k) {
      const int j = m_.row_col[k];
      const double a = m_.row_val[k];
      if (a == 0.0 || m_.kind[j] == ColKind::SemiContinuous) continue;
      const double step = step_for(j, a, need);
      if (step == 0.0) continue;
      const double change = violation_change(j, step);
      if (change > -least_gain) continue;
      // The largest cut in the violation; the cheaper shift among equals.
      const double cost = m_.cost[j] * step;
      const bool better = best < 0 || change < best_change - kTie ||
                          (change <= best_change + kTie && cost < best_cost);
      if (better) {
        best = j;
        best_step = step;
        best_change = change;
        best_cost = cost;
      }
    }
    if (best < 0) return false;
    x_[best] += best_step;
    for (int64_t k = m_.col_begin[best]; k < m_.col_begin[best + 1]; ++k)
      if (m_.col_row[k] < m_.num_rows) activity_[m_.col_row[k]] += m_.col_val[k] * best_step;
    return true;
  }

  HeuristicContext& ctx_;
  const MipModel& m_;
  std::vector<double>& x_;
  std::vector<double> activity_;
  int64_t work_ = 0;
};

int shift_rounding(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found) {
  *found = false;
  x = ctx.lp_x;
  lock_free_rounding(ctx, x);
  if (settle_candidate(ctx, x, objective)) {
    *found = true;
    return 0;
  }
  ShiftRepair repair(ctx, x);
  repair.run();
  // Rows the continuous part still misses are the LP's to settle.
  return accept_or_complete(ctx, x, objective, found);
}

int propagated_rounding(HeuristicContext& ctx, bool guided, std::vector<double>& x, double* objective, bool* found) {
  *found = false;
  const MipModel& m = ctx.model;
  if (guided && !ctx.incumbent) return 0;
  FixingPlan plan;
  plan.target = ctx.lp_x;
  plan.direction.assign(static_cast<size_t>(m.num_cols), 0);
  std::vector<double> distance(static_cast<size_t>(m.num_cols), 0.0);
  for (int j = 0; j < m.num_cols; ++j) {
    if (!m.is_integer(j)) continue;
    const double v = plan.target[j], f = v - std::floor(v);
    plan.order.push_back(j);
    if (guided) {
      const double toward = (*ctx.incumbent)[j];
      plan.direction[j] = toward < v ? -1 : 1;
      distance[j] = std::fabs(toward - v);
    } else {
      plan.direction[j] = f >= 0.5 ? 1 : -1;
      distance[j] = std::min(f, 1.0 - f);
    }
  }
  // Columns the LP (or the incumbent) decides clearly go first, those it
  // decides exactly all at once.
  std::stable_sort(plan.order.begin(), plan.order.end(), [&](int a, int b) { return distance[a] < distance[b]; });
  while (plan.batch < plan.order.size() && distance[plan.order[plan.batch]] <= ctx.settings.integrality) ++plan.batch;
  return fix_and_propagate(ctx, plan, x, objective, found);
}

}  // namespace

int simple_rounding_at(HeuristicContext& ctx, const std::vector<double>& point, std::vector<double>& x,
                       double* objective, bool* found) {
  x = point;
  lock_free_rounding(ctx, x);
  *found = settle_candidate(ctx, x, objective);
  return 0;
}

int rounding_heuristic(HeuristicContext& ctx, int variant, std::vector<double>& x, double* objective, bool* found) {
  *found = false;
  switch (variant) {
    case 0:
      return simple_rounding(ctx, x, objective, found);
    case 1:
      return shift_rounding(ctx, x, objective, found);
    case 2:
      return propagated_rounding(ctx, false, x, objective, found);
    case 3:
      return propagated_rounding(ctx, true, x, objective, found);
    default:
      return 0;
  }
}

int quick_rounding(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found) {
  if (int code = simple_rounding(ctx, x, objective, found); code != 0 || *found) return code;
  return propagated_rounding(ctx, false, x, objective, found);
}

}  // namespace korva::mip
