// KRVmipopt: the driver around the branch-and-bound search. It saves and
// restores the parameters it changes, switches dual reductions off for
// lazy constraints, checks the columns' bounds and the algorithm settings,
// runs the search, checks the incumbent on the model, sets the final MIP
// status and leaves the records the queries read.
#pragma once
#include <cstdint>

#include "model/problem.h"

namespace korva::mip {

int mip_optimize(Environment& env, Problem& p);
// The enumerating search of populate's second phase, from the incumbent of
// the problem's last search; it ends (128) once the pool's offered_total()
// reaches `stop`.
int mip_populate_search(Environment& env, Problem& p, int64_t stop);

// The thread count of a MIP optimisation (the outer entry's team size).
int mip_thread_count(Environment& env, Problem& p);

}  // namespace korva::mip
