#include "barrier/linalg/solve_kernels.h"

#include <algorithm>

namespace korva::barrier {
namespace {

#define KORVA_INLINE inline __attribute__((always_inline))

// Σᵢ a[i]·b[i] over four partial sums, fixed by position, which keep the
// adds from waiting on each other.
KORVA_INLINE double dot(const double* __restrict a, const double* __restrict b, int count) {
  constexpr int kLanes = 4;
  const int whole = count - count % kLanes;
  double part[kLanes] = {0, 0, 0, 0};
  for (int i = 0; i < whole; i += kLanes)
    for (int l = 0; l < kLanes; ++l) part[l] += a[i + l] * b[i + l];
  double sum = (part[0] + part[1]) + (part[2] + part[3]);
  for (int i = whole; i < count; ++i) sum += a[i] * b[i];
  return sum;
}

// The bodies, inlined into a plain and a wide-vector, fused multiply-add
// build of each kernel below.
KORVA_INLINE void solve_lower_body(const double* block, int64_t ld, int width, double* x) {
  for (int k = 0; k < width; ++k) {
    const double* __restrict column = block + k * ld;
    const double xk = x[k] / column[k];
    x[k] = xk;
    if (xk == 0.0) continue;
    double* __restrict rest = x;
    for (int i = k + 1; i < width; ++i) rest[i] -= column[i] * xk;
  }
}

KORVA_INLINE void solve_lower_transposed_body(const double* block, int64_t ld, int width, double* x) {
  for (int k = width - 1; k >= 0; --k) {
    const double* column = block + k * ld;
    x[k] = (x[k] - dot(column + k + 1, x + k + 1, width - k - 1)) / column[k];
  }
}

KORVA_INLINE void subtract_rows_times_body(const double* block, int64_t ld, int width, int count, const double* v,
                                           const int* row, double* x, double* sums) {
  std::fill(sums, sums + count, 0.0);
  for (int k = 0; k < width; ++k) {
    const double vk = v[k];
    if (vk == 0.0) continue;
    const double* __restrict column = block + k * ld;
    double* __restrict sum = sums;
    for (int i = 0; i < count; ++i) sum[i] += column[i] * vk;
  }
  for (int i = 0; i < count; ++i) x[row[i]] -= sums[i];
}

KORVA_INLINE void subtract_columns_dot_body(const double* block, int64_t ld, int width, int count, const double* x,
                                            const int* row, double* v, double* gathered) {
  for (int i = 0; i < count; ++i) gathered[i] = x[row[i]];
  for (int k = 0; k < width; ++k) v[k] -= dot(block + k * ld, gathered, count);
}

struct Kernels {
  void (*solve_lower)(const double*, int64_t, int, double*);
  void (*solve_lower_transposed)(const double*, int64_t, int, double*);
  void (*subtract_rows_times)(const double*, int64_t, int, int, const double*, const int*, double*, double*);
  void (*subtract_columns_dot)(const double*, int64_t, int, int, const double*, const int*, double*, double*);
};

#define KORVA_KERNELS(ATTRIBUTES, NAME)                                                                        \
  ATTRIBUTES void solve_lower_##NAME(const double* block, int64_t ld, int width, double* x) {                  \
    solve_lower_body(block, ld, width, x);                                                                     \
  }                                                                                                            \
  ATTRIBUTES void solve_lower_transposed_##NAME(const double* block, int64_t ld, int width, double* x) {       \
    solve_lower_transposed_body(block, ld, width, x);                                                          \
  }                                                                                                            \
  ATTRIBUTES void subtract_rows_times_##NAME(const double* block, int64_t ld, int width, int count,            \
                                             const double* v, const int* row, double* x, double* sums) {       \
    subtract_rows_times_body(block, ld, width, count, v, row, x, sums);                                        \
  }                                                                                                            \
  ATTRIBUTES void subtract_columns_dot_##NAME(const double* block, int64_t ld, int width, int count,           \
                                              const double* x, const int* row, double* v, double* gathered) {  \
    subtract_columns_dot_body(block, ld, width, count, x, row, v, gathered);                                   \
  }                                                                                                            \
  constexpr Kernels kKernels_##NAME{solve_lower_##NAME, solve_lower_transposed_##NAME,                         \
                                    subtract_rows_times_##NAME, subtract_columns_dot_##NAME};

KORVA_KERNELS(, plain)
KORVA_KERNELS(__attribute__((target("avx2,fma"))), fused)

const Kernels& kernels() {
  static const Kernels chosen =
      __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? kKernels_fused : kKernels_plain;
  return chosen;
}

}  // namespace

void solve_lower(const double* block, int64_t ld, int width, double* x) {
  kernels().solve_lower(block, ld, width, x);
}

void solve_lower_transposed(const double* block, int64_t ld, int width, double* x) {
  kernels().solve_lower_transposed(block, ld, width, x);
}

void subtract_rows_times(const double* block, int64_t ld, int width, int count, const double* v, const int* row,
                         double* x, double* sums) {
  kernels().subtract_rows_times(block, ld, width, count, v, row, x, sums);
}

void subtract_columns_dot(const double* block, int64_t ld, int width, int count, const double* x, const int* row,
                          double* v, double* gathered) {
  kernels().subtract_columns_dot(block, ld, width, count, x, row, v, gathered);
}

}  // namespace korva::barrier
