#include "mip/cuts/mcf_network.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace korva::mip {

namespace {

struct DisjointSets {
  std::vector<int> parent;
  explicit DisjointSets(int n) : parent(static_cast<size_t>(n)) { std::iota(parent.begin(), parent.end(), 0); }
  int find(int a) {
    while (parent[a] != a) {
      parent[a] = parent[parent[a]];
      a = parent[a];
    }
    return a;
  }
  void unite(int a, int b) {
    a = find(a);
    b = find(b);
    if (a != b) parent[std::max(a, b)] = std::min(a, b);
  }
};

// The factor that turns row i into Σ f - Σ u·y <= c with flow
// coefficients 1, or 0 when the row is no capacity row.
double capacity_scale(const MipModel& m, int i) {
  for (const double s : {1.0, -1.0}) {
    if (std::isinf(s > 0 ? m.row_hi[i] : m.row_lo[i])) continue;
    double flow = 0.0;
    int flows = 0, designs = 0;
    bool fits = true;
    for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1] && fits; ++k) {
      const int j = m.row_col[k];
      const double a = s * m.row_val[k];
      if (a == 0.0) continue;
      if (m.kind[j] == ColKind::Continuous) {
        if (flows++ == 0) flow = a;
        fits = a == flow;
      } else if (m.kind[j] == ColKind::Integer) {
        fits = a < 0.0;
        ++designs;
      } else {
        fits = false;
      }
    }
    if (fits && flows > 0 && designs > 0 && flow > 0.0) return s / flow;
  }
  return 0.0;
}

// The factor that gives row i coefficients ±1, or 0 when it is no flow
// conservation row.
double conservation_scale(const MipModel& m, int i) {
  if (m.row_lo[i] != m.row_hi[i] || std::isinf(m.row_lo[i])) return 0.0;
  double magnitude = 0.0;
  for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k) {
    const double a = std::fabs(m.row_val[k]);
    if (m.kind[m.row_col[k]] != ColKind::Continuous || a == 0.0) return 0.0;
    if (magnitude == 0.0) magnitude = a;
    if (a != magnitude) return 0.0;
  }
  return magnitude > 0.0 ? 1.0 / magnitude : 0.0;
}

}  // namespace

McfNetwork find_mcf_network(const MipModel& m, int rows) {
  McfNetwork net;
  rows = std::min(rows, m.num_rows);
  for (int i = 0; i < rows; ++i) {
    const double scale = capacity_scale(m, i);
    if (scale == 0.0) continue;
    if (net.flow_arc.empty()) net.flow_arc.assign(static_cast<size_t>(m.num_cols), -1);
    const int arc = static_cast<int>(net.arc_row.size());
    net.arc_row.push_back(i);
    net.arc_scale.push_back(scale);
    for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k) {
      const int j = m.row_col[k];
      if (m.kind[j] == ColKind::Continuous && net.flow_arc[j] < 0) net.flow_arc[j] = arc;
    }
  }
  if (net.arc_row.empty()) return net;

  // Conservation rows touching at least one capacitated flow.
  std::vector<int> conservation_of(static_cast<size_t>(rows), -1);
  std::vector<int> conservation_row;
  std::vector<double> conservation_factor;
  for (int i = 0; i < rows; ++i) {
    const double scale = conservation_scale(m, i);
    if (scale == 0.0) continue;
    bool capacitated = false;
    for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1] && !capacitated; ++k)
      capacitated = net.flow_arc[m.row_col[k]] >= 0;
    if (!capacitated) continue;
    conservation_of[i] = static_cast<int>(conservation_row.size());
    conservation_row.push_back(i);
    conservation_factor.push_back(scale);
  }
  const int count = static_cast<int>(conservation_row.size());
  if (count == 0) {
    net = McfNetwork{};
    return net;
  }

  // Commodities: conservation rows joined by the flows they share.
  DisjointSets commodity_sets(count);
  for (int j = 0; j < m.num_cols; ++j) {
    if (m.kind[j] != ColKind::Continuous) continue;
    int first = -1;
    for (int64_t k = m.col_begin[j]; k < m.col_begin[j + 1]; ++k) {
      const int r = m.col_row[k];
      if (r >= rows || conservation_of[r] < 0) continue;
      if (first < 0) first = conservation_of[r];
      else commodity_sets.unite(first, conservation_of[r]);
    }
  }
  std::vector<int> commodity(static_cast<size_t>(count), -1);
  for (int c = 0; c < count; ++c) {
    const int root = commodity_sets.find(c);
    if (root == c) commodity[c] = net.commodities++;
  }
  for (int c = 0; c < count; ++c) commodity[c] = commodity[commodity_sets.find(c)];

  // Nodes: per arc, the first flow of each commodity names the rows at its
  // two ends (coefficient +1 at one, -1 at the other); the same ends of
  // different commodities are the same node.
  const int arcs = static_cast<int>(net.arc_row.size());
  DisjointSets node_sets(count);
  std::vector<int> arc_plus(static_cast<size_t>(arcs), -1), arc_minus(static_cast<size_t>(arcs), -1);
  std::vector<int> seen_at_arc(static_cast<size_t>(net.commodities), -1);
  for (int a = 0; a < arcs; ++a) {
    const int i = net.arc_row[a];
    for (int64_t e = m.row_begin[i]; e < m.row_begin[i + 1]; ++e) {
      const int j = m.row_col[e];
      if (net.flow_arc[j] != a) continue;
      int plus = -1, minus = -1;
      for (int64_t k = m.col_begin[j]; k < m.col_begin[j + 1]; ++k) {
        const int r = m.col_row[k];
        if (r >= rows || conservation_of[r] < 0) continue;
        const int c = conservation_of[r];
        if (m.col_val[k] > 0.0 && plus < 0) plus = c;
        if (m.col_val[k] < 0.0 && minus < 0) minus = c;
      }
      if (plus < 0 && minus < 0) continue;
      const int k = commodity[plus >= 0 ? plus : minus];
      if (seen_at_arc[k] == a) continue;
      seen_at_arc[k] = a;
      if (plus >= 0) {
        if (arc_plus[a] < 0) arc_plus[a] = plus;
        else node_sets.unite(arc_plus[a], plus);
      }
      if (minus >= 0) {
        if (arc_minus[a] < 0) arc_minus[a] = minus;
        else node_sets.unite(arc_minus[a], minus);
      }
    }
  }
  std::vector<int> node(static_cast<size_t>(count), -1);
  for (int c = 0; c < count; ++c)
    if (node_sets.find(c) == c) node[c] = net.nodes++;
  for (int c = 0; c < count; ++c) node[c] = node[node_sets.find(c)];

  net.node_begin.assign(static_cast<size_t>(net.nodes) + 1, 0);
  for (int c = 0; c < count; ++c) ++net.node_begin[node[c] + 1];
  for (int v = 0; v < net.nodes; ++v) net.node_begin[v + 1] += net.node_begin[v];
  net.node_row.resize(static_cast<size_t>(count));
  net.node_row_commodity.resize(static_cast<size_t>(count));
  net.node_row_scale.resize(static_cast<size_t>(count));
  std::vector<int> fill(net.node_begin.begin(), net.node_begin.end() - 1);
  for (int c = 0; c < count; ++c) {
    const int p = fill[node[c]]++;
    net.node_row[p] = conservation_row[c];
    net.node_row_commodity[p] = commodity[c];
    net.node_row_scale[p] = conservation_factor[c];
  }

  net.arc_tail.resize(static_cast<size_t>(arcs));
  net.arc_head.resize(static_cast<size_t>(arcs));
  net.incident_begin.assign(static_cast<size_t>(net.nodes) + 1, 0);
  for (int a = 0; a < arcs; ++a) {
    net.arc_tail[a] = arc_plus[a] >= 0 ? node[arc_plus[a]] : -1;
    net.arc_head[a] = arc_minus[a] >= 0 ? node[arc_minus[a]] : -1;
    if (net.arc_tail[a] >= 0) ++net.incident_begin[net.arc_tail[a] + 1];
    if (net.arc_head[a] >= 0 && net.arc_head[a] != net.arc_tail[a]) ++net.incident_begin[net.arc_head[a] + 1];
  }
  for (int v = 0; v < net.nodes; ++v) net.incident_begin[v + 1] += net.incident_begin[v];
  net.incident_arc.resize(static_cast<size_t>(net.incident_begin[net.nodes]));
  fill.assign(net.incident_begin.begin(), net.incident_begin.end() - 1);
  for (int a = 0; a < arcs; ++a) {
    if (net.arc_tail[a] >= 0) net.incident_arc[fill[net.arc_tail[a]]++] = a;
    if (net.arc_head[a] >= 0 && net.arc_head[a] != net.arc_tail[a]) net.incident_arc[fill[net.arc_head[a]]++] = a;
  }
  return net;
}

}  // namespace korva::mip
