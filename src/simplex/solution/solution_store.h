// Writing the result of a simplex run into the problem: the solution
// record in user units, the basis, and the status.
#pragma once
#include "model/problem.h"
#include "simplex/core/simplex_run.h"
#include "simplex/core/simplex_work.h"

namespace korva::simplex {

void store_simplex_solution(Environment& env, Problem& p, SimplexWork& w, const SimplexOutcome& outcome,
                            int method);

// Records a status without values (a presolve verdict, an algorithm that
// stopped before any basis existed).
void store_status_only(Problem& p, int status, int method);

}  // namespace korva::simplex
