#include "network/tree_solver.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "network/arc_status.h"

namespace korva::net {
namespace {

constexpr double kInfiniteStep = 1e30;
constexpr double kUnboundedStep = 5e19;
constexpr double kNoFlowChange = 1e-13;
constexpr double kTieMargin = 1e-10;
// A renumbering is worth this many jumps out of a run of consecutive nodes
// per arc and node that it relabels.
constexpr int64_t kRenumberRatio = 1;
constexpr double kPhase1RatioTol = 1e-10;
// Integral costs keep potentials of this size exact; fractional ones blur
// the phase-1 reduced costs only, which phase 2 recomputes.
constexpr double kLargestPenalty = 1e14;
// Below this many bytes of arrays the page faults of ordinary memory cost
// less than clearing a huge page.
constexpr size_t kArenaBytes = size_t{512} << 10;

bool infinite_range(double lower, double upper) {
  return lower <= -kSolverInfinity || upper >= kSolverInfinity;
}

double nonbasic_flow(int8_t status, double lower, double upper) {
  switch (status) {
    case kAtUpper:
      return upper;
    case kFreeZero:
    case kArcGone:
      return 0.0;
    default:
      return lower;
  }
}

// A non-basic status that no longer fits the bounds is replaced by the
// starting rule.
bool status_fits(int8_t status, double lower, double upper, double feas_tol) {
  switch (status) {
    case kAtLower:
      return lower > -kSolverInfinity;
    case kAtUpper:
      return upper < kSolverInfinity;
    case kFreeZero:
      return lower <= -kSolverInfinity && upper >= kSolverInfinity;
    case kFixed:
      return std::fabs(upper - lower) < feas_tol;
    default:
      return true;
  }
}

}  // namespace

bool TreeSolver::load(const Network& net, bool warm, double feas_tol, int* bad_arc) {
  n_ = net.num_nodes();
  feas_tol_ = feas_tol;
  m_ = net.num_arcs();
  const size_t nodes = static_cast<size_t>(n_ + 1);
  const ArcArrays& in = net.arcs;
  for (int a = 0; a < m_; ++a) {
    if (in.lower[a] > in.upper[a] + feas_tol) {
      *bad_arc = a;
      return false;
    }
  }
  allocate_arrays();
  std::copy(in.cost.begin(), in.cost.end(), real_cost_.begin());
  for (int a = 0; a < m_; ++a) {
    range_[a].lower = in.lower[a];
    range_[a].upper = in.upper[a];
  }
  for (int a = 0; a < m_; ++a) arc_[a] = {in.cost[a], in.tail[a], in.head[a]};
  for (int a = 0; a < m_; ++a) {
    int8_t st = warm ? in.status[a] : initial_status(in.cost[a], in.lower[a], in.upper[a], feas_tol);
    if (st != kBasic && !status_fits(st, range_[a].lower, range_[a].upper, feas_tol))
      st = initial_status(in.cost[a], range_[a].lower, range_[a].upper, feas_tol);
    status_[a] = st;
  }
  std::copy(net.nodes.supply.begin(), net.nodes.supply.end(), supply_.begin());
  for (size_t i = 0; i < nodes; ++i) node_id_[i] = static_cast<int>(i);
  jumps_ = 0;

  if (!warm || !build_tree_from_basis(net, feas_tol)) cold_tree();
  build_thread();
  load_tree_arcs();
  refresh_priced();
  return true;
}

void TreeSolver::allocate_arrays() {
  const size_t arcs = static_cast<size_t>(m_ + n_), nodes = static_cast<size_t>(n_ + 1);
  const size_t real = static_cast<size_t>(m_);
  // Every array below, each rounded up to its alignment.
  const size_t per_arc = sizeof(PricedArc) + sizeof(ArcRange) + sizeof(double) + sizeof(int8_t);
  const size_t per_real_arc = sizeof(PricedArc) + sizeof(int8_t);
  const size_t per_node = 4 * sizeof(double) + 2 * sizeof(UpLink) + 2 * sizeof(TreeArc) + 13 * sizeof(int);
  const size_t expected = arcs * per_arc + real * per_real_arc + nodes * per_node + 32 * 64;
  if (expected >= kArenaBytes && !arena_.in_use()) arena_.start(expected);

  carve(real_cost_, arcs, 0.0);
  carve(range_, arcs, ArcRange{0.0, 0.0, kInfiniteStep});
  carve(arc_, arcs, PricedArc{});
  carve(status_, arcs, static_cast<int8_t>(kBasic));
  layout_ = group_layout(m_);
  carve(priced_, real, PricedArc{});
  carve(priced_status_, real, static_cast<int8_t>(kBasic));
  carve(supply_, nodes, 0.0);
  carve(pot_, nodes, 0.0);
  carve(up_, nodes, UpLink{});
  carve(tree_, nodes, TreeArc{});
  carve(first_child_, nodes, -1);
  carve(next_sib_, nodes, -1);
  carve(thread_, nodes, 0);
  carve(rev_thread_, nodes, 0);
  carve(last_succ_, nodes, 0);
  carve(order_, nodes, 0);
  carve(node_id_, nodes, 0);
  carve(new_label_, nodes, 0);
  carve(scratch_int_, nodes, 0);
  carve(scratch_double_, nodes, 0.0);
  carve(scratch_up_, nodes, UpLink{});
  carve(scratch_tree_, nodes, TreeArc{});
  carve(first_side_, nodes, 0);
  carve(second_side_, nodes, 0);
}

void TreeSolver::attach(int child, int parent) {
  next_sib_[child] = first_child_[parent];
  first_child_[parent] = child;
  up_[child].parent = parent;
}

// Depth-first from the root over the children lists; then subtree sizes
// backwards and the last node of each subtree forwards.
void TreeSolver::build_thread() {
  const int root = n_;
  int count = 0;
  path_.clear();
  path_.push_back(root);
  while (!path_.empty()) {
    const int u = path_.back();
    path_.pop_back();
    order_[count++] = u;
    for (int c = first_child_[u]; c >= 0; c = next_sib_[c]) path_.push_back(c);
  }
  for (int k = 0; k <= n_; ++k) {
    const int u = order_[k], v = order_[k == n_ ? 0 : k + 1];
    thread_[u] = v;
    rev_thread_[v] = u;
    up_[u].succ_num = 1;
  }
  for (int k = n_; k >= 1; --k) up_[up_[order_[k]].parent].succ_num += up_[order_[k]].succ_num;
  for (int k = 0; k <= n_; ++k) last_succ_[order_[k]] = order_[k + up_[order_[k]].succ_num - 1];
}

void TreeSolver::preorder() {
  int count = 0;
  order_[count++] = n_;
  for (int v = thread_[n_]; v != n_; v = thread_[v]) order_[count++] = v;
}

// Orients node i's artificial arc so that it carries the imbalance as a
// non-negative flow.
void TreeSolver::set_artificial(int i, double imbalance) {
  const int a = m_ + node_id_[i];
  // Without imbalance the arc points to the root: a tree whose empty arcs
  // all point upwards is strongly feasible.
  if (imbalance >= 0.0) {
    arc_[a].tail = i;
    arc_[a].head = n_;
    range_[a].flow = imbalance;
  } else {
    arc_[a].tail = n_;
    arc_[a].head = i;
    range_[a].flow = -imbalance;
  }
  status_[a] = kBasic;
  // Called for nodes that hang on their artificial arc.
  tree_[i].points_up = arc_[a].tail == i;
}

void TreeSolver::cold_tree() {
  const int root = n_;
  std::fill(first_child_.begin(), first_child_.end(), -1);
  std::vector<double> imbalance(supply_.begin(), supply_.begin() + n_);
  for (int a = 0; a < m_; ++a) {
    if (status_[a] == kBasic) status_[a] = initial_status(real_cost_[a], range_[a].lower, range_[a].upper, feas_tol_);
    const double x = nonbasic_flow(status_[a], range_[a].lower, range_[a].upper);
    range_[a].flow = x;
    imbalance[arc_[a].tail] -= x;
    imbalance[arc_[a].head] += x;
  }
  up_[root].parent = -1;
  for (int i = n_ - 1; i >= 0; --i) {
    attach(i, root);
    tree_[i].arc = m_ + i;
    set_artificial(i, imbalance[i]);
  }
}

// The previous basis as the starting tree: nodes that hung on the root keep
// their artificial arc, the basic arcs join the rest. Arcs meeting each node
// are gathered by counting (degrees, then prefix sums). Basic arcs that
// close a cycle become non-basic; nodes left unreached hang on the root.
bool TreeSolver::build_tree_from_basis(const Network& net, double feas_tol) {
  const int root = n_;
  std::vector<int> start(static_cast<size_t>(n_ + 2), 0), adj;
  for (int a = 0; a < m_; ++a) {
    if (status_[a] != kBasic) continue;
    ++start[arc_[a].tail + 2];
    ++start[arc_[a].head + 2];
  }
  for (int i = 0; i < n_; ++i) start[i + 2] += start[i + 1];
  adj.resize(static_cast<size_t>(start[n_ + 1]));
  for (int a = 0; a < m_; ++a) {
    if (status_[a] != kBasic) continue;
    adj[start[arc_[a].tail + 1]++] = a;
    adj[start[arc_[a].head + 1]++] = a;
  }
  std::vector<int8_t> seen(static_cast<size_t>(n_ + 1), 0);
  std::vector<int8_t> used(static_cast<size_t>(m_), 0);
  int count = 0;
  order_[count++] = root;
  seen[root] = 1;
  auto hang_on_root = [&](int i) {
    attach(i, root);
    tree_[i].arc = m_ + i;
    seen[i] = 1;
    order_[count++] = i;
  };
  for (int i = n_ - 1; i >= 0; --i)
    if (net.nodes.artificial[i]) hang_on_root(i);
  // Breadth first from the root; a component without an artificial arc
  // gets one on its first node.
  int next_unseen = 0;
  for (int k = 1;;) {
    for (; k < count; ++k) {
      const int u = order_[k];
      for (int p = start[u]; p < start[u + 1]; ++p) {
        const int a = adj[p];
        if (used[a]) continue;
        used[a] = 1;
        const int v = arc_[a].tail == u ? arc_[a].head : arc_[a].tail;
        if (seen[v]) {
          status_[a] = initial_status(real_cost_[a], range_[a].lower, range_[a].upper, feas_tol);
          continue;
        }
        seen[v] = 1;
        attach(v, u);
        tree_[v].arc = a;
        tree_[v].points_up = arc_[a].tail == v;
        order_[count++] = v;
      }
    }
    while (next_unseen < n_ && seen[next_unseen]) ++next_unseen;
    if (next_unseen == n_) break;
    hang_on_root(next_unseen);
  }
  for (int a = 0; a < m_; ++a)
    if (status_[a] == kBasic && !used[a])
      status_[a] = initial_status(real_cost_[a], range_[a].lower, range_[a].upper, feas_tol);
  if (tree_flows_from_statuses(feas_tol)) return true;
  std::fill(first_child_.begin(), first_child_.end(), -1);
  return false;
}

// order_ holds a parent-before-child order of all n + 1 nodes.
bool TreeSolver::tree_flows_from_statuses(double feas_tol) {
  std::vector<double> excess(supply_.begin(), supply_.begin() + n_);
  excess.push_back(0.0);
  for (int a = 0; a < m_; ++a) {
    if (status_[a] == kBasic) continue;
    const double x = nonbasic_flow(status_[a], range_[a].lower, range_[a].upper);
    range_[a].flow = x;
    excess[arc_[a].tail] -= x;
    excess[arc_[a].head] += x;
  }
  bool within = true;
  for (int k = n_; k >= 1; --k) {
    const int u = order_[k];
    const int a = tree_[u].arc;
    if (a >= m_) {
      set_artificial(u, excess[u]);
    } else {
      range_[a].flow = arc_[a].tail == u ? excess[u] : -excess[u];
      if (range_[a].flow < range_[a].lower - feas_tol || range_[a].flow > range_[a].upper + feas_tol) within = false;
    }
    excess[up_[u].parent] += excess[u];
  }
  for (int i = 0; i < n_; ++i)
    if (tree_[i].arc < m_ && status_[m_ + node_id_[i]] == kBasic) status_[m_ + node_id_[i]] = kArcGone;
  return within;
}

void TreeSolver::settle_flows() const {
  for (int i = 0; i < n_; ++i) range_[tree_[i].arc].flow = tree_[i].flow;
}

void TreeSolver::load_tree_arcs() {
  for (int i = 0; i < n_; ++i) {
    const ArcRange& r = range_[tree_[i].arc];
    tree_[i].flow = r.flow;
    tree_[i].lower = r.lower;
    tree_[i].upper = r.upper;
  }
}

void TreeSolver::refresh_priced() {
  for (int g = 0; g < layout_.stride; ++g) {
    const int begin = layout_.first(g), end = layout_.first(g + 1);
    for (int p = begin, a = g; p < end; ++p, a += layout_.stride) {
      priced_[p] = arc_[a];
      priced_status_[p] = status_[a];
    }
  }
}

void TreeSolver::recompute_flows() {
  preorder();
  tree_flows_from_statuses(0.0);
  // Flows out of bounds are repaired by the next phase 1 only when they sit
  // on artificial arcs; clip real ones to their bounds.
  for (int i = 0; i < n_; ++i) {
    const int a = tree_[i].arc;
    if (a < m_) range_[a].flow = std::clamp(range_[a].flow, range_[a].lower, range_[a].upper);
  }
  load_tree_arcs();
}

void TreeSolver::recompute_potentials() {
  pot_[n_] = 0.0;
  for (int c = thread_[n_]; c != n_; c = thread_[c]) {
    const int u = up_[c].parent, a = tree_[c].arc;
    pot_[c] = arc_[a].tail == c ? pot_[u] + arc_[a].cost : pot_[u] - arc_[a].cost;
  }
}

bool TreeSolver::enter_phase1(double multiplier, bool real_costs) {
  settle_flows();
  double penalty = 1.0, largest = 0.0;
  if (real_costs) {
    for (int a = 0; a < m_; ++a) largest = std::max(largest, std::fabs(real_cost_[a]));
    // The floor outweighs any path of real arcs; the estimates of
    // estimate_duals move a node's penalty by up to 2 * largest either way.
    penalty = (largest + 1.0) * (n_ + 1.0) + 2.0 * largest;
    // Potentials of the size of the penalty would swamp the reduced costs.
    // Without real costs, artificial flow costs 1.
    if (penalty + 2.0 * largest > kLargestPenalty) {
      real_costs = false;
      penalty = 1.0;
    }
  }
  if (real_costs)
    for (int a = 0; a < m_; ++a) arc_[a].cost = real_cost_[a];
  else
    for (int a = 0; a < m_; ++a) arc_[a].cost = 0.0;
  const double* y = real_costs ? estimate_duals() : nullptr;
  for (int i = 0; i < n_; ++i) {
    const int a = m_ + node_id_[i];
    const double share = y ? (arc_[a].tail == i ? y[i] : -y[i]) : 0.0;
    arc_[a].cost = multiplier * (penalty + share);
    range_[a].upper = kInfiniteStep;
  }
  load_tree_arcs();
  refresh_priced();
  recompute_potentials();
  return real_costs;
}

// With real costs in phase 1, a node hanging on the root starts with the
// potential of its artificial arc: the penalty, up for a node that sends
// flow to the root and down for one that receives it, plus a share that
// can be chosen freely. Choosing that share as an estimate of the node's
// optimal potential lets pricing compare the arcs between senders and
// receivers by their cost against that estimate instead of by their bare
// cost. The estimate is the reduction that starts the classical assignment
// methods: each receiver's cheapest incoming arc, then each sender's
// cheapest outgoing arc at those values, both over the arcs that can carry
// more flow from a sender to a receiver. On assignment problems it saves
// about a fifth of the pivots; elsewhere it is about neutral.
const double* TreeSolver::estimate_duals() {
  double* y = scratch_double_.data();
  int* receives = scratch_int_.data();
  constexpr double kNone = std::numeric_limits<double>::infinity();
  for (int i = 0; i < n_; ++i) {
    receives[i] = arc_[m_ + node_id_[i]].head == i;
    y[i] = receives[i] ? -kNone : kNone;
  }
  receives[n_] = 0;
  const auto sender_to_receiver = [&](int a) {
    return status_[a] == kAtLower && !receives[arc_[a].tail] && receives[arc_[a].head];
  };
  for (int a = 0; a < m_; ++a)
    if (sender_to_receiver(a)) y[arc_[a].head] = std::max(y[arc_[a].head], -real_cost_[a]);
  for (int i = 0; i < n_; ++i)
    if (receives[i] && y[i] == -kNone) y[i] = 0.0;
  for (int a = 0; a < m_; ++a)
    if (sender_to_receiver(a)) y[arc_[a].tail] = std::min(y[arc_[a].tail], real_cost_[a] + y[arc_[a].head]);
  for (int i = 0; i < n_; ++i)
    if (y[i] == kNone) y[i] = 0.0;
  return y;
}

double TreeSolver::phase_objective() const {
  settle_flows();
  double sum = 0.0;
  for (int a = 0; a < m_ + n_; ++a)
    if (status_[a] != kArcGone) sum += arc_[a].cost * range_[a].flow;
  return sum;
}

void TreeSolver::enter_phase2() {
  settle_flows();
  for (int a = 0; a < m_; ++a) arc_[a].cost = real_cost_[a];
  for (int i = 0; i < n_; ++i) {
    arc_[m_ + i].cost = 0.0;
    range_[m_ + i].upper = 0.0;
  }
  load_tree_arcs();
  refresh_priced();
  recompute_potentials();
}

// An ancestor has the larger subtree: the smaller side climbs. The side
// that climbs changes seldom (once in some twenty steps on large
// assignment problems), so each side climbs in a loop of its own while it
// stays the smaller: the branch is then well predicted, and a step waits
// only for the load of the next node's parent and size, with no selects
// between that load and the next.
int TreeSolver::climb_to_join(int first, int second) {
  const UpLink* up = up_.data();
  const TreeArc* tree = tree_.data();
  int* first_side = first_side_.data();
  int* second_side = second_side_.data();
  int nf = 0, ns = 0;
  int u = first, v = second;
  UpLink lu = up[u], lv = up[v];
  while (u != v) {
    // Meanwhile the tree arcs that the ratio test reads next are fetched.
    while (lu.succ_num < lv.succ_num) {
      __builtin_prefetch(&tree[u]);
      first_side[nf++] = u;
      u = lu.parent;
      lu = up[u];
    }
    // Equal sizes on distinct nodes: the second side climbs.
    while (u != v && lv.succ_num <= lu.succ_num) {
      __builtin_prefetch(&tree[v]);
      second_side[ns++] = v;
      v = lv.parent;
      lv = up[v];
    }
  }
  first_count_ = nf;
  second_count_ = ns;
  return u;
}

PivotOutcome TreeSolver::pivot(int e, double feas_tol, bool phase1) {
  PivotOutcome out;
  // Pricing has just read the entering arc in its own copy.
  const int pe = layout_.position(e);
  const int t = priced_[pe].tail, h = priced_[pe].head;
  const double d = priced_[pe].cost - pot_[t] + pot_[h];
  const int8_t st = priced_status_[pe];
  const double dir = st == kAtLower ? 1.0 : st == kAtUpper ? -1.0 : (d < 0.0 ? 1.0 : -1.0);
  const double tol = phase1 ? kPhase1RatioTol : feas_tol;
  // The entering arc's bounds are read after the climb: fetch them now.
  __builtin_prefetch(&range_[e]);

  // Along the cycle the flow runs from `first` to `second` on the entering
  // arc, then from `second` up to the join and down to `first`. Ties go to
  // the last blocking arc in that order from the join (nearest the join on
  // the second side, else nearest `first`): the tree stays strongly
  // feasible, which keeps degenerate pivots from stalling.
  const int first = dir > 0 ? t : h, second = dir > 0 ? h : t;
  const int join = climb_to_join(first, second);
  double theta = infinite_range(range_[e].lower, range_[e].upper) ? kInfiniteStep : range_[e].upper - range_[e].lower;
  const int* first_side = first_side_.data();
  const int* second_side = second_side_.data();
  const int nf = first_count_, ns = second_count_;
  TreeArc* tree = tree_.data();
  int leave_pos = -1;  // position on its side of the node below the leaving arc
  bool leave_on_first_side = false;
  for (int p = 0; p < nf; ++p) {
    const TreeArc& ta = tree[first_side[p]];
    const double room = ta.points_up ? ta.flow - ta.lower : ta.upper - ta.flow;
    if (room >= -tol && theta - room > kTieMargin) {
      theta = room;
      leave_pos = p;
      leave_on_first_side = true;
      // No room of at least -tol undercuts a step of 0 or less by more
      // than the margin: the rest of this side cannot block first.
      if (theta <= 0.0 && tol <= kTieMargin) break;
    }
  }
  for (int p = 0; p < ns; ++p) {
    const TreeArc& ta = tree[second_side[p]];
    const double room = ta.points_up ? ta.upper - ta.flow : ta.flow - ta.lower;
    if (room > -tol && theta - room >= -kTieMargin) {
      theta = room;
      leave_pos = p;
      leave_on_first_side = false;
    }
  }
  out.work = 1 + nf + ns;
  if (theta > kUnboundedStep) {
    out.kind = PivotOutcome::kUnbounded;
    return out;
  }
  theta = std::max(theta, 0.0);
  if (theta >= kNoFlowChange) {
    // Up the first side against the cycle's direction, up the second with it.
    const double step = theta;
    range_[e].flow += dir * step;
    for (int p = 0; p < nf; ++p) {
      TreeArc& ta = tree[first_side[p]];
      ta.flow += ta.points_up ? -step : step;
    }
    for (int p = 0; p < ns; ++p) {
      TreeArc& ta = tree[second_side[p]];
      ta.flow += ta.points_up ? step : -step;
    }
  }
  out.kind = PivotOutcome::kDone;
  if (leave_pos < 0) {
    set_status(e, pe, dir > 0 ? kAtUpper : kAtLower);
    return out;
  }
  const int leave_node = leave_on_first_side ? first_side[leave_pos] : second_side[leave_pos];
  // The node's copy of the leaving arc decides its status; the arc's own
  // entry only takes the final flow.
  const TreeArc& out_arc = tree[leave_node];
  const int leaving = out_arc.arc;
  range_[leaving].flow = out_arc.flow;
  if (leaving >= m_) {
    status_[leaving] = kArcGone;
  } else {
    const bool at_upper = std::fabs(out_arc.upper - out_arc.flow) <= std::fabs(out_arc.flow - out_arc.lower);
    const double bound = at_upper ? out_arc.upper : out_arc.lower;
    if (std::fabs(out_arc.flow - bound) <= feas_tol && out_arc.upper - out_arc.lower <= feas_tol)
      set_status(leaving, layout_.position(leaving), kFixed);
    else
      set_status(leaving, layout_.position(leaving), at_upper ? kAtUpper : kAtLower);
  }
  set_status(e, pe, kBasic);
  const int u_in = leave_on_first_side ? first : second;
  const int* in_side = leave_on_first_side ? first_side : second_side;
  const int* other_side = leave_on_first_side ? second_side : first_side;
  rehang(in_side, leave_on_first_side ? nf : ns, leave_pos, other_side, leave_on_first_side ? ns : nf, e, u_in == t,
         join, u_in == t ? d : -d);
  out.work += up_[u_in].succ_num;
  // Renumber once the walks since the last renumbering have left the runs
  // of consecutive nodes about as often as a renumbering touches arcs and
  // nodes: a jump out of a run is a likely cache miss, the renumbering a
  // sequential pass. The thread then turns back into one run.
  if (jumps_ * kRenumberRatio > static_cast<int64_t>(m_) + n_) renumber();
  return out;
}

// Numbers the nodes in thread order (the root keeps the last number), so
// that walking a subtree reads the node arrays mostly in sequence until
// pivots break the thread up again. Only the numbering changes: every
// value, and so every later pivot, stays the same.
void TreeSolver::renumber() {
  jumps_ = 0;
  preorder();
  for (int k = 1; k <= n_; ++k) new_label_[order_[k]] = k - 1;
  new_label_[n_] = n_;
  const auto permute = [&](auto& values, auto& scratch) {
    for (int k = 1; k <= n_; ++k) scratch[k - 1] = values[order_[k]];
    std::copy(scratch.begin(), scratch.begin() + n_, values.begin());
  };
  const auto relabel = [&](BigArray<int>& nodes) {
    permute(nodes, scratch_int_);
    for (int k = 0; k < n_; ++k) nodes[k] = new_label_[nodes[k]];
    nodes[n_] = new_label_[nodes[n_]];
  };
  permute(pot_, scratch_double_);
  permute(supply_, scratch_double_);
  permute(tree_, scratch_tree_);
  permute(node_id_, scratch_int_);
  relabel(last_succ_);
  // The root's parent stays -1.
  permute(up_, scratch_up_);
  for (int k = 0; k < n_; ++k) up_[k].parent = new_label_[up_[k].parent];
  // The thread is now root, 0, 1, ..., n - 1 and round to the root.
  for (int k = 0; k <= n_; ++k) {
    const int next = k == n_ ? 0 : k + 1;
    thread_[k] = next;
    rev_thread_[next] = k;
  }
  for (PricedArc& arc : arc_) {
    arc.tail = new_label_[arc.tail];
    arc.head = new_label_[arc.head];
  }
  for (PricedArc& arc : priced_) {
    arc.tail = new_label_[arc.tail];
    arc.head = new_label_[arc.head];
  }
}

// Re-roots the subtree below v_out at u_in (reversing the path between
// them) and hangs it on u_other by the entering arc; then shifts the
// potentials over the subtree by `delta` (or the rest by -delta).
//
// In the new preorder of the subtree, u_in comes first with its own old
// subtree, then each node of the path with what it had besides the path
// node below it (the stretch before that node's subtree and the stretch
// after it), nested in path order. So the subtree's new thread is made of
// at most two old stretches per path node, and goes right after u_other.
void TreeSolver::rehang(const int* in_side, int in_count, int k, const int* other_side, int other_count,
                        int entering, bool entering_points_up, int join, double delta) {
  // The re-rooted path is in_side[0..k]: u_in up to v_out.
  const int* path = in_side;
  const int u_in = path[0], v_out = path[k];
  const int u_other = other_count > 0 ? other_side[0] : join;
  const int size = up_[v_out].succ_num, old_last = last_succ_[v_out];
  const int old_parent = k + 1 < in_count ? in_side[k + 1] : join;
  const int before = rev_thread_[v_out], after = thread_[old_last];

  piece_first_.clear();
  piece_last_.clear();
  piece_first_.push_back(u_in);
  piece_last_.push_back(last_succ_[u_in]);
  for (int i = 1; i <= k; ++i) {
    const int w = path[i], below = path[i - 1];
    piece_first_.push_back(w);
    piece_last_.push_back(rev_thread_[below]);
    if (last_succ_[below] != last_succ_[w]) {
      piece_first_.push_back(thread_[last_succ_[below]]);
      piece_last_.push_back(last_succ_[w]);
    }
  }

  // Out of the thread, relinked, and in again after u_other.
  thread_[before] = after;
  rev_thread_[after] = before;
  for (size_t p = 1; p < piece_first_.size(); ++p) {
    thread_[piece_last_[p - 1]] = piece_first_[p];
    rev_thread_[piece_first_[p]] = piece_last_[p - 1];
  }
  const int new_last = piece_last_.back();
  const int next = thread_[u_other];
  thread_[u_other] = u_in;
  rev_thread_[u_in] = u_other;
  thread_[new_last] = next;
  rev_thread_[next] = new_last;

  // Subtree sizes along the reversed path: a path node keeps what it had
  // besides the node below it and gains the one above it.
  int above = 0;
  for (int i = k; i >= 1; --i) {
    above += up_[path[i]].succ_num - up_[path[i - 1]].succ_num;
    up_[path[i]].succ_num = above;
  }
  up_[u_in].succ_num += above;
  for (int i = 0; i <= k; ++i) last_succ_[path[i]] = new_last;

  // Each path node takes the tree arc of the node below it, the flow and
  // bounds with it; the arc's direction seen from the upper end is the
  // opposite of that seen from the lower one. v_out's arc has left.
  TreeArc carried = tree_[u_in];
  ArcRange& in = range_[entering];
  tree_[u_in] = TreeArc{in.flow, in.lower, in.upper, entering, static_cast<int8_t>(entering_points_up)};
  up_[u_in].parent = u_other;
  for (int i = 1; i <= k; ++i) {
    const int w = path[i];
    const TreeArc own = tree_[w];
    tree_[w] = carried;
    tree_[w].points_up = !carried.points_up;
    up_[w].parent = path[i - 1];
    carried = own;
  }

  // The old and the new ancestors up to the apex change size; subtrees
  // that ended with the moved one, or end at u_other, change their end.
  for (int i = k + 1; i < in_count; ++i) up_[in_side[i]].succ_num -= size;
  for (int i = 0; i < other_count; ++i) up_[other_side[i]].succ_num += size;
  for (int x = old_parent; x >= 0 && last_succ_[x] == old_last; x = up_[x].parent) last_succ_[x] = before;
  for (int x = u_other; x >= 0 && last_succ_[x] == u_other; x = up_[x].parent) last_succ_[x] = new_last;

  // Only differences of potentials count: the smaller side moves. Either
  // side is one stretch of the thread: the subtree from u_in to new_last,
  // the rest from after new_last round to u_other.
  if (2 * size <= n_ + 1)
    shift_stretch(u_in, size, delta);
  else
    shift_stretch(thread_[new_last], n_ + 1 - size, -delta);
}

// Since nodes are renumbered in thread order, the stretch is mostly runs
// of consecutive numbers: the thread links of a run are only compared
// with the next number, never followed, and its potentials shift as one
// block. Only the step out of a run follows a link.
void TreeSolver::shift_stretch(int first, int count, double delta) {
  const int* thread = thread_.data();
  double* pot = pot_.data();
  int v = first, left = count;
  int64_t runs = 0;
  while (true) {
    int end = v;
    // A run of consecutive numbers ends at the last node at the latest.
    const int limit = std::min(v + left - 1, static_cast<int>(thread_.size()) - 1);
    // Eight links at a time while the run lasts, without early exits.
    while (end + 8 <= limit) {
      int consecutive = 0;
      for (int j = 0; j < 8; ++j) consecutive += thread[end + j] == end + j + 1;
      if (consecutive != 8) break;
      end += 8;
    }
    while (end < limit && thread[end] == end + 1) ++end;
    int k = v;
    for (; k + 4 <= end + 1; k += 4) {
      pot[k] += delta;
      pot[k + 1] += delta;
      pot[k + 2] += delta;
      pot[k + 3] += delta;
    }
    for (; k <= end; ++k) pot[k] += delta;
    ++runs;
    left -= end - v + 1;
    if (left == 0) break;
    v = thread[end];
  }
  jumps_ += runs;
}

double TreeSolver::artificial_flow(int64_t* carrying) const {
  settle_flows();
  double sum = 0.0;
  int64_t count = 0;
  for (int i = 0; i < n_; ++i) {
    const int a = m_ + i;
    if (status_[a] == kArcGone) continue;
    sum += range_[a].flow;
    if (range_[a].flow > 0.0) ++count;
  }
  if (carrying) *carrying = count;
  return sum;
}

double TreeSolver::real_objective() const {
  settle_flows();
  double sum = 0.0;
  for (int a = 0; a < m_; ++a) sum += real_cost_[a] * range_[a].flow;
  return sum;
}

bool TreeSolver::tree_feasible(double tol) const {
  for (int i = 0; i < n_; ++i) {
    const TreeArc& ta = tree_[i];
    if (ta.arc >= m_) {
      if (std::fabs(ta.flow) >= tol) return false;
    } else if (ta.flow < ta.lower - tol || ta.flow > ta.upper + tol) {
      return false;
    }
  }
  return true;
}

void TreeSolver::store(Network& net) const {
  settle_flows();
  net.solution.flow.resize(static_cast<size_t>(m_));
  for (int a = 0; a < m_; ++a) net.solution.flow[a] = range_[a].flow;
  // Potentials relative to the root's, which pivots may have moved.
  net.solution.potential.resize(static_cast<size_t>(n_));
  for (int i = 0; i < n_; ++i) net.solution.potential[node_id_[i]] = pot_[i] - pot_[n_];
  for (int a = 0; a < m_; ++a) net.arcs.status[a] = status_[a];
  for (int i = 0; i < n_; ++i) net.nodes.artificial[node_id_[i]] = tree_[i].arc >= m_ ? 1 : 0;
}

}  // namespace korva::net
