// Knapsack cover cuts. A row Σ a_j·x_j <= b whose columns other than
// binaries can be bounded out is a knapsack over binaries (negative
// coefficients complemented); a set C of its binaries whose weights exceed
// the capacity cannot all be 1: Σ_C y_j <= |C| - 1, extended by every
// binary at least as heavy as the heaviest of C, or, with `lift`, lifted by
// the other binaries one after the other (stronger, but denser: the LPs
// slow down on models with many covers).
#pragma once
#include <vector>

#include "mip/cuts/cut.h"

namespace korva::mip {

// KRV_PARAM_COVERS from which covers are lifted.
inline constexpr int kLiftedCovers = 2;

void separate_covers(const SeparationInput& in, int rows, bool lift, std::vector<Cut>& out);

}  // namespace korva::mip
