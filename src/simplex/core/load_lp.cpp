#include "simplex/core/load_lp.h"

#include <algorithm>
#include <cmath>

#include "env/environment.h"

namespace korva::simplex {

namespace {

double user_lower(double b) { return b <= -kUserInfinity ? -kInf : b; }
double user_upper(double b) { return b >= kUserInfinity ? kInf : b; }

void build_matrix(const Problem& p, SimplexLp& lp, TickArea& ticks) {
  const int n = p.num_cols(), m = p.num_rows();
  lp.col_begin.assign(static_cast<size_t>(n) + 1, 0);
  lp.row_index.clear();
  lp.value.clear();
  lp.row_index.reserve(static_cast<size_t>(p.num_nonzeros()));
  lp.value.reserve(static_cast<size_t>(p.num_nonzeros()));
  for (int j = 0; j < n; ++j) {
    SparseSpan col = p.column(j);
    for (int k = 0; k < col.size(); ++k) {
      // Explicit zeros carry no information and would only cost work.
      if (col.value[k] == 0.0) continue;
      lp.row_index.push_back(col.index[k]);
      lp.value.push_back(col.value[k]);
    }
    lp.col_begin[j + 1] = static_cast<int64_t>(lp.row_index.size());
  }
  lp.logical_kind.assign(static_cast<size_t>(m), lu::LogicalKind::Slack);
  ticks.charge(static_cast<uint64_t>(p.num_nonzeros()) + static_cast<uint64_t>(n + m));
}

// Rows listed in increasing column order.
void build_row_copy(SimplexLp& lp, TickArea& ticks) {
  const int n = lp.num_cols, m = lp.num_rows;
  const int64_t nz = lp.col_begin[n];
  lp.row_begin.assign(static_cast<size_t>(m) + 1, 0);
  for (int64_t k = 0; k < nz; ++k) ++lp.row_begin[lp.row_index[k] + 1];
  for (int i = 0; i < m; ++i) lp.row_begin[i + 1] += lp.row_begin[i];
  lp.col_index.resize(static_cast<size_t>(nz));
  lp.row_value.resize(static_cast<size_t>(nz));
  std::vector<int64_t> fill(lp.row_begin.begin(), lp.row_begin.end() - 1);
  for (int j = 0; j < n; ++j) {
    for (int64_t k = lp.col_begin[j]; k < lp.col_begin[j + 1]; ++k) {
      int64_t at = fill[lp.row_index[k]]++;
      lp.col_index[at] = j;
      lp.row_value[at] = lp.value[k];
    }
  }
  ticks.charge(2 * static_cast<uint64_t>(nz) + static_cast<uint64_t>(m));
}

// Bounds, costs, senses and right-hand sides in user units.
void read_rim(const Problem& p, SimplexLp& lp) {
  const int n = p.num_cols(), m = p.num_rows();
  const int nv = n + m;
  lp.num_cols = n;
  lp.num_rows = m;
  lp.objsense = p.objsense();
  lp.lower.resize(static_cast<size_t>(nv));
  lp.upper.resize(static_cast<size_t>(nv));
  lp.cost.assign(static_cast<size_t>(nv), 0.0);
  lp.sense.resize(static_cast<size_t>(m));
  lp.rhs.resize(static_cast<size_t>(m));
  lp.range.resize(static_cast<size_t>(m));
  for (int j = 0; j < n; ++j) {
    lp.lower[j] = user_lower(p.lower(j));
    lp.upper[j] = user_upper(p.upper(j));
    // Bounds that cross by no more than rounding meet at the lower one.
    if (lp.lower[j] > lp.upper[j] && !bounds_cross(lp.lower[j], lp.upper[j])) lp.upper[j] = lp.lower[j];
    lp.cost[j] = lp.objsense * p.obj(j);
  }
  lp.logical_kind.resize(static_cast<size_t>(m), lu::LogicalKind::Slack);
  for (int i = 0; i < m; ++i) {
    double lo, up;
    row_activity_bounds(p.sense(i), p.rhs(i), p.range(i), &lo, &up);
    lp.lower[n + i] = -up;
    lp.upper[n + i] = -lo;
    lp.sense[i] = p.sense(i);
    lp.rhs[i] = p.rhs(i);
    lp.range[i] = p.range(i);
    lp.logical_kind[i] = p.sense(i) == 'E'   ? lu::LogicalKind::Artificial
                         : p.sense(i) == 'R' ? lu::LogicalKind::Range
                                             : lu::LogicalKind::Slack;
  }
}

// Applies the saved factors to freshly read bounds and costs.
void scale_rim(SimplexLp& lp) {
  if (!lp.scaled) return;
  const int n = lp.num_cols;
  for (int j = 0; j < n; ++j) {
    lp.lower[j] *= lp.col_scale[j];
    lp.upper[j] *= lp.col_scale[j];
    lp.cost[j] /= lp.col_scale[j];
  }
  for (int i = 0; i < lp.num_rows; ++i) {
    lp.lower[n + i] /= lp.row_scale[i];
    lp.upper[n + i] /= lp.row_scale[i];
  }
}

void size_work_arrays(SimplexWork& w) {
  const size_t nv = static_cast<size_t>(w.lp.num_vars());
  const size_t m = static_cast<size_t>(w.lp.num_rows);
  w.x.resize(nv, 0.0);
  w.dj.resize(nv, 0.0);
  w.status.resize(nv, kAtLower);
  w.work_lower = w.lp.lower;
  w.work_upper = w.lp.upper;
  w.work_cost = w.lp.cost;
  w.basic_index.resize(m, 0);
  w.x_basic.resize(m, 0.0);
  w.basic_lower.resize(m, 0.0);
  w.basic_upper.resize(m, 0.0);
}

}  // namespace

void row_activity_bounds(char sense, double rhs, double range, double* lower, double* upper) {
  double r = rhs >= kUserInfinity ? kInf : rhs <= -kUserInfinity ? -kInf : rhs;
  switch (sense) {
    case 'L':
      *lower = -kInf;
      *upper = r;
      break;
    case 'G':
      *lower = r;
      *upper = kInf;
      break;
    case 'R':
      if (range >= 0) {
        *lower = r;
        *upper = r + range;
      } else {
        *lower = r + range;
        *upper = r;
      }
      break;
    default:
      *lower = *upper = r;
      break;
  }
}

bool bounds_cross(double lower, double upper) {
  constexpr double kRoundingCross = 1e-10;
  return lower > upper + kRoundingCross * std::max(1.0, std::fabs(upper));
}

double SimplexLp::to_internal(int var, double user_value) const {
  if (!scaled) return user_value;
  return var < num_cols ? user_value * col_scale[var] : user_value / row_scale[var - num_cols];
}

double SimplexLp::to_user(int var, double internal_value) const {
  if (!scaled) return internal_value;
  return var < num_cols ? internal_value / col_scale[var]
                        : internal_value * row_scale[var - num_cols];
}

void load_simplex_lp(Environment& env, const Problem& p, SimplexWork& w, int mode) {
  SimplexLp& lp = w.lp;
  const bool same_shape = lp.num_cols == p.num_cols() && lp.num_rows == p.num_rows();
  read_rim(p, lp);
  if (!w.matrix_loaded || w.scaling_mode != mode || !same_shape) {
    build_matrix(p, lp, env.ticks);
    // The copy was just read in user units; the record's saved factors (if
    // any, from an earlier run with this mode) are re-applied to it.
    w.scaling.active_rows = w.scaling.active_cols = nullptr;
    ScalableLp view;
    view.num_rows = lp.num_rows;
    view.num_cols = lp.num_cols;
    view.col_begin = lp.col_begin.data();
    view.row_index = lp.row_index.data();
    view.value = lp.value.data();
    view.lower = lp.lower.data();
    view.upper = lp.upper.data();
    view.obj = lp.cost.data();
    // Logical bounds scale like right-hand sides (divided by r(i)).
    view.rhs = lp.lower.data() + lp.num_cols;
    view.range = lp.upper.data() + lp.num_cols;
    ensure_scaled(env, w.scaling, view, mode);
    lp.scaled = w.scaling.scaled();
    if (lp.scaled) {
      lp.col_scale = w.scaling.col_factors;
      lp.row_scale = w.scaling.row_factors;
    } else {
      lp.col_scale.assign(static_cast<size_t>(lp.num_cols), 1.0);
      lp.row_scale.assign(static_cast<size_t>(lp.num_rows), 1.0);
    }
    build_row_copy(lp, env.ticks);
    w.scaling_mode = mode;
    w.unit_structure = -1;
    if (w.matrix_loaded) {
      // A new matrix invalidates what was built on the old one.
      w.factor_valid = false;
      w.dual_weight_mode = -1;
    }
    w.matrix_loaded = true;
    if (!same_shape) w.has_basis = false;
  } else {
    scale_rim(lp);
    env.ticks.charge(static_cast<uint64_t>(lp.num_vars()));
  }
  size_work_arrays(w);
}

}  // namespace korva::simplex
