// Flow path cuts for fixed-charge networks. The network is read from the
// model: a conservation row is an equality Σ_in y - Σ_out y = d whose
// entries are all ±1 on nonnegative columns; a column with +1 in one such
// row and -1 in another is an arc between them, one appearing in a single
// row is an arc from or to outside the network. A flow y_e can be switched
// by a binary z_e when it is itself binary or a variable upper bound row
// y_e <= u·z_e exists.
//
// For a dipath v_1 -> v_2 -> ... -> v_k (path arcs p_i from v_i to v_{i+1})
// let D_h = d_{v_h} + ... + d_{v_k}, S a set of switched arcs entering a
// path node v_h(e) from off the path, and Q every arc leaving a path node
// other than the path arcs. Then
//   Σ_{e∈S} y_e <= Σ_{e∈S} max(0, D_h(e))·z_e + Σ_{q∈Q} y_q.
// Proof: if every z_e of S is 0 the left side is 0. Otherwise let t be the
// least h(e) with z_e = 1 and T = {v_t, ..., v_k}. Arcs of S entering
// before v_t carry nothing; the others enter T from outside, so summing
// T's rows, Σ_S y_e <= inflow(T) = D_t + outflow(T) - (flows into T
// that are not in S, >= 0) <= D_t + Σ_Q y_q, since the arcs leaving T leave
// a path node and are no path arc (a path arc leaving v_i, i >= t, enters
// v_{i+1} in T). Finally D_t <= max(0, D_t)·z_e for that e with z_e = 1,
// and every other term on the right is nonnegative.
#pragma once
#include <vector>

#include "mip/cuts/cut.h"

namespace korva::mip {

// Adds up to a few hundred violated path cuts over the network found in
// the first `rows` rows of in.model (the model's own rows) to `out`, family
// kFlowPathCuts. Returns at once when the model has no such network.
void separate_flow_paths(const SeparationInput& in, int rows, std::vector<Cut>& out);

}  // namespace korva::mip
