// The primal network simplex on a spanning tree rooted at an artificial
// node. Arcs 0..m-1 are the network's arcs, arc m + i is node i's
// artificial arc to or from the root (node n). The tree is kept as parent
// and tree arc per node plus a thread: the nodes in preorder as a circular
// successor list with its reverse, and per node the size of its subtree
// and the last node of it in the thread. A subtree is then one stretch of
// the thread, so a pivot moves the subtree below the leaving arc by
// relinking one stretch per node of the re-rooted path, and walks the
// subtree only to shift its potentials; subtree sizes also find the apex
// of the cycle without depths. Now and then the nodes are renumbered in
// thread order, which turns those walks into runs over consecutive array
// entries.
//
// A pivot climbs the two sides of the cycle once, recording the nodes;
// the ratio test, the flow change and the update of the tree then run
// over those lists. The flow and bounds of a tree arc live with the node
// below it while the arc is basic, so that none of these steps reads the
// large per-arc arrays at random.
#pragma once
#include <cstdint>
#include <vector>

#include "env/huge_pages.h"
#include "network/net_problem.h"
#include "network/pricing.h"

namespace korva::net {

// An arc's flow with its bounds: the ratio test reads the three together
// for arcs all over the network, so they share one cache line.
struct alignas(32) ArcRange {
  double flow = 0.0;
  double lower = 0.0;
  double upper = 0.0;
};

// The arc joining a node to its parent, kept with the node: its index, its
// flow and bounds (the arc's own entries hold a stale flow while it is
// basic), and whether it runs from the node up to the parent.
struct alignas(32) TreeArc {
  double flow = 0.0;
  double lower = 0.0;
  double upper = 0.0;
  int arc = -1;
  int8_t points_up = 0;
};

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

  // Phase costs. Phase 1 prices artificial flow at `multiplier` times a
  // penalty; with `real_costs` the real arcs keep their costs and the
  // penalty outweighs any path of them, so that phase 1 ends near the
  // optimum (false when the costs are too large for that to be exact).
  // Without, real arcs cost nothing and the penalty is 1. Phase 2 uses the
  // real costs and pins artificial arcs at zero.
  bool enter_phase1(double multiplier, bool real_costs);
  void enter_phase2();
  // The objective of the current phase's costs.
  double phase_objective() const;

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
  // The real arcs and their statuses in pricing's group order.
  const PricedArc* priced_arcs() const { return priced_.data(); }
  const int8_t* priced_statuses() const { return priced_status_.data(); }
  const double* potentials() const { return pot_.data(); }

 private:
  bool build_tree_from_basis(const Network& net, double feas_tol);
  void cold_tree();
  // Construction only: children lists, turned into the thread by
  // build_thread once the tree stands.
  void attach(int child, int parent);
  void build_thread();
  // The nodes in preorder from the root, into order_.
  void preorder();
  // Climbs from both ends of the entering arc to their common ancestor,
  // which it returns, recording the nodes passed on each side.
  int climb_to_join(int first, int second);
  // Moves the subtree below the leaving arc: `in_side` lists the nodes
  // from u_in up to (not including) the join, v_out at position `k`;
  // `other_side` those from u_other. The entering arc runs from u_in to
  // u_other when `entering_points_up`.
  void rehang(const int* in_side, int in_count, int k, const int* other_side, int other_count, int entering,
              bool entering_points_up, int join, double delta);
  // Adds delta to the potentials of the `count` nodes of the thread from
  // `first` on.
  void shift_stretch(int first, int count, double delta);
  void renumber();
  void set_artificial(int i, double imbalance);
  // Flow of every tree arc from the supplies and the non-basic flows.
  bool tree_flows_from_statuses(double feas_tol);
  // Between the two copies of the tree arcs' data: the arcs' own entries
  // are brought up to date before anything reads them over all arcs, and
  // the nodes' copies are reloaded after whole-tree changes.
  void settle_flows() const;
  void load_tree_arcs();
  // Per node, an estimate of its optimal potential apart from the phase-1
  // penalty (see enter_phase1); in scratch storage.
  const double* estimate_duals();
  // Pricing's copy of the real arcs, after costs or statuses changed.
  void refresh_priced();
  // Arc a, at `position` in group order when it is a real arc.
  void set_status(int a, int position, int8_t status) {
    status_[a] = status;
    if (a < m_) priced_status_[position] = status;
  }

  // Sizes the arrays: from a huge-page arena when they add up to enough
  // for page faults to matter (see HugeArena).
  void allocate_arrays();
  template <class T>
  void carve(BigArray<T>& array, size_t count, const T& value) {
    array = BigArray<T>(count, value, HugePageAllocator<T>(&arena_));
  }

  // First: the arrays below may live in it.
  HugeArena arena_;
  int n_ = 0, m_ = 0;
  double feas_tol_ = 1e-6;
  // Arc arrays, m + n entries.
  // Cost and end nodes side by side: pricing reads them together.
  BigArray<PricedArc> arc_;
  mutable BigArray<ArcRange> range_;
  BigArray<double> real_cost_;
  BigArray<int8_t> status_;
  // The real arcs again, in the order pricing scans them (see GroupLayout):
  // a group is then one stretch of memory.
  GroupLayout layout_;
  BigArray<PricedArc> priced_;
  BigArray<int8_t> priced_status_;
  // Node arrays, n + 1 entries (the root last).
  BigArray<double> supply_, pot_;
  // Parent and subtree size side by side: finding the apex of a cycle
  // climbs reading both.
  struct UpLink {
    int parent = -1;
    int succ_num = 1;
  };
  BigArray<UpLink> up_;
  BigArray<TreeArc> tree_;
  BigArray<int> thread_, rev_thread_, last_succ_;
  BigArray<int> first_child_, next_sib_;  // construction only
  BigArray<int> order_;  // scratch: parent-before-child order of the tree
  // Nodes are renumbered now and then (see renumber): node_id_ maps the
  // solver's number to the network's, and node i's artificial arc is
  // m + node_id_[i]. The rest is scratch of the renumbering.
  BigArray<int> node_id_, new_label_, scratch_int_;
  BigArray<double> scratch_double_;
  BigArray<UpLink> scratch_up_;
  BigArray<TreeArc> scratch_tree_;
  // Steps of the potential walks since the last renumbering that left
  // the sequence of node numbers: each is likely a cache miss.
  int64_t jumps_ = 0;
  // Scratch of a pivot: the two sides of the cycle and the stretches of
  // the thread that move.
  BigArray<int> first_side_, second_side_;
  std::vector<int> path_, piece_first_, piece_last_;
  int first_count_ = 0, second_count_ = 0;
};

}  // namespace korva::net
