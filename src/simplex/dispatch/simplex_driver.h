// The driver around a simplex run: checks, saved parameters, presolve, the
// solve of the reduced problem, mapping back and the clean-up on the
// original problem. The same driver serves KRVprimopt and KRVdualopt.
#pragma once
#include <functional>

#include "model/problem.h"
#include "simplex/core/simplex_run.h"

namespace korva::simplex {

// method: 1 primal, 2 dual. Returns 0 or an error code (not reported).
int simplex_driver(Environment& env, Problem& p, int method);

// One solve of a problem (the reduced one, or the original when there is
// none) by `method`; the driver does everything around it.
using ProblemSolve = std::function<int(Environment& env, Problem& p, int method, const SimplexSettings& settings,
                                       SimplexOutcome* outcome)>;

// The driver with the solve supplied by the caller: concurrent optimisation
// presolves once and races its solvers on the result.
int simplex_driver_with(Environment& env, Problem& p, int method, const ProblemSolve& solve);

// The settings of a run as the environment's parameters give them.
SimplexSettings simplex_settings_from_params(Environment& env);

// Reasons a problem cannot be solved by the LP simplex: 1017, 1018, 1031, or 0.
int lp_problem_check(const Problem& p);

}  // namespace korva::simplex
