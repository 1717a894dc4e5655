// From an interior point to a basic solution: the slack basis with every
// column at its interior value, then the primal push phase moves each
// column that is not on a bound to one, or into the basis. The simplex
// finishes from the feasible basis this leaves.
#pragma once
#include <cstdint>

#include "barrier/ipm_model.h"
#include "barrier/ipm_solver.h"
#include "model/problem.h"
#include "simplex/core/simplex_work.h"

namespace korva::barrier {

struct CrossoverCounts {
  int64_t primal_push = 0;
  int64_t primal_exchange = 0;
  int64_t dual_push = 0;
  int64_t dual_exchange = 0;
};

// Sets the basis and values of `w` (loaded with `p`, the problem `model`
// was built from) for a simplex run that keeps them. Returns 0 or the
// factorisation's failure code.
int crossover_to_basis(Environment& env, const Problem& p, simplex::SimplexWork& w, const IpmModel& model,
                       const IpmResult& result, int display, CrossoverCounts& counts);

}  // namespace korva::barrier
