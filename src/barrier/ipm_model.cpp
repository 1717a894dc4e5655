#include "barrier/ipm_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace korva::barrier {

namespace {

// Q in the model's columns and scaled units (x_scaled = c_j·x_user, so
// q_ij/(c_i·c_j)), in the minimisation sense. Fixed columns leave a linear
// term on the others and a constant.
void add_quadratic_objective(const simplex::SimplexLp& lp, const ColumnMatrix& user_q, IpmModel& model) {
  const int n = lp.num_cols;
  std::vector<int> column_of(static_cast<size_t>(n), -1);
  for (int k = 0; k < model.cols; ++k)
    if (model.simplex_var[k] < n) column_of[model.simplex_var[k]] = k;
  CscMatrix& q = model.q;
  q.rows = q.cols = model.cols;
  q.start.assign(1, 0);
  const double sense = lp.objsense;
  std::vector<std::pair<int, double>> entries;
  for (int k = 0; k < model.cols; ++k) {
    const int j = model.simplex_var[k];
    entries.clear();
    if (j < n && j < user_q.num_cols()) {
      const SparseSpan col = user_q.column(j);
      for (int t = 0; t < col.size(); ++t) {
        const int i = col.index[t];
        const double v = sense * col.value[t] / (lp.col_scale[i] * lp.col_scale[j]);
        if (column_of[i] >= 0) {
          entries.emplace_back(column_of[i], v);
        } else {
          // q_ij·v_i·x_j with x_i fixed at v_i: a cost on column k.
          model.c[k] += v * model.fixed_value[i];
        }
      }
    }
    std::sort(entries.begin(), entries.end());
    for (const auto& [row, v] : entries) {
      q.index.push_back(row);
      q.value.push_back(v);
    }
    q.start.push_back(static_cast<int64_t>(q.index.size()));
  }
  // ½·Σ q_ij·v_i·v_j over pairs of fixed columns.
  for (int j = 0; j < n && j < user_q.num_cols(); ++j) {
    if (column_of[j] >= 0) continue;
    const SparseSpan col = user_q.column(j);
    for (int t = 0; t < col.size(); ++t) {
      const int i = col.index[t];
      if (column_of[i] >= 0) continue;
      const double v = sense * col.value[t] / (lp.col_scale[i] * lp.col_scale[j]);
      model.objective_constant += 0.5 * v * model.fixed_value[i] * model.fixed_value[j];
    }
  }
  model.c_norm = 0;
  for (double v : model.c) model.c_norm = std::max(model.c_norm, std::fabs(v));
}

}  // namespace

IpmModel build_ipm_model(const simplex::SimplexLp& lp, const QuadObjective* quad) {
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
  if (quad) add_quadratic_objective(lp, quad->q, model);
  for (double v : model.b) model.b_norm = std::max(model.b_norm, std::fabs(v));
  for (double v : model.c) model.c_norm = std::max(model.c_norm, std::fabs(v));
  return model;
}

}  // namespace korva::barrier
