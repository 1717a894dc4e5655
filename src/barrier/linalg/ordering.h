// Fill-reducing orderings of a symmetric pattern given by its lower triangle.
#pragma once
#include <vector>

#include "barrier/linalg/csc_matrix.h"

namespace korva::barrier {

enum class Ordering { automatic = 0, min_degree = 1, min_fill = 2, nested_dissection = 3 };

// Computes perm (perm[k] = the row eliminated k-th) by the given method
// (not automatic). Returns 0, 1001 when out of memory, or 4005 when the
// ordering library returned something that is not a permutation.
int compute_ordering(const CscMatrix& lower, Ordering method, std::vector<int>& perm);

// Whether perm holds each of 0..n-1 exactly once.
bool is_permutation(const std::vector<int>& perm, int n);

}  // namespace korva::barrier
