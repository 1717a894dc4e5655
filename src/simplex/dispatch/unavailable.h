// Optimisers that are not part of this build answer with error 1292
// ("Invalid choice of optimization method") after a line on the error
// channel that names what is missing, instead of a made-up solution.
#pragma once
#include "env/environment.h"

namespace korva::simplex {

// `method` in the KRV_PARAM_LPMETHOD numbering (1 primal, 3 network,
// 4 barrier, 5 sifting), or 100 for the quadratic simplex. Returns 1292.
int unavailable_method(Environment& env, int method);

inline constexpr int kQuadraticSimplex = 100;

}  // namespace korva::simplex
