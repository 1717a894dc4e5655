// The constraint matrix, stored by columns in one pool of (row index, value)
// pairs. Column j owns `capacity(j)` consecutive pool slots starting at
// begin[j], of which the first count[j] hold entries; columns need not lie in
// column order inside the pool. This lets rows be added one at a time: a
// column that runs out of room moves to the end of the pool with half as much
// room again, and the pool is compacted when the holes left behind outweigh
// the live slots, so every insertion costs amortised constant time.
//
// Changing operations come in two kinds. Those that may allocate
// (ensure_free, reserve_columns, assign) leave the matrix logically unchanged
// when they throw; the others (make_room, push, append_column, ...) never
// allocate once the space they need has been ensured. Editors ensure first and
// change afterwards, which is what makes every edit all-or-nothing.
#pragma once
#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace korva {

// Column j's entries as parallel spans.
struct SparseSpan {
  std::span<const int> index;
  std::span<const double> value;
  int size() const { return static_cast<int>(index.size()); }
};

// Row-wise copy of the matrix, built on demand; rows list their entries in
// increasing column order.
struct RowCopy {
  std::vector<int64_t> begin;  // num_rows + 1 positions
  std::vector<int> index;
  std::vector<double> value;
};

class ColumnMatrix {
 public:
  int num_cols() const { return static_cast<int>(count_.size()); }
  int64_t nonzeros() const { return nonzeros_; }
  int count(int j) const { return count_[j]; }
  const int* rows(int j) const { return index_.data() + begin_[j]; }
  const double* values(int j) const { return value_.data() + begin_[j]; }
  SparseSpan column(int j) const {
    return {{rows(j), static_cast<size_t>(count_[j])}, {values(j), static_cast<size_t>(count_[j])}};
  }
  // Position of row i in column j, or -1.
  int find(int j, int i) const;
  // Slots of the pool, live and free (for tests of the growth policy).
  int64_t pool_size() const { return static_cast<int64_t>(index_.size()); }

  // The row-wise copy for a matrix of `num_rows` rows; stays valid until the
  // next change.
  const RowCopy& row_copy(int num_rows) const;

  // --- changes that may allocate (no logical change when they throw) -------
  void clear();
  // Replaces everything with the caller's column-major arrays: column j's
  // entries at beg[j] .. beg[j] + cnt[j] - 1.
  void assign(int ncols, const int64_t* beg, const int* cnt, const int* ind, const double* val);
  // The same as assign with the arrays handed over: when the columns lie
  // back to back in column order (beg[j] is the sum of the counts before
  // j), the entry arrays become the pool without a copy; any other layout
  // is copied by assign. The arguments are left empty or unspecified.
  void adopt(std::vector<int64_t>&& beg, std::vector<int>&& cnt, std::vector<int>&& ind,
             std::vector<double>&& val);
  // Room for `extra` more columns in the per-column arrays.
  void reserve_columns(int extra);
  // At least `slots` free pool slots after the last used one.
  void ensure_free(int64_t slots);

  // --- changes that do not allocate once space has been ensured -----------
  // Pool slots that make_room(j, extra) will take at most, and what a
  // column appended empty takes to receive `entries` entries.
  int64_t room_needed(int j, int extra) const;
  static int64_t room_for_new_column(int entries);
  // Gives column j room for `extra` more entries (moving it if necessary).
  void make_room(int j, int extra);
  // Appends an entry to column j, which must have room.
  void push(int j, int row, double value);
  // Appends a column (needs reserve_columns(1) and ensure_free(n)).
  void append_column(const int* rows, const double* values, int n);
  void append_empty_columns(int n);  // needs reserve_columns(n)
  // Sets entry (i, j); a zero value removes it. Needs room_needed(j, 1) free
  // slots when the entry does not exist yet.
  void set(int i, int j, double value);
  // Row deletion: row i becomes map[i], or disappears when map[i] < 0.
  void renumber_rows(const int* map);
  // Column deletion: column j becomes map[j], or disappears when map[j] < 0.
  // Leaves holes in the pool; compact() reclaims them.
  void remove_columns(const int* map);
  // Rewrites the pool in column order without holes (allocates; no logical
  // change when it throws).
  void compact(int64_t extra_free = 0);
  // Compacts when holes outweigh live slots; keeps the holes when memory is
  // short (the contents are the same either way).
  void reclaim() noexcept;

  // Scratch of one int per column, all zero between uses (for callers that
  // count per column without allocating).
  std::vector<int>& column_scratch() { return scratch_; }

 private:
  int64_t holes() const { return used_ - reserved_; }
  void relocate(int j, int new_capacity);
  void invalidate_rows() { row_copy_valid_ = false; }

  std::vector<int64_t> begin_;
  std::vector<int> count_;
  std::vector<int> capacity_;
  std::vector<int> index_;    // pool
  std::vector<double> value_; // pool
  std::vector<int> scratch_;
  int64_t used_ = 0;      // pool slots up to the end of the last column
  int64_t reserved_ = 0;  // sum of capacities
  int64_t nonzeros_ = 0;

  mutable RowCopy row_copy_;
  mutable bool row_copy_valid_ = false;
  mutable int row_copy_rows_ = -1;
};

// Grows a vector's capacity geometrically so that `extra` more elements fit.
// std::vector::reserve with an exact size would make repeated single-item
// additions quadratic.
template <class V>
void reserve_more(V& v, size_t extra) {
  const size_t need = v.size() + extra;
  if (need <= v.capacity()) return;
  v.reserve(std::max(need, v.capacity() * 2));
}

}  // namespace korva
