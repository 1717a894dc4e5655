#include "barrier/linalg/dense_block.h"

#include <cblas.h>

#include <algorithm>
#include <cmath>

namespace korva::barrier {
namespace {

constexpr int kPanel = 48;
// Rows or columns of the trailing block updated by one kernel call.
constexpr int kChunk = 128;

// Right-looking factor of the small diagonal block of one panel.
int factor_panel(double* a, int64_t lda, int k0, int kb, const signed char* sign, signed char* zero,
                 double threshold, const double* least) {
  int zeros = 0;
  for (int k = k0; k < k0 + kb; ++k) {
    double* col = a + k * lda;
    const double pivot = col[k];
    if (!std::isfinite(pivot)) return -1;
    const double s = sign[k];
    if (s * pivot <= threshold) {
      zero[k] = 1;
      col[k] = 1.0;
      for (int i = k + 1; i < k0 + kb; ++i) col[i] = 0.0;
      ++zeros;
      continue;
    }
    zero[k] = 0;
    const double l = std::sqrt(std::max(s * pivot, least[k]));
    col[k] = l;
    const double scale = 1.0 / (s * l);
    for (int i = k + 1; i < k0 + kb; ++i) col[i] *= scale;
    for (int j = k + 1; j < k0 + kb; ++j) {
      const double ljs = col[j] * s;
      if (ljs == 0.0) continue;
      double* target = a + j * lda;
      for (int i = j; i < k0 + kb; ++i) target[i] -= col[i] * ljs;
    }
  }
  return zeros;
}

}  // namespace

void solve_rows_below(const double* block, int64_t ld, int width, double* rows, int count, const signed char* sign,
                      const signed char* zero) {
  if (count <= 0 || width <= 0) return;
  cblas_dtrsm(CblasColMajor, CblasRight, CblasLower, CblasTrans, CblasNonUnit, count, width, 1.0, block,
              static_cast<int>(ld), rows, static_cast<int>(ld));
  for (int k = 0; k < width; ++k) {
    double* col = rows + k * ld;
    if (zero[k]) {
      std::fill(col, col + count, 0.0);
    } else if (sign[k] < 0) {
      for (int i = 0; i < count; ++i) col[i] = -col[i];
    }
  }
}

int factor_diagonal_block(double* block, int64_t ld, int width, const signed char* sign, signed char* zero,
                          double threshold, const double* least, double* work, const ChunkLoop& loop) {
  bool all_positive = true;
  for (int k = 0; k < width; ++k) all_positive = all_positive && sign[k] > 0;
  const int lda = static_cast<int>(ld);
  int zeros = 0;
  for (int k0 = 0; k0 < width; k0 += kPanel) {
    const int kb = std::min(kPanel, width - k0);
    const int panel_zeros = factor_panel(block, ld, k0, kb, sign, zero, threshold, least);
    if (panel_zeros < 0) return -1;
    zeros += panel_zeros;
    const int trailing = width - k0 - kb;
    if (trailing <= 0) continue;
    double* diag = block + k0 * ld + k0;
    double* l21 = diag + kb;
    const int chunks = (trailing + kChunk - 1) / kChunk;
    loop(chunks, [&](int chunk) {
      const int lo = chunk * kChunk, count = std::min(kChunk, trailing - lo);
      solve_rows_below(diag, ld, kb, l21 + lo, count, sign + k0, zero + k0);
    });
    // Trailing diagonal block, by column chunks: C -= L21·S·L21ᵀ.
    double* c = block + (k0 + kb) * ld + k0 + kb;
    if (!all_positive) {  // work = L21·S
      for (int k = 0; k < kb; ++k) {
        const double s = sign[k0 + k];
        const double* src = l21 + k * ld;
        double* dst = work + static_cast<int64_t>(k) * trailing;
        for (int i = 0; i < trailing; ++i) dst[i] = src[i] * s;
      }
    }
    loop(chunks, [&](int chunk) {
      const int lo = chunk * kChunk, cols = std::min(kChunk, trailing - lo);
      double* target = c + lo * ld + lo;
      if (all_positive) {
        cblas_dsyrk(CblasColMajor, CblasLower, CblasNoTrans, cols, kb, -1.0, l21 + lo, lda, 1.0, target, lda);
        const int below = trailing - lo - cols;
        if (below > 0)
          cblas_dgemm(CblasColMajor, CblasNoTrans, CblasTrans, below, cols, kb, -1.0, l21 + lo + cols, lda, l21 + lo,
                      lda, 1.0, target + cols, lda);
      } else {
        cblas_dgemm(CblasColMajor, CblasNoTrans, CblasTrans, trailing - lo, cols, kb, -1.0, l21 + lo, lda, work + lo,
                    trailing, 1.0, target, lda);
      }
    });
  }
  return zeros;
}

}  // namespace korva::barrier
