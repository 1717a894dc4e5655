// The peer of the network benchmark: the same generated network solved by
// the network simplex of the system's LEMON headers (a measuring stick
// only; nothing of it enters the library).
//
//   network_peer KIND ARCS SEED
#include <lemon/network_simplex.h>
#include <lemon/smart_graph.h>

#include <chrono>
#include <cstdio>
#include <limits>

#include "network_instances.h"

int main(int argc, char** argv) {
  netgen::Kind kind;
  if (argc < 4 || !netbench::kind_of(argv[1], kind)) {
    std::fprintf(stderr, "usage: network_peer KIND ARCS SEED\n");
    return 1;
  }
  const netgen::Instance g = netbench::instance(kind, std::atoi(argv[2]), std::strtoull(argv[3], nullptr, 10));
  using Graph = lemon::SmartDigraph;
  Graph graph;
  graph.reserveNode(g.nodes);
  graph.reserveArc(g.arcs());
  for (int i = 0; i < g.nodes; ++i) graph.addNode();
  Graph::ArcMap<double> lower(graph), upper(graph), cost(graph);
  Graph::NodeMap<double> supply(graph);
  const double inf = std::numeric_limits<double>::infinity();
  for (int a = 0; a < g.arcs(); ++a) {
    const Graph::Arc arc = graph.addArc(graph.nodeFromId(g.from[a]), graph.nodeFromId(g.to[a]));
    lower[arc] = g.lower[a];
    upper[arc] = g.upper[a] >= 1e20 ? inf : g.upper[a];
    cost[arc] = g.cost[a];
  }
  for (int i = 0; i < g.nodes; ++i) supply[graph.nodeFromId(i)] = g.supply[i];
  const auto start = std::chrono::steady_clock::now();
  lemon::NetworkSimplex<Graph, double, double> solver(graph);
  solver.lowerMap(lower).upperMap(upper).costMap(cost).supplyMap(supply);
  const auto result = solver.run();
  const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("peer_network %.3f %.10g status=%d\n", t, result == lemon::NetworkSimplex<Graph, double, double>::OPTIMAL ? solver.totalCost() : 0.0,
              static_cast<int>(result));
  return 0;
}
