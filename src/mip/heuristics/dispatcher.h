// The one entry through which the search runs a heuristic: a small
// integer identifier (2 to 32) names the heuristic and its variant or
// argument. A heuristic that finds a solution sets *found and returns the
// solution (integral, satisfying the model's rows within the tolerances,
// below ctx.cutoff) in x with its objective (minimisation sense, offset
// included); the caller records it as an incumbent candidate. Nothing
// found is no error; an error code ends the caller's sequence.
//
//   2        1-opt on the incumbent
//   3 to 6   rounding variants 0 to 3: simple, shift, with propagation,
//            guided by the incumbent (rounding.h)
//   7        the dive of KRV_PARAM_DIVETYPE (diving.h)
//   8        the special heuristic of pure binary problems (binary_local_search.h)
//   9        the quick rounding of MIP emphasis 3
//   10       the feasibility pump by KRV_PARAM_FPHEUR (feasibility_pump.h)
//   11 to 13 lock-driven fix-and-propagate with argument 2100000000 (by
//            locks), -1 (down) and 1 (up) (fix_and_propagate.h)
//   14 to 17 dives by variant -1 fractional, 0 coefficient, 1 pseudocost,
//            2 vector length
//   18       the end-of-root heuristic: without incumbent a short
//            objective pump, then the zero-objective sub-MIP; with one,
//            RINS
//   19, 23, 24, 26, 27  the sub-MIP heuristic in modes 0 RINS, 1 local
//            branching, 2 crossover, 4 mutation, 5 proximity
//   20       the zero-objective sub-MIP, ended at its first solution
// The other identifiers up to 32 find nothing.
#pragma once
#include <vector>

#include "mip/heuristics/heuristic_context.h"

namespace korva::mip {

inline constexpr int kFirstHeuristic = 2;
inline constexpr int kLastHeuristic = 32;

// Identifiers the search schedules by name.
namespace heuristic_id {
inline constexpr int kOneOpt = 2;
inline constexpr int kSimpleRounding = 3;
inline constexpr int kDive = 7;
inline constexpr int kPureBinary = 8;
inline constexpr int kQuickRounding = 9;
inline constexpr int kFeasibilityPump = 10;
inline constexpr int kEndOfRoot = 18;
inline constexpr int kRins = 19;
inline constexpr int kFeasibilitySubMip = 20;
inline constexpr int kLocalBranching = 23;
inline constexpr int kCrossover = 24;
inline constexpr int kMutation = 26;
inline constexpr int kProximity = 27;
}  // namespace heuristic_id

// Returns 0 or an error code (1003 for an identifier outside 2 to 32,
// 1004 for a null flag or objective).
int run_heuristic(HeuristicContext& ctx, int identifier, bool* found, std::vector<double>& x, double* objective);

}  // namespace korva::mip
