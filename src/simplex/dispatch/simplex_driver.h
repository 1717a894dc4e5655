// The driver around a simplex run: checks, saved parameters, presolve, the
// solve of the reduced problem, mapping back and the clean-up on the
// original problem. The same driver serves KRVprimopt and KRVdualopt.
#pragma once
#include "model/problem.h"

namespace korva::simplex {

// method: 1 primal, 2 dual. Returns 0 or an error code (not reported).
int simplex_driver(Environment& env, Problem& p, int method);

// Reasons a problem cannot be solved by the LP simplex: 1017, 1018, 1031, or 0.
int lp_problem_check(const Problem& p);

}  // namespace korva::simplex
