#include "simplex/solution/quality.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "env/errors.h"
#include "simplex/core/load_lp.h"
#include "simplex/core/simplex_work.h"
#include "simplex/solution/condition_estimate.h"
#include "simplex/solution/lp_solution.h"
#include "simplex/solution/solution_queries.h"

namespace korva::simplex {

namespace {

// A maximum and a total, with where the maximum was attained.
constexpr int kNoIndex = 2100000000;

struct Measure {
  double max = 0.0;
  double sum = 0.0;
  int index = kNoIndex;
  void add(double v, int at) {
    const double a = std::fabs(v);
    sum += a;
    if (a > max) {
      max = a;
      index = at;
    }
  }
};

// The unscaled and scaled measures of one family.
struct Pair {
  Measure unscaled, scaled;
  void add(double v, double factor, int at) {
    unscaled.add(v, at);
    scaled.add(v * factor, at);
  }
};

struct Factors {
  const double* col = nullptr;  // column factors c(j), null: unscaled
  const double* row = nullptr;  // row factors r(i)
  double c(int j) const { return col ? col[j] : 1.0; }
  double r(int i) const { return row ? row[i] : 1.0; }
};

Factors scale_factors(Problem& p) {
  Factors f;
  SimplexWork* w = find_simplex_work(p);
  if (w && w->lp.scaled && w->lp.num_cols == p.num_cols() && w->lp.num_rows == p.num_rows()) {
    f.col = w->lp.col_scale.data();
    f.row = w->lp.row_scale.data();
  }
  return f;
}

double bound_violation(double v, double lo, double up) {
  if (lo > -kUserInfinity && v < lo) return lo - v;
  if (up < kUserInfinity && v > up) return v - up;
  return 0.0;
}

// Dual infeasibility of a reduced cost d (minimisation sense) for a
// variable with value v in [lo, up] and basis status st (-1: unknown).
double dual_violation(double d, double v, double lo, double up, int st, double tol) {
  const bool has_lo = lo > -kUserInfinity, has_up = up < kUserInfinity;
  if (st == KRV_BASIC) return std::fabs(d);
  // A fixed variable (or an equality row) takes a reduced cost of either sign.
  if (has_lo && has_up && up - lo <= tol * (1.0 + std::fabs(lo))) return 0.0;
  bool at_lo = has_lo && std::fabs(v - lo) <= tol * (1.0 + std::fabs(lo));
  bool at_up = has_up && std::fabs(v - up) <= tol * (1.0 + std::fabs(up));
  if (st == KRV_AT_LOWER && has_lo) at_lo = true, at_up = false;
  if (st == KRV_AT_UPPER && has_up) at_up = true, at_lo = false;
  if (at_lo && at_up) return 0.0;  // fixed
  if (at_lo) return std::max(0.0, -d);
  if (at_up) return std::max(0.0, d);
  return std::fabs(d);
}

double distance_to_bound(double v, double lo, double up) {
  double d = kInf;
  if (lo > -kUserInfinity) d = std::min(d, std::fabs(v - lo));
  if (up < kUserInfinity) d = std::min(d, std::fabs(up - v));
  return d == kInf ? 0.0 : d;
}

struct Evaluation {
  Pair bound, row, red_cost, row_dual, x, slack, pi, dj, primal_res, dual_res;
  Measure complementarity;
  double primal_objective = 0.0, dual_objective = 0.0;
};

void evaluate(Problem& p, const LpSolution& sol, Evaluation& e) {
  const int n = p.num_cols(), m = p.num_rows();
  const Factors f = scale_factors(p);
  const double sense = p.objsense();
  const Basis* basis = p.derived.basis.get();
  const double tol = 1e-9;
  std::vector<double> act(static_cast<size_t>(m), 0.0);
  for (int j = 0; j < n; ++j) {
    SparseSpan col = p.column(j);
    for (int k = 0; k < col.size(); ++k) act[col.index[k]] += col.value[k] * sol.x[j];
  }
  e.primal_objective = sol.objective;
  double dual_obj = 0.0;
  for (int j = 0; j < n; ++j) {
    const double x = sol.x[j], lo = p.lower(j), up = p.upper(j);
    e.bound.add(bound_violation(x, lo, up), f.c(j), j);
    e.x.add(x, f.c(j), j);
    if (!sol.has_dual) continue;
    const double d = sol.dj[j];
    const int st = basis ? basis->cstat[j] : -1;
    e.red_cost.add(dual_violation(sense * d, x, lo, up, st, tol), 1.0 / f.c(j), j);
    e.dj.add(d, 1.0 / f.c(j), j);
    SparseSpan col = p.column(j);
    double r = p.obj(j) - d;
    for (int k = 0; k < col.size(); ++k) r -= col.value[k] * sol.pi[col.index[k]];
    e.dual_res.add(r, 1.0 / f.c(j), j);
    e.complementarity.add(distance_to_bound(x, lo, up) * d, j);
    // The bound a reduced cost prices: lower for a positive one (minimising).
    const double bound = sense * d >= 0 ? lo : up;
    dual_obj += d * (std::fabs(bound) < kUserInfinity ? bound : x);
  }
  for (int i = 0; i < m; ++i) {
    double lo, up;
    row_activity_bounds(p.sense(i), p.rhs(i), p.range(i), &lo, &up);
    const double slack = sol.reported_slack(p, i);
    e.row.add(bound_violation(act[i], lo, up), 1.0 / f.r(i), -i - 1);
    e.slack.add(slack, 1.0 / f.r(i), i);
    const double rhs = std::fabs(p.rhs(i)) < kUserInfinity ? p.rhs(i) : 0.0;
    e.primal_res.add(rhs - act[i] - slack, 1.0 / f.r(i), i);
    if (!sol.has_dual) continue;
    const double y = sol.pi[i];
    e.pi.add(y, f.r(i), i);
    // The row's logical s = -a·x has reduced cost -pi: a row at its lower
    // activity end needs pi >= 0 (minimising), at its upper end pi <= 0.
    int st = -1;
    if (basis) {
      st = basis->rstat[i];
      if (st == KRV_AT_LOWER || st == KRV_AT_UPPER) {
        const bool rhs_is_lower = p.sense(i) == 'G' || (p.sense(i) == 'R' && p.range(i) >= 0);
        const bool at_rhs = st == KRV_AT_LOWER;
        st = (at_rhs == rhs_is_lower) ? KRV_AT_LOWER : KRV_AT_UPPER;
      }
    }
    e.row_dual.add(dual_violation(sense * y, act[i], lo, up, st, tol), f.r(i), -i - 1);
    e.complementarity.add(distance_to_bound(act[i], lo, up) * y, -i - 1);
    const double bound = sense * y >= 0 ? lo : up;
    dual_obj += y * (std::fabs(bound) < kUserInfinity ? bound : act[i]);
  }
  e.dual_objective = dual_obj;
}

// Combines two families: the larger maximum (with its index) and the sum.
Measure combine(const Measure& a, const Measure& b) {
  Measure c;
  c.sum = a.sum + b.sum;
  if (a.max >= b.max) {
    c.max = a.max;
    c.index = a.index;
  } else {
    c.max = b.max;
    c.index = b.index;
  }
  return c;
}

// Families in selector order: combined, first, second (unscaled), then scaled.
void feasibility_block(const Pair& first, const Pair& second, int k, Measure* out) {
  const Measure* u[3] = {nullptr, &first.unscaled, &second.unscaled};
  const Measure* s[3] = {nullptr, &first.scaled, &second.scaled};
  Measure uc = combine(first.unscaled, second.unscaled), sc = combine(first.scaled, second.scaled);
  u[0] = &uc;
  s[0] = &sc;
  for (int f = 0; f < 3; ++f) {
    out[k + 2 * f] = *u[f];
    out[k + 6 + 2 * f] = *s[f];
  }
}

bool is_dual_measure(int what) {
  return (what >= 13 && what <= 24) || (what >= 29 && what <= 32) || (what >= 37 && what <= 40) ||
         (what >= 43 && what <= 44) || (what >= 47 && what <= 48) || (what >= 52 && what <= 56);
}

}  // namespace

int solution_quality(Environment& env, Problem& p, int what, double* value, int* index) {
  if (what < 1 || what > kQualityCount) return err::kBadArgument;
  if (index) *index = kNoIndex;
  if (what == 57) {
    *value = 0.0;
    return 0;
  }
  if (what == 49 || what == 50) {
    double kappa = 0.0;
    if (int code = basis_condition(env, p, what == 49, &kappa)) return code;
    *value = kappa;
    return 0;
  }
  LpSolution* sol = current_lp_solution(p);
  if (!sol || !sol->has_primal) return err::kNoSolution;
  if (is_dual_measure(what) && !sol->has_dual) return err::kNoDualSolution;
  Evaluation e;
  evaluate(p, *sol, e);
  // Selector k at position k - 1; maxima at odd selectors, totals at even.
  Measure m[kQualityCount + 1];
  feasibility_block(e.bound, e.row, 1, m);       // 1..12
  feasibility_block(e.red_cost, e.row_dual, 13, m);  // 13..24
  const Pair* mags[4] = {&e.x, &e.slack, &e.pi, &e.dj};
  for (int f = 0; f < 4; ++f) {
    m[25 + 2 * f] = mags[f]->unscaled;
    m[33 + 2 * f] = mags[f]->scaled;
  }
  m[41] = e.primal_res.unscaled;
  m[43] = e.dual_res.unscaled;
  m[45] = e.primal_res.scaled;
  m[47] = e.dual_res.scaled;
  m[55] = e.complementarity;
  double result;
  int at = kNoIndex;
  if (what >= 51 && what <= 54) {
    const double gap = e.primal_objective - e.dual_objective;
    const double values[4] = {e.primal_objective, e.dual_objective, gap,
                              std::fabs(gap) / (1.0 + std::fabs(e.primal_objective))};
    result = values[what - 51];
  } else {
    const bool total = what % 2 == 0;
    const Measure& measure = m[total ? what - 1 : what];
    result = total ? measure.sum : measure.max;
    if (!total) at = measure.index;
  }
  *value = result;
  if (index) {
    // Row-only families report the row itself.
    if (at != kNoIndex && ((what >= 5 && what <= 6) || (what >= 11 && what <= 12) ||
                               (what >= 17 && what <= 18) || (what >= 23 && what <= 24)))
      at = -at - 1;
    *index = at;
  }
  return 0;
}

}  // namespace korva::simplex
