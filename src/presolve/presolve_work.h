// The working copy presolve reduces: the LP in the minimisation sense with
// row activity bounds [rlo, rhi] instead of senses, infinite bounds as IEEE
// infinities, and the matrix both by columns and by rows. An entry is
// active while its row and its column are. Substitutions change the matrix:
// every column (row) owns a slot [beg, cap) of the entry arrays holding its
// entries in [beg, end); a column that outgrows its slot moves to the end
// of the arrays with room to spare, and compaction squeezes the arrays from
// time to time. After the reductions `finish` leaves the plain column-wise
// layout: column j in cbeg[j] .. cbeg[j + 1], active entries only.
#pragma once
#include <cstdint>
#include <limits>
#include <vector>

#include "model/problem.h"
#include "presolve/presolve_record.h"

namespace korva::presolve {

inline constexpr double kInf = std::numeric_limits<double>::infinity();

struct PresolveWork {
  int m = 0, n = 0;
  int objsense = 1;
  std::vector<double> cost, lb, ub;  // per column
  std::vector<double> rlo, rhi;      // per row
  std::vector<int64_t> cbeg, cend, ccap;  // by column (cbeg has n + 1 items)
  std::vector<int> cidx;
  std::vector<double> cval;
  std::vector<int64_t> rbeg, rend, rcap;  // by row (rbeg has m + 1 items)
  std::vector<int> ridx;
  std::vector<double> rval;
  std::vector<uint8_t> row_alive, col_alive;
  std::vector<int> row_len, col_len;  // active entries
  // Entries that differ from the original problem's: postsolve then needs
  // the row or column as it was, not the original one.
  std::vector<uint8_t> row_changed, col_changed;
  // Integer columns ('B', 'I' and the implied integers presolve finds).
  // Frozen columns belong to model parts beyond the rows (semi-continuous
  // domains, special ordered sets, indicator, lazy and user-cut rows):
  // they keep their index and their bounds, so those parts stay valid;
  // a semi-continuous column's lb and ub here span its whole domain.
  std::vector<uint8_t> integer, frozen;
  bool mip = false;
  double offset = 0.0;
  std::vector<Reduction> stack;
  PresolveCounters counters;

  void load(const Problem& p);

  // A column presolve may substitute out or merge: continuous, not frozen.
  bool substitutable(int j) const { return !integer[j] && !frozen[j]; }

  // Removes column j at `value` (the rows' bounds absorb its activity).
  void fix_column(int j, double value);
  // Removes row i as redundant (its dual is 0 and it is basic).
  void remove_row(int i);
  // Drops row i from the active problem without a reduction of its own.
  void drop_row(int i);
  void drop_column(int j);

  // Moves column j (row i) to the end of the entry arrays with room for
  // at least `extra` more entries; dead entries stay behind.
  void grow_column(int j, int extra);
  void grow_row(int i, int extra);
  // Squeezes out dead entries and the room of moved items when the arrays
  // have grown well beyond the active entries.
  void maybe_compact();
  // The plain column-wise layout the reduced problem is built from.
  void finish();

  // Pushes a snapshot entry after a reduction (see ReductionKind::Entry).
  void push_entry(int row, int col, double a) {
    Reduction e;
    e.kind = ReductionKind::Entry;
    e.row = row;
    e.col = col;
    e.a = a;
    stack.push_back(e);
  }

 private:
  void load_integrality(const Problem& p);
  void compact_columns(bool room);
  void compact_rows(bool room);
};

// Row activity bounds of an original row, from its sense, rhs and range.
void row_bounds(const Problem& p, int i, double* lo, double* hi);

inline double to_work_bound(double b) {
  if (b >= kInfinity) return kInf;
  if (b <= -kInfinity) return -kInf;
  return b;
}

}  // namespace korva::presolve
