// The LP form of a network: one equality row per node (flow out minus flow
// in equals the supply), one column per arc with +1 in its tail's row and
// -1 in its head's row, the arc's bounds and cost, and the network's
// objective sense. Node names name the rows, arc names the columns.
#pragma once
#include "env/environment.h"
#include "model/problem.h"
#include "network/net_problem.h"

namespace korva::net {

// Replaces the model of `lp` by the LP form of `net` (KRVcopynettolp).
int copy_network_to_lp(Environment& env, const Network& net, Problem& lp);

}  // namespace korva::net
