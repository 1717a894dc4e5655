#include "simplex/dual/pivot_row.h"

namespace korva::simplex {

namespace {

void row_wise(DualState& st) {
  const SimplexLp& lp = st.lp;
  const SparseVector& ep = st.s.row_ep;
  SparseVector& ap = st.s.row_ap;
  uint64_t work = 0;
  for (int k = 0; k < ep.count; ++k) {
    const int i = ep.index[k];
    const double rho = ep.values[i];
    const int64_t end = lp.row_begin[i + 1];
    for (int64_t q = lp.row_begin[i]; q < end; ++q) ap.add(lp.col_index[q], rho * lp.row_value[q]);
    work += static_cast<uint64_t>(end - lp.row_begin[i]);
  }
  st.env.ticks.charge(work + static_cast<uint64_t>(ep.count));
}

void column_wise(DualState& st) {
  const SimplexLp& lp = st.lp;
  const double* rho = st.s.row_ep.values.data();
  SparseVector& ap = st.s.row_ap;
  const uint8_t* status = st.w.status.data();
  for (int j = 0; j < st.n; ++j) {
    if (is_basic(status[j])) continue;
    double dot = 0.0;
    for (int64_t q = lp.col_begin[j]; q < lp.col_begin[j + 1]; ++q) dot += rho[lp.row_index[q]] * lp.value[q];
    if (dot != 0.0) ap.set_new(j, dot);
  }
  st.env.ticks.charge(static_cast<uint64_t>(lp.col_begin[st.n]) + static_cast<uint64_t>(st.n));
}

}  // namespace

void compute_pivot_row(DualState& st) {
  st.s.row_ap.clear();
  // The row-wise product touches the rows of row_ep's nonzeros, the
  // column-wise one every entry of the matrix; a scattered update costs
  // about twice a gathered one, so row-wise wins while it touches less
  // than half the matrix.
  const SparseVector& ep = st.s.row_ep;
  const SimplexLp& lp = st.lp;
  const int64_t column_work = lp.col_begin[st.n] + st.n;
  int64_t row_work = 0;
  for (int k = 0; k < ep.count && 2 * row_work < column_work; ++k) {
    const int i = ep.index[k];
    row_work += lp.row_begin[i + 1] - lp.row_begin[i];
  }
  st.env.ticks.charge(static_cast<uint64_t>(ep.count));
  if (2 * row_work < column_work)
    row_wise(st);
  else
    column_wise(st);
}

}  // namespace korva::simplex
