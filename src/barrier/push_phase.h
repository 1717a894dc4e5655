// The primal push phase of crossover. Starting from a basis and an
// interior point held as superbasic values, every superbasic variable is
// moved to a bound; a basic variable that reaches its bound first leaves
// the basis for it. The point stays primal feasible throughout and never
// has to be recomputed from the basis, so an ill-conditioned basis cannot
// spoil it: the simplex then starts from a feasible basic solution.
#pragma once
#include <cstdint>
#include <vector>

#include "model/problem.h"
#include "simplex/core/simplex_work.h"

namespace korva::barrier {

struct PushResult {
  int64_t pushed = 0;     // variables moved onto a bound
  int64_t exchanged = 0;  // variables that entered the basis instead
  int code = 0;           // 0, or a factorisation failure
};

// `order` lists the superbasic variables of `w` in the order to push them;
// `reduced` gives each variable's reduced cost from the interior point
// (the side to push towards). `w` holds a factored basis with its basic
// values on entry.
PushResult primal_push(Environment& env, const Problem& p, simplex::SimplexWork& w, const std::vector<int>& order,
                       const std::vector<double>& reduced, double feasibility_tol, int display);

}  // namespace korva::barrier
