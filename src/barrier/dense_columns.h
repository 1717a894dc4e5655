// Which columns are too dense for the normal-equations matrix: each one
// would fill a block of A·Θ·Aᵀ as large as its length squared.
#pragma once
#include <cstdint>
#include <vector>

#include "barrier/linalg/csc_matrix.h"
#include "env/environment.h"

namespace korva::barrier {

// `threshold` > 0: columns with more nonzeros are dense. 0: chosen from the
// column lengths (none below 100 rows). Logs the threshold at display >= 1.
std::vector<char> find_dense_columns(Environment& env, const CscMatrix& a, int64_t threshold, int display);

}  // namespace korva::barrier
