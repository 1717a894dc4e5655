#include "presolve/reducer.h"

#include "env/channel.h"

namespace korva::presolve {

int Reducer::bound_infeasible(int j) {
  if (const char* name = col_name(j)) msg(env_.results(), "Bound infeasibility column '%.255s'.\n", name);
  return kInfeasible;
}

int Reducer::column_pass(bool& changed) {
  for (int j = 0; j < w_.n; ++j) {
    if (!w_.col_alive[j] || w_.frozen[j]) continue;
    double& lb = w_.lb[j];
    double& ub = w_.ub[j];
    if (lb > ub + feas_tol(lb)) return bound_infeasible(j);
    if (w_.integer[j])
      if (int code = set_integer_bounds(j, lb, ub)) return code;
    if (ub - lb < kFixedGap) {
      w_.fix_column(j, lb <= ub ? lb : ub);
      changed = true;
    } else if (w_.col_len[j] == 0) {
      if (int code = empty_column(j)) return code;
      changed = true;
    }
  }
  return 0;
}

// An empty column goes to the bound its cost prefers; with no cost it
// takes 0 clipped into its bounds.
int Reducer::empty_column(int j) {
  const double c = w_.cost[j];
  double value = 0.0;
  if (c > 0) {
    if (std::isinf(w_.lb[j])) return dual_infeasible_column(j);
    value = w_.lb[j];
  } else if (c < 0) {
    if (std::isinf(w_.ub[j])) return dual_infeasible_column(j);
    value = w_.ub[j];
  } else {
    value = std::clamp(0.0, w_.lb[j], w_.ub[j]);
  }
  w_.fix_column(j, value);
  return 0;
}

int Reducer::dual_infeasible_column(int j) {
  if (const char* name = col_name(j)) msg(env_.results(), "Dual infeasible due to empty column '%.255s'.\n", name);
  return kInfeasibleOrUnbounded;
}

int Reducer::row_pass(bool& changed) {
  for (int i = 0; i < w_.m; ++i) {
    if (!w_.row_alive[i]) continue;
    if (w_.row_len[i] == 0) {
      if (int code = empty_row(i)) return code;
      changed = true;
    } else if (w_.row_len[i] == 1 && primal_ok() && !touches_frozen(i)) {
      if (int code = singleton_row(i)) return code;
      changed = true;
    }
  }
  return 0;
}

int Reducer::empty_row(int i) {
  const double lo = w_.rlo[i], hi = w_.rhi[i];
  if (lo > feas_tol(lo) || hi < -feas_tol(hi)) {
    if (const char* name = row_name(i)) {
      const char relation = lo == hi ? '=' : (lo > 0 ? '>' : '<');
      msg(env_.results(), "Infeasibility row '%.255s':  0 %c= %g.\n", name, relation, lo > 0 ? lo : hi);
    }
    return kInfeasible;
  }
  w_.remove_row(i);
  return 0;
}

// a·x_j within [rlo, rhi] becomes bounds of x_j.
int Reducer::singleton_row(int i) {
  int j = -1;
  double a = 0.0;
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k)
    if (w_.col_alive[w_.ridx[k]]) {
      j = w_.ridx[k];
      a = w_.rval[k];
      break;
    }
  const double implied_lo = a > 0 ? w_.rlo[i] / a : w_.rhi[i] / a;
  const double implied_hi = a > 0 ? w_.rhi[i] / a : w_.rlo[i] / a;
  Reduction r;
  r.kind = ReductionKind::SingletonRow;
  r.row = i;
  r.col = j;
  r.a = a;
  r.cost = w_.cost[j];
  r.old_lb = w_.lb[j];
  r.old_ub = w_.ub[j];
  double lb = w_.lb[j], ub = w_.ub[j];
  if (implied_lo > lb + redundant_tol(lb)) {
    lb = implied_lo;
    ++w_.counters.bound_improvements;
  }
  if (implied_hi < ub - redundant_tol(ub)) {
    ub = implied_hi;
    ++w_.counters.bound_improvements;
  }
  if (lb > ub + feas_tol(lb)) return bound_infeasible(j);
  if (w_.integer[j]) {
    const double integer_lb = std::ceil(lb - 1e-6), integer_ub = std::floor(ub + 1e-6);
    if (integer_lb > integer_ub) return integer_infeasible_column(j);
    lb = std::max(lb, integer_lb);
    ub = std::min(ub, integer_ub);
  }
  if (lb > ub) {
    // Crossed within the tolerance: meet at an original bound when one is involved.
    if (lb == r.old_lb) ub = lb; else lb = ub;
  }
  w_.lb[j] = r.lb = lb;
  w_.ub[j] = r.ub = ub;
  // Postsolve prices the column as it is now; a column that substitutions
  // changed goes along.
  r.snapshot = w_.col_changed[j] != 0;
  const size_t head = w_.stack.size();
  w_.stack.push_back(r);
  if (r.snapshot) {
    int count = 0;
    for (int64_t k = w_.cbeg[j]; k < w_.cend[j]; ++k) {
      const int row = w_.cidx[k];
      if (row == i || !w_.row_alive[row]) continue;
      w_.push_entry(row, j, w_.cval[k]);
      ++count;
    }
    w_.stack[head].count2 = count;
  }
  w_.drop_row(i);
  return 0;
}

int Reducer::implied_infeasible(int i, const Activity& act) {
  if (const char* name = row_name(i)) {
    // A row whose activity can take one value only has every column at an
    // implied bound already: say so, it points at the columns, not the row.
    const bool single_value = act.inf_min == 0 && act.inf_max == 0 && act.max - act.min <= feas_tol(act.max);
    msg(env_.results(),
        single_value ? "Row '%.255s' infeasible, all entries at implied bounds.\n"
                     : "Implied bounds make row '%.255s' infeasible.\n",
        name);
  }
  return kInfeasible;
}

int Reducer::activity_pass(bool& changed) {
  for (int i = 0; i < w_.m; ++i) {
    if (!w_.row_alive[i] || w_.row_len[i] < 2) continue;
    const Activity act = activity(i);
    double& lo = w_.rlo[i];
    double& hi = w_.rhi[i];
    const bool min_finite = act.inf_min == 0, max_finite = act.inf_max == 0;
    if (min_finite && hi < kInf && act.min > hi + feas_tol(hi)) return implied_infeasible(i, act);
    if (max_finite && lo > -kInf && act.max < lo - feas_tol(lo)) return implied_infeasible(i, act);
    const bool lo_redundant = lo == -kInf || (min_finite && act.min >= lo - redundant_tol(lo));
    const bool hi_redundant = hi == kInf || (max_finite && act.max <= hi + redundant_tol(hi));
    if (lo_redundant && hi_redundant) {
      w_.remove_row(i);
      changed = true;
    } else if (min_finite && hi < kInf && act.min >= hi - redundant_tol(hi)) {
      if (original_entries(i) && !touches_frozen(i)) {
        forcing_row(i, -1);
        changed = true;
      }
    } else if (max_finite && lo > -kInf && act.max <= lo + redundant_tol(lo)) {
      if (original_entries(i) && !touches_frozen(i)) {
        forcing_row(i, +1);
        changed = true;
      }
    } else {
      // A side the row can never reach is dropped; its dual would be 0.
      if (lo_redundant && lo > -kInf) lo = -kInf;
      if (hi_redundant && hi < kInf) hi = kInf;
    }
  }
  return 0;
}

// Postsolve of a forcing row reads the original row and columns.
bool Reducer::original_entries(int i) const {
  if (w_.row_changed[i]) return false;
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k)
    if (w_.col_alive[w_.ridx[k]] && w_.col_changed[w_.ridx[k]]) return false;
  return true;
}

// Every column of the row sits at the bound that gives the row its
// extreme activity (side -1: minimum, +1: maximum).
void Reducer::forcing_row(int i, int side) {
  Reduction r;
  r.kind = ReductionKind::ForcingRow;
  r.row = i;
  r.side = side;
  w_.stack.push_back(r);
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
    const int j = w_.ridx[k];
    if (!w_.col_alive[j]) continue;
    const bool at_lower = (w_.rval[k] > 0) == (side < 0);
    w_.fix_column(j, at_lower ? w_.lb[j] : w_.ub[j]);
  }
  w_.drop_row(i);
}
}  // namespace korva::presolve
