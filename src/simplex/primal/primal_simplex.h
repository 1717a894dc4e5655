// The bounded primal simplex method: phase I minimises the sum of the
// basic variables' bound violations, phase II the objective. It plugs into
// the engine as a SimplexAlgorithm (core/simplex_run.h) for KRVprimopt, the
// clean-up solve after presolve and the dual formulation of the dual driver.
#pragma once
#include "simplex/core/simplex_run.h"

namespace korva::simplex {

int primal_simplex(Environment& env, const Problem& p, SimplexWork& w, const SimplexSettings& settings,
                   SimplexOutcome& outcome);

}  // namespace korva::simplex
