#include "barrier/linalg/packed_update.h"

#include <immintrin.h>

#include <algorithm>

namespace korva::barrier {
namespace {

constexpr int kTileRows = 2 * kPackRows;

// A tile of C of up to 16 rows by 8 columns, its sums in 16 registers: for
// each column k of the panel, two vectors of the tile's rows times each of
// the 8 entries of its columns' rows. Rows and columns beyond the tile's
// (rows, cols) are read from the panel's padding and never stored.
__attribute__((target("avx512f"))) inline void subtract_tile(const double* upper_rows, const double* lower_rows,
                                                             const double* tile_columns, int columns, double* c,
                                                             int64_t ldc, int rows, int cols) {
  __m512d upper[kPackRows], lower[kPackRows];
#pragma GCC unroll 8
  for (int j = 0; j < kPackRows; ++j) upper[j] = lower[j] = _mm512_setzero_pd();
  for (int k = 0; k < columns; ++k) {
    const __m512d p = _mm512_loadu_pd(upper_rows + k * kPackRows);
    const __m512d q = _mm512_loadu_pd(lower_rows + k * kPackRows);
    const double* s = tile_columns + k * kPackRows;
#pragma GCC unroll 8
    for (int j = 0; j < kPackRows; ++j) {
      const __m512d sj = _mm512_set1_pd(s[j]);
      upper[j] = _mm512_fmadd_pd(p, sj, upper[j]);
      lower[j] = _mm512_fmadd_pd(q, sj, lower[j]);
    }
  }
  const __mmask8 upper_mask = rows >= kPackRows ? 0xFF : static_cast<__mmask8>((1u << rows) - 1);
  const __mmask8 lower_mask = rows >= kTileRows  ? 0xFF
                              : rows > kPackRows ? static_cast<__mmask8>((1u << (rows - kPackRows)) - 1)
                                                 : 0;
#pragma GCC unroll 8
  for (int j = 0; j < kPackRows; ++j) {
    if (j >= cols) break;
    double* column = c + j * ldc;
    _mm512_mask_storeu_pd(column, upper_mask,
                          _mm512_sub_pd(_mm512_maskz_loadu_pd(upper_mask, column), upper[j]));
    if (lower_mask)
      _mm512_mask_storeu_pd(column + kPackRows, lower_mask,
                            _mm512_sub_pd(_mm512_maskz_loadu_pd(lower_mask, column + kPackRows), lower[j]));
  }
}

}  // namespace

// Column tiles outside, row tiles inside: a tile's 8 columns of the panel
// stay in the first-level cache while the rows of the chunk stream by.
__attribute__((target("avx512f"))) void subtract_packed_product(const double* packed, int64_t stride, int columns,
                                                                int lo, int hi, int n, double* c, int64_t ldc) {
  for (int c0 = 0; c0 < n; c0 += kPackRows) {
    const int cols = std::min(kPackRows, n - c0);
    const double* tile_columns = packed + (c0 / kPackRows) * stride;
    for (int r0 = lo; r0 < hi; r0 += kTileRows) {
      const int rows = std::min(kTileRows, hi - r0);
      if (c0 >= r0 + rows) continue;  // wholly above the diagonal
      const double* upper_rows = packed + (r0 / kPackRows) * stride;
      subtract_tile(upper_rows, upper_rows + stride, tile_columns, columns, c + c0 * ldc + r0, ldc, rows, cols);
    }
  }
}

}  // namespace korva::barrier
