#include "simplex/dual/dual_update.h"

#include <cmath>

namespace korva::simplex {

namespace {

// The step a flip makes: to the other bound.
inline double flip_step(const DualState& st, int j) {
  return st.s.move[j] == kMoveUp ? st.w.work_upper[j] - st.w.work_lower[j]
                                 : st.w.work_lower[j] - st.w.work_upper[j];
}

}  // namespace

void prepare_flips(DualState& st) {
  SparseVector& col = st.s.col_bfrt;
  col.clear();
  if (st.s.flips.empty()) return;
  const SimplexLp& lp = st.lp;
  uint64_t work = 0;
  for (int j : st.s.flips) {
    const double step = flip_step(st, j);
    if (j < st.n) {
      for (int64_t q = lp.col_begin[j]; q < lp.col_begin[j + 1]; ++q) col.add(lp.row_index[q], lp.value[q] * step);
      work += static_cast<uint64_t>(lp.col_begin[j + 1] - lp.col_begin[j]);
    } else {
      col.add(j - st.n, step);
      ++work;
    }
  }
  st.env.ticks.charge(work);
  st.w.lu.ftran(col);
}

void apply_flips(DualState& st) {
  if (st.s.flips.empty()) return;
  SimplexWork& w = st.w;
  for (int j : st.s.flips) {
    const double step = flip_step(st, j);
    st.objective += w.dj[j] * step;
    if (st.s.move[j] == kMoveUp) {
      w.x[j] = w.work_upper[j];
      w.status[j] = kAtUpper | (w.status[j] & kFixedBySingularity);
      st.s.move[j] = kMoveDown;
    } else {
      w.x[j] = w.work_lower[j];
      w.status[j] = kAtLower | (w.status[j] & kFixedBySingularity);
      st.s.move[j] = kMoveUp;
    }
  }
  const SparseVector& col = st.s.col_bfrt;
  for (int k = 0; k < col.count; ++k) {
    const int r = col.index[k];
    w.x_basic[r] -= col.values[r];
    st.refresh_infeasibility(r);
  }
  st.env.ticks.charge(static_cast<uint64_t>(col.count + static_cast<int>(st.s.flips.size())));
}

void update_duals(DualState& st) {
  SimplexWork& w = st.w;
  const double theta = st.theta_dual;
  if (theta != 0.0) {
    const SparseVector& ap = st.s.row_ap;
    const SparseVector& ep = st.s.row_ep;
    const uint8_t* status = w.status.data();
    double* dj = w.dj.data();
    for (int k = 0; k < ap.count; ++k) {
      const int j = ap.index[k];
      if (!is_basic(status[j])) dj[j] -= theta * ap.values[j];
    }
    double* dlog = dj + st.n;
    const uint8_t* slog = status + st.n;
    for (int k = 0; k < ep.count; ++k) {
      const int i = ep.index[k];
      if (!is_basic(slog[i])) dlog[i] -= theta * ep.values[i];
    }
    st.env.ticks.charge(static_cast<uint64_t>(ap.count + ep.count));
  }
  w.dj[st.var_in] = 0.0;
  w.dj[st.var_out] = -theta;
}

void update_primal(DualState& st) {
  SimplexWork& w = st.w;
  const SparseVector& col = st.s.col_aq;
  const double theta = st.theta_primal;
  if (theta != 0.0) {
    for (int k = 0; k < col.count; ++k) {
      const int r = col.index[k];
      w.x_basic[r] -= theta * col.values[r];
      st.refresh_infeasibility(r);
    }
    st.env.ticks.charge(static_cast<uint64_t>(col.count));
  }
  // The entering variable takes the leaving one's position.
  w.x_basic[st.row_out] = w.x[st.var_in] + theta;
}

void change_basis(DualState& st) {
  SimplexWork& w = st.w;
  const int r = st.row_out, out = st.var_out, in = st.var_in;
  // The leaving variable stops at the bound it violated.
  const bool to_lower = st.delta < 0;
  const uint8_t flag = w.status[out] & kFixedBySingularity;
  if (to_lower) {
    w.status[out] = kAtLower | flag;
    w.x[out] = w.work_lower[out];
  } else {
    w.status[out] = kAtUpper | flag;
    w.x[out] = w.work_upper[out];
  }
  st.s.move[out] = st.move_of(out);
  w.x[in] = w.x_basic[r];
  w.status[in] = kBasic;
  st.s.move[in] = kMoveNone;
  w.basic_index[r] = in;
  w.basic_lower[r] = w.work_lower[in];
  w.basic_upper[r] = w.work_upper[in];
  st.refresh_infeasibility(r);
}

}  // namespace korva::simplex
