#include "simplex/dual/row_pricing.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "env/channel.h"
#include "simplex/core/simplex_run.h"
#include "simplex/core/start_basis.h"

namespace korva::simplex {

namespace {
constexpr int64_t kAutomaticSwitchIteration = 100;
constexpr double kSmallestWeight = 1e-4;
// A kept steepest-edge weight below this fraction of the exact one is
// replaced and the leaving row chosen again.
constexpr double kWeightAccuracy = 0.25;
// Devex weights that drift this far from the recomputed ones start a new
// reference framework.
constexpr double kDevexError = 9.0;
// Weight families stored in the work record.
constexpr int kStoredUnit = 1;
constexpr int kStoredSteepest = 2;
constexpr int kStoredDevex = 5;
}  // namespace

bool has_unit_structure(const Problem& p, SimplexWork& w) {
  if (w.unit_structure >= 0) return w.unit_structure == 1;
  w.unit_structure = 0;
  const SimplexLp& lp = w.lp;
  if (lp.scaled || p.quad || p.qcons || (p.mip && (!p.mip->sos.empty() || !p.mip->indicators.empty())))
    return false;
  bool zero = false, unit = false;
  for (int i = 0; i < lp.num_rows; ++i) {
    if (lp.sense[i] != 'E') return false;
    const double b = lp.rhs[i];
    if (b == 0.0) zero = true;
    else if (b == 1.0 || b == -1.0) unit = true;
    else return false;
  }
  if (!zero || !unit) return false;
  for (double v : lp.value)
    if (v != 1.0 && v != -1.0) return false;
  w.unit_structure = 1;
  return true;
}

void RowPricing::start(DualState& st, int setting) {
  automatic_ = setting == kDualPricingAutomatic;
  if (automatic_) {
    mode_ = kDualStandard;
  } else if (setting == 0) {
    mode_ = has_unit_structure(st.problem, st.w) ? kDualDevex : kDualSteepest;
  } else {
    mode_ = setting;
  }
  initialise(st);
}

void RowPricing::reset(DualState& st) {
  st.w.dual_weight_mode = -1;
  initialise(st);
}

void RowPricing::initialise(DualState& st) {
  SimplexWork& w = st.w;
  const int m = st.m;
  const int family = steepest() ? kStoredSteepest : mode_ == kDualDevex ? kStoredDevex : kStoredUnit;
  if (w.dual_weight_mode == family && static_cast<int>(w.dual_weights.size()) == m) {
    if (mode_ == kDualDevex) new_reference_framework(st);
    return;
  }
  try {
    w.dual_weights.assign(static_cast<size_t>(m), 1.0);
  } catch (const std::bad_alloc&) {
    msg(st.env.warning(), "Not enough memory for steepest-edge.\n");
    mode_ = kDualStandard;
    w.dual_weight_mode = -1;
    return;
  }
  w.dual_weight_mode = family;
  if (mode_ == kDualSteepest) {
    if (st.settings.display >= 1) msg(st.env.results(), "Initializing dual steep norms . . .\n");
    steepest_by_rows(st);
  } else if (mode_ == kDualSteepestFull) {
    if (st.settings.display >= 1) msg(st.env.results(), "Initializing dual full norms . . .\n");
    steepest_by_columns(st);
  } else if (mode_ == kDualDevex) {
    new_reference_framework(st);
  }
}

// ||e_rᵀB⁻¹||² one row at a time. A slack basis has unit rows.
void RowPricing::steepest_by_rows(DualState& st) {
  SimplexWork& w = st.w;
  if (is_slack_basis(w)) return;
  SparseVector& v = st.s.work_m;
  for (int r = 0; r < st.m; ++r) {
    v.clear();
    v.set_new(r, 1.0);
    w.lu.btran(v);
    double sum = 0.0;
    for (int k = 0; k < v.count; ++k) sum += v.values[v.index[k]] * v.values[v.index[k]];
    w.dual_weights[r] = std::max(sum, kSmallestWeight);
    st.env.ticks.charge(static_cast<uint64_t>(v.count));
  }
  v.clear();
}

// The same norms summed over the columns of B⁻¹.
void RowPricing::steepest_by_columns(DualState& st) {
  SimplexWork& w = st.w;
  if (is_slack_basis(w)) return;
  std::fill(w.dual_weights.begin(), w.dual_weights.end(), 0.0);
  SparseVector& v = st.s.work_m;
  for (int i = 0; i < st.m; ++i) {
    v.clear();
    v.set_new(i, 1.0);
    w.lu.ftran(v);
    for (int k = 0; k < v.count; ++k) {
      const double a = v.values[v.index[k]];
      w.dual_weights[v.index[k]] += a * a;
    }
    st.env.ticks.charge(static_cast<uint64_t>(v.count));
  }
  v.clear();
  for (double& x : w.dual_weights) x = std::max(x, kSmallestWeight);
}

void RowPricing::new_reference_framework(DualState& st) {
  for (int j = 0; j < st.nv; ++j) st.s.reference[j] = is_basic(st.w.status[j]) ? 0 : 1;
  std::fill(st.w.dual_weights.begin(), st.w.dual_weights.end(), 1.0);
  st.env.ticks.charge(static_cast<uint64_t>(st.nv + st.m));
}

// Rows are compared in row order, as a scan of every row would, but only
// the infeasible ones are visited: a feasible row never wins.
int RowPricing::choose(DualState& st) const {
  const double* infeas = st.s.infeas.data();
  const std::vector<uint64_t>& rows = st.s.infeasible_rows;
  int best = -1;
  double best_merit = 0.0;
  const auto visit = [&](auto&& better) {
    for (size_t k = 0; k < rows.size(); ++k) {
      for (uint64_t bits = rows[k]; bits != 0; bits &= bits - 1) {
        const int r = static_cast<int>(k * 64) + __builtin_ctzll(bits);
        if (better(r)) best = r;
      }
    }
  };
  if (mode_ == kDualStandard) {
    visit([&](int r) {
      if (!(infeas[r] > best_merit)) return false;
      best_merit = infeas[r];
      return true;
    });
  } else {
    const double* weight = st.w.dual_weights.data();
    double best_weight = 1.0;
    visit([&](int r) {
      // infeas/weight > best_merit/best_weight without dividing.
      if (!(infeas[r] * best_weight > best_merit * weight[r])) return false;
      best_merit = infeas[r];
      best_weight = weight[r];
      return true;
    });
  }
  st.env.ticks.charge(static_cast<uint64_t>(st.m));
  return best;
}

bool RowPricing::accept_row(DualState& st) {
  if (mode_ == kDualDevex) {
    // The pivot row's devex weight: its squared entries over the reference
    // framework, computed when the pivot row is known (update()).
    return true;
  }
  if (!steepest()) return true;
  const SparseVector& rho = st.s.row_ep;
  double exact = 0.0;
  for (int k = 0; k < rho.count; ++k) exact += rho.values[rho.index[k]] * rho.values[rho.index[k]];
  st.env.ticks.charge(static_cast<uint64_t>(rho.count));
  double& kept = st.w.dual_weights[st.row_out];
  const bool accurate = kept >= kWeightAccuracy * exact;
  kept = std::max(exact, kSmallestWeight);
  return accurate;
}

void RowPricing::update(DualState& st) {
  if (mode_ == kDualStandard) return;
  SimplexWork& w = st.w;
  double* weight = w.dual_weights.data();
  const SparseVector& col = st.s.col_aq;
  const int r = st.row_out;
  const double alpha = st.alpha_col;
  if (steepest()) {
    const SparseVector& tau = st.s.col_dse;
    const double w_r = weight[r];
    for (int k = 0; k < col.count; ++k) {
      const int i = col.index[k];
      if (i == r) continue;
      const double ratio = col.values[i] / alpha;
      if (ratio == 0.0) continue;
      const double updated = weight[i] + ratio * (ratio * w_r - 2.0 * tau.values[i]);
      weight[i] = std::max(updated, std::max(kSmallestWeight, ratio * ratio));
    }
    weight[r] = std::max(w_r / (alpha * alpha), kSmallestWeight);
    st.env.ticks.charge(static_cast<uint64_t>(col.count));
    return;
  }
  // Devex: the pivot row's weight over the reference framework.
  double row_weight = 0.0;
  const SparseVector& ap = st.s.row_ap;
  const SparseVector& ep = st.s.row_ep;
  const char* reference = st.s.reference.data();
  for (int k = 0; k < ap.count; ++k) {
    const int j = ap.index[k];
    if (reference[j] && !is_basic(w.status[j])) row_weight += ap.values[j] * ap.values[j];
  }
  for (int k = 0; k < ep.count; ++k) {
    const int i = ep.index[k];
    if (reference[st.n + i] && !is_basic(w.status[st.n + i])) row_weight += ep.values[i] * ep.values[i];
  }
  row_weight = std::max(row_weight, 1.0);
  if (weight[r] > kDevexError * row_weight || row_weight > kDevexError * weight[r]) {
    new_reference_framework(st);
    return;
  }
  const double pivot_weight = row_weight / (alpha * alpha);
  for (int k = 0; k < col.count; ++k) {
    const int i = col.index[k];
    if (i == r) continue;
    const double a = col.values[i];
    weight[i] = std::max(weight[i], pivot_weight * a * a);
  }
  weight[r] = std::max(pivot_weight, 1.0);
  st.env.ticks.charge(static_cast<uint64_t>(col.count + ap.count + ep.count));
}

void RowPricing::maybe_switch(DualState& st) {
  if (!automatic_ || mode_ != kDualStandard || st.iterations < kAutomaticSwitchIteration) return;
  automatic_ = false;
  try {
    st.w.dual_weights.assign(static_cast<size_t>(st.m), 1.0);
  } catch (const std::bad_alloc&) {
    msg(st.env.warning(), "Not enough memory for steepest-edge.\n");
    return;
  }
  mode_ = kDualSteepestUnit;
  st.w.dual_weight_mode = kStoredSteepest;
  if (st.settings.display >= 1 && st.iterations >= 1) msg(st.env.results(), "Switched to steepest-edge.\n");
}

}  // namespace korva::simplex
