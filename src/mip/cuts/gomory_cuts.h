// Gomory mixed-integer cuts from the rows of the optimal tableau. The row
// of a basic integer column with a fractional value is a combination of the
// model's rows (their logicals included); mixed-integer rounding of that
// equation, with every column and logical at the bound it sits at, cuts the
// LP point off. The logicals are written back as their rows.
#pragma once
#include <vector>

#include "mip/cuts/cut.h"
#include "mip/domain.h"
#include "mip/node_lp.h"

namespace korva::mip {

// At most `candidates` rows, the most fractional first.
void separate_gomory(const SeparationInput& in, const Domain& domain, NodeLp& lp, int candidates,
                     std::vector<Cut>& out);

}  // namespace korva::mip
