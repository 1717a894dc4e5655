// The per-supernode steps of the factor's triangular solves, as plain loops.
// The dense library's routines cost more in their calls than in their work
// on the many small blocks of a sparse factor, and its triangular solve
// takes a lock for its scratch on every call, on which threads solving side
// by side would queue. Where the machine has fused multiply-adds the loops
// use them: each product-sum is rounded once, which keeps the solves of
// late interior-point iterations more accurate. Each result entry is summed
// in a fixed order, however the calls are shared among threads.
#pragma once
#include <cstdint>

namespace korva::barrier {

// The diagonal block's triangle (lower, column-major, leading dimension
// ld) solved in place: L·x = b, and Lᵀ·x = b.
void solve_lower(const double* block, int64_t ld, int width, double* x);
void solve_lower_transposed(const double* block, int64_t ld, int width, double* x);

// Forward: x[row[i]] −= Σₖ block[k·ld + i]·v[k] for i in [0, count), the
// sum over k in order (sums: count doubles of scratch).
void subtract_rows_times(const double* block, int64_t ld, int width, int count, const double* v, const int* row,
                         double* x, double* sums);

// Backward: v[k] −= Σᵢ block[k·ld + i]·x[row[i]] over i in [0, count)
// (gathered: count doubles of scratch).
void subtract_columns_dot(const double* block, int64_t ld, int width, int count, const double* x, const int* row,
                          double* v, double* gathered);

}  // namespace korva::barrier
