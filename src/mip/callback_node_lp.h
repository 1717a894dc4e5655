// The LP of the node a callback is called at, as a problem object the
// callback can read through the ordinary queries: the searched problem's
// columns with the node's bounds, the objective in the user's sense, the
// model's rows and the cuts and lazy constraints active at the node. It is
// always in the searched problem's indices, and it cannot be edited.
#pragma once
#include "mip/callback_data.h"

namespace korva::mip {

// Builds the node LP into d.node_lp (which frees it) unless it is there
// already; returns it, or null with `*status` set (1003 when the call has
// no node, 1001).
Problem* build_node_lp(MipCallbackData& d, int* status);

}  // namespace korva::mip
