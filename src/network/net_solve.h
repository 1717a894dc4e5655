// KRVNETprimopt's work: parameters, the start, phases 1 and 2 with the
// tolerance-tightening restart, limits, the network callback and the
// iteration log. Returns 0 or an unreported error code; outcomes such as
// infeasibility are solver states, not errors.
#pragma once
#include "env/environment.h"
#include "network/net_problem.h"

namespace korva::net {

int primal_optimize(Environment& env, Network& net);

// The status KRVNETgetstat reports for a solver state.
int status_of_state(int state);

// Log cadence by number of arcs.
int64_t log_cadence(int64_t arcs);

}  // namespace korva::net
