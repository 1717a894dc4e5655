// The check every solution passes before it enters a solution pool: the
// pool answers queries on the model as the user gave it, so a solution
// that a mapping or a heuristic got wrong must stop here.
#pragma once
#include <vector>

#include "model/problem.h"

namespace korva::mip {

// True when x (one value per column of p) keeps the bounds, integrality,
// semi-continuity, linear rows, lazy constraints, indicator constraints
// and special ordered sets of p within the tolerances. A row's activity is
// trusted to 1e-9 of the size of its terms. Quadratic constraints are not
// checked. `activity` and `size` are scratch (resized to the row count).
bool pool_solution_feasible(const Problem& p, const double* x, double integrality, double feasibility,
                            std::vector<double>& activity, std::vector<double>& size);

}  // namespace korva::mip
