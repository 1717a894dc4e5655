#include "barrier/linalg/thin_update.h"

#include <immintrin.h>

#include <algorithm>

#include "barrier/linalg/wide_vectors.h"

namespace korva::barrier {
namespace {

// Inlined into each clone of subtract_thin_update, which compiles it for
// that clone's instructions. W = 0: the update is already in `product`
// (source.m × source.c, column-major) and is only subtracted.
template <int W>
inline __attribute__((always_inline)) void subtract_columns(const ThinSource& source, const double* product,
                                                            const ThinTarget& target) {
  const int64_t ld = source.ld;
  const double* left = source.rows;
  for (int j = 0; j < source.c; ++j) {
    double r[W > 0 ? W : 1];
    for (int k = 0; k < W; ++k)
      r[k] = source.columns[k * ld + j] * (source.sign && source.sign[k] < 0 ? -1.0 : 1.0);
    const double* from = nullptr;
    if constexpr (W == 0) from = product + static_cast<int64_t>(j) * source.m;
    // The update of entry i of the column: its sum over the source columns
    // in order, or the product's entry.
    auto update = [&](int i) {
      double sum = 0;
      if constexpr (W == 0) sum = from[i];
      for (int k = 0; k < W; ++k) sum += left[k * ld + i] * r[k];
      return sum;
    };
    double* column = target.block + static_cast<int64_t>(target.column_index[j] - target.first) * target.ld;
    const int begin = std::max(0, j + target.shift);
    if (target.runs_are_long) {
      for (int run = 0; run < target.runs; ++run) {
        const int lo = std::max(target.run_start[run], begin), hi = target.run_start[run + 1];
        if (lo >= hi) continue;
        double* __restrict to = column + (target.relative[lo] - lo);
        for (int i = lo; i < hi; ++i) to[i] -= update(i);
      }
    } else {
      const int* relative = target.relative;
      for (int i = begin; i < source.m; ++i) column[relative[i]] -= update(i);
    }
  }
}

// With 512-bit vectors and their masks: the runs of target rows average
// a handful of rows, and a masked vector takes a run of up to 8 at once
// where the loops above spend more time in their scalar remainders than in
// their vectors. Products and sums as above, one by one and in the same
// order, so the numbers are the same. W = 0: the update is already in
// `product` (source.m × source.c, column-major) and is only subtracted.
template <int W>
__attribute__((target("avx512f"))) inline void subtract_runs_masked(const ThinSource& source, const double* product,
                                                                     const ThinTarget& target) {
  const int64_t ld = source.ld;
  const double* left = source.rows;
  for (int j = 0; j < source.c; ++j) {
    __m512d r[W > 0 ? W : 1];
    for (int k = 0; k < W; ++k)
      r[k] = _mm512_set1_pd(source.columns[k * ld + j] * (source.sign && source.sign[k] < 0 ? -1.0 : 1.0));
    const double* from = nullptr;
    if constexpr (W == 0) from = product + static_cast<int64_t>(j) * source.m;
    double* column = target.block + static_cast<int64_t>(target.column_index[j] - target.first) * target.ld;
    const int begin = std::max(0, j + target.shift);
    for (int run = 0; run < target.runs; ++run) {
      const int lo = std::max(target.run_start[run], begin), hi = target.run_start[run + 1];
      if (lo >= hi) continue;
      double* to = column + (target.relative[lo] - lo);
      for (int i = lo; i < hi; i += 8) {
        const __mmask8 mask = hi - i >= 8 ? 0xFF : static_cast<__mmask8>((1u << (hi - i)) - 1);
        __m512d update = _mm512_setzero_pd();
        if constexpr (W == 0) update = _mm512_maskz_loadu_pd(mask, from + i);
        for (int k = 0; k < W; ++k)
          update = _mm512_add_pd(update, _mm512_mul_pd(_mm512_maskz_loadu_pd(mask, left + k * ld + i), r[k]));
        _mm512_mask_storeu_pd(to + i, mask, _mm512_sub_pd(_mm512_maskz_loadu_pd(mask, to + i), update));
      }
    }
  }
}

// Entry by entry, so any instructions give the same numbers.
__attribute__((target_clones("avx2", "default"))) void subtract_product_vectorised(const double* product, int m, int c,
                                                                                   const ThinTarget& target) {
  subtract_columns<0>(ThinSource{nullptr, nullptr, 0, 0, m, c, nullptr}, product, target);
}

__attribute__((target("avx512f"))) void subtract_product_masked(const double* product, int m, int c,
                                                                const ThinTarget& target) {
  subtract_runs_masked<0>(ThinSource{nullptr, nullptr, 0, 0, m, c, nullptr}, product, target);
}

// The kernel compiled for the source's width, inside the caller's
// instructions (templates cannot be cloned for them).
#define KORVA_FOR_WIDTH(kernel, ...)              \
  switch (source.width) {                         \
    case 1: return kernel<1>(__VA_ARGS__);        \
    case 2: return kernel<2>(__VA_ARGS__);        \
    case 3: return kernel<3>(__VA_ARGS__);        \
    case 4: return kernel<4>(__VA_ARGS__);        \
    case 5: return kernel<5>(__VA_ARGS__);        \
    case 6: return kernel<6>(__VA_ARGS__);        \
    case 7: return kernel<7>(__VA_ARGS__);        \
    default: return kernel<8>(__VA_ARGS__);       \
  }

__attribute__((target("avx512f"))) void subtract_thin_update_masked(const ThinSource& source,
                                                                    const ThinTarget& target) {
  KORVA_FOR_WIDTH(subtract_runs_masked, source, nullptr, target)
}

// A clone for wide vectors and a plain one. Neither contracts products into
// fused multiply-adds (which round differently; the file is compiled without
// contraction), so both give the same numbers.
__attribute__((target_clones("avx2", "default"))) void subtract_thin_update_vectorised(const ThinSource& source,
                                                                                       const ThinTarget& target) {
  KORVA_FOR_WIDTH(subtract_columns, source, nullptr, target)
}

#undef KORVA_FOR_WIDTH

}  // namespace

void subtract_thin_update(const ThinSource& source, const ThinTarget& target) {
  static_assert(kThinUpdateWidth == 8, "one case per width");
  if (target.runs_are_long && has_wide_vectors()) return subtract_thin_update_masked(source, target);
  subtract_thin_update_vectorised(source, target);
}

void subtract_update_product(const double* product, int m, int c, const ThinTarget& target) {
  if (target.runs_are_long && has_wide_vectors()) return subtract_product_masked(product, m, c, target);
  subtract_product_vectorised(product, m, c, target);
}

}  // namespace korva::barrier
