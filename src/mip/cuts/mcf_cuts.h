// Cut-set cuts of multi-commodity network design models. For a node set S
// and a set K of commodities whose demand must cross S's boundary in one
// direction, the conservation rows of S for K (each negated where needed
// so that its right-hand side is the negative demand) plus the capacity
// rows of the arcs that carry that demand across give
//   Σ (flows across the other way) + Σ (other commodities' flows) - Σ u_a·y_a <= -demand(S, K),
// whose MIR cut (best_mir_cut) is the cut-set inequality, e.g.
// Σ y_a >= ⌈demand / u⌉ for a common module u. The base row is a
// combination of model rows (equalities with any sign, capacity rows with
// positive factors), so the cut is valid whatever the detected structure.
#pragma once
#include <vector>

#include "mip/cuts/cut.h"
#include "mip/cuts/mcf_network.h"

namespace korva::mip {

// Cuts of family kMcfCuts that cut off in.x, from the network of the first
// `rows` rows of in.model (found anew on each call); returns at once
// after one pass over the rows when the model has no such structure.
void separate_mcf(const SeparationInput& in, int rows, std::vector<Cut>& out);

// The same with a network found before (find_mcf_network over the same
// model rows), for callers that keep it across rounds.
void separate_mcf(const SeparationInput& in, const McfNetwork& net, std::vector<Cut>& out);

}  // namespace korva::mip
