#include "simplex/primal/primal_bounds.h"

#include <algorithm>
#include <cmath>

#include "env/channel.h"
#include "simplex/core/start_basis.h"
#include "simplex/core/tolerance_rules.h"

namespace korva::simplex {

namespace {
// Shifts beyond this magnitude are not made.
constexpr double kMaxShift = 1000.0;
}  // namespace

void perturb_bounds(PrimalState& st, StallControl& stall) {
  SimplexWork& w = st.w;
  const double eps = stall.next_perturbation();
  if (100.0 * st.feas_tol_work > eps) st.feas_tol_work = eps / 100.0;
  Random& random = st.env.random;
  for (int r = 0; r < st.m; ++r) {
    const int var = w.basic_index[r];
    if (var >= st.n && st.lp.logical_kind[var - st.n] == lu::LogicalKind::Artificial) continue;
    if (w.work_lower[var] > -kInf) w.work_lower[var] -= random.next() * eps;
    if (w.work_upper[var] < kInf) w.work_upper[var] += random.next() * eps;
    w.basic_lower[r] = w.work_lower[var];
    w.basic_upper[r] = w.work_upper[var];
  }
  st.env.ticks.charge(static_cast<uint64_t>(st.m));
  if (st.settings.display >= 1)
    msg(st.env.results(), stall.perturbations > 1 ? "Reperturbation started.\n" : "Perturbation started.\n");
  stall.perturbed = true;
}

bool shift_bound(PrimalState& st, StallControl& stall, int var, int r, bool lower, double value) {
  SimplexWork& w = st.w;
  if (stall.shifts >= stall.shift_limit) return false;
  double& bound = lower ? w.work_lower[var] : w.work_upper[var];
  if (std::fabs(value - bound) > kMaxShift) return false;
  bound = value;
  if (r >= 0) {
    w.basic_lower[r] = w.work_lower[var];
    w.basic_upper[r] = w.work_upper[var];
  }
  ++stall.shifts;
  stall.shifted = true;
  return true;
}

void shift_violated_bounds(PrimalState& st, StallControl& stall, const SparseVector& moved, int skip) {
  SimplexWork& w = st.w;
  const double t = st.feas_tol_work;
  for (int k = 0; k < moved.count; ++k) {
    const int r = moved.index[k];
    if (r == skip) continue;
    const double x = w.x_basic[r];
    const bool below = x < w.basic_lower[r] - t;
    if (!below && !(x > w.basic_upper[r] + t)) continue;
    const int var = w.basic_index[r];
    // Structurals and slacks get room beyond the value, so that the next
    // steps do not shift them again at once.
    const bool margin = var < st.n || st.lp.logical_kind[var - st.n] == lu::LogicalKind::Slack;
    const double room = margin ? 10.0 * t : 0.0;
    const double value = below ? std::min(x, w.basic_lower[r] - room) : std::max(x, w.basic_upper[r] + room);
    if (!shift_bound(st, stall, var, r, below, value) && stall.shifts >= stall.shift_limit) break;
  }
  st.env.ticks.charge(static_cast<uint64_t>(moved.count));
}

bool remove_bound_changes(PrimalState& st, StallControl& stall, bool quiet) {
  if (!stall.perturbed && !stall.shifted) return false;
  SimplexWork& w = st.w;
  const bool show = !quiet && st.settings.display >= 1;
  if (stall.shifted) {
    if (show) msg(st.env.results(), "Removing shift (%lld).\n", static_cast<long long>(stall.shifts));
    st.feas_tol_work = tighten_after_shift(st.feas_tol_work);
  }
  if (stall.perturbed) {
    if (show) msg(st.env.results(), "Removing perturbation.\n");
  }
  if (st.feas_tol_work < st.feas_tol && stall.perturbed) st.feas_tol_work = st.feas_tol;
  w.work_lower = st.lp.lower;
  w.work_upper = st.lp.upper;
  // Nonbasic variables sit on the bounds as they are now; superbasic ones
  // outside them go to the bound they violate, inside they stay.
  for (int j = 0; j < st.nv; ++j) {
    const uint8_t s = w.status[j];
    if (is_basic(s)) continue;
    const double lo = w.work_lower[j], up = w.work_upper[j];
    switch (base_status(s)) {
      case kAtLower:
        if (lo > -kInf) w.x[j] = lo;
        break;
      case kAtUpper:
        if (up < kInf) w.x[j] = up;
        break;
      default:
        if (w.x[j] < lo) {
          w.x[j] = lo;
          w.status[j] = kAtLower | (s & kFixedBySingularity);
        } else if (w.x[j] > up) {
          w.x[j] = up;
          w.status[j] = kAtUpper | (s & kFixedBySingularity);
        }
        break;
    }
  }
  place_nonbasic_values(w);
  refresh_basic_bounds(w);
  st.env.ticks.charge(static_cast<uint64_t>(st.nv));
  stall.perturbed = false;
  stall.shifted = false;
  return true;
}

}  // namespace korva::simplex
