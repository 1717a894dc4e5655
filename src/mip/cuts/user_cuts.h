// The user's cut pool separated like a family: the rows it violates at the
// LP point join the relaxation (family "User").
#pragma once
#include <vector>

#include "mip/cuts/cut.h"
#include "model/problem.h"

namespace korva::mip {

void separate_user_cuts(const SeparationInput& in, const RowPool& pool, std::vector<Cut>& out);

}  // namespace korva::mip
