// The peer of the network benchmark: the same generated network solved by
// the network simplex of the system's LEMON headers (a measuring stick
// only; nothing of it enters the library).
//
//   network_peer KIND ARCS SEED [--repeat R]
//
// --repeat solves the network R times (a fresh solver each time; the
// seconds are their sum), for timing small instances.
#include <lemon/network_simplex.h>
#include <lemon/smart_graph.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
  const int repeat = argc >= 6 && std::strcmp(argv[4], "--repeat") == 0 ? std::max(1, std::atoi(argv[5])) : 1;
  using Solver = lemon::NetworkSimplex<Graph, double, double>;
  double t = 0.0, objective = 0.0;
  int status = 0;
  for (int r = 0; r < repeat; ++r) {
    const auto start = std::chrono::steady_clock::now();
    Solver solver(graph);
    solver.lowerMap(lower).upperMap(upper).costMap(cost).supplyMap(supply);
    const auto result = solver.run();
    t += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    objective = result == Solver::OPTIMAL ? solver.totalCost() : 0.0;
    status = static_cast<int>(result);
  }
  std::printf("peer_network %.3f %.10g status=%d\n", t, objective, status);
  return 0;
}
