// Knapsack cover cuts. A row Σ a_j·x_j <= b whose columns other than
// binaries can be bounded out is a knapsack over binaries (negative
// coefficients complemented); a set C of its binaries whose weights exceed
// the capacity cannot all be 1: Σ_C y_j <= |C| - 1, lifted by the other
// binaries one after the other.
#pragma once
#include <vector>

#include "mip/cuts/cut.h"

namespace korva::mip {

void separate_covers(const SeparationInput& in, int rows, std::vector<Cut>& out);

}  // namespace korva::mip
