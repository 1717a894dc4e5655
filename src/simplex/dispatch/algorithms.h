// The simplex algorithms the engine has. An algorithm that is not built
// yet answers null, and the entries that need it fail cleanly.
#pragma once
#include "simplex/core/simplex_run.h"

namespace korva::simplex {

SimplexAlgorithm dual_algorithm();
SimplexAlgorithm primal_algorithm();

}  // namespace korva::simplex
