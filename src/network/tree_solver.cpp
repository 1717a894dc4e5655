#include "network/tree_solver.h"

#include <algorithm>
#include <cmath>

#include "network/arc_status.h"

namespace korva::net {
namespace {

constexpr double kInfiniteStep = 1e30;
constexpr double kUnboundedStep = 5e19;
constexpr double kNoFlowChange = 1e-13;
constexpr double kTieMargin = 1e-10;
constexpr double kPhase1RatioTol = 1e-10;

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
  const size_t arcs = static_cast<size_t>(m_ + n_), nodes = static_cast<size_t>(n_ + 1);
  const ArcArrays& in = net.arcs;
  for (int a = 0; a < m_; ++a) {
    if (in.lower[a] > in.upper[a] + feas_tol) {
      *bad_arc = a;
      return false;
    }
  }
  real_cost_.assign(arcs, 0.0);
  std::copy(in.cost.begin(), in.cost.end(), real_cost_.begin());
  cost_ = real_cost_;
  lower_.assign(arcs, 0.0);
  upper_.assign(arcs, kInfiniteStep);
  std::copy(in.lower.begin(), in.lower.end(), lower_.begin());
  std::copy(in.upper.begin(), in.upper.end(), upper_.begin());
  tail_.assign(arcs, 0);
  head_.assign(arcs, 0);
  std::copy(in.tail.begin(), in.tail.end(), tail_.begin());
  std::copy(in.head.begin(), in.head.end(), head_.begin());
  status_.assign(arcs, kBasic);
  flow_.assign(arcs, 0.0);
  for (int a = 0; a < m_; ++a) {
    int8_t st = warm ? in.status[a] : initial_status(in.cost[a], in.lower[a], in.upper[a], feas_tol);
    if (st != kBasic && !status_fits(st, lower_[a], upper_[a], feas_tol))
      st = initial_status(in.cost[a], lower_[a], upper_[a], feas_tol);
    status_[a] = st;
  }
  supply_.assign(nodes, 0.0);
  std::copy(net.nodes.supply.begin(), net.nodes.supply.end(), supply_.begin());
  pot_.assign(nodes, 0.0);
  parent_.assign(nodes, -1);
  pred_.assign(nodes, -1);
  first_child_.assign(nodes, -1);
  next_sib_.assign(nodes, -1);
  prev_sib_.assign(nodes, -1);
  depth_.assign(nodes, 0);
  order_.assign(nodes, 0);

  if (!warm || !build_tree_from_basis(net, feas_tol)) cold_tree();
  return true;
}

void TreeSolver::attach(int child, int parent) {
  const int first = first_child_[parent];
  next_sib_[child] = first;
  prev_sib_[child] = -1;
  if (first >= 0) prev_sib_[first] = child;
  first_child_[parent] = child;
  parent_[child] = parent;
}

void TreeSolver::detach(int child) {
  const int prev = prev_sib_[child], next = next_sib_[child];
  if (prev >= 0)
    next_sib_[prev] = next;
  else
    first_child_[parent_[child]] = next;
  if (next >= 0) prev_sib_[next] = prev;
}

// Orients node i's artificial arc so that it carries the imbalance as a
// non-negative flow.
void TreeSolver::set_artificial(int i, double imbalance) {
  const int a = m_ + i;
  if (imbalance > 0.0) {
    tail_[a] = i;
    head_[a] = n_;
    flow_[a] = imbalance;
  } else {
    tail_[a] = n_;
    head_[a] = i;
    flow_[a] = -imbalance;
  }
  status_[a] = kBasic;
}

void TreeSolver::cold_tree() {
  const int root = n_;
  std::fill(first_child_.begin(), first_child_.end(), -1);
  std::vector<double> imbalance(supply_.begin(), supply_.begin() + n_);
  for (int a = 0; a < m_; ++a) {
    if (status_[a] == kBasic) status_[a] = initial_status(real_cost_[a], lower_[a], upper_[a], feas_tol_);
    const double x = nonbasic_flow(status_[a], lower_[a], upper_[a]);
    flow_[a] = x;
    imbalance[tail_[a]] -= x;
    imbalance[head_[a]] += x;
  }
  parent_[root] = -1;
  depth_[root] = 0;
  for (int i = n_ - 1; i >= 0; --i) {
    attach(i, root);
    pred_[i] = m_ + i;
    depth_[i] = 1;
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
    ++start[tail_[a] + 2];
    ++start[head_[a] + 2];
  }
  for (int i = 0; i < n_; ++i) start[i + 2] += start[i + 1];
  adj.resize(static_cast<size_t>(start[n_ + 1]));
  for (int a = 0; a < m_; ++a) {
    if (status_[a] != kBasic) continue;
    adj[start[tail_[a] + 1]++] = a;
    adj[start[head_[a] + 1]++] = a;
  }
  std::vector<int8_t> seen(static_cast<size_t>(n_ + 1), 0);
  std::vector<int8_t> used(static_cast<size_t>(m_), 0);
  int count = 0;
  order_[count++] = root;
  seen[root] = 1;
  depth_[root] = 0;
  auto hang_on_root = [&](int i) {
    attach(i, root);
    pred_[i] = m_ + i;
    depth_[i] = 1;
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
        const int v = tail_[a] == u ? head_[a] : tail_[a];
        if (seen[v]) {
          status_[a] = initial_status(real_cost_[a], lower_[a], upper_[a], feas_tol);
          continue;
        }
        seen[v] = 1;
        attach(v, u);
        pred_[v] = a;
        depth_[v] = depth_[u] + 1;
        order_[count++] = v;
      }
    }
    while (next_unseen < n_ && seen[next_unseen]) ++next_unseen;
    if (next_unseen == n_) break;
    hang_on_root(next_unseen);
  }
  for (int a = 0; a < m_; ++a)
    if (status_[a] == kBasic && !used[a])
      status_[a] = initial_status(real_cost_[a], lower_[a], upper_[a], feas_tol);
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
    const double x = nonbasic_flow(status_[a], lower_[a], upper_[a]);
    flow_[a] = x;
    excess[tail_[a]] -= x;
    excess[head_[a]] += x;
  }
  bool within = true;
  for (int k = n_; k >= 1; --k) {
    const int u = order_[k];
    const int a = pred_[u];
    if (a >= m_) {
      set_artificial(u, excess[u]);
    } else {
      flow_[a] = tail_[a] == u ? excess[u] : -excess[u];
      if (flow_[a] < lower_[a] - feas_tol || flow_[a] > upper_[a] + feas_tol) within = false;
    }
    excess[parent_[u]] += excess[u];
  }
  for (int i = 0; i < n_; ++i)
    if (pred_[i] < m_ && status_[m_ + i] == kBasic) status_[m_ + i] = kArcGone;
  return within;
}

void TreeSolver::recompute_flows() {
  int count = 0;
  order_[count++] = n_;
  for (int k = 0; k < count; ++k)
    for (int c = first_child_[order_[k]]; c >= 0; c = next_sib_[c]) order_[count++] = c;
  tree_flows_from_statuses(0.0);
  // Flows out of bounds are repaired by the next phase 1 only when they sit
  // on artificial arcs; clip real ones to their bounds.
  for (int i = 0; i < n_; ++i) {
    const int a = pred_[i];
    if (a < m_) flow_[a] = std::clamp(flow_[a], lower_[a], upper_[a]);
  }
}

void TreeSolver::recompute_potentials() {
  int count = 0;
  order_[count++] = n_;
  pot_[n_] = 0.0;
  for (int k = 0; k < count; ++k) {
    const int u = order_[k];
    for (int c = first_child_[u]; c >= 0; c = next_sib_[c]) {
      const int a = pred_[c];
      pot_[c] = tail_[a] == c ? pot_[u] + cost_[a] : pot_[u] - cost_[a];
      order_[count++] = c;
    }
  }
}

void TreeSolver::enter_phase1(double multiplier) {
  std::fill(cost_.begin(), cost_.begin() + m_, 0.0);
  for (int i = 0; i < n_; ++i) {
    cost_[m_ + i] = multiplier;
    upper_[m_ + i] = kInfiniteStep;
  }
  recompute_potentials();
}

void TreeSolver::enter_phase2() {
  std::copy(real_cost_.begin(), real_cost_.begin() + m_, cost_.begin());
  for (int i = 0; i < n_; ++i) {
    cost_[m_ + i] = 0.0;
    upper_[m_ + i] = 0.0;
  }
  recompute_potentials();
}

int TreeSolver::find_join(int u, int v) const {
  while (u != v) {
    if (depth_[u] > depth_[v]) {
      u = parent_[u];
    } else if (depth_[v] > depth_[u]) {
      v = parent_[v];
    } else {
      u = parent_[u];
      v = parent_[v];
    }
  }
  return u;
}

PivotOutcome TreeSolver::pivot(int e, double feas_tol, bool phase1) {
  PivotOutcome out;
  const int t = tail_[e], h = head_[e];
  const double d = cost_[e] - pot_[t] + pot_[h];
  const int8_t st = status_[e];
  const double dir = st == kAtLower ? 1.0 : st == kAtUpper ? -1.0 : (d < 0.0 ? 1.0 : -1.0);
  double theta = infinite_range(lower_[e], upper_[e]) ? kInfiniteStep : upper_[e] - lower_[e];
  const double tol = phase1 ? kPhase1RatioTol : feas_tol;
  const int join = find_join(t, h);

  // Along the cycle the flow runs from `first` to `second` on the entering
  // arc, then from `second` up to the join and down to `first`. Ties go to
  // the last blocking arc in that order from the join (nearest the join on
  // the second side, else nearest `first`): the tree stays strongly
  // feasible, which keeps degenerate pivots from stalling.
  const int first = dir > 0 ? t : h, second = dir > 0 ? h : t;
  int leaving = e, leave_node = -1;
  bool leave_on_first_side = false;
  int64_t length = 1;
  for (int v = first; v != join; v = parent_[v], ++length) {
    const int a = pred_[v];
    const double sign = tail_[a] == v ? -1.0 : 1.0;
    const double room = sign > 0 ? upper_[a] - flow_[a] : flow_[a] - lower_[a];
    if (room >= -tol && theta - room > kTieMargin) {
      theta = room;
      leaving = a;
      leave_node = v;
      leave_on_first_side = true;
    }
  }
  for (int v = second; v != join; v = parent_[v], ++length) {
    const int a = pred_[v];
    const double sign = tail_[a] == v ? 1.0 : -1.0;
    const double room = sign > 0 ? upper_[a] - flow_[a] : flow_[a] - lower_[a];
    if (room > -tol && theta - room >= -kTieMargin) {
      theta = room;
      leaving = a;
      leave_node = v;
      leave_on_first_side = false;
    }
  }
  out.work = length;
  if (theta > kUnboundedStep) {
    out.kind = PivotOutcome::kUnbounded;
    return out;
  }
  theta = std::max(theta, 0.0);
  if (theta >= kNoFlowChange) {
    const double step = dir * theta;
    flow_[e] += step;
    for (int v = t; v != join; v = parent_[v]) {
      const int a = pred_[v];
      flow_[a] += tail_[a] == v ? -step : step;
    }
    for (int v = h; v != join; v = parent_[v]) {
      const int a = pred_[v];
      flow_[a] += tail_[a] == v ? step : -step;
    }
  }
  out.kind = PivotOutcome::kDone;
  if (leaving == e) {
    status_[e] = dir > 0 ? kAtUpper : kAtLower;
    return out;
  }
  if (leaving >= m_) {
    status_[leaving] = kArcGone;
  } else {
    const bool at_upper = std::fabs(upper_[leaving] - flow_[leaving]) <= std::fabs(flow_[leaving] - lower_[leaving]);
    const double bound = at_upper ? upper_[leaving] : lower_[leaving];
    if (std::fabs(flow_[leaving] - bound) <= feas_tol && upper_[leaving] - lower_[leaving] <= feas_tol)
      status_[leaving] = kFixed;
    else
      status_[leaving] = at_upper ? kAtUpper : kAtLower;
  }
  status_[e] = kBasic;
  const int u_in = leave_on_first_side ? first : second;
  const int u_other = leave_on_first_side ? second : first;
  rehang(u_in, u_other, e, leave_node, u_in == t ? d : -d);
  out.work += depth_[u_in];
  return out;
}

// Re-roots the subtree below v_out at u_in (reversing the path between
// them) and hangs it on u_other by the entering arc; then fixes depths and
// shifts potentials by `delta` over the subtree.
void TreeSolver::rehang(int u_in, int u_other, int entering, int v_out, double delta) {
  int new_parent = u_other, new_arc = entering, w = u_in;
  while (true) {
    const int old_parent = parent_[w], old_arc = pred_[w];
    detach(w);
    attach(w, new_parent);
    pred_[w] = new_arc;
    if (w == v_out) break;
    new_parent = w;
    new_arc = old_arc;
    w = old_parent;
  }
  depth_[u_in] = depth_[u_other] + 1;
  pot_[u_in] += delta;
  int u = u_in;
  while (true) {
    if (first_child_[u] >= 0) {
      u = first_child_[u];
    } else {
      while (u != u_in && next_sib_[u] < 0) u = parent_[u];
      if (u == u_in) break;
      u = next_sib_[u];
    }
    depth_[u] = depth_[parent_[u]] + 1;
    pot_[u] += delta;
  }
}

double TreeSolver::artificial_flow(int64_t* carrying) const {
  double sum = 0.0;
  int64_t count = 0;
  for (int i = 0; i < n_; ++i) {
    const int a = m_ + i;
    if (status_[a] == kArcGone) continue;
    sum += flow_[a];
    if (flow_[a] > 0.0) ++count;
  }
  if (carrying) *carrying = count;
  return sum;
}

double TreeSolver::real_objective() const {
  double sum = 0.0;
  for (int a = 0; a < m_; ++a) sum += real_cost_[a] * flow_[a];
  return sum;
}

bool TreeSolver::tree_feasible(double tol) const {
  for (int i = 0; i < n_; ++i) {
    const int a = pred_[i];
    if (a >= m_) {
      if (std::fabs(flow_[a]) >= tol) return false;
    } else if (flow_[a] < lower_[a] - tol || flow_[a] > upper_[a] + tol) {
      return false;
    }
  }
  return true;
}

void TreeSolver::store(Network& net) const {
  net.solution.flow.assign(flow_.begin(), flow_.begin() + m_);
  net.solution.potential.assign(pot_.begin(), pot_.begin() + n_);
  for (int a = 0; a < m_; ++a) net.arcs.status[a] = status_[a];
  for (int i = 0; i < n_; ++i) net.nodes.artificial[i] = pred_[i] >= m_ ? 1 : 0;
}

}  // namespace korva::net
