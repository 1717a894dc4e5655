// Knapsack cover cuts that know about the set-packing rows (GUBs) among
// the knapsack's items. A knapsack row Σ w_j·y_j <= b over binary literals
// (as binary_knapsack reads it) has its items split into disjoint groups,
// each group a subset of a row that lets at most one of its literals be 1.
// Choosing one item i_k in each of a set Q of groups with Σ_k w_{i_k} > b
// gives
//   Σ_{k∈Q} Σ_{j∈G_k, w_j >= w_{i_k}} y_j + Σ_{k∉Q} Σ_{j∈G_k, w_j >= w_max} y_j <= |Q| - 1,
// w_max the heaviest chosen weight. A group adds at most 1 to the left-hand
// side at an integer point; were it |Q|, some |Q| groups would each hold an
// item at 1 weighing at least its group's chosen weight (or at least w_max,
// which is no less than the chosen weight of any group it stands in for),
// so the knapsack would carry more than Σ_k w_{i_k} > b.
#pragma once
#include <vector>

#include "mip/cuts/cut.h"

namespace korva::mip {

// Cuts of family kGubCoverCuts from the knapsacks and set-packing rows among
// the first `rows` rows of in.model, appended to `out` when they cut off
// in.x; a cut a plain extended cover would match is left to that family.
void separate_gub_covers(const SeparationInput& in, int rows, std::vector<Cut>& out);

}  // namespace korva::mip
