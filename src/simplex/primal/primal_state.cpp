#include "simplex/primal/primal_state.h"

#include <cmath>

#include "env/environment.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/pivot_row.h"

namespace korva::simplex {

void PrimalScratch::size(int m, int n) {
  const int nv = m + n;
  if (col_aq.size != m) {
    col_aq.resize(m);
    row_ep.resize(m);
    col_tau.resize(m);
    y.resize(m);
    work_m.resize(m);
  }
  if (row_ap.size != n) row_ap.resize(n);
  phase1_cost.assign(static_cast<size_t>(nv), 0.0);
  move.assign(static_cast<size_t>(nv), 0);
  weight.assign(static_cast<size_t>(nv), 1.0);
  reference.assign(static_cast<size_t>(nv), 0);
  enter_count.assign(static_cast<size_t>(n), 1);
  candidate.resize(static_cast<size_t>(m));
  candidate_ratio.resize(static_cast<size_t>(m));
  candidate_pivot.resize(static_cast<size_t>(m));
  candidate_lower.resize(static_cast<size_t>(m));
  pass_row.resize(static_cast<size_t>(m));
  pass_ratio.resize(static_cast<size_t>(m));
  pass_pivot.resize(static_cast<size_t>(m));
  pass_lower.resize(static_cast<size_t>(m));
  pass_order.resize(static_cast<size_t>(m));
}

PrimalState::PrimalState(Environment& e, const Problem& p, SimplexWork& work, const SimplexSettings& st,
                         PrimalScratch& scratch)
    : env(e), problem(p), w(work), settings(st), s(scratch), lp(work.lp) {
  m = lp.num_rows;
  n = lp.num_cols;
  nv = m + n;
  feas_tol = st.feasibility_tol;
  feas_tol_work = feas_tol;
  opt_tol = st.optimality_tol;
}

bool PrimalState::refresh_phase1_costs() {
  bool changed = false;
  infeasible_count = 0;
  infeasibility_sum = 0.0;
  const double t = feas_tol_work;
  for (int r = 0; r < m; ++r) {
    const double v = violation(r, t);
    const double c = v < 0.0 ? -1.0 : v > 0.0 ? 1.0 : 0.0;
    const int var = w.basic_index[r];
    if (s.phase1_cost[var] != c) {
      s.phase1_cost[var] = c;
      changed = true;
    }
    if (c != 0.0) {
      ++infeasible_count;
      infeasibility_sum += std::fabs(v);
    }
  }
  env.ticks.charge(static_cast<uint64_t>(m));
  return changed;
}

double PrimalState::measure_infeasibility(double t, int* count) const {
  double sum = 0.0;
  int k = 0;
  for (int r = 0; r < m; ++r) {
    const double v = violation(r, t);
    if (v != 0.0) {
      ++k;
      sum += std::fabs(v);
    }
  }
  if (count) *count = k;
  return sum;
}

void PrimalState::recompute_primal() {
  if (m > 0) compute_basic_values(w, s.work_m, env.ticks);
}

void PrimalState::recompute_duals() {
  const double* c = cost();
  if (m > 0) {
    compute_reduced_costs(w, c, s.y, env.ticks);
    // Keep y dense: updates add to it by position.
    s.y.indexed = false;
  } else {
    for (int j = 0; j < nv; ++j) w.dj[j] = c[j];
  }
}

void PrimalState::recompute_objective() {
  w.sync_basic_values();
  double obj = 0.0;
  for (int j = 0; j < nv; ++j)
    if (w.work_cost[j] != 0.0) obj += w.work_cost[j] * w.x[j];
  objective = obj;
  env.ticks.charge(static_cast<uint64_t>(nv));
}

int PrimalState::move_of(int j) const {
  const uint8_t st = w.status[j];
  if (is_basic(st) || (st & kFixedBySingularity)) return 0;
  const double lo = w.work_lower[j], up = w.work_upper[j];
  switch (base_status(st)) {
    case kAtLower:
      return lo < up ? 1 : 0;
    case kAtUpper:
      return lo < up ? -1 : 0;
    default: {
      const double x = w.x[j];
      const bool can_up = x < up, can_down = x > lo;
      if (can_up && can_down) return 2;
      return can_up ? 1 : can_down ? -1 : 0;
    }
  }
}

void PrimalState::refresh_moves() {
  for (int j = 0; j < nv; ++j) s.move[j] = static_cast<int8_t>(move_of(j));
  env.ticks.charge(static_cast<uint64_t>(nv));
}

double PrimalState::exact_reduced_cost(int j) const {
  const double* y = s.y.values.data();
  double d = cost()[j];
  if (j < n) {
    for (int64_t q = lp.col_begin[j]; q < lp.col_begin[j + 1]; ++q) d -= lp.value[q] * y[lp.row_index[q]];
  } else {
    d -= y[j - n];
  }
  return d;
}

void primal_pivot_row(PrimalState& st) {
  compute_pivot_row(st.lp, st.w.status.data(), st.s.row_ep, st.s.row_ap, st.env.ticks);
}

}  // namespace korva::simplex
