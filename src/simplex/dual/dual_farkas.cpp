#include "simplex/dual/dual_farkas.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "env/errors.h"
#include "simplex/core/load_lp.h"
#include "simplex/core/simplex_work.h"
#include "simplex/solution/lp_solution.h"
#include "simplex/solution/solution_queries.h"

namespace korva::simplex {

namespace {

// Multipliers this small are rounding noise of the solves; against an
// infinite bound they would turn the proof into -infinity.
constexpr double kNegligible = 1e-9;

// sup of c·v over v in [lo, up] (user bounds, 1e20 meaning infinite).
double sup_over(double c, double lo, double up) {
  if (c > 0) return up >= kUserInfinity ? (c > kNegligible ? kInf : 0.0) : c * up;
  if (c < 0) return lo <= -kUserInfinity ? (c < -kNegligible ? kInf : 0.0) : c * lo;
  return 0.0;
}

}  // namespace

double farkas_proof(const Problem& p, const double* y) {
  const int n = p.num_cols(), m = p.num_rows();
  double sup_zx = 0.0;
  for (int j = 0; j < n; ++j) {
    SparseSpan col = p.column(j);
    double z = 0.0;
    for (int k = 0; k < col.size(); ++k) z += col.value[k] * y[col.index[k]];
    sup_zx += sup_over(z, p.lower(j), p.upper(j));
  }
  double inf_yr = 0.0;
  for (int i = 0; i < m; ++i) {
    double lo, up;
    row_activity_bounds(p.sense(i), p.rhs(i), p.range(i), &lo, &up);
    // inf of y·r = -sup of (-y)·r.
    inf_yr -= sup_over(-y[i], lo <= -kUserInfinity ? -kUserInfinity : lo, up >= kUserInfinity ? kUserInfinity : up);
  }
  return inf_yr - sup_zx;
}

int dual_farkas(Environment&, Problem& p, double* y, double* proof) {
  if (p.quad) return err::kNotForQp;
  if (p.qcons) return err::kNotForQcp;
  LpSolution* sol = current_lp_solution(p);
  SimplexWork* w = find_simplex_work(p);
  if (!sol || sol->method != kMethodDual || sol->status != 3 || !w) return 1265;
  const int m = p.num_rows();
  std::vector<double> ray(static_cast<size_t>(m), 0.0);
  double value = 0.0;
  if (w->farkas_row >= 0 && static_cast<int>(w->farkas_y.size()) == m) {
    ray = w->farkas_y;
    value = farkas_proof(p, ray.data());
    std::vector<double> flipped(ray);
    for (double& v : flipped) v = -v;
    const double other = farkas_proof(p, flipped.data());
    if (other > value) {
      ray.swap(flipped);
      value = other;
    }
  } else {
    // Contradictory bounds of a single variable: y = 0, and the proof is
    // the gap between them.
    for (int j = 0; j < p.num_cols(); ++j) value = std::max(value, p.lower(j) - p.upper(j));
  }
  if (y) std::copy(ray.begin(), ray.end(), y);
  if (proof) *proof = value;
  return 0;
}

}  // namespace korva::simplex
