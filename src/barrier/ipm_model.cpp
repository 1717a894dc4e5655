#include "barrier/ipm_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korva::barrier {

IpmModel build_ipm_model(const simplex::SimplexLp& lp) {
  IpmModel model;
  const int n = lp.num_cols, m = lp.num_rows;
  model.rows = m;
  model.b.assign(static_cast<size_t>(m), 0.0);
  model.fixed_value.assign(static_cast<size_t>(n + m), std::numeric_limits<double>::quiet_NaN());
  CscMatrix& a = model.a;
  a.rows = m;
  a.start.push_back(0);
  for (int var = 0; var < n + m; ++var) {
    const double lo = lp.lower[var], up = lp.upper[var];
    if (lo == up) {
      // A fixed variable only shifts the right-hand side.
      model.fixed_value[var] = lo;
      if (var < n) {
        for (int64_t k = lp.col_begin[var]; k < lp.col_begin[var + 1]; ++k)
          model.b[lp.row_index[k]] -= lp.value[k] * lo;
        model.objective_constant += lp.cost[var] * lo;
      } else {
        model.b[var - n] -= lo;
      }
      continue;
    }
    if (var < n) {
      for (int64_t k = lp.col_begin[var]; k < lp.col_begin[var + 1]; ++k) {
        a.index.push_back(lp.row_index[k]);
        a.value.push_back(lp.value[k]);
      }
    } else {
      a.index.push_back(var - n);
      a.value.push_back(1.0);
    }
    a.start.push_back(static_cast<int64_t>(a.index.size()));
    model.c.push_back(var < n ? lp.cost[var] : 0.0);
    model.lower.push_back(lo);
    model.upper.push_back(up);
    model.simplex_var.push_back(var);
  }
  model.cols = static_cast<int>(model.simplex_var.size());
  a.cols = model.cols;
  for (double v : model.b) model.b_norm = std::max(model.b_norm, std::fabs(v));
  for (double v : model.c) model.c_norm = std::max(model.c_norm, std::fabs(v));
  return model;
}

}  // namespace korva::barrier
