#include "simplex/core/pivot_row.h"

#include "simplex/core/simplex_work.h"

namespace korva::simplex {

namespace {

void row_wise(const SimplexLp& lp, const SparseVector& ep, SparseVector& ap, TickArea& ticks) {
  uint64_t work = 0;
  for (int k = 0; k < ep.count; ++k) {
    const int i = ep.index[k];
    const double rho = ep.values[i];
    const int64_t end = lp.row_begin[i + 1];
    for (int64_t q = lp.row_begin[i]; q < end; ++q) ap.add(lp.col_index[q], rho * lp.row_value[q]);
    work += static_cast<uint64_t>(end - lp.row_begin[i]);
  }
  ticks.charge(work + static_cast<uint64_t>(ep.count));
}

void column_wise(const SimplexLp& lp, const uint8_t* status, const SparseVector& ep, SparseVector& ap,
                 TickArea& ticks) {
  const double* rho = ep.values.data();
  const int n = lp.num_cols;
  for (int j = 0; j < n; ++j) {
    if (is_basic(status[j])) continue;
    double dot = 0.0;
    for (int64_t q = lp.col_begin[j]; q < lp.col_begin[j + 1]; ++q) dot += rho[lp.row_index[q]] * lp.value[q];
    if (dot != 0.0) ap.set_new(j, dot);
  }
  ticks.charge(static_cast<uint64_t>(lp.col_begin[n]) + static_cast<uint64_t>(n));
}

}  // namespace

void compute_pivot_row(const SimplexLp& lp, const uint8_t* status, const SparseVector& ep, SparseVector& ap,
                       TickArea& ticks) {
  ap.clear();
  // The row-wise product touches the rows of row_ep's nonzeros, the
  // column-wise one every entry of the matrix; a scattered update costs
  // about twice a gathered one, so row-wise wins while it touches less
  // than half the matrix.
  const int64_t column_work = lp.col_begin[lp.num_cols] + lp.num_cols;
  int64_t row_work = 0;
  for (int k = 0; k < ep.count && 2 * row_work < column_work; ++k) {
    const int i = ep.index[k];
    row_work += lp.row_begin[i + 1] - lp.row_begin[i];
  }
  ticks.charge(static_cast<uint64_t>(ep.count));
  if (2 * row_work < column_work)
    row_wise(lp, ep, ap, ticks);
  else
    column_wise(lp, status, ep, ap, ticks);
}

}  // namespace korva::simplex
