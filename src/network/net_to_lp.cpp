#include "network/net_to_lp.h"

#include "model/model.h"

namespace korva::net {

int copy_network_to_lp(Environment& env, const Network& net, Problem& lp) {
  const int n = net.num_nodes(), m = net.num_arcs();
  model::LpHandover parts;
  parts.objsense = net.sense;
  parts.obj.resize(static_cast<size_t>(m));
  parts.lb.assign(net.arcs.lower.begin(), net.arcs.lower.end());
  parts.ub.assign(net.arcs.upper.begin(), net.arcs.upper.end());
  parts.rhs.assign(net.nodes.supply.begin(), net.nodes.supply.end());
  parts.sense.assign(static_cast<size_t>(n), 'E');
  parts.matbeg.resize(static_cast<size_t>(m));
  parts.matcnt.resize(static_cast<size_t>(m));
  parts.matind.reserve(2 * static_cast<size_t>(m));
  parts.matval.reserve(2 * static_cast<size_t>(m));
  for (int a = 0; a < m; ++a) {
    // Costs are stored times the sense; the LP keeps the user's objective.
    parts.obj[a] = net.arcs.cost[a] * net.sense;
    parts.matbeg[a] = static_cast<int64_t>(parts.matind.size());
    const int tail = net.arcs.tail[a], head = net.arcs.head[a];
    // A loop's +1 and -1 cancel: its column is empty.
    if (tail != head) {
      // Rows in increasing order within the column.
      const bool tail_first = tail < head;
      parts.matind.push_back(tail_first ? tail : head);
      parts.matval.push_back(tail_first ? 1.0 : -1.0);
      parts.matind.push_back(tail_first ? head : tail);
      parts.matval.push_back(tail_first ? -1.0 : 1.0);
    }
    parts.matcnt[a] = static_cast<int>(static_cast<int64_t>(parts.matind.size()) - parts.matbeg[a]);
  }
  parts.col_names = net.arc_names;
  parts.row_names = net.node_names;
  return model::take_lp(env, lp, parts);
}

}  // namespace korva::net
