#include "barrier/linalg/dense_block.h"

#include <cblas.h>

#include <algorithm>
#include <cmath>

namespace korva::barrier {
namespace {

constexpr int kPanel = 48;

// Right-looking factor of the small diagonal block of one panel.
int factor_panel_diagonal(double* a, int lda, int k0, int kb, const signed char* sign, signed char* zero,
                          double threshold) {
  int zeros = 0;
  for (int k = k0; k < k0 + kb; ++k) {
    double* col = a + static_cast<int64_t>(k) * lda;
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
    const double l = std::sqrt(s * pivot);
    col[k] = l;
    const double scale = 1.0 / (s * l);
    for (int i = k + 1; i < k0 + kb; ++i) col[i] *= scale;
    for (int j = k + 1; j < k0 + kb; ++j) {
      const double ljs = col[j] * s;
      if (ljs == 0.0) continue;
      double* target = a + static_cast<int64_t>(j) * lda;
      for (int i = j; i < k0 + kb; ++i) target[i] -= col[i] * ljs;
    }
  }
  return zeros;
}

}  // namespace

int factor_dense_block(double* block, int rows, int width, const signed char* sign, signed char* zero,
                       double threshold, double* work) {
  bool all_positive = true;
  for (int k = 0; k < width; ++k) all_positive = all_positive && sign[k] > 0;
  int zeros = 0;
  for (int k0 = 0; k0 < width; k0 += kPanel) {
    const int kb = std::min(kPanel, width - k0);
    const int panel_zeros = factor_panel_diagonal(block, rows, k0, kb, sign, zero, threshold);
    if (panel_zeros < 0) return -1;
    zeros += panel_zeros;
    double* diag = block + static_cast<int64_t>(k0) * rows + k0;
    const int below = rows - k0 - kb;
    if (below > 0) {
      double* panel_below = diag + kb;
      cblas_dtrsm(CblasColMajor, CblasRight, CblasLower, CblasTrans, CblasNonUnit, below, kb, 1.0, diag, rows,
                  panel_below, rows);
      for (int k = 0; k < kb; ++k) {
        double* col = panel_below + static_cast<int64_t>(k) * rows;
        if (zero[k0 + k]) {
          std::fill(col, col + below, 0.0);
        } else if (sign[k0 + k] < 0) {
          for (int i = 0; i < below; ++i) col[i] = -col[i];
        }
      }
    }
    const int trailing = width - k0 - kb;
    if (trailing <= 0) continue;
    // Trailing columns of the supernode: C -= L21·S·L21ᵀ over rows k0+kb.. .
    const double* l21 = diag + kb;
    double* c = block + static_cast<int64_t>(k0 + kb) * rows + k0 + kb;
    if (all_positive) {
      cblas_dsyrk(CblasColMajor, CblasLower, CblasNoTrans, trailing, kb, -1.0, l21, rows, 1.0, c, rows);
      if (below > trailing)
        cblas_dgemm(CblasColMajor, CblasNoTrans, CblasTrans, below - trailing, trailing, kb, -1.0, l21 + trailing,
                    rows, l21, rows, 1.0, c + trailing, rows);
    } else {
      // work = first `trailing` rows of L21 times S.
      for (int k = 0; k < kb; ++k) {
        const double s = sign[k0 + k];
        const double* src = l21 + static_cast<int64_t>(k) * rows;
        double* dst = work + static_cast<int64_t>(k) * trailing;
        for (int i = 0; i < trailing; ++i) dst[i] = src[i] * s;
      }
      cblas_dgemm(CblasColMajor, CblasNoTrans, CblasTrans, below, trailing, kb, -1.0, l21, rows, work, trailing, 1.0,
                  c, rows);
    }
  }
  return zeros;
}

}  // namespace korva::barrier
