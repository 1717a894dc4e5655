#include "simplex/dispatch/algorithms.h"

#include "simplex/dual/dual_simplex.h"

namespace korva::simplex {

SimplexAlgorithm dual_algorithm() { return &dual_simplex; }

// The primal simplex registers itself here when it is built.
SimplexAlgorithm primal_algorithm() { return nullptr; }

}  // namespace korva::simplex
