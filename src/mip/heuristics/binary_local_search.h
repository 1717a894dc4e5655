// The special heuristic of pure binary problems: from the LP point
// rounded, a local search flips one column at a time to repair violated
// rows (a violated row is picked at random; the flip in it that lowers the
// total violation most, the cheaper on ties, with a short tabu list and
// now and then a random flip that helps the row), and once every row
// holds, flips that lower the objective and keep every row (1-opt).
#pragma once
#include <vector>

#include "mip/heuristics/heuristic_context.h"

namespace korva::mip {

// Runs only when every column is binary (found stays false otherwise).
int binary_local_search(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found);

}  // namespace korva::mip
