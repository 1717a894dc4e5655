#include "mip/symmetry_search.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <numeric>

namespace korva::mip {

namespace {

// One level of the first path: the column individualised, the cell it was
// in (by position and size, which is how the other paths find their target
// cell at the same level), the trail before individualising it, and what
// the refinement after it looked like.
struct PathLevel {
  int v = -1;
  int cell_start = 0;
  int cell_size = 0;
  size_t mark = 0;
  int cells_after = 0;
  uint64_t trace_after = 0;
};

// The orbits of the columns under the generators found so far, and per
// orbit whether it is known to hold no image of the current level's v: if
// no automorphism fixing v_1..v_{ℓ-1} maps v to u, none maps it to h(u)
// for h in G_ℓ either (h⁻¹·g would map v to u), so such orbits are skipped.
class ColumnOrbits {
 public:
  explicit ColumnOrbits(int n) : parent_(n), no_image_(n, 0) { std::iota(parent_.begin(), parent_.end(), 0); }
  int find(int j) {
    while (parent_[j] != j) j = parent_[j] = parent_[parent_[j]];
    return j;
  }
  void unite(int a, int b) {
    a = find(a);
    b = find(b);
    if (a == b) return;
    const int root = std::min(a, b), child = std::max(a, b);
    parent_[child] = root;
    no_image_[root] = no_image_[root] || no_image_[child];
  }
  bool holds_no_image(int j) { return no_image_[find(j)] != 0; }
  void mark_no_image(int j) {
    no_image_[find(j)] = 1;
    marked_.push_back(j);
  }
  // A new level: another v, nothing known yet.
  void clear_marks() {
    for (int j : marked_) no_image_[find(j)] = 0;
    marked_.clear();
  }

 private:
  std::vector<int> parent_;
  std::vector<char> no_image_;
  std::vector<int> marked_;
};

enum class Outcome { Found, NotFound, OutOfWork };

class AutomorphismSearch {
 public:
  AutomorphismSearch(const MipModel& m, const SymmetryGraph& g, OrderedPartition& part, WorkBudget& budget)
      : m_(m), g_(g), part_(part), budget_(budget), n_(g.num_cols), orbits_(g.num_cols) {
    col_image_.resize(n_);
    row_image_.resize(g.num_rows);
    row_stamp_.assign(g.num_rows, 0);
    col_stamp_.assign(n_, 0);
    col_value_.assign(n_, 0.0);
  }

  void run(SymmetrySearchResult& out) {
    const size_t base = part_.trail_size();
    if (!first_path()) {
      part_.undo(base, budget_);
      out.complete = false;
      return;
    }
    const int levels = static_cast<int>(path_.size());
    out.level_vertex.resize(levels);
    out.level_orbit.assign(levels, {});
    for (int l = 0; l < levels; ++l) out.level_vertex[l] = path_[l].v;
    int stopped_at = -1;  // the level the budget ran out at
    for (int l = levels - 1; l >= 0 && stopped_at < 0; --l) {
      part_.undo(path_[l].mark, budget_);
      const int cs = path_[l].cell_start, v = path_[l].v;
      std::vector<int> cell(part_.elements().begin() + cs, part_.elements().begin() + cs + path_[l].cell_size);
      std::sort(cell.begin(), cell.end());
      budget_.spend(static_cast<int64_t>(cell.size()) * (2 + std::bit_width(cell.size())));
      orbits_.clear_marks();
      for (int u : cell) {
        if (u == v || orbits_.find(u) == orbits_.find(v) || orbits_.holds_no_image(u)) continue;
        const Outcome o = search_image(l, u);
        if (o == Outcome::OutOfWork) {
          stopped_at = l;
          break;
        }
        if (o == Outcome::NotFound) {
          orbits_.mark_no_image(u);
          continue;
        }
        out.generators.push_back(col_image_);
        out.generator_level.push_back(l);
        for (int j = 0; j < n_; ++j)
          if (col_image_[j] != j) orbits_.unite(j, col_image_[j]);
        budget_.spend(2 * static_cast<int64_t>(n_));
      }
      // G_ℓ preserves the cell of v in P_ℓ, so v's orbit lies inside it.
      // At the level the budget ran out at, G_ℓ is the group of what was
      // found so far, and the same holds.
      for (int u : cell)
        if (orbits_.find(u) == orbits_.find(v)) out.level_orbit[l].push_back(u);
      budget_.spend(static_cast<int64_t>(cell.size()));
    }
    part_.undo(base, budget_);
    if (stopped_at < 0) return;
    out.complete = false;
    // The levels above: every generator was found at the level the search
    // stopped at or deeper, so all of them fix v_ℓ there and its orbit
    // under G_ℓ (all of them) is v_ℓ alone.
    for (int l = 0; l < stopped_at; ++l) out.level_orbit[l] = {path_[l].v};
  }

 private:
  bool first_path() {
    int j = 0;
    while (part_.column_cells() < n_) {
      // The columns before j are alone in their cells and stay so deeper
      // down; the first path's choice is the smallest column that is not.
      while (part_.cell_size(part_.cell_of(j)) == 1) ++j;
      PathLevel level;
      level.v = j;
      level.cell_start = part_.cell_of(j);
      level.cell_size = part_.cell_size(level.cell_start);
      level.mark = part_.trail_size();
      part_.individualise(j);
      if (!part_.refine(budget_)) return false;
      level.cells_after = part_.num_cells();
      level.trace_after = part_.trace();
      path_.push_back(level);
    }
    first_leaf_ = part_.elements();
    return budget_.spend(static_cast<int64_t>(first_leaf_.size()));
  }

  // Individualises w at level k; 1 when the node looks like the first
  // path's node at that level, 0 when it cannot lead to an equivalent leaf,
  // -1 when the budget ran out.
  int node(int k, int w) {
    part_.individualise(w);
    if (!part_.refine(budget_)) return -1;
    return part_.num_cells() == path_[k].cells_after && part_.trace() == path_[k].trace_after ? 1 : 0;
  }

  struct Frame {
    int k;
    size_t mark;
    int last;
    bool tried_first;
  };

  // The next vertex of the target cell at frame's level: first the first
  // path's own choice (automorphisms often fix most of the path, so this
  // leads straight to an equivalent leaf), then by increasing index.
  int next_candidate(Frame& f) {
    const PathLevel& lv = path_[f.k];
    const int cs = lv.cell_start;
    if (!part_.is_cell_start(cs) || part_.cell_size(cs) != lv.cell_size) return -1;
    if (!f.tried_first) {
      f.tried_first = true;
      if (part_.cell_of(lv.v) == cs) return lv.v;
    }
    int best = INT_MAX;
    const std::vector<int>& el = part_.elements();
    for (int p = cs; p < cs + lv.cell_size; ++p) {
      const int w = el[p];
      if (w > f.last && w != lv.v && w < best) best = w;
    }
    budget_.spend(lv.cell_size);
    if (best == INT_MAX) return -1;
    f.last = best;
    return best;
  }

  // Depth-first search below the node where u replaces v_l, for a leaf
  // whose mapping from the first leaf is an automorphism (then left in
  // col_image_). Iterative: the first path can be as deep as the columns.
  Outcome search_image(int l, int u) {
    const size_t base = part_.trail_size();
    const int levels = static_cast<int>(path_.size());
    auto finish = [&](Outcome o) {
      part_.undo(base, budget_);
      return o;
    };
    const int r = node(l, u);
    if (r < 0) return finish(Outcome::OutOfWork);
    if (r == 0) return finish(Outcome::NotFound);
    if (l + 1 == levels) return finish(leaf_is_automorphism() ? Outcome::Found : Outcome::NotFound);
    stack_.clear();
    stack_.push_back({l + 1, part_.trail_size(), -1, false});
    while (!stack_.empty()) {
      if (budget_.exhausted()) return finish(Outcome::OutOfWork);
      part_.undo(stack_.back().mark, budget_);
      const int w = next_candidate(stack_.back());
      if (w < 0) {
        stack_.pop_back();
        continue;
      }
      const int k = stack_.back().k;
      const int matched = node(k, w);
      if (matched < 0) return finish(Outcome::OutOfWork);
      if (matched == 0) continue;
      if (k + 1 < levels) {
        stack_.push_back({k + 1, part_.trail_size(), -1, false});
        continue;
      }
      if (leaf_is_automorphism()) return finish(Outcome::Found);
      if (budget_.exhausted()) return finish(Outcome::OutOfWork);
    }
    return finish(Outcome::NotFound);
  }

  // The mapping first leaf -> current leaf, position by position, checked
  // exactly on the model. Rows still sharing a cell once every column is
  // alone have the same entries (equitability), so pairing them by position
  // is as good as any pairing; the check below decides anyway.
  bool leaf_is_automorphism() {
    if (part_.column_cells() != n_) return false;
    const std::vector<int>& cur = part_.elements();
    const int nv = g_.vertices();
    for (int p = 0; p < n_; ++p) col_image_[first_leaf_[p]] = cur[p];
    for (int p = n_; p < nv; ++p) row_image_[first_leaf_[p] - n_] = cur[p] - n_;
    budget_.spend(nv);
    return is_automorphism();
  }

  bool is_automorphism() {
    // Only the moved columns and the rows that are moved or hold a moved
    // column can break the model; the rest maps onto itself trivially.
    ++stamp_;
    rows_to_check_.clear();
    int64_t work = 0;
    auto mark_row = [&](int i) {
      if (row_stamp_[i] == stamp_) return;
      row_stamp_[i] = stamp_;
      rows_to_check_.push_back(i);
    };
    for (int j = 0; j < n_; ++j) {
      const int t = col_image_[j];
      if (t == j) continue;
      if (m_.kind[j] != m_.kind[t] || m_.cost[j] != m_.cost[t] || m_.lower[j] != m_.lower[t] ||
          m_.upper[j] != m_.upper[t])
        return false;
      for (int64_t k = g_.begin[j]; k < g_.begin[j + 1]; ++k) mark_row(g_.next[k] - n_);
      work += 1 + (g_.begin[j + 1] - g_.begin[j]);
    }
    for (int i = 0; i < g_.num_rows; ++i)
      if (row_image_[i] != i) mark_row(i);
    for (int i : rows_to_check_) {
      const int t = row_image_[i];
      const int vi = n_ + i, vt = n_ + t;
      if (m_.row_lo[i] != m_.row_lo[t] || m_.row_hi[i] != m_.row_hi[t]) return false;
      if (g_.begin[vi + 1] - g_.begin[vi] != g_.begin[vt + 1] - g_.begin[vt]) return false;
      ++col_stamp_round_;
      for (int64_t k = g_.begin[vt]; k < g_.begin[vt + 1]; ++k) {
        col_stamp_[g_.next[k]] = col_stamp_round_;
        col_value_[g_.next[k]] = g_.coef[k];
      }
      for (int64_t k = g_.begin[vi]; k < g_.begin[vi + 1]; ++k) {
        const int image = col_image_[g_.next[k]];
        if (col_stamp_[image] != col_stamp_round_ || col_value_[image] != g_.coef[k]) return false;
      }
      work += 2 * (1 + g_.begin[vi + 1] - g_.begin[vi]);
    }
    budget_.spend(work + g_.num_rows);
    return true;
  }

  const MipModel& m_;
  const SymmetryGraph& g_;
  OrderedPartition& part_;
  WorkBudget& budget_;
  const int n_;
  ColumnOrbits orbits_;
  std::vector<PathLevel> path_;
  std::vector<int> first_leaf_;
  std::vector<Frame> stack_;
  std::vector<int> col_image_, row_image_;
  std::vector<int> rows_to_check_;
  std::vector<uint64_t> row_stamp_, col_stamp_;
  uint64_t stamp_ = 0, col_stamp_round_ = 0;
  std::vector<double> col_value_;
};

}  // namespace

void search_automorphisms(const MipModel& m, const SymmetryGraph& g, OrderedPartition& part, WorkBudget& budget,
                          SymmetrySearchResult& out) {
  out = SymmetrySearchResult{};
  if (g.num_cols == 0) return;
  AutomorphismSearch search(m, g, part, budget);
  search.run(out);
}

}  // namespace korva::mip
