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

// Minimum degree breaks ties between equal degrees by position, and those
// choices decide much of the fill: minimum degree on a few relabelled
// copies, keeping the best, approximates minimum fill. The relabellings
// (label[i]: the new name of row i) are fixed, so results repeat.
std::vector<std::vector<int>> tie_break_labels(int n);
// Minimum degree on the matrix relabelled by `label`, returned in the
// original numbering. Returns 0, 1001 or 4005.
int relabelled_minimum_degree(const CscMatrix& lower, const std::vector<int>& label, std::vector<int>& perm);

// A few rows of many entries (linking constraints, say) tie the rest of the
// matrix together: minimum degree left to itself eliminates them early and
// fills everything they touch. Whether there are such rows, at most a small
// share of all; and minimum degree that leaves them out and orders them
// last. Returns 0, 1001 or 4005.
bool has_few_dense_rows(const CscMatrix& lower);
int dense_rows_last_minimum_degree(const CscMatrix& lower, std::vector<int>& perm);

// Whether perm holds each of 0..n-1 exactly once.
bool is_permutation(const std::vector<int>& perm, int n);

}  // namespace korva::barrier
