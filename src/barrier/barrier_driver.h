// The barrier optimizer: presolve, interior-point iterations on the
// reduced problem, crossover to a basis, mapping back and the simplex
// clean-up on the original problem.
#pragma once
#include "model/problem.h"
#include "simplex/core/simplex_run.h"

namespace korva::barrier {

// `crossover`: -1 or 0 take the choice from KRV_PARAM_BARCROSSALG;
// otherwise the crossover character of KRVhybbaropt. Returns 0 or an
// error code (1292 for an unknown character).
int barrier_optimize(Environment& env, Problem& p, int crossover);

// The iterations and the crossover on `q` as it is (a presolved problem, or
// an original one), with the crossover of KRV_PARAM_BARCROSSALG: the
// barrier's turn in a concurrent race. The solution record of `q` counts the
// barrier iterations and crossover moves.
int barrier_solve(Environment& env, Problem& q, int method, const simplex::SimplexSettings& settings,
                  simplex::SimplexOutcome* outcome);

}  // namespace korva::barrier
