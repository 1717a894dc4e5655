#include "barrier/linalg/thin_update.h"

#include <algorithm>
#include <array>
#include <utility>

namespace korva::barrier {
namespace {

// A clone for wide vectors and a plain one; neither contracts products into
// fused multiply-adds, which round differently, so both give the same
// numbers.
template <int W>
__attribute__((target_clones("avx2", "default"))) void subtract_columns(const ThinSource& source, const ThinTarget& target) {
  const int64_t ld = source.ld;
  const double* left = source.rows;
  for (int j = 0; j < source.c; ++j) {
    double r[W];
    for (int k = 0; k < W; ++k)
      r[k] = source.columns[k * ld + j] * (source.sign && source.sign[k] < 0 ? -1.0 : 1.0);
    double* column = target.block + static_cast<int64_t>(target.column_index[j] - target.first) * target.ld;
    const int begin = std::max(0, j + target.shift);
    if (target.runs_are_long) {
      for (int run = 0; run < target.runs; ++run) {
        const int lo = std::max(target.run_start[run], begin), hi = target.run_start[run + 1];
        if (lo >= hi) continue;
        double* __restrict to = column + (target.relative[lo] - lo);
        for (int i = lo; i < hi; ++i) {
          double sum = 0;
          for (int k = 0; k < W; ++k) sum += left[k * ld + i] * r[k];
          to[i] -= sum;
        }
      }
    } else {
      const int* relative = target.relative;
      for (int i = begin; i < source.m; ++i) {
        double sum = 0;
        for (int k = 0; k < W; ++k) sum += left[k * ld + i] * r[k];
        column[relative[i]] -= sum;
      }
    }
  }
}

using Kernel = void (*)(const ThinSource&, const ThinTarget&);

template <int... W>
constexpr auto kernels(std::integer_sequence<int, W...>) {
  return std::array<Kernel, sizeof...(W)>{&subtract_columns<W + 1>...};
}

}  // namespace

void subtract_thin_update(const ThinSource& source, const ThinTarget& target) {
  static constexpr auto table = kernels(std::make_integer_sequence<int, kThinUpdateWidth>());
  table[source.width - 1](source, target);
}

}  // namespace korva::barrier
