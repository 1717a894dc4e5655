// Dense factorisation of one supernode's block, applying the barrier's
// zero-pivot rule (which the library's dense Cholesky cannot).
#pragma once
#include <cstdint>

namespace korva::barrier {

// block: rows × width, column-major with leading dimension rows; its top
// width × width part is the supernode's diagonal block (lower triangle used).
// Factors block = L̃·S·L̃ᵀ restricted to these columns, with S = diag(sign)
// (+1 for a positive definite matrix): the diagonal of L̃ is sqrt(|pivot|).
// A pivot with sign[k]·pivot <= threshold is treated as zero: zero[k] is set,
// the diagonal set to 1 and the rest of the column zeroed.
// work holds width·width doubles. Returns the number of zero pivots, or -1
// when a pivot is not finite.
int factor_dense_block(double* block, int rows, int width, const signed char* sign, signed char* zero,
                       double threshold, double* work);

}  // namespace korva::barrier
