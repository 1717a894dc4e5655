// A generator of minimum-cost flow instances in the manner of the classic
// network generators: sources and sinks joined by a feasible skeleton of
// chains through transshipment nodes, then random arcs with random costs
// and capacities. Shared by the tests and the benchmark drivers; it depends
// on nothing but the standard library.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

namespace netgen {

enum class Kind { Transshipment, Transportation, Assignment };

struct Instance {
  int nodes = 0;
  std::vector<double> supply;  // out minus in at each node
  std::vector<int> from, to;
  std::vector<double> lower, upper, cost;
  int arcs() const { return static_cast<int>(from.size()); }
};

struct Spec {
  Kind kind = Kind::Transshipment;
  int nodes = 100;       // for Assignment: persons (and as many jobs)
  int arcs = 1000;
  int sources = 10, sinks = 10;  // Transshipment and Transportation
  int min_cost = 1, max_cost = 100;
  int total_supply = 10000;
  int min_cap = 100, max_cap = 1000;
  int capacitated_percent = 50;  // share of random arcs with a finite capacity
  uint64_t seed = 1;
};

class Random {
 public:
  explicit Random(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ULL + 1) {}
  uint64_t next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Uniform in lo..hi (inclusive).
  int uniform(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<uint64_t>(hi - lo + 1)); }

 private:
  uint64_t s_;
};

inline void add_arc(Instance& g, int from, int to, double up, double cost) {
  g.from.push_back(from);
  g.to.push_back(to);
  g.lower.push_back(0.0);
  g.upper.push_back(up);
  g.cost.push_back(cost);
}

inline void split_supply(Instance& g, Random& r, int first, int count, int total, double sign) {
  std::vector<int> cuts{0, total};
  for (int k = 1; k < count; ++k) cuts.push_back(r.uniform(0, total));
  std::sort(cuts.begin(), cuts.end());
  for (int k = 0; k < count; ++k) g.supply[first + k] = sign * (cuts[k + 1] - cuts[k]);
}

inline Instance generate(const Spec& s) {
  Random r(s.seed);
  Instance g;
  const double uncapacitated = 1e20;
  auto random_capacity = [&] {
    return r.uniform(0, 99) < s.capacitated_percent ? static_cast<double>(r.uniform(s.min_cap, s.max_cap))
                                                    : uncapacitated;
  };
  if (s.kind == Kind::Assignment) {
    const int n = s.nodes;
    g.nodes = 2 * n;
    g.supply.assign(g.nodes, 0.0);
    for (int i = 0; i < n; ++i) {
      g.supply[i] = 1.0;
      g.supply[n + i] = -1.0;
    }
    // A perfect matching keeps it feasible; the rest is random.
    std::vector<int> perm(n);
    for (int i = 0; i < n; ++i) perm[i] = i;
    for (int i = n - 1; i > 0; --i) std::swap(perm[i], perm[r.uniform(0, i)]);
    for (int i = 0; i < n; ++i) add_arc(g, i, n + perm[i], 1.0, r.uniform(s.min_cost, s.max_cost));
    while (g.arcs() < s.arcs) add_arc(g, r.uniform(0, n - 1), n + r.uniform(0, n - 1), 1.0, r.uniform(s.min_cost, s.max_cost));
    return g;
  }
  g.nodes = s.nodes;
  g.supply.assign(g.nodes, 0.0);
  const int sources = s.sources, sinks = s.sinks;
  split_supply(g, r, 0, sources, s.total_supply, 1.0);
  split_supply(g, r, g.nodes - sinks, sinks, s.total_supply, -1.0);
  if (s.kind == Kind::Transportation) {
    // The north-west corner shipment is a feasible skeleton.
    std::vector<double> left(g.supply.begin(), g.supply.end());
    for (int i = 0, j = 0; i < sources && j < sinks;) {
      const int sink = g.nodes - sinks + j;
      add_arc(g, i, sink, uncapacitated, s.max_cost);
      const double moved = std::min(left[i], -left[sink]);
      left[i] -= moved;
      left[sink] += moved;
      if (left[i] <= 0.0) ++i; else ++j;
    }
    while (g.arcs() < s.arcs)
      add_arc(g, r.uniform(0, sources - 1), g.nodes - sinks + r.uniform(0, sinks - 1), random_capacity(),
              r.uniform(s.min_cost, s.max_cost));
    return g;
  }
  // Transshipment: each source starts a chain through some transshipment
  // nodes to a sink; the chains are uncapacitated, so all supply can move.
  const int middle_first = sources, middle_count = g.nodes - sources - sinks;
  for (int i = 0; i < sources; ++i) {
    int at = i;
    const int steps = middle_count > 0 ? r.uniform(1, std::min(5, middle_count)) : 0;
    for (int k = 0; k < steps; ++k) {
      const int next = middle_first + r.uniform(0, middle_count - 1);
      add_arc(g, at, next, uncapacitated, r.uniform(s.min_cost, s.max_cost));
      at = next;
    }
    for (int j = 0; j < sinks; ++j) add_arc(g, at, g.nodes - sinks + j, uncapacitated, r.uniform(s.min_cost, s.max_cost));
  }
  while (g.arcs() < s.arcs) {
    const int a = r.uniform(0, g.nodes - 1), b = r.uniform(0, g.nodes - 1);
    if (a == b) continue;
    add_arc(g, a, b, random_capacity(), r.uniform(s.min_cost, s.max_cost));
  }
  return g;
}

}  // namespace netgen
