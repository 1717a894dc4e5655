// The hybrid network optimiser of an LP: the network part is extracted
// and solved by the network simplex, and its tree, as an LP basis, starts
// the primal or dual simplex on the whole problem. The solution record
// names the network method and counts the iterations of both solves.
#pragma once
#include "env/environment.h"
#include "model/problem.h"

namespace korva::net {

// `simplex`: 1 primal, 2 dual. Returns 0 or an error code (not reported).
int hybrid_optimize(Environment& env, Problem& lp, int simplex);

}  // namespace korva::net
