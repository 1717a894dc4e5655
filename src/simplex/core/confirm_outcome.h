// A simplex run's verdict is only given to the caller once the user's own
// data confirm it: "optimal" needs the unscaled primal and dual
// infeasibilities within the tolerances, "infeasible" an infeasibility
// certificate that holds on the unscaled model, "unbounded" a feasible
// point and a ray that holds there. When the check fails, the run goes on
// from where it stopped with remedies of increasing cost (a fresh factor
// with a stricter pivot threshold, tighter tolerances, the other simplex,
// no scaling, a slack basis), each announced in the log. What cannot be
// confirmed in the end is reported honestly: status 5 for an optimum with
// unscaled infeasibilities, 6 for an unproven infeasibility,
// unboundedness or a run without an optimal basis, with a warning. A
// remedy never leaves things worse: an optimum that only missed the
// unscaled tolerances is returned to when the remedies fail.
#pragma once
#include "model/problem.h"
#include "simplex/core/simplex_run.h"

namespace korva::simplex {

// `outcome` and `code` are the first run's, on the work record it left; on
// return `outcome` is the final one (counters summed over all runs). A
// singular basis that the first run could not get past (1256) is a
// numerical failure that the remedies start over from; other error codes
// are returned as they are. Returns 0 or an error code.
int confirm_outcome(Environment& env, Problem& p, int method, const SimplexSettings& settings,
                    SimplexOutcome& outcome, int code);

}  // namespace korva::simplex
