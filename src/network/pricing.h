// Choice of the entering arc. The real arcs are split into interleaved
// groups (arc g, g + stride, g + 2 stride, ...) of about K arcs each, so a
// partial scan sees arcs from the whole network. Three objects share one
// table of operations, chosen by KRV_PARAM_NETPPRIIND: group pricing (1),
// a surviving candidate list (2) and a sorted candidate list (0, 3).
//
// Pricing reads the arcs in group order: group after group, each in the
// order of its arcs, so that a group is one stretch of memory rather than
// K arcs a stride apart. Inside pricing an arc is known by its position in
// that order; the entering arc is returned by its index.
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

// The groups of `num_arcs` arcs: the stride (number of groups) and K,
// and where each group and each arc sits in group order. With q arcs per
// stride and r left over, the first r groups hold q + 1 arcs, the rest q.
struct GroupLayout {
  int group_size = 15;  // K
  int stride = 1;
  int q = 0, r = 0;
  int first(int g) const { return g <= r ? g * (q + 1) : r * (q + 1) + (g - r) * q; }
  int position(int a) const { return first(a % stride) + a / stride; }
  int arc(int p) const {
    const int big = r * (q + 1);
    if (p < big) return p / (q + 1) + (p % (q + 1)) * stride;
    return r + (p - big) / q + ((p - big) % q) * stride;
  }
};
GroupLayout group_layout(int num_arcs);

// What pricing reads: the arrays of the running solver, the real arcs and
// their statuses in group order.
struct PricingView {
  const PricedArc* arcs = nullptr;
  const double* potential = nullptr;
  const int8_t* status = nullptr;
  int num_arcs = 0;  // real arcs only; artificial arcs never enter
};

struct Candidate {
  int position;  // in group order
  double violation;
};

struct PricingState {
  PricingView view;
  double tolerance = 1e-6;
  GroupLayout layout;
  int next_group = 0;
  std::vector<Candidate> list;
  size_t capacity = 0;
  size_t wrap = 0;               // next slot to overwrite in a full list (value 2)
  std::vector<int8_t> in_list;   // per position
  std::vector<Candidate> found;  // scratch: the candidates of one group
  std::vector<int> select_scratch;  // scratch of the partial sort (value 0, 3)
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

// The violation of an arc of status `st` and reduced cost d (negative
// means it may enter; 0 for basic and fixed arcs). Written as selects: the
// statuses of the arcs that pricing visits in turn follow no pattern.
inline double violation_of(int8_t st, double d) {
  const double free_viol = d > -1e-10 ? -d : d;
  const double upper_or_free = st == 2 ? -d : st == 3 ? free_viol : 0.0;
  return st == 0 ? d : upper_or_free;
}

// The violation of the arc at position p under the current potentials.
inline double arc_violation(const PricingView& v, int p) {
  const PricedArc& arc = v.arcs[p];
  return violation_of(v.status[p], arc.cost - v.potential[arc.tail] + v.potential[arc.head]);
}

}  // namespace korva::net
