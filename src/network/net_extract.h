// The network part of an LP. Rows whose coefficients all share one
// magnitude are scaled by +-1/magnitude and taken greedily (equality rows
// first, then inequalities, each in index order, the sign +1 tried before
// -1) as long as every column keeps at most two entries among the taken
// rows, and of opposite signs when it has two. The taken rows become nodes,
// the columns with entries in them arcs: a column with one entry joins its
// node to a ground node that balances the supplies, and an inequality row
// gets a slack arc to or from the ground node.
#pragma once
#include <vector>

#include "env/environment.h"
#include "model/problem.h"
#include "network/net_problem.h"

namespace korva::net {

struct NetworkPart {
  std::vector<int> row_of_node;   // LP row per node; -1 for the ground node
  std::vector<int> col_of_arc;    // LP column per arc; -(i + 1) for row i's slack
  std::vector<double> row_scale;  // per LP row: the factor, 0 when not taken
  int ground = -1;                // the ground node, -1 when not needed
  int num_nodes() const { return static_cast<int>(row_of_node.size()); }
  int num_arcs() const { return static_cast<int>(col_of_arc.size()); }
};

// Finds the network part of `lp` (complete, linear) and replaces `net` by
// it. `part` says where each node and arc came from.
int extract_network(Environment& env, Problem& lp, Network& net, NetworkPart& part);

// The LP basis that the network basis of `net` (solved from `part`)
// gives: network rows and arcs as the tree says, other rows basic, other
// columns at a bound. False when the statuses do not form a basis.
bool basis_from_network(const Problem& lp, Network& net, const NetworkPart& part, std::vector<int>& cstat,
                        std::vector<int>& rstat);

}  // namespace korva::net
