#include "mip/symmetry.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>
#include <tuple>

#include "env/channel.h"
#include "env/environment.h"
#include "mip/symmetry_partition.h"
#include "mip/symmetry_search.h"

namespace korva::mip {

namespace {

// Breaking pairs beyond this many add little and cost rows; a subset of
// valid pairs is still valid.
constexpr size_t kMaxBreakingPairs = 1000000;

bool has_excluded_parts(const MipModel& m) {
  if (!m.sos.empty() || !m.indicators.empty() || m.has_lazy_rows()) return true;
  for (ColKind k : m.kind)
    if (k == ColKind::SemiContinuous || k == ColKind::SemiInteger) return true;
  return false;
}

// The initial colours: columns by (kind, cost, lower, upper), rows by
// (lower side, upper side); column cells first. Cells are ordered by their
// colour, so the order itself carries no vertex numbers.
void initial_cells(const MipModel& m, int rows, std::vector<int>& order, std::vector<int>& starts) {
  const int n = m.num_cols;
  order.resize(static_cast<size_t>(n) + rows);
  std::iota(order.begin(), order.end(), 0);
  auto col_key = [&](int j) { return std::make_tuple(static_cast<int>(m.kind[j]), m.cost[j], m.lower[j], m.upper[j]); };
  auto row_key = [&](int v) { return std::make_pair(m.row_lo[v - n], m.row_hi[v - n]); };
  std::sort(order.begin(), order.begin() + n, [&](int a, int b) { return col_key(a) < col_key(b); });
  std::sort(order.begin() + n, order.end(), [&](int a, int b) { return row_key(a) < row_key(b); });
  starts.clear();
  for (int p = 0; p < n; ++p)
    if (p == 0 || col_key(order[p - 1]) < col_key(order[p])) starts.push_back(p);
  for (int p = n; p < n + rows; ++p)
    if (p == n || row_key(order[p - 1]) < row_key(order[p])) starts.push_back(p);
}

void multiply_order(SymmetryGroup& g, int64_t factor) {
  g.order *= static_cast<long double>(factor);
  g.order_mantissa *= static_cast<long double>(factor);
  while (g.order_mantissa >= 10) {
    g.order_mantissa /= 10;
    ++g.order_exponent;
  }
}

int64_t count_patterns(const std::vector<std::vector<int>>& generators, int n) {
  const int count = static_cast<int>(generators.size());
  std::vector<int> parent(count), owner(n, -1);
  std::iota(parent.begin(), parent.end(), 0);
  auto find = [&](int a) {
    while (parent[a] != a) a = parent[a] = parent[parent[a]];
    return a;
  };
  for (int k = 0; k < count; ++k) {
    for (int j = 0; j < n; ++j) {
      if (generators[k][j] == j) continue;
      if (owner[j] < 0) owner[j] = k;
      else parent[find(k)] = find(owner[j]);
    }
  }
  int64_t patterns = 0;
  for (int k = 0; k < count; ++k) patterns += find(k) == k ? 1 : 0;
  return patterns;
}

// Why the pairs are valid together. Order the columns 0..n-1 and let G be
// the group of all generators found. For any optimal x*, the
// lexicographically largest point y of its orbit {g·x*} under G is feasible
// and optimal too (G maps the model onto itself). Take a level ℓ and a
// column u in v_ℓ's orbit under G_ℓ, and h in G_ℓ with h(u) = v_ℓ. Every
// generator of G_ℓ fixes every column of index below v_ℓ (checked below
// from the generators themselves; it holds by construction, as those
// columns are alone in their cells of P_ℓ, which every automorphism fixing
// v_1..v_{ℓ-1} preserves). So h·y agrees with y before position v_ℓ and
// has y_u at position v_ℓ; since h·y is in the same orbit, h·y <=lex y gives
// y_u <= y_{v_ℓ}. The same y satisfies every pair of every level at once,
// which is what makes the whole set valid, not just each pair alone.
void collect_breaking_pairs(const MipModel& m, const SymmetrySearchResult& s, SymmetryGroup& g) {
  const int levels = static_cast<int>(s.level_vertex.size());
  const int n = m.num_cols;
  // fixed_below[ℓ]: every generator of G_ℓ fixes all columns below this.
  std::vector<int> fixed_below(levels + 1, n);
  std::vector<int> first_moved(s.generators.size(), n);
  for (size_t k = 0; k < s.generators.size(); ++k) {
    int j = 0;
    while (j < n && s.generators[k][j] == j) ++j;
    first_moved[k] = j;
  }
  std::vector<int> level_min(levels, n);
  for (size_t k = 0; k < s.generators.size(); ++k)
    level_min[s.generator_level[k]] = std::min(level_min[s.generator_level[k]], first_moved[k]);
  for (int l = levels - 1; l >= 0; --l) fixed_below[l] = std::min(fixed_below[l + 1], level_min[l]);
  for (int l = 0; l < levels; ++l) {
    const int v = s.level_vertex[l];
    if (fixed_below[l] < v || m.kind[v] != ColKind::Integer) continue;  // the argument does not hold here
    for (int u : s.level_orbit[l]) {
      if (u == v || m.kind[u] != ColKind::Integer) continue;
      if (g.breaking.size() >= kMaxBreakingPairs) return;
      g.breaking.emplace_back(v, u);
    }
  }
}

}  // namespace

SymmetryGroup detect_symmetry(const MipModel& m, int rows, int64_t work_limit, const std::function<bool()>& stop,
                              const std::function<double()>& clock, const std::function<void()>& progress) {
  SymmetryGroup group;
  rows = std::clamp(rows, 0, m.num_rows);
  if (m.num_cols == 0 || has_excluded_parts(m)) return group;
  WorkBudget budget(work_limit, stop, clock, progress);
  SymmetryGraph graph;
  build_symmetry_graph(m, rows, graph);
  std::vector<int> order, starts;
  initial_cells(m, rows, order, starts);
  const int64_t vertices = graph.vertices();
  const bool within = budget.spend(static_cast<int64_t>(graph.next.size()) +
                                   vertices * (1 + std::bit_width(static_cast<uint64_t>(vertices))));
  OrderedPartition partition;
  partition.init(graph, order, starts);
  partition.queue_all_cells();
  if (!within || !partition.refine(budget)) {
    group.complete = false;
    return group;
  }
  SymmetrySearchResult found;
  search_automorphisms(m, graph, partition, budget, found);
  group.complete = found.complete;
  for (const std::vector<int>& orbit : found.level_orbit) multiply_order(group, static_cast<int64_t>(orbit.size()));
  group.patterns = count_patterns(found.generators, m.num_cols);
  collect_breaking_pairs(m, found, group);
  group.generators = std::move(found.generators);
  return group;
}

void report_symmetry(Environment& env, const SymmetryGroup& g) {
  if (g.generators.empty()) return;
  if (g.order < 9223372036854775807.0L) {
    msg(env.results(), "Found %lld symmetric permutations.\n", static_cast<long long>(std::llround(g.order)));
  } else {
    // Rounded as printed, so that 9.9999997 shows as 1.000000e+N+1.
    double mantissa = std::round(static_cast<double>(g.order_mantissa) * 1e6) / 1e6;
    int exponent = g.order_exponent;
    if (mantissa >= 10.0) {
      mantissa /= 10.0;
      ++exponent;
    }
    msg(env.results(), "Found %fe+%d symmetric permutations.\n", mantissa, exponent);
  }
  if (g.patterns > 1) msg(env.results(), "%lld symmetric patterns found.\n", static_cast<long long>(g.patterns));
  else if (g.patterns == 1) msg(env.results(), "One symmetric pattern found.\n");
}

void report_symmetry_progress(Environment& env) { msg(env.results(), "Symmetry detection still in progress.\n"); }

}  // namespace korva::mip
