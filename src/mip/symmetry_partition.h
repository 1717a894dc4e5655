// The pieces of symmetry detection below the search: the coloured
// bipartite graph of a model (columns, then rows, edges weighted by the
// coefficients), a budget of elementary operations, and an ordered
// partition of the graph's vertices that refines itself to the coarsest
// equitable partition and can be undone split by split.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "mip/mip_model.h"

namespace korva::mip {

// Vertices 0..num_cols-1 are the columns, num_cols..num_cols+num_rows-1 the
// rows. Zero coefficients are no edges.
struct SymmetryGraph {
  int num_cols = 0;
  int num_rows = 0;
  std::vector<int64_t> begin;  // adjacency of vertex v: [begin[v], begin[v+1])
  std::vector<int> next;
  std::vector<double> coef;

  int vertices() const { return num_cols + num_rows; }
};

// The graph of the first `rows` rows of the model (later rows are cuts,
// indicator and lazy rows, which the symmetry must not depend on).
void build_symmetry_graph(const MipModel& m, int rows, SymmetryGraph& g);

// Counts elementary operations; once the limit is passed, or the caller's
// stop callback says so, every further spend() is refused. The callbacks are
// polled every few thousand operations, not per call, to stay cheap.
class WorkBudget {
 public:
  WorkBudget(int64_t limit, const std::function<bool()>& stop, const std::function<double()>& clock,
             const std::function<void()>& progress);
  bool spend(int64_t amount) {
    used_ += amount;
    return used_ < next_poll_ ? !exhausted_ : poll();
  }
  bool exhausted() const { return exhausted_; }
  int64_t used() const { return used_; }

 private:
  bool poll();
  int64_t limit_;
  int64_t used_ = 0;
  int64_t next_poll_ = 0;
  bool exhausted_ = false;
  double next_progress_ = 0.0;
  const std::function<bool()>& stop_;
  const std::function<double()>& clock_;
  const std::function<void()>& progress_;
};

// An ordered partition of the graph's vertices. A cell is a range of
// positions and is named by its first position. Columns always occupy the
// positions 0..num_cols-1 (their initial cells come first and splits stay
// inside a cell). Every operation depends only on positions, colours and
// coefficients, never on vertex numbers, so an automorphism of the graph
// maps the partition reached along one path of individualisations onto the
// one reached along the image path: what the search relies on.
class OrderedPartition {
 public:
  // `order`: the vertices cell by cell; `cell_starts`: the first position
  // of each cell, increasing, starting at 0.
  void init(const SymmetryGraph& g, const std::vector<int>& order, const std::vector<int>& cell_starts);

  // Puts every cell on the splitter queue (the first refinement).
  void queue_all_cells();
  // Splits v off its cell as a singleton at the cell's last position and
  // queues it. Starts a new trace.
  void individualise(int v);
  // Refines until the partition is equitable: every two vertices of a cell
  // have the same multiset of (cell, coefficient) over their neighbours.
  // False when the budget ran out (the partition is then a valid but
  // unfinished refinement, to be undone).
  bool refine(WorkBudget& budget);
  // Merges back every split made after the trail had `mark` entries.
  void undo(size_t mark, WorkBudget& budget);

  size_t trail_size() const { return trail_.size(); }
  int num_cells() const { return num_cells_; }
  int column_cells() const { return column_cells_; }
  // A hash of the splits since the last individualise(): equal for nodes an
  // automorphism maps onto each other.
  uint64_t trace() const { return trace_; }
  int cell_of(int v) const { return vert_[v].cell; }
  int cell_size(int start) const { return cell_[start].end - start; }
  bool is_cell_start(int p) const { return vert_[elem_[p]].cell == p; }
  const std::vector<int>& elements() const { return elem_; }

 private:
  void touch(int x, uint64_t weight);
  void split_touched(int start);
  void push_queue(int start);

  // What the refinement reads together sits together: per vertex its
  // position, cell and signature; per cell (at its first position) its end,
  // the count of touched vertices and whether it waits on the queue.
  struct Vertex {
    int pos = 0;
    int cell = 0;
    uint64_t sig = 0;
  };
  struct Cell {
    int end = 0;
    int touched = 0;
    int queued = 0;
  };

  const SymmetryGraph* g_ = nullptr;
  int num_cols_ = 0;
  std::vector<int> elem_;
  std::vector<Vertex> vert_;
  std::vector<Cell> cell_;
  std::vector<int> queue_;
  size_t queue_head_ = 0;
  std::vector<int> touched_cells_, run_starts_;
  std::vector<int> trail_;  // the start of every cell split off, in order
  int num_cells_ = 0;
  int column_cells_ = 0;
  uint64_t trace_ = 0;
};

}  // namespace korva::mip
