// The barrier optimizer: presolve, interior-point iterations on the
// reduced problem, crossover to a basis, mapping back and the simplex
// clean-up on the original problem.
#pragma once
#include "model/problem.h"

namespace korva::barrier {

// `crossover`: -1 or 0 take the choice from KRV_PARAM_BARCROSSALG;
// otherwise the crossover character of KRVhybbaropt. Returns 0 or an
// error code (1292 for an unknown character).
int barrier_optimize(Environment& env, Problem& p, int crossover);

}  // namespace korva::barrier
