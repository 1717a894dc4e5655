#include "barrier/linalg/thin_update.h"

#include <algorithm>

namespace korva::barrier {
namespace {

// Inlined into each clone of subtract_thin_update, which compiles it for
// that clone's instructions.
template <int W>
inline __attribute__((always_inline)) void subtract_columns(const ThinSource& source, const ThinTarget& target) {
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

}  // namespace

// A clone for wide vectors and a plain one. Neither contracts products into
// fused multiply-adds (which round differently; the file is compiled without
// contraction), so both give the same numbers.
__attribute__((target_clones("avx2", "default"))) void subtract_thin_update(const ThinSource& source,
                                                                            const ThinTarget& target) {
  static_assert(kThinUpdateWidth == 8, "one case per width");
  switch (source.width) {
    case 1: return subtract_columns<1>(source, target);
    case 2: return subtract_columns<2>(source, target);
    case 3: return subtract_columns<3>(source, target);
    case 4: return subtract_columns<4>(source, target);
    case 5: return subtract_columns<5>(source, target);
    case 6: return subtract_columns<6>(source, target);
    case 7: return subtract_columns<7>(source, target);
    default: return subtract_columns<8>(source, target);
  }
}

}  // namespace korva::barrier
