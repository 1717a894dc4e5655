// Dominated columns. Row duals have bounds: a one-sided row gives its dual
// a sign, and a column alone in its row with one infinite bound limits the
// row's dual from one side (its reduced cost may not take the sign that
// would send it to that infinite bound). A column whose reduced cost has a
// strict sign for every dual within these bounds sits at the bound that
// sign gives in every optimum. With integer columns the argument holds
// for the continuous part of the problem once the integers are fixed: only
// continuous columns bound the duals and only they are fixed.
#include "presolve/reducer.h"

namespace korva::presolve {

void Reducer::dominated_column_pass(bool& changed) {
  ylo_.assign(w_.m, -kInf);
  yhi_.assign(w_.m, kInf);
  for (int i = 0; i < w_.m; ++i) {
    if (!w_.row_alive[i]) continue;
    const bool lo = w_.rlo[i] > -kInf, hi = w_.rhi[i] < kInf;
    if (lo && !hi) ylo_[i] = 0.0;
    if (hi && !lo) yhi_[i] = 0.0;
  }
  for (int j = 0; j < w_.n; ++j) {
    if (!w_.col_alive[j] || w_.col_len[j] != 1 || !w_.substitutable(j)) continue;
    double a = 0.0;
    const int i = only_row(j, &a);
    const double ratio = w_.cost[j] / a;
    // No upper bound: c - a·y >= 0; no lower bound: c - a·y <= 0.
    if (w_.ub[j] == kInf) {
      if (a > 0) yhi_[i] = std::min(yhi_[i], ratio); else ylo_[i] = std::max(ylo_[i], ratio);
    }
    if (w_.lb[j] == -kInf) {
      if (a > 0) ylo_[i] = std::max(ylo_[i], ratio); else yhi_[i] = std::min(yhi_[i], ratio);
    }
  }
  int64_t work = w_.m + w_.n;
  for (int j = 0; j < w_.n; ++j) {
    if (!w_.col_alive[j] || w_.col_len[j] == 0 || !w_.substitutable(j)) continue;
    // Reduced cost c - Σ a·y over the dual box.
    double dmin = w_.cost[j], dmax = w_.cost[j];
    for (int64_t k = w_.cbeg[j]; k < w_.cend[j] && (dmin > -kInf || dmax < kInf); ++k) {
      const int i = w_.cidx[k];
      if (!w_.row_alive[i]) continue;
      const double a = w_.cval[k];
      const double ay_lo = a > 0 ? a * ylo_[i] : a * yhi_[i];
      const double ay_hi = a > 0 ? a * yhi_[i] : a * ylo_[i];
      dmin -= ay_hi;
      dmax -= ay_lo;
    }
    work += w_.col_len[j];
    const double tol = 1e-9 * (1.0 + std::fabs(w_.cost[j]));
    if (dmin > tol && w_.lb[j] > -kInf) {
      w_.fix_column(j, w_.lb[j]);
      changed = true;
    } else if (dmax < -tol && w_.ub[j] < kInf) {
      w_.fix_column(j, w_.ub[j]);
      changed = true;
    }
  }
  env_.ticks.charge(static_cast<uint64_t>(work));
}

}  // namespace korva::presolve
