#include "simplex/dual/dual_phase.h"

#include <cmath>

#include "env/channel.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/start_basis.h"
#include "simplex/core/tolerance_rules.h"

namespace korva::simplex {

namespace {

constexpr double kFreeBox = 1000.0;

void phase1_box(double lower, double upper, double* lo, double* up) {
  const bool has_lo = lower > -kInf, has_up = upper < kInf;
  if (has_lo && has_up) {
    *lo = *up = 0.0;
  } else if (has_lo) {
    *lo = 0.0;
    *up = 1.0;
  } else if (has_up) {
    *lo = -1.0;
    *up = 0.0;
  } else {
    *lo = -kFreeBox;
    *up = kFreeBox;
  }
}

// A nonbasic variable on the bound its reduced cost makes dual feasible.
void place_by_dual(DualState& st, int j) {
  SimplexWork& w = st.w;
  const double lo = w.work_lower[j], up = w.work_upper[j];
  const uint8_t flag = w.status[j] & kFixedBySingularity;
  const bool has_lo = lo > -kInf, has_up = up < kInf;
  uint8_t s;
  if (has_lo && has_up) s = w.dj[j] >= 0.0 ? kAtLower : kAtUpper;
  else if (has_lo) s = kAtLower;
  else if (has_up) s = kAtUpper;
  else s = kSuperbasic;
  w.status[j] = s | flag;
  w.x[j] = s == kAtLower ? lo : s == kAtUpper ? up : 0.0;
}

}  // namespace

void recompute_primal(DualState& st) {
  if (st.m > 0) compute_basic_values(st.w, st.s.work_m, st.env.ticks);
  st.refresh_all_infeasibilities();
  st.recompute_objective();
}

void recompute_duals(DualState& st) {
  if (st.m > 0) {
    compute_reduced_costs(st.w, st.w.work_cost.data(), st.s.work_m, st.env.ticks);
    st.s.work_m.clear();
  } else {
    for (int j = 0; j < st.nv; ++j) st.w.dj[j] = st.w.work_cost[j];
  }
}

void enter_phase1(DualState& st) {
  SimplexWork& w = st.w;
  for (int j = 0; j < st.nv; ++j) phase1_box(st.lp.lower[j], st.lp.upper[j], &w.work_lower[j], &w.work_upper[j]);
  for (int j = 0; j < st.nv; ++j)
    if (!is_basic(w.status[j])) place_by_dual(st, j);
  refresh_basic_bounds(w);
  st.refresh_moves();
  st.phase = 1;
  recompute_primal(st);
}

void leave_phase1(DualState& st) {
  SimplexWork& w = st.w;
  for (int j = 0; j < st.nv; ++j) {
    w.work_lower[j] = st.lp.lower[j];
    w.work_upper[j] = st.lp.upper[j];
  }
  for (int j = 0; j < st.nv; ++j)
    if (!is_basic(w.status[j])) place_by_dual(st, j);
  refresh_basic_bounds(w);
  st.refresh_moves();
  st.phase = 2;
  recompute_primal(st);
}

DualInfeasibility measure_dual_infeasibility(const DualState& st, double tolerance) {
  DualInfeasibility r;
  const SimplexWork& w = st.w;
  for (int j = 0; j < st.nv; ++j) {
    if (is_basic(w.status[j])) continue;
    const double lo = st.lp.lower[j], up = st.lp.upper[j];
    if (lo == up) continue;
    const double d = w.dj[j];
    double violation = 0.0;
    if (lo > -kInf && up < kInf) continue;  // a flip cures it
    if (lo > -kInf) violation = -d;
    else if (up < kInf) violation = d;
    else violation = std::fabs(d);
    if (violation > tolerance) {
      ++r.count;
      r.sum += violation;
      r.max = std::max(r.max, violation);
    }
  }
  return r;
}

DualInfeasibility correct_duals(DualState& st, bool shift) {
  DualInfeasibility r;
  SimplexWork& w = st.w;
  const double tol = st.dual_tol;
  bool flipped = false;
  for (int j = 0; j < st.nv; ++j) {
    const int8_t mv = st.s.move[j];
    if (mv == kMoveNone) continue;
    const double d = w.dj[j];
    const double lo = w.work_lower[j], up = w.work_upper[j];
    double violation = mv == kMoveFree ? std::fabs(d) : -mv * d;
    if (violation <= tol) continue;
    if (mv != kMoveFree && lo > -kInf && up < kInf) {
      const uint8_t flag = w.status[j] & kFixedBySingularity;
      if (mv == kMoveUp) {
        w.status[j] = kAtUpper | flag;
        w.x[j] = up;
        st.s.move[j] = kMoveDown;
      } else {
        w.status[j] = kAtLower | flag;
        w.x[j] = lo;
        st.s.move[j] = kMoveUp;
      }
      flipped = true;
      continue;
    }
    if (shift && st.shifts < st.shift_limit) {
      w.work_cost[j] -= d;
      w.dj[j] = 0.0;
      ++st.shifts;
      st.shifted = true;
      continue;
    }
    ++r.count;
    r.sum += violation;
    r.max = std::max(r.max, violation);
  }
  st.env.ticks.charge(static_cast<uint64_t>(st.nv));
  if (flipped || st.shifted) recompute_primal(st);
  return r;
}

void perturb_costs(DualState& st, StallControl& stall) {
  SimplexWork& w = st.w;
  const double eps = stall.next_perturbation();
  if (1000.0 * st.dual_tol > eps) st.dual_tol = eps / 1000.0;
  Random& random = st.env.random;
  // Structural columns first, then the logicals of inequality rows; each
  // cost moves away from zero in the direction its variable is feasible.
  for (int j = 0; j < st.nv; ++j) {
    if (is_basic(w.status[j])) continue;
    if (j >= st.n && st.lp.logical_kind[j - st.n] == lu::LogicalKind::Artificial) continue;
    const double lo = w.work_lower[j], up = w.work_upper[j];
    if (lo == up || (lo == -kInf && up == kInf)) continue;
    const double delta = random.next() * eps;
    const double change = base_status(w.status[j]) == kAtUpper ? -delta : delta;
    w.work_cost[j] += change;
    w.dj[j] += change;
  }
  st.env.ticks.charge(static_cast<uint64_t>(st.nv));
  st.recompute_objective();
  if (st.settings.display >= 1)
    msg(st.env.results(), stall.perturbed ? "Reperturbation started.\n" : "Perturbation started.\n");
  stall.perturbed = true;
}

bool remove_cost_changes(DualState& st, StallControl& stall, bool quiet) {
  if (!stall.perturbed && !st.shifted) return false;
  SimplexWork& w = st.w;
  w.work_cost = *st.base_cost;
  const bool show = !quiet && st.settings.display >= 1;
  if (stall.perturbed) {
    if (show) msg(st.env.results(), "Removing perturbation.\n");
    st.dual_tol = st.dual_tol_original;
  } else {
    if (show) msg(st.env.results(), "Removing shift (%lld).\n", static_cast<long long>(st.shifts));
    st.dual_tol = tighten_after_shift(st.dual_tol);
    st.primal_tol = relax_tolerance(st.primal_tol);
    st.refresh_all_infeasibilities();
  }
  stall.perturbed = false;
  st.shifted = false;
  recompute_duals(st);
  st.recompute_objective();
  return true;
}

}  // namespace korva::simplex
