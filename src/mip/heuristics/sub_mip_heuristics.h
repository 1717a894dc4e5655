// Heuristics that search a neighbourhood of known solutions with a nested
// branch-and-cut (sub_mip.h), under KRV_PARAM_SUBMIPNODELIM nodes; never
// inside a nested search. The modes (identifiers 19, 23, 24, 26, 27):
//   0 RINS: integer columns where the incumbent and the node's LP point
//     agree are fixed;
//   1 local branching: at most k binary columns differ from the incumbent;
//   2 crossover: integer columns where the incumbent and other known
//     solutions (the pool, this worker's recent finds) agree are fixed;
//   4 mutation: a random share of the integer columns fixed at the
//     incumbent's values;
//   5 proximity: the closest solution (Hamming distance over the binary
//     columns) whose objective beats the incumbent's by a margin.
// Feasibility (identifier 20): the model with a zero objective, ended at
// its first solution.
#pragma once
#include <vector>

#include "mip/heuristics/heuristic_context.h"

namespace korva::mip {

enum class SubMipMode { Rins = 0, LocalBranching = 1, Crossover = 2, Mutation = 4, Proximity = 5, Feasibility = 100 };

int sub_mip_heuristic(HeuristicContext& ctx, SubMipMode mode, std::vector<double>& x, double* objective, bool* found);

}  // namespace korva::mip
