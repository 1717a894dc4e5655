// Dense kernels for one supernode's block, applying the barrier's zero-pivot
// rule (which the library's dense Cholesky cannot).
#pragma once
#include <cstdint>
#include <functional>

namespace korva::barrier {

// The supernode's block is column-major with leading dimension ld; its top
// width × width part is the diagonal block (lower triangle used). The block
// is factored as L̃·S·L̃ᵀ with S = diag(sign) (+1 for a positive definite
// matrix): the diagonal of L̃ is sqrt(|pivot|).

// Runs body(chunk) for every chunk in [0, count), possibly on several threads.
using ChunkLoop = std::function<void(int count, const std::function<void(int chunk)>& body)>;

// Factors the diagonal block. A pivot with sign[k]·pivot <= threshold is
// treated as zero: zero[k] is set, the diagonal set to 1 and the column below
// zeroed. Any other pivot counts as at least least[k]. work holds
// width·width doubles. The updates inside the block are
// cut into fixed chunks handed to `loop`, so the result does not depend on
// how many threads run them. Returns the number of zero pivots, or -1 when a
// pivot is not finite.
int factor_diagonal_block(double* block, int64_t ld, int width, const signed char* sign, signed char* zero,
                          double threshold, const double* least, double* work, const ChunkLoop& loop);

// Computes `count` rows below the diagonal block (starting at `rows`, same
// leading dimension) from the factored diagonal block: rows := rows·L̃⁻ᵀ·S,
// with the columns of zero pivots zeroed.
void solve_rows_below(const double* block, int64_t ld, int width, double* rows, int count, const signed char* sign,
                      const signed char* zero);

}  // namespace korva::barrier
