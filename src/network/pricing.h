// Choice of the entering arc. The real arcs are split into interleaved
// groups (arc g, g + stride, g + 2 stride, ...) of about K arcs each, so a
// partial scan sees arcs from the whole network. Three objects share one
// table of operations, chosen by KRV_PARAM_NETPPRIIND: group pricing (1),
// a surviving candidate list (2) and a sorted candidate list (0, 3).
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace korva::net {

// An arc's current cost (of the running phase) and its end nodes, kept
// together: pricing visits arcs far apart and so reads one cache line per
// arc instead of three.
struct PricedArc {
  double cost = 0.0;
  int tail = 0;
  int head = 0;
};

// What pricing reads: the arrays of the running solver.
struct PricingView {
  const PricedArc* arcs = nullptr;
  const double* potential = nullptr;
  const int8_t* status = nullptr;
  int num_arcs = 0;  // real arcs only; artificial arcs never enter
};

struct Candidate {
  int arc;
  double violation;
};

struct PricingState {
  PricingView view;
  double tolerance = 1e-6;
  int group_size = 15;  // K
  int stride = 1;       // number of groups
  int next_group = 0;
  std::vector<Candidate> list;
  size_t capacity = 0;
  size_t wrap = 0;               // next slot to overwrite in a full list (value 2)
  std::vector<int8_t> in_list;   // per arc
  int64_t work = 0;              // arcs priced since the last reset (ticks)
};

struct PricingOps {
  void (*initialize)(PricingState& s, const PricingView& view, double tolerance);
  // The entering arc, or -1 when no arc violates optimality.
  int (*select)(PricingState& s, double* violation);
  void (*release)(PricingState& s);
  void (*set_tolerance)(PricingState& s, double tolerance);
};

// Null for an out-of-range choice.
const PricingOps* pricing_ops(int choice);

// The violation of an arc under the current potentials (negative means it
// may enter). Exposed for the tests.
inline double arc_violation(const PricingView& v, int a) {
  const int8_t st = v.status[a];
  if (st == 1 || st >= 4) return 0.0;
  const PricedArc& arc = v.arcs[a];
  const double d = arc.cost - v.potential[arc.tail] + v.potential[arc.head];
  if (st == 0) return d;
  if (st == 2) return -d;
  return d > -1e-10 ? -d : d;
}

}  // namespace korva::net
