// What a MIP optimisation makes of the problem's MIP starts before its
// search, and the repair of the starts that gave nothing.
//
// Each start runs at its effort level (automatic: 4 for the start at index
// 0, 1 for the others; 1 becomes 2 when the problem has lazy constraints):
//   1 CheckFeas   the values as they are; when only continuous columns are
//                 missing, they are computed with the integer values fixed;
//   2 SolveFixed  the integer values fixed, the rest solved (an LP when
//                 every integer column is given, else a nested search);
//   3 SolveMIP, 4 Repair, 5 NoCheck
//                 a complete start is first checked as it is; otherwise the
//                 integer values that can be fixed are fixed and a nested
//                 search (KRV_PARAM_SUBMIPNODELIM nodes) completes them.
// Whatever the level, a point becomes a solution only when it satisfies
// the model within KRV_PARAM_EPRHS and KRV_PARAM_EPINT. A start that gives
// nothing is retained for the repair heuristic unless KRV_PARAM_REPAIRTRIES
// is -1. The messages go to the results channel when `display` (the MIP
// display level) is at least 1; warnings go to the warning channel.
//
// How the driver uses them:
//   - at step 6, before presolve, on the user's problem and its model:
//       MipStartOutcome starts;
//       if (int code = process_mip_starts(env, p, model, settings.display, starts)) ...;
//       starts.found: starts.x (one value per column of p) with
//       starts.objective (the user's sense) is the starting incumbent;
//   - at the root, after the root LP, when starts.retained is not empty:
//       MipStartOutcome repaired;
//       repair_mip_starts(env, model, starts.retained,
//                         env.long_param(KRV_PARAM_REPAIRTRIES), settings.display, repaired);
//     with the same (original) model; a found point is in p's columns too.
#pragma once
#include <string>
#include <vector>

#include "mip/mip_model.h"

namespace korva::mip {

// A start that gave no solution, kept with its values for the repair.
struct RetainedStart {
  int index = -1;               // the start's index in the problem
  std::vector<int> cols;        // its entries
  std::vector<double> values;
};

struct MipStartOutcome {
  bool found = false;
  std::vector<double> x;        // the best solution found (model columns)
  double objective = 0.0;       // its objective, user's sense
  int index = -1;               // the start that gave it
  int solutions = 0;            // starts that gave a solution
  std::vector<int> levels;      // per start: the level it ran at (-1 skipped)
  std::vector<RetainedStart> retained;
  bool out_of_memory = false;   // processing ended early for want of memory
};

// Runs every start of `p` in index order. `model` is build_mip_model of p.
// Returns 0 or an error code of a nested search (running out of memory is
// not an error here: the warning is written and processing ends).
int process_mip_starts(Environment& env, const Problem& p, const MipModel& model, int display,
                       MipStartOutcome& out);

// The repair heuristic: for each retained start in turn, the integer values
// it gives stay fixed except those of the columns in rows the fixings make
// infeasible; a nested search looks for a solution close to the start, and
// each further try frees the columns that share rows with the freed ones.
// `tries` is KRV_PARAM_REPAIRTRIES: -1 none, 0 automatic (3), else the
// tries per start. The first solution found ends the repair.
int repair_mip_starts(Environment& env, const MipModel& model, const std::vector<RetainedStart>& retained,
                      long long tries, int display, MipStartOutcome& out);

}  // namespace korva::mip
