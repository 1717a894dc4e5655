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

// Factors the basis of `w` afresh (a repair of a singular one is fine) and
// refreshes the bounds of its basic variables. Returns 0 or the failure.
int refactor_push_basis(Environment& env, const Problem& p, simplex::SimplexWork& w);

// `order` lists the superbasic variables of `w` in the order to push them.
// Each moves towards the bound its reduced cost in the current basis
// favours, so the objective never gets worse. `w` holds a factored basis
// with its basic values on entry.
PushResult primal_push(Environment& env, const Problem& p, simplex::SimplexWork& w, const std::vector<int>& order,
                       double feasibility_tol, double optimality_tol, int display);

// The dual push phase, after the primal one: the basic variables that sit
// on a bound with a reduced cost pointing away from it either get that
// reduced cost to zero by a move of the prices, or leave the basis (a
// degenerate pivot) for the nonbasic variable whose reduced cost blocks
// the move. The nonbasic reduced costs keep their signs, so the basis
// comes out closer to dual feasible. `y` (one per row) and `reduced` (one
// per variable, c - Aᵀy) are the interior point's prices in the scaled
// units of `w`; both are updated.
PushResult dual_push(Environment& env, const Problem& p, simplex::SimplexWork& w, std::vector<double>& y,
                     std::vector<double>& reduced, double feasibility_tol, double optimality_tol, int display);

}  // namespace korva::barrier
