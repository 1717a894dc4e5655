#include "network/net_extract.h"

#include <cmath>
#include <numeric>
#include <string>

#include "korva/korva.h"
#include "model/model.h"
#include "network/net_edit.h"
#include "network/net_queries.h"

namespace korva::net {
namespace {

constexpr double kSameMagnitude = 1e-12;  // relative

// Greedy choice of the rows and of their scale factors.
class RowSelection {
 public:
  explicit RowSelection(const Problem& lp)
      : scale(static_cast<size_t>(lp.num_rows()), 0.0),
        lp_(lp),
        rows_(lp.row_copy()),
        entries_(static_cast<size_t>(lp.num_cols()), 0),
        sign_(static_cast<size_t>(lp.num_cols()), 0) {}

  void run() {
    // Equality rows bind the most: they go first.
    for (int i = 0; i < lp_.num_rows(); ++i)
      if (lp_.sense(i) == 'E') try_row(i);
    for (int i = 0; i < lp_.num_rows(); ++i)
      if (lp_.sense(i) == 'L' || lp_.sense(i) == 'G') try_row(i);
  }

  // Entries of column j among the taken rows, and the sign of the first.
  int entries(int j) const { return entries_[j]; }

  std::vector<double> scale;

 private:
  void try_row(int i) {
    const int64_t b = rows_.begin[i], e = rows_.begin[i + 1];
    if (b == e) return;
    const double magnitude = std::fabs(rows_.value[b]);
    if (magnitude == 0.0) return;
    for (int64_t k = b; k < e; ++k)
      if (std::fabs(std::fabs(rows_.value[k]) - magnitude) > kSameMagnitude * magnitude) return;
    for (int sign : {1, -1}) {
      if (!fits(b, e, sign)) continue;
      for (int64_t k = b; k < e; ++k) {
        const int j = rows_.index[k];
        if (entries_[j]++ == 0) sign_[j] = static_cast<int8_t>(rows_.value[k] > 0 ? sign : -sign);
      }
      scale[i] = sign / magnitude;
      return;
    }
  }

  bool fits(int64_t b, int64_t e, int sign) const {
    for (int64_t k = b; k < e; ++k) {
      const int j = rows_.index[k];
      const int scaled_sign = rows_.value[k] > 0 ? sign : -sign;
      if (entries_[j] >= 2) return false;
      if (entries_[j] == 1 && sign_[j] == scaled_sign) return false;
    }
    return true;
  }

  const Problem& lp_;
  const RowCopy& rows_;
  std::vector<int> entries_;
  std::vector<int8_t> sign_;
};

// Sense of row i after scaling by `f`.
char scaled_sense(char sense, double f) {
  if (sense == 'E' || f > 0) return sense;
  return sense == 'L' ? 'G' : 'L';
}

}  // namespace

int extract_network(Environment& env, Problem& lp, Network& net, NetworkPart& part) {
  if (int code = model::complete(env, lp)) return code;
  RowSelection selection(lp);
  selection.run();
  part = NetworkPart{};
  part.row_scale = selection.scale;
  const int m = lp.num_rows(), n = lp.num_cols();
  std::vector<int> node_of_row(static_cast<size_t>(m), -1);
  std::vector<double> supply;
  std::vector<std::string> node_names;
  for (int i = 0; i < m; ++i) {
    if (part.row_scale[i] == 0.0) continue;
    node_of_row[i] = part.num_nodes();
    part.row_of_node.push_back(i);
    supply.push_back(part.row_scale[i] * lp.rhs(i));
    node_names.push_back(model::row_name(env, lp, i));
  }
  std::vector<int> from, to;
  std::vector<double> lower, upper, cost;
  std::vector<std::string> arc_names;
  auto ground = [&]() {
    if (part.ground < 0) {
      part.ground = part.num_nodes();
      part.row_of_node.push_back(-1);
      supply.push_back(0.0);
      node_names.push_back("ground");
    }
    return part.ground;
  };
  auto add_arc = [&](int tail, int head, double lo, double up, double c, int origin, std::string name) {
    from.push_back(tail);
    to.push_back(head);
    lower.push_back(lo);
    upper.push_back(up);
    cost.push_back(c);
    part.col_of_arc.push_back(origin);
    arc_names.push_back(std::move(name));
  };
  for (int j = 0; j < n; ++j) {
    if (selection.entries(j) == 0) continue;
    int tail = -1, head = -1;
    const SparseSpan col = lp.column(j);
    for (int k = 0; k < col.size(); ++k) {
      const int i = col.index[k];
      if (node_of_row[i] < 0) continue;
      (col.value[k] * part.row_scale[i] > 0 ? tail : head) = node_of_row[i];
    }
    if (tail < 0) tail = ground();
    if (head < 0) head = ground();
    add_arc(tail, head, lp.lower(j), lp.upper(j), lp.obj(j), j, model::col_name(env, lp, j));
  }
  for (int v = 0; v < part.num_nodes(); ++v) {
    const int i = part.row_of_node[v];
    if (i < 0) continue;
    const char sense = scaled_sense(lp.sense(i), part.row_scale[i]);
    // Flow out minus flow in is at most the supply: the slack flows out.
    if (sense == 'L') add_arc(v, ground(), 0.0, kDefaultUpper, 0.0, -(i + 1), "slack_" + node_names[v]);
    if (sense == 'G') add_arc(ground(), v, 0.0, kDefaultUpper, 0.0, -(i + 1), "slack_" + node_names[v]);
  }
  if (part.ground >= 0) {
    // The ground node takes up what the rows leave over.
    double total = 0.0;
    for (int v = 0; v < part.num_nodes(); ++v)
      if (v != part.ground) total += supply[v];
    supply[part.ground] = -total;
  }
  std::vector<const char*> node_ptrs, arc_ptrs;
  for (const std::string& s : node_names) node_ptrs.push_back(s.c_str());
  for (const std::string& s : arc_names) arc_ptrs.push_back(s.c_str());
  return copy_network(env, net, lp.objsense(), part.num_nodes(), supply.data(), node_ptrs.data(), part.num_arcs(),
                      from.data(), to.data(), lower.data(), upper.data(), cost.data(), arc_ptrs.data());
}

namespace {

struct Components {
  explicit Components(int n) : parent(static_cast<size_t>(n)) { std::iota(parent.begin(), parent.end(), 0); }
  int find(int v) {
    while (parent[v] != v) v = parent[v] = parent[parent[v]];
    return v;
  }
  void join(int a, int b) { parent[find(a)] = find(b); }
  std::vector<int> parent;
};

int column_at_bound(const Problem& lp, int j) {
  if (lp.lower(j) > -kInfinity) return KRV_AT_LOWER;
  if (lp.upper(j) < kInfinity) return KRV_AT_UPPER;
  return KRV_FREE_SUPER;
}

}  // namespace

bool basis_from_network(const Problem& lp, Network& net, const NetworkPart& part, std::vector<int>& cstat,
                        std::vector<int>& rstat) {
  const int m = lp.num_rows(), n = lp.num_cols();
  if (net.state == kNoSolution || net.num_nodes() != part.num_nodes() || net.num_arcs() != part.num_arcs())
    return false;
  std::vector<int> arc_status(static_cast<size_t>(net.num_arcs())), node_status(static_cast<size_t>(net.num_nodes()));
  if (get_basis(net, arc_status.data(), node_status.data())) return false;
  cstat.assign(static_cast<size_t>(n), 0);
  rstat.assign(static_cast<size_t>(m), KRV_BASIC);
  for (int j = 0; j < n; ++j) cstat[j] = column_at_bound(lp, j);
  // Rows of the network are nonbasic unless their slack is in the tree, or
  // they stand for the root of a component that the ground node does not
  // reach (that component's rows are independent only with one slack).
  for (int v = 0; v < part.num_nodes(); ++v)
    if (part.row_of_node[v] >= 0) rstat[part.row_of_node[v]] = KRV_AT_LOWER;
  Components components(net.num_nodes());
  for (int a = 0; a < net.num_arcs(); ++a) {
    const int origin = part.col_of_arc[a];
    if (origin >= 0) cstat[origin] = arc_status[a];
    if (arc_status[a] != KRV_BASIC) continue;
    components.join(net.arcs.tail[a], net.arcs.head[a]);
    if (origin < 0) rstat[-origin - 1] = KRV_BASIC;
  }
  const int ground_set = part.ground >= 0 ? components.find(part.ground) : -1;
  for (int v = 0; v < part.num_nodes(); ++v) {
    if (!node_status[v] || part.row_of_node[v] < 0) continue;
    if (components.find(v) != ground_set) rstat[part.row_of_node[v]] = KRV_BASIC;
  }
  int64_t basic = 0;
  for (int s : cstat) basic += s == KRV_BASIC;
  for (int s : rstat) basic += s == KRV_BASIC;
  return basic == m;
}

}  // namespace korva::net
