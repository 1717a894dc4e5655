#include "presolve/reducer.h"

#include "env/channel.h"

namespace korva::presolve {

// A column alone in an equality row whose bounds the row implies anyway
// is substituted out: the row defines it.
void Reducer::free_singleton_pass(bool& changed) {
  for (int j = 0; j < w_.n; ++j) {
    if (!w_.col_alive[j] || w_.col_len[j] != 1 || !w_.substitutable(j)) continue;
    double a = 0.0;
    const int i = only_row(j, &a);
    if (w_.row_len[i] < 2) continue;
    if (w_.rlo[i] != w_.rhi[i]) {
      if (dual_ok() && tight_inequality(i, j, a)) changed = true;
      continue;
    }
    double largest = 0.0;
    for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k)
      if (w_.col_alive[w_.ridx[k]]) largest = std::max(largest, std::fabs(w_.rval[k]));
    if (std::fabs(a) < kPivotRatio * largest) continue;
    const bool free = implied_free(i, j, a);
    // A bounded singleton's cost is not the row's dual; moving it onto
    // the row's columns must not undo the slack basis's dual feasibility.
    if (!free && spoils_dual_start(i, j, a)) continue;
    if (w_.row_changed[i])
      aggregate(i, j, a, free);  // postsolve needs the row as it is now
    else if (free)
      substitute(i, j, a);
    else
      absorb_slack(i, j, a);
    changed = true;
  }
}

// A one-sided row whose column singleton x_j, priced at cost / a, gives the
// row a dual of the sign its side allows: moving x_j to close the row's
// slack costs nothing, so some optimum has the row tight. When the row as
// an equality implies x_j's bounds, it is one and x_j goes with it.
bool Reducer::tight_inequality(int i, int j, double a) {
  const double lo = w_.rlo[i], hi = w_.rhi[i];
  const double dual = w_.cost[j] / a;
  double b;
  if (lo == -kInf && hi < kInf && dual <= 0)
    b = hi;
  else if (hi == kInf && lo > -kInf && dual >= 0)
    b = lo;
  else
    return false;
  double largest = 0.0;
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k)
    if (w_.col_alive[w_.ridx[k]]) largest = std::max(largest, std::fabs(w_.rval[k]));
  if (std::fabs(a) < kPivotRatio * largest) return false;
  w_.rlo[i] = w_.rhi[i] = b;
  if (!implied_free(i, j, a)) {
    w_.rlo[i] = lo;
    w_.rhi[i] = hi;
    return false;
  }
  if (w_.row_changed[i])
    aggregate(i, j, a, true);
  else
    substitute(i, j, a);
  return true;
}

// Whether moving x_j's cost onto the other columns of row i turns a cost
// that the slack basis prices as dual feasible into one it does not (a
// column that can only rise getting a negative cost, or the reverse).
// Such substitutions hand the dual simplex a long phase I; skipping them
// costs a little size and saves far more iterations.
bool Reducer::spoils_dual_start(int i, int j, double a) const {
  const double ratio = w_.cost[j] / a;
  if (ratio == 0.0) return false;
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
    const int col = w_.ridx[k];
    if (col == j || !w_.col_alive[col]) continue;
    const bool has_lb = w_.lb[col] > -kInf, has_ub = w_.ub[col] < kInf;
    if (has_lb && has_ub) continue;  // a bound flip repairs any sign
    auto priced_feasible = [&](double cost) { return has_lb ? cost >= 0.0 : has_ub ? cost <= 0.0 : cost == 0.0; };
    const double cost = w_.cost[col];
    if (priced_feasible(cost) && !priced_feasible(cost - ratio * w_.rval[k])) return true;
  }
  return false;
}

bool Reducer::implied_free(int i, int j, double a) const {
  const bool lb_free = w_.lb[j] == -kInf, ub_free = w_.ub[j] == kInf;
  if (lb_free && ub_free) return true;
  const Activity rest = activity(i, j);
  const double b = w_.rlo[i];
  // x_j = (b - rest) / a.
  double lo, hi;
  if (a > 0) {
    lo = rest.inf_max ? -kInf : (b - rest.max) / a;
    hi = rest.inf_min ? kInf : (b - rest.min) / a;
  } else {
    lo = rest.inf_min ? -kInf : (b - rest.min) / a;
    hi = rest.inf_max ? kInf : (b - rest.max) / a;
  }
  const bool lb_implied = lb_free || lo >= w_.lb[j] - redundant_tol(w_.lb[j]);
  const bool ub_implied = ub_free || hi <= w_.ub[j] + redundant_tol(w_.ub[j]);
  return lb_implied && ub_implied;
}

// b = a_i·x + a·x_j with x_j in [l, u]: the column acts as the row's
// slack, so the row keeps a_i·x between b - a·u and b - a·l instead.
void Reducer::absorb_slack(int i, int j, double a) {
  Reduction r;
  r.kind = ReductionKind::SlackSingleton;
  r.row = i;
  r.col = j;
  r.a = a;
  r.value = w_.rlo[i];
  r.cost = w_.cost[j];
  r.lb = w_.lb[j];
  r.ub = w_.ub[j];
  w_.stack.push_back(r);
  shift_costs(i, j, a, r.value);
  const double from_lb = r.value - a * r.lb, from_ub = r.value - a * r.ub;
  w_.rlo[i] = std::min(from_lb, from_ub);
  w_.rhi[i] = std::max(from_lb, from_ub);
  w_.drop_column(j);
  ++w_.counters.substitutions;
}

// The cost of x_j moves onto the other columns of its defining row.
void Reducer::shift_costs(int i, int j, double a, double b) {
  const double ratio = w_.cost[j] / a;
  if (ratio == 0.0) return;
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
    const int col = w_.ridx[k];
    if (col != j && w_.col_alive[col]) w_.cost[col] -= ratio * w_.rval[k];
  }
  w_.offset += ratio * b;
}

void Reducer::substitute(int i, int j, double a) {
  Reduction r;
  r.kind = ReductionKind::FreeSingleton;
  r.row = i;
  r.col = j;
  r.a = a;
  r.value = w_.rlo[i];
  r.cost = w_.cost[j];
  w_.stack.push_back(r);
  shift_costs(i, j, a, r.value);
  w_.drop_column(j);
  w_.drop_row(i);
  ++w_.counters.substitutions;
}
}  // namespace korva::presolve
