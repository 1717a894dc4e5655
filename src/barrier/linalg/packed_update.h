// The product behind a wide supernode's dense updates, C −= P·Pᵀ over a
// panel P of source columns spread into the target's rows, computed from
// P packed for 512-bit vectors. The dense library's kernels are chosen by
// its own reading of the processor and may leave the widest vectors unused;
// where the machine has them this product takes about 40% less time.
// Elsewhere the caller keeps to the dense library.
#pragma once
#include <cstdint>

namespace korva::barrier {

// Rows of P in groups of kPackRows: group g holds rows [8g, 8g + 8) of every
// column, column after column, `stride` doubles after group g − 1.
inline constexpr int kPackRows = 8;

// Entry (row, column) of the packed panel.
inline int64_t packed_index(int row, int column, int64_t stride) {
  return (row / kPackRows) * stride + static_cast<int64_t>(column) * kPackRows + row % kPackRows;
}

// Rows of the packed panel to allocate for `rows` rows: the products read
// rows in pairs of groups.
inline int64_t packed_rows(int64_t rows) { return (rows + 2 * kPackRows - 1) / (2 * kPackRows) * (2 * kPackRows); }

// C[lo..hi) × [0..n) −= P[lo..hi) · P[0..n)ᵀ over the first `columns` columns
// of P, C column-major with leading dimension ldc (C's row lo at c[lo]).
// lo is a multiple of 2·kPackRows. Entries above the diagonal (row <
// column) may be left as they were. Each entry is summed over the columns
// in order, so every call gives the same numbers. Only where
// has_wide_vectors().
void subtract_packed_product(const double* packed, int64_t stride, int columns, int lo, int hi, int n, double* c,
                             int64_t ldc);

}  // namespace korva::barrier
