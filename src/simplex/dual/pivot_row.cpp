#include "simplex/dual/pivot_row.h"

namespace korva::simplex {

namespace {

void row_wise(DualState& st) {
  const SimplexLp& lp = st.lp;
  const SparseVector& ep = st.s.row_ep;
  SparseVector& ap = st.s.row_ap;
  // SparseVector::add by hand, with the count in a register: the stores
  // into the arrays would otherwise force it back to memory every entry.
  double* ap_value = ap.values.data();
  int* ap_index = ap.index.data();
  int ap_count = ap.count;
  const int* column = lp.col_index.data();
  const double* value = lp.row_value.data();
  uint64_t work = 0;
  for (int k = 0; k < ep.count; ++k) {
    const int i = ep.index[k];
    const double rho = ep.values[i];
    const int64_t begin = lp.row_begin[i], end = lp.row_begin[i + 1];
    for (int64_t q = begin; q < end; ++q) {
      const int j = column[q];
      const double old = ap_value[j];
      if (old == 0.0) ap_index[ap_count++] = j;
      const double sum = old + rho * value[q];
      ap_value[j] = sum == 0.0 ? SparseVector::kCancelled : sum;
    }
    work += static_cast<uint64_t>(end - begin);
  }
  ap.count = ap_count;
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
