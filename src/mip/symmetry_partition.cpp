#include "mip/symmetry_partition.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace korva::mip {

namespace {

constexpr int64_t kPollInterval = 1 << 14;
constexpr double kProgressSeconds = 50.0;

uint64_t mix(uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

// The weight a coefficient adds to a vertex's signature. Sums of these
// hashes stand for the multisets of coefficients: equal multisets give
// equal sums, and different ones differ but with negligible probability
// (a collision only makes the partition coarser, which the exact check of
// every automorphism makes harmless).
uint64_t coefficient_weight(double a) {
  if (a == 0.0) a = 0.0;  // -0 and +0 alike
  return mix(std::bit_cast<uint64_t>(a));
}

}  // namespace

void build_symmetry_graph(const MipModel& m, int rows, SymmetryGraph& g) {
  const int n = m.num_cols;
  g.num_cols = n;
  g.num_rows = rows;
  g.begin.assign(static_cast<size_t>(n) + rows + 1, 0);
  g.next.clear();
  g.coef.clear();
  for (int j = 0; j < n; ++j) {
    for (int64_t k = m.col_begin[j]; k < m.col_begin[j + 1]; ++k) {
      if (m.col_row[k] >= rows || m.col_val[k] == 0.0) continue;
      g.next.push_back(n + m.col_row[k]);
      g.coef.push_back(m.col_val[k]);
    }
    g.begin[j + 1] = static_cast<int64_t>(g.next.size());
  }
  for (int i = 0; i < rows; ++i) {
    for (int64_t k = m.row_begin[i]; k < m.row_begin[i + 1]; ++k) {
      if (m.row_val[k] == 0.0) continue;
      g.next.push_back(m.row_col[k]);
      g.coef.push_back(m.row_val[k]);
    }
    g.begin[n + i + 1] = static_cast<int64_t>(g.next.size());
  }
}

WorkBudget::WorkBudget(int64_t limit, const std::function<bool()>& stop, const std::function<double()>& clock,
                       const std::function<void()>& progress)
    : limit_(limit), stop_(stop), clock_(clock), progress_(progress) {
  next_progress_ = clock_ ? clock_() + kProgressSeconds : std::numeric_limits<double>::infinity();
}

bool WorkBudget::poll() {
  if (used_ >= limit_ || (stop_ && stop_())) exhausted_ = true;
  if (clock_ && progress_) {
    const double now = clock_();
    if (now >= next_progress_) {
      progress_();
      next_progress_ = now + kProgressSeconds;
    }
  }
  next_poll_ = std::min(used_ + kPollInterval, limit_);
  if (next_poll_ <= used_) next_poll_ = used_ + 1;
  return !exhausted_;
}

void OrderedPartition::init(const SymmetryGraph& g, const std::vector<int>& order,
                            const std::vector<int>& cell_starts) {
  g_ = &g;
  num_cols_ = g.num_cols;
  const int nv = g.vertices();
  elem_ = order;
  vert_.assign(nv, Vertex{});
  cell_.assign(nv, Cell{});
  queue_.clear();
  queue_head_ = 0;
  trail_.clear();
  num_cells_ = static_cast<int>(cell_starts.size());
  column_cells_ = 0;
  for (size_t c = 0; c < cell_starts.size(); ++c) {
    const int s = cell_starts[c];
    const int e = c + 1 < cell_starts.size() ? cell_starts[c + 1] : nv;
    cell_[s].end = e;
    for (int p = s; p < e; ++p) vert_[elem_[p]].cell = s;
    if (s < num_cols_) ++column_cells_;
  }
  for (int p = 0; p < nv; ++p) vert_[elem_[p]].pos = p;
  trace_ = 0;
}

void OrderedPartition::push_queue(int start) {
  if (cell_[start].queued) return;
  cell_[start].queued = 1;
  queue_.push_back(start);
}

void OrderedPartition::queue_all_cells() {
  for (int p = 0; p < static_cast<int>(elem_.size()); p = cell_[p].end) push_queue(p);
}

void OrderedPartition::individualise(int v) {
  const int s = vert_[v].cell, e = cell_[s].end, q = e - 1;
  const int other = elem_[q], pv = vert_[v].pos;
  elem_[pv] = other;
  vert_[other].pos = pv;
  elem_[q] = v;
  vert_[v].pos = q;
  cell_[s].end = q;
  cell_[q].end = e;
  vert_[v].cell = q;
  trail_.push_back(q);
  ++num_cells_;
  if (s < num_cols_) ++column_cells_;
  trace_ = mix(static_cast<uint64_t>(s) * 0x100000001ULL + static_cast<uint64_t>(e - s));
  push_queue(q);
}

// Touched vertices gather at the end of their cell, so that a cell's
// untouched part stays where it is and keeps the cell's name: the work of
// a split is then proportional to the touched part only. A vertex alone in
// its cell has nothing to split from and is skipped.
void OrderedPartition::touch(int x, uint64_t weight) {
  Vertex& vx = vert_[x];
  const int s = vx.cell;
  Cell& c = cell_[s];
  if (c.end - s == 1) return;
  const int t = c.touched;
  if (vx.pos >= c.end - t) {
    vx.sig += weight;
    return;
  }
  const int q = c.end - 1 - t, y = elem_[q], px = vx.pos;
  elem_[px] = y;
  vert_[y].pos = px;
  elem_[q] = x;
  vx.pos = q;
  c.touched = t + 1;
  if (t == 0) touched_cells_.push_back(s);
  vx.sig = weight;
}

void OrderedPartition::split_touched(int s) {
  const int e = cell_[s].end, t = cell_[s].touched, first = e - t;
  cell_[s].touched = 0;
  auto* base = elem_.data();
  std::sort(base + first, base + e, [&](int a, int b) { return vert_[a].sig < vert_[b].sig; });
  for (int p = first; p < e; ++p) vert_[elem_[p]].pos = p;
  // The new cells: the untouched part first, then the touched vertices by
  // signature. Both orders depend on nothing but the signatures.
  int runs = first > s ? 1 : 0;
  int largest_run = 0, largest_size = first - s;
  std::vector<int>& starts = run_starts_;
  starts.clear();
  if (first > s) starts.push_back(s);
  for (int p = first; p < e; ++p) {
    if (p != first && vert_[elem_[p]].sig == vert_[elem_[p - 1]].sig) continue;
    starts.push_back(p);
    ++runs;
  }
  if (runs == 1) return;
  trace_ = mix(trace_ ^ (static_cast<uint64_t>(s) * 0x9e3779b97f4a7c15ULL + static_cast<uint64_t>(runs)));
  for (int r = 0; r < runs; ++r) {
    const int rs = starts[r], re = r + 1 < runs ? starts[r + 1] : e;
    const uint64_t sig = rs >= first ? vert_[elem_[rs]].sig + 1 : 0;  // untouched vertices have no fresh signature
    trace_ = mix(trace_ ^ (sig + static_cast<uint64_t>(re - rs)));
    if (re - rs > largest_size) {
      largest_size = re - rs;
      largest_run = r;
    }
    if (r == 0) {
      cell_[s].end = re;
      continue;
    }
    cell_[rs].end = re;
    for (int p = rs; p < re; ++p) vert_[elem_[p]].cell = rs;
    trail_.push_back(rs);
    ++num_cells_;
    if (s < num_cols_) ++column_cells_;
  }
  // A cell still waiting on the queue gets all its parts queued; otherwise
  // every part but the largest is enough, as the partition is already
  // stable with respect to the whole cell.
  const bool queued = cell_[s].queued != 0;
  for (int r = 0; r < runs; ++r)
    if (queued ? r > 0 : r != largest_run) push_queue(starts[r]);
}

bool OrderedPartition::refine(WorkBudget& budget) {
  const SymmetryGraph& g = *g_;
  while (queue_head_ < queue_.size()) {
    const int s = queue_[queue_head_++];
    cell_[s].queued = 0;
    const int e = cell_[s].end;
    int64_t work = 1;
    // The splitter's own cell never changes during the scan: the graph is
    // bipartite and columns and rows never share a cell.
    for (int p = s; p < e; ++p) {
      const int w = elem_[p];
      for (int64_t k = g.begin[w]; k < g.begin[w + 1]; ++k) touch(g.next[k], coefficient_weight(g.coef[k]));
      work += 1 + (g.begin[w + 1] - g.begin[w]);
    }
    // Cells split in the order of their positions, not of discovery (which
    // depends on vertex numbers), to keep the refinement invariant.
    std::sort(touched_cells_.begin(), touched_cells_.end());
    for (int c : touched_cells_) {
      const int t = cell_[c].touched;
      work += t * (1 + std::bit_width(static_cast<unsigned>(t)));
      split_touched(c);
    }
    work += static_cast<int64_t>(touched_cells_.size());
    touched_cells_.clear();
    if (!budget.spend(work)) {
      for (size_t k = queue_head_; k < queue_.size(); ++k) cell_[queue_[k]].queued = 0;
      queue_.clear();
      queue_head_ = 0;
      return false;
    }
  }
  queue_.clear();
  queue_head_ = 0;
  return true;
}

void OrderedPartition::undo(size_t mark, WorkBudget& budget) {
  int64_t work = 0;
  while (trail_.size() > mark) {
    const int p = trail_.back();
    trail_.pop_back();
    const int s = vert_[elem_[p - 1]].cell, e = cell_[p].end;
    for (int q = p; q < e; ++q) vert_[elem_[q]].cell = s;
    cell_[s].end = e;
    --num_cells_;
    if (p < num_cols_) --column_cells_;
    work += 1 + (e - p);
  }
  // Undoing is never refused: the partition must be restored whatever the
  // budget says, so the cost is only recorded.
  budget.spend(work);
}

}  // namespace korva::mip
