// The dual simplex method (the default LP method and the node solver of
// branch-and-cut): phase I reaches a dual feasible basis, phase II removes
// the primal infeasibilities one leaving row at a time. It plugs into the
// engine as a SimplexAlgorithm (core/simplex_run.h).
#pragma once
#include "simplex/core/simplex_run.h"

namespace korva::simplex {

int dual_simplex(Environment& env, const Problem& p, SimplexWork& w, const SimplexSettings& settings,
                 SimplexOutcome& outcome);

}  // namespace korva::simplex
