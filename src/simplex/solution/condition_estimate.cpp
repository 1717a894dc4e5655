#include "simplex/solution/condition_estimate.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "env/errors.h"
#include "simplex/scaling.h"
#include "simplex/solution/basis_solves.h"

namespace korva::simplex {

namespace {

constexpr int kHagerSteps = 5;

double one_norm(const std::vector<double>& v) {
  double s = 0.0;
  for (double x : v) s += std::fabs(x);
  return s;
}

}  // namespace

int basis_condition(Environment&, Problem& p, bool scaled, double* kappa) {
  SimplexWork* w = factored_work(p);
  if (!w) return err::kNoFactor;
  const int m = w->lp.num_rows;
  *kappa = 0.0;
  if (m == 0) return 0;
  const SimplexLp& lp = w->lp;
  const lu::BasisSource source = lp.basis_source();
  const int* head = w->basic_index.data();
  const ScalingRecord& rec = w->scaling;
  auto ftran = [&](std::vector<double>& v) {
    if (!scaled) scale_ftran_input(rec, v.data(), m);
    scaled_ftran(*w, v.data());
    if (!scaled) unscale_ftran_result(rec, source, head, v.data(), m);
  };
  auto btran = [&](std::vector<double>& v) {
    if (!scaled) scale_btran_input(rec, source, head, v.data(), m);
    scaled_btran(*w, v.data());
    if (!scaled) unscale_btran_result(rec, v.data(), m);
  };

  // ||B||₁: the largest column sum over the basic columns.
  double norm_b = 0.0;
  for (int r = 0; r < m; ++r) {
    const int var = head[r];
    double sum = 0.0;
    if (var < lp.num_cols) {
      for (int64_t k = lp.col_begin[var]; k < lp.col_begin[var + 1]; ++k) {
        double a = lp.value[k];
        if (!scaled && lp.scaled) a *= lp.row_scale[lp.row_index[k]] * lp.col_scale[var];
        sum += std::fabs(a);
      }
    } else {
      sum = 1.0;
    }
    norm_b = std::max(norm_b, sum);
  }

  // Hager: maximise ||B⁻¹x||₁ over the unit 1-norm ball by gradient steps.
  std::vector<double> x(static_cast<size_t>(m), 1.0 / m), y, z;
  double estimate = 0.0;
  for (int step = 0; step < kHagerSteps; ++step) {
    y = x;
    ftran(y);
    const double norm = one_norm(y);
    if (step > 0 && norm <= estimate) break;
    estimate = norm;
    z.assign(static_cast<size_t>(m), 0.0);
    for (int i = 0; i < m; ++i) z[i] = y[i] >= 0 ? 1.0 : -1.0;
    btran(z);
    int best = 0;
    for (int i = 1; i < m; ++i)
      if (std::fabs(z[i]) > std::fabs(z[best])) best = i;
    double zx = 0.0;
    for (int i = 0; i < m; ++i) zx += z[i] * x[i];
    if (step > 0 && std::fabs(z[best]) <= zx) break;
    std::fill(x.begin(), x.end(), 0.0);
    x[best] = 1.0;
  }
  *kappa = norm_b * estimate;
  return 0;
}

}  // namespace korva::simplex
