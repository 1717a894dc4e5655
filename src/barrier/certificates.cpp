#include "barrier/certificates.h"

#include <algorithm>
#include <cmath>

#include "barrier/column_ops.h"

namespace korva::barrier {

// For every x within the bounds, bᵀy = xᵀAᵀy = xᵀ(w − zl + zu) with
// w = Aᵀy + zl − zu, so bᵀy + lᵀzl − uᵀzu <= max over the bounds of xᵀw.
// When that bound stays below the left side no x satisfies A·x = b.
bool proves_primal_infeasible(const IpmModel& model, const std::vector<double>& y, const std::vector<double>& zl,
                              const std::vector<double>& zu) {
  const CscMatrix& a = model.a;
  double left = 0, scale = 0;
  for (int i = 0; i < model.rows; ++i) left += model.b[i] * y[i];
  std::vector<double> w(static_cast<size_t>(model.cols));
  for (int j = 0; j < model.cols; ++j) {
    const double aty = dot_column(a, j, y.data());
    const double lower_dual = model.has_lower(j) ? zl[j] : 0.0, upper_dual = model.has_upper(j) ? zu[j] : 0.0;
    w[j] = aty + lower_dual - upper_dual;
    scale = std::max({scale, std::fabs(aty), lower_dual, upper_dual});
    if (lower_dual != 0.0) left += model.lower[j] * lower_dual;
    if (upper_dual != 0.0) left -= model.upper[j] * upper_dual;
  }
  if (!(left > 0)) return false;
  // Entries of w at rounding level are zero: a free direction then gives
  // no bound at all, a bounded one gives its largest product.
  const double noise = 1e-9 * scale;
  double right = 0;
  for (int j = 0; j < model.cols; ++j) {
    const double wj = w[j];
    const double far = std::max(model.has_lower(j) ? std::fabs(model.lower[j]) : 0.0,
                                model.has_upper(j) ? std::fabs(model.upper[j]) : 0.0);
    if (std::fabs(wj) <= noise) {
      right += far * std::fabs(wj);
    } else if (wj > 0) {
      if (!model.has_upper(j)) return false;
      right += model.upper[j] * wj;
    } else {
      if (!model.has_lower(j)) return false;
      right += model.lower[j] * wj;
    }
  }
  return right < 0.5 * left;
}

// A direction v with A·v = 0 that respects every finite bound (v >= 0 at a
// lower bound, v <= 0 at an upper one) and cᵀv < 0: no dual point exists.
bool proves_dual_infeasible(const IpmModel& model, const std::vector<double>& v) {
  const CscMatrix& a = model.a;
  const double size = max_abs(v);
  double cost = 0, a_max = 0;
  std::vector<double> av(static_cast<size_t>(model.rows), 0.0);
  for (int j = 0; j < model.cols; ++j) {
    if (model.has_lower(j) && v[j] < -1e-9 * size) return false;
    if (model.has_upper(j) && v[j] > 1e-9 * size) return false;
    cost += model.c[j] * v[j];
    if (v[j] != 0.0) axpy_column(a, j, v[j], av.data());
    for (int64_t k = a.start[j]; k < a.start[j + 1]; ++k) a_max = std::max(a_max, std::fabs(a.value[k]));
  }
  return cost < 0 && max_abs(av) <= 1e-7 * size * std::max(1.0, a_max);
}

}  // namespace korva::barrier
