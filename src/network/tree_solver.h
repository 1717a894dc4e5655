// The primal network simplex on a spanning tree rooted at an artificial
// node. Arcs 0..m-1 are the network's arcs, arc m + i is node i's
// artificial arc to or from the root (node n). The tree is kept as parent,
// first child and doubly linked siblings with depths, so a pivot re-hangs
// the subtree below the leaving arc in time proportional to its size and to
// the length of the cycle.
#pragma once
#include <cstdint>
#include <vector>

#include "network/net_problem.h"

namespace korva::net {

struct PivotOutcome {
  enum Kind { kNone, kDone, kUnbounded } kind = kNone;
  int64_t work = 0;  // nodes and arcs touched, for the tick counter
};

class TreeSolver {
 public:
  // Loads the network; statuses are the starting point. Warm: reuse the
  // basic arcs and artificial flags of `net` as the starting tree when they
  // give flows within bounds. Returns false when the bounds of an arc
  // contradict each other (the arc's index in *bad_arc).
  bool load(const Network& net, bool warm, double feas_tol, int* bad_arc);

  // Phase costs: phase 1 prices artificial flow at `multiplier`, real arcs
  // at zero; phase 2 uses the real costs and pins artificial arcs at zero.
  void enter_phase1(double multiplier);
  void enter_phase2();

  // One pivot with `entering` (a candidate of pricing).
  PivotOutcome pivot(int entering, double feas_tol, bool phase1);

  // The sum of artificial flows (phase-1 infeasibility) and the count of
  // artificial arcs carrying flow.
  double artificial_flow(int64_t* carrying) const;
  double real_objective() const;
  // Checks of the end of phase 2: every node's tree arc within its bounds
  // widened by `tol`, every remaining artificial arc below `tol`.
  bool tree_feasible(double tol) const;
  // Rebuilds flows from the non-basic arcs after a failed check: the tree
  // is kept, artificial arcs may carry flow again.
  void recompute_flows();
  void recompute_potentials();

  // Results for the network object.
  void store(Network& net) const;

  int num_nodes() const { return n_; }
  int num_arcs() const { return m_; }
  const double* costs() const { return cost_.data(); }
  const double* potentials() const { return pot_.data(); }
  const int* tails() const { return tail_.data(); }
  const int* heads() const { return head_.data(); }
  const int8_t* statuses() const { return status_.data(); }
  double flow(int a) const { return flow_[a]; }

 private:
  bool build_tree_from_basis(const Network& net, double feas_tol);
  void cold_tree();
  void attach(int child, int parent);
  void detach(int child);
  int find_join(int u, int v) const;
  void rehang(int u_in, int u_other, int entering, int v_out, double delta);
  void set_artificial(int i, double imbalance);
  // Flow of every tree arc from the supplies and the non-basic flows.
  bool tree_flows_from_statuses(double feas_tol);

  int n_ = 0, m_ = 0;
  double feas_tol_ = 1e-6;
  // Arc arrays, m + n entries.
  std::vector<double> cost_, real_cost_, lower_, upper_, flow_;
  std::vector<int> tail_, head_;
  std::vector<int8_t> status_;
  // Node arrays, n + 1 entries (the root last).
  std::vector<double> supply_, pot_;
  std::vector<int> parent_, pred_, first_child_, next_sib_, prev_sib_, depth_;
  std::vector<int> order_;  // scratch: preorder of the tree
};

}  // namespace korva::net
