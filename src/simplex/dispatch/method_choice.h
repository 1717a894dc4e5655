// The automatic choice of an LP method and the thread count for LP work.
#pragma once
#include "model/problem.h"

namespace korva::simplex {

// Threads for LP work: KRV_PARAM_THREADS (0: the available count, at most
// 32), capped by the available count.
int lp_thread_count(Environment& env);

// KRV_PARAM_LPMETHOD resolved for `p` (complete, linear). A caller that
// forbids concurrency gets the automatic rule instead of 6.
int choose_lp_method(Environment& env, Problem& p, bool allow_concurrent);

// The primal feasibility check of a starting basis: the most primal-
// infeasible basic variable against KRV_PARAM_EPRHS (j for column j, -i-1
// for the logical of row i), or 2100000000 when the basis is feasible.
// Returns 0 or an error code (1267 when the factorisation had to repair
// the basis).
int check_primal_feasibility(Environment& env, Problem& p, int* infeasible);

}  // namespace korva::simplex
