#include "simplex/dispatch/algorithms.h"

#include "simplex/dual/dual_simplex.h"
#include "simplex/primal/primal_simplex.h"

namespace korva::simplex {

SimplexAlgorithm dual_algorithm() { return &dual_simplex; }

SimplexAlgorithm primal_algorithm() { return &primal_simplex; }

}  // namespace korva::simplex
