// Implied bound cuts: probing found that a binary at one value bounds
// another column more tightly than its global bound U (or L). Between the
// two values the bound is linear in the binary:
//   x_j = 1 ⇒ x_k <= b:  x_k + (U - b)·x_j <= U
//   x_j = 0 ⇒ x_k <= b:  x_k - (U - b)·x_j <= b
// and the same for lower bounds with the signs turned.
#pragma once
#include <vector>

#include "mip/cuts/cut.h"
#include "mip/probing.h"

namespace korva::mip {

void separate_implied_bounds(const SeparationInput& in, const std::vector<ImpliedBound>& implied,
                             std::vector<Cut>& out);

}  // namespace korva::mip
