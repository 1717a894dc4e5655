// The unbounded direction of an unbounded LP (KRVgetray) and the checks of
// a basis and of the stored solution (KRVcheckdfeas, KRVchecksoln). Every
// function returns 0 or an error code not yet reported.
#pragma once
#include "model/problem.h"

namespace korva::simplex {

// One value per column: a direction along which every row and bound stays
// satisfied and the objective improves without limit (1254 unless the
// status is unbounded).
int get_ray(Environment& env, Problem& p, double* z);

// Refactorises the current basis and reports the most dual-infeasible
// nonbasic variable against KRV_PARAM_EPOPT (index convention), or
// 2100000000 when the basis is dual feasible. A basis the factorisation
// has to repair is 1267.
int check_dual_feasibility(Environment& env, Problem& p, int* infeasible);

// Checks the stored basic solution on the user's data: an optimum whose
// unscaled violations exceed the tolerances becomes status 5, a status 5
// that meets them becomes 1; the record's feasibility flags are set from
// the check. *status receives the resulting status.
int check_solution(Environment& env, Problem& p, int* status);

}  // namespace korva::simplex
