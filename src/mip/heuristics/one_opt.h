// 1-opt: each integer column of the incumbent with a cost moves as far in
// its improving direction as the rows' slacks and its bounds allow (whole
// units), passes repeating while anything moves; the continuous columns
// then follow from the LP with the integers fixed. Identifier 2; also run
// on new incumbents.
#pragma once
#include <vector>

#include "mip/heuristics/heuristic_context.h"

namespace korva::mip {

int one_opt(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found);

}  // namespace korva::mip
