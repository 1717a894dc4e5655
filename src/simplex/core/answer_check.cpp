#include "simplex/core/answer_check.h"

#include <algorithm>
#include <cmath>

#include "env/environment.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/load_lp.h"
#include "simplex/core/pivot_row.h"
#include "simplex/sparse_vector.h"

namespace korva::simplex {

namespace {

// Certificate and ray entries this small against the largest are
// rounding noise of the solves (after normalisation to a largest entry of 1).
constexpr double kNoiseEntry = 1e-12;
// A combined coefficient this small against the terms it was summed from
// is cancellation noise: exactly zero for the basis that produced it.
constexpr double kCancellation = 1e-9;
// The ray's rows and bounds may be violated by this much (relative) and
// it must lower the objective by at least this much.
constexpr double kRayTolerance = 1e-9;
// A sum is trusted to this share of the size of its terms: a violation
// within that is the rounding of computing it.
constexpr double kRounding = 1e-13;
// A value this close (relative) to a bound is on it.
constexpr double kAtBound = 1e-9;
// Ratio tests the objective gap may make (one solve each).
constexpr int kMaxSteps = 100;

double lower_of(double b) { return b <= -kUserInfinity ? -kInf : b; }
double upper_of(double b) { return b >= kUserInfinity ? kInf : b; }
double relative(double violation, double against) {
  return violation / std::max(1.0, std::isinf(against) ? 1.0 : std::fabs(against));
}

std::vector<double> user_primal(SimplexWork& w) {
  w.sync_basic_values();
  std::vector<double> x(static_cast<size_t>(w.lp.num_cols));
  for (int j = 0; j < w.lp.num_cols; ++j) x[j] = w.lp.to_user(j, w.x[j]);
  return x;
}

// How far nonbasic variable `var` can move in `direction` (+1 up, -1
// down) before a basic variable reaches a bound: the primal ratio test
// without tolerances, in internal units (infinity when nothing stops it).
double free_step(SimplexWork& w, SparseVector& col, int var, int direction) {
  const SimplexLp& lp = w.lp;
  const int n = lp.num_cols, m = lp.num_rows;
  col.clear();
  if (var < n) {
    for (int64_t k = lp.col_begin[var]; k < lp.col_begin[var + 1]; ++k) col.values[lp.row_index[k]] = lp.value[k];
  } else {
    col.values[var - n] = 1.0;
  }
  col.indexed = false;
  w.lu.ftran(col);
  double step = kInf;
  for (int r = 0; r < m; ++r) {
    const double alpha = col.values[r];
    if (std::fabs(alpha) <= kNoiseEntry) continue;
    // The basic variable moves by -direction·alpha per unit.
    const int b = w.basic_index[r];
    const double rate = -direction * alpha;
    const double room = rate > 0 ? lp.upper[b] - w.x_basic[r] : w.x_basic[r] - lp.lower[b];
    step = std::min(step, std::max(room, 0.0) / std::fabs(rate));
  }
  col.clear();
  return step;
}

// The objective cost per unit of moving the basic variable at position r
// back towards its bounds (`violation` = its value minus the violated
// bound): the dual ratio test's step, the smallest |d_k / α_rk| over the
// nonbasic variables that can make the move (infinity when none can).
double repair_rate(SimplexWork& w, int r, double violation, SparseVector& ep, SparseVector& ap, TickArea& ticks) {
  const SimplexLp& lp = w.lp;
  const int n = lp.num_cols;
  ep.clear();
  ep.set_new(r, 1.0);
  w.lu.btran(ep);
  if (!ep.indexed) ep.rebuild_index();
  compute_pivot_row(lp, w.status.data(), ep, ap, ticks);
  // x_B(r) moves by -α_rk per unit of x_k; it must move against `violation`.
  const double wanted = violation < 0 ? 1.0 : -1.0;
  double rate = kInf;
  auto consider = [&](int k, double alpha) {
    if (std::fabs(alpha) <= kNoiseEntry || is_basic(w.status[k])) return;
    const double move = -wanted * alpha > 0 ? 1.0 : -1.0;  // the direction x_k must go
    const uint8_t s = base_status(w.status[k]);
    if (lp.lower[k] == lp.upper[k]) return;
    if (s == kAtLower && move < 0) return;
    if (s == kAtUpper && move > 0) return;
    rate = std::min(rate, std::fabs(w.dj[k]) / std::fabs(alpha));
  };
  for (int k = 0; k < ap.count; ++k) consider(ap.index[k], ap.values[ap.index[k]]);
  for (int k = 0; k < ep.count; ++k) consider(n + ep.index[k], ep.values[ep.index[k]]);
  ep.clear();
  ap.clear();
  return rate;
}

// Accumulates one term of cᵀx - L(y) (see UnscaledViolations): d·v -
// min { d·t : lo <= t <= hi }, what moving v to the bound that the reduced
// cost d favours would gain (negative when v lies beyond that bound). When
// that bound is infinite, the move is as far as the basis lets the
// variable go; `step` computes it (in user units) on demand.
// A d within `noise` of zero is the rounding of computing it: no term.
template <class Step>
void add_gap_term(double d, double noise, double v, double lo, double hi, Step step, double* dual_gap,
                  double* primal_gap) {
  if (std::fabs(d) <= noise) return;
  const double bound = d > 0.0 ? lo : hi;
  const double term = std::isinf(bound) ? std::fabs(d) * step(d > 0.0 ? -1 : 1) : d * (v - bound);
  if (term > 0.0) *dual_gap += term;
  else *primal_gap -= term;
}

// How far a reduced cost d (minimisation sense) is on the wrong side for a
// variable with status s and value v in [lo, hi]. A superbasic variable
// that sits on a bound counts as nonbasic there.
double dual_violation(uint8_t s, double d, double v, double lo, double hi) {
  switch (base_status(s)) {
    case kAtLower:
      return -d;
    case kAtUpper:
      return d;
    case kSuperbasic:
      if (v <= lo + kAtBound * std::max(1.0, std::fabs(lo))) return -d;
      if (v >= hi - kAtBound * std::max(1.0, std::fabs(hi))) return d;
      return std::fabs(d);
    default:
      return std::fabs(d);
  }
}

// The row of B⁻¹ times `weights` (by position), in user units by row.
std::vector<double> user_row_combination(SimplexWork& w, const std::vector<double>& weights) {
  const int m = w.lp.num_rows;
  SparseVector v(m);
  for (int r = 0; r < m; ++r) v.values[r] = weights[r];
  v.indexed = false;
  w.lu.btran(v);
  std::vector<double> y(static_cast<size_t>(m));
  for (int i = 0; i < m; ++i) y[i] = v.values[i] / w.lp.row_scale[i];
  return y;
}

// sup of c·v over v in [lo, hi] for one side of the Farkas inequality,
// adding the tolerance allowance of the bound it uses. `noise` says
// whether c is small enough to count as zero against an infinite bound.
double sup_term(double c, double lo, double hi, bool noise, double tolerance, double* allowance) {
  if (c == 0.0) return 0.0;
  const double bound = c > 0 ? hi : lo;
  if (std::isinf(bound)) return noise ? 0.0 : kInf;
  *allowance += std::fabs(c) * tolerance * std::max(1.0, std::fabs(bound));
  return c * bound;
}

}  // namespace

double lagrangian_bound(const SimplexLp& lp, const std::vector<double>& d, double tolerance) {
  const int nv = lp.num_vars();
  double bound = 0.0, size = 0.0;
  for (int v = 0; v < nv; ++v) {
    if (d[v] == 0.0) continue;
    const double end = d[v] > 0 ? lp.lower[v] : lp.upper[v];
    if (std::isinf(end)) {
      if (std::fabs(d[v]) > tolerance) return -kInf;
      continue;
    }
    bound += d[v] * end;
    size += std::fabs(d[v] * end);
  }
  // Terms this small against their sum are rounding noise, kept out of the
  // claimed bound.
  constexpr double kBoundRounding = 1e-12;
  return bound - kBoundRounding * size;
}

UnscaledViolations unscaled_violations(Environment& env, const Problem& p, SimplexWork& w) {
  UnscaledViolations v;
  const SimplexLp& lp = w.lp;
  const int n = lp.num_cols, m = lp.num_rows;
  const std::vector<double> x = user_primal(w);
  std::vector<double> act(static_cast<size_t>(m), 0.0), act_size(static_cast<size_t>(m), 0.0);
  for (int j = 0; j < n; ++j) {
    const SparseSpan col = p.column(j);
    for (int k = 0; k < col.size(); ++k) {
      act[col.index[k]] += col.value[k] * x[j];
      act_size[col.index[k]] += std::fabs(col.value[k] * x[j]);
    }
    const double lo = lower_of(p.lower(j)), hi = upper_of(p.upper(j));
    if (x[j] < lo) v.primal = std::max(v.primal, relative(lo - x[j], lo));
    if (x[j] > hi) v.primal = std::max(v.primal, relative(x[j] - hi, hi));
  }
  std::vector<double> row_lo(static_cast<size_t>(m)), row_hi(static_cast<size_t>(m));
  for (int i = 0; i < m; ++i) {
    row_activity_bounds(p.sense(i), p.rhs(i), p.range(i), &row_lo[i], &row_hi[i]);
    const double rounding = kRounding * act_size[i];
    if (act[i] < row_lo[i]) v.primal = std::max(v.primal, relative(row_lo[i] - act[i] - rounding, row_lo[i]));
    if (act[i] > row_hi[i]) v.primal = std::max(v.primal, relative(act[i] - row_hi[i] - rounding, row_hi[i]));
  }
  env.ticks.charge(2 * static_cast<uint64_t>(p.num_nonzeros()) + static_cast<uint64_t>(n + m));

  // Duals of the original costs from the final factor, then reduced costs
  // recomputed from the user's matrix; all in the minimisation sense.
  if (m > 0 && !w.factor_valid) return v;
  SparseVector y(std::max(m, 1));
  if (m > 0) compute_reduced_costs(w, lp.cost.data(), y, env.ticks);
  const double sense = lp.objsense;
  std::vector<double> dual(static_cast<size_t>(m));
  double largest_dual = 1.0;
  for (int i = 0; i < m; ++i) {
    dual[i] = y.values[i] / lp.row_scale[i];
    largest_dual = std::max(largest_dual, std::fabs(dual[i]));
  }
  double objective = 0.0, dual_gap = 0.0, primal_gap = 0.0;
  // Steps for reduced costs of the wrong sign against infinite bounds; past
  // the limit they count as unbounded (the tolerances then tighten).
  SparseVector col(std::max(m, 1));
  int steps_left = kMaxSteps;
  auto step_of = [&](int var) {
    return [&, var](int direction) {
      // A basic variable's reduced cost is a residual: it makes no move.
      if (is_basic(w.status[var])) return 0.0;
      if (steps_left-- <= 0 || (m > 0 && !w.factor_valid)) return kInf;
      return std::fabs(lp.to_user(var, m > 0 ? free_step(w, col, var, direction) : kInf));
    };
  };
  for (int j = 0; j < n; ++j) {
    const SparseSpan col = p.column(j);
    const double c = sense * p.obj(j);
    double d = c, size = std::fabs(c);
    for (int k = 0; k < col.size(); ++k) {
      d -= col.value[k] * dual[col.index[k]];
      size += std::fabs(col.value[k] * dual[col.index[k]]);
    }
    objective += c * x[j];
    const double lo = lower_of(p.lower(j)), hi = upper_of(p.upper(j));
    add_gap_term(d, kRounding * size, x[j], lo, hi, step_of(j), &dual_gap, &primal_gap);
    if (lo == hi) continue;
    v.dual = std::max(v.dual, relative(dual_violation(w.status[j], d, x[j], lo, hi) - kRounding * size, c));
  }
  for (int i = 0; i < m; ++i) {
    // The logical is -r: its moves go the other way.
    add_gap_term(dual[i], kRounding * largest_dual, act[i], row_lo[i], row_hi[i],
                 [&](int direction) { return step_of(n + i)(-direction); }, &dual_gap, &primal_gap);
    if (row_lo[i] == row_hi[i]) continue;
    // The logical is -(row activity): its reduced cost is -y.
    v.dual = std::max(v.dual, dual_violation(w.status[n + i], -dual[i], -act[i], -row_hi[i], -row_lo[i]));
  }
  // Basic variables beyond their bounds: what bringing them back would
  // cost is the part of the objective their violations bought.
  if (m > 0 && w.factor_valid) {
    SparseVector ep(m), ap(n);
    for (int r = 0; r < m; ++r) {
      const int var = w.basic_index[r];
      const double xb = w.x_basic[r], lo = lp.lower[var], hi = lp.upper[var];
      const double violation = xb < lo ? xb - lo : xb > hi ? xb - hi : 0.0;
      if (std::fabs(violation) <= kRounding * std::max(1.0, std::fabs(xb))) continue;
      if (steps_left-- <= 0) {
        primal_gap = kInf;
        break;
      }
      primal_gap += std::fabs(violation) * repair_rate(w, r, violation, ep, ap, env.ticks);
    }
  }
  v.dual_gap = dual_gap / std::max(1.0, std::fabs(objective));
  v.primal_gap = primal_gap / std::max(1.0, std::fabs(objective));
  env.ticks.charge(static_cast<uint64_t>(p.num_nonzeros()) + static_cast<uint64_t>(n + m));
  return v;
}

FarkasCheck check_farkas(const Problem& p, std::vector<double>& y, double tolerance) {
  FarkasCheck best;
  const int n = p.num_cols(), m = p.num_rows();
  double largest = 0.0;
  for (double v : y) largest = std::max(largest, std::fabs(v));
  if (!(largest > 0.0) || std::isinf(largest)) return best;
  for (double& v : y) {
    v /= largest;
    if (std::fabs(v) <= kNoiseEntry) v = 0.0;
  }
  std::vector<double> z(static_cast<size_t>(n), 0.0), size(static_cast<size_t>(n), 0.0);
  for (int j = 0; j < n; ++j) {
    const SparseSpan col = p.column(j);
    for (int k = 0; k < col.size(); ++k) {
      const double t = col.value[k] * y[col.index[k]];
      z[j] += t;
      size[j] += std::fabs(t);
    }
  }
  int best_orientation = 1;
  for (int orientation : {1, -1}) {
    FarkasCheck c;
    c.gap = 0.0;
    double sup_zx = 0.0, inf_yr = 0.0;
    for (int j = 0; j < n && sup_zx < kInf; ++j) {
      const bool noise = std::fabs(z[j]) <= kCancellation * size[j];
      sup_zx += sup_term(orientation * z[j], lower_of(p.lower(j)), upper_of(p.upper(j)), noise, tolerance,
                         &c.allowance);
    }
    for (int i = 0; i < m && inf_yr > -kInf; ++i) {
      double lo, hi;
      row_activity_bounds(p.sense(i), p.rhs(i), p.range(i), &lo, &hi);
      // inf of y·r = -sup of (-y)·r.
      inf_yr -= sup_term(-orientation * y[i], lo, hi, false, tolerance, &c.allowance);
    }
    c.gap = inf_yr - sup_zx;
    if (std::isnan(c.gap)) c.gap = -FarkasCheck::kInfinityForChecks;
    if (c.gap - c.allowance > best.gap - best.allowance) {
      best = c;
      best_orientation = orientation;
    }
  }
  if (best_orientation < 0)
    for (double& v : y) v = -v;
  return best;
}

FarkasCheck infeasibility_certificate(Environment& env, const Problem& p, SimplexWork& w, double tolerance,
                                      std::vector<double>& y) {
  FarkasCheck best;
  const SimplexLp& lp = w.lp;
  const int m = lp.num_rows;
  if (m == 0 || !w.factor_valid) return best;
  std::vector<double> directions(static_cast<size_t>(m), 0.0), single(static_cast<size_t>(m), 0.0);
  int worst = -1;
  double worst_violation = 0.0;
  for (int r = 0; r < m; ++r) {
    const int j = w.basic_index[r];
    const double x = w.x_basic[r];
    double violation = 0.0;
    if (x < lp.lower[j]) violation = x - lp.lower[j];
    if (x > lp.upper[j]) violation = x - lp.upper[j];
    if (std::fabs(violation) <= tolerance) continue;
    directions[r] = violation > 0 ? 1.0 : -1.0;
    if (std::fabs(violation) > worst_violation) {
      worst_violation = std::fabs(violation);
      worst = r;
    }
  }
  if (worst < 0) return best;
  single[worst] = 1.0;
  for (const std::vector<double>* weights : {&directions, &single}) {
    std::vector<double> candidate = user_row_combination(w, *weights);
    const FarkasCheck c = check_farkas(p, candidate, tolerance);
    if (c.gap - c.allowance > best.gap - best.allowance) {
      best = c;
      y.swap(candidate);
    }
  }
  env.ticks.charge(static_cast<uint64_t>(2 * p.num_nonzeros()));
  return best;
}

bool is_unbounded_ray(Environment& env, const Problem& p, SimplexWork& w, int entering, int direction) {
  const SimplexLp& lp = w.lp;
  const int n = lp.num_cols, m = lp.num_rows;
  if (entering < 0 || (m > 0 && !w.factor_valid)) return false;
  // The ray in internal units: the entering variable moves by `direction`,
  // the basic ones by -direction·B⁻¹a_q.
  std::vector<double> d(static_cast<size_t>(n), 0.0);
  if (entering < n) d[entering] = direction;
  if (m > 0) {
    SparseVector col(m);
    if (entering < n) {
      for (int64_t k = lp.col_begin[entering]; k < lp.col_begin[entering + 1]; ++k)
        col.values[lp.row_index[k]] = lp.value[k];
    } else {
      col.values[entering - n] = 1.0;
    }
    col.indexed = false;
    w.lu.ftran(col);
    for (int r = 0; r < m; ++r)
      if (w.basic_index[r] < n) d[w.basic_index[r]] = -direction * col.values[r];
  }
  double largest = 0.0;
  for (int j = 0; j < n; ++j) {
    d[j] = lp.to_user(j, d[j]);
    largest = std::max(largest, std::fabs(d[j]));
  }
  if (!(largest > 0.0) || std::isinf(largest)) return false;
  double slope = 0.0, slope_size = 0.0;
  for (int j = 0; j < n; ++j) {
    d[j] /= largest;
    if (std::fabs(d[j]) <= kNoiseEntry) d[j] = 0.0;
    if (d[j] < -kRayTolerance && p.lower(j) > -kUserInfinity) return false;
    if (d[j] > kRayTolerance && p.upper(j) < kUserInfinity) return false;
    slope += lp.objsense * p.obj(j) * d[j];
    slope_size += std::fabs(p.obj(j) * d[j]);
  }
  if (!(slope < -kRayTolerance * std::max(1.0, slope_size))) return false;
  std::vector<double> along(static_cast<size_t>(m), 0.0), size(static_cast<size_t>(m), 0.0);
  for (int j = 0; j < n; ++j) {
    if (d[j] == 0.0) continue;
    const SparseSpan col = p.column(j);
    for (int k = 0; k < col.size(); ++k) {
      along[col.index[k]] += col.value[k] * d[j];
      size[col.index[k]] += std::fabs(col.value[k] * d[j]);
    }
  }
  env.ticks.charge(static_cast<uint64_t>(2 * p.num_nonzeros()));
  for (int i = 0; i < m; ++i) {
    double lo, hi;
    row_activity_bounds(p.sense(i), p.rhs(i), p.range(i), &lo, &hi);
    const double allowed = kRayTolerance * std::max(1.0, size[i]);
    if (lo > -kInf && along[i] < -allowed) return false;
    if (hi < kInf && along[i] > allowed) return false;
  }
  return true;
}

}  // namespace korva::simplex
