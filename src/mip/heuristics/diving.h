// Diving: from the node's LP solution, one fractional column at a time is
// bounded to a side (its floor or its ceiling), the bound propagated and
// the LP solved again, until the LP solution turns integral, a rounding of
// it holds, or the dive fails (one change of side is allowed per step).
// The rules choose the column and the side:
//   fractional    the least fractional column, to its nearer integer;
//   coefficient   the side with fewer locks (rows it can violate), the
//                 column with the fewest such locks first;
//   guided        toward the incumbent, the column closest to it;
//   pseudocost    the side and column with the best ratio of estimated
//                 degradations (the search's pseudocosts);
//   vector length the side that worsens the objective, the column whose
//                 objective change per row it touches is smallest.
#pragma once
#include <vector>

#include "mip/heuristics/heuristic_context.h"

namespace korva::mip {

enum class DiveRule { Fractional, Coefficient, Guided, Pseudocost, VectorLength };

int dive(HeuristicContext& ctx, DiveRule rule, std::vector<double>& x, double* objective, bool* found);

// Identifier 7: the dive KRV_PARAM_DIVETYPE asks for (1 fractional,
// 2 coefficient, 3 guided); 0 takes the pseudocost dive where the
// pseudocosts of the fractional columns are trusted, otherwise the
// coefficient, fractional and guided (vector length without incumbent)
// dives in turn.
int dive_by_type(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found);

// Identifiers 14 to 17: variant -1 fractional, 0 coefficient, 1 pseudocost,
// 2 vector length.
int dive_variant(HeuristicContext& ctx, int variant, std::vector<double>& x, double* objective, bool* found);

}  // namespace korva::mip
