// The stored parts of a basis factorisation B = L·R⁻¹·U (row space):
// L from the elimination, the row transformations R of the Forrest–Tomlin
// updates, and the permuted upper-triangular U held by rows and by columns.
//
// Everything is indexed by pivot row. The column of U pivoted in row r is
// the basis position pos_of_row[r]; updates keep that pairing and only move
// the pair to the end of the pivot order.
#pragma once
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "simplex/lu/list_pool.h"

namespace korva::lu {

// L as column etas in elimination order, plus a row-wise copy for the
// transposed solve. Vectors keep their capacity between factorisations.
struct LFactor {
  std::vector<int> pivot_row;    // per eta
  std::vector<int64_t> start;    // per eta, plus the end
  std::vector<int> index;        // rows below the pivot
  std::vector<double> value;     // multipliers
  std::vector<int> eta_of_row;   // per row, -1 when the row's pivot left no eta

  std::vector<int64_t> row_start;      // per row, plus the end
  std::vector<int> row_index;          // pivot rows of the etas with an entry in this row
  std::vector<double> row_value;
  std::vector<int> rows_latest_first;  // rows with a nonempty row-wise list, reverse pivot order

  void clear(int num_rows) {
    pivot_row.clear();
    start.assign(1, 0);
    index.clear();
    value.clear();
    eta_of_row.assign(static_cast<size_t>(num_rows), -1);
    rows_latest_first.clear();
  }
  int etas() const { return static_cast<int>(pivot_row.size()); }
  int64_t nonzeros() const { return static_cast<int64_t>(index.size()); }
};

// Permuted upper triangle. rows: list r holds (pivot row j of a later
// column, u); cols: list r holds (pivot row i of an earlier row, u) of the
// column pivoted in row r. Diagonals apart.
struct UFactor {
  std::vector<double> diag;
  // 1/diag: the solves multiply, since a division's latency would stall
  // every row they visit.
  std::vector<double> inv_diag;
  void set_diag(int r, double d) {
    diag[r] = d;
    inv_diag[r] = 1.0 / d;
  }
  ListPool rows, cols;
  std::vector<int> slot_row;     // pivot order; -1 where an update vacated the slot
  std::vector<int> slot_of_row;
  int num_slots = 0;
  std::vector<int> pos_of_row, row_of_pos;
  int64_t nonzeros = 0;          // off-diagonal entries
};

// Row transformations of the Forrest–Tomlin updates: transformation t
// replaces x[pivot_row[t]] by x[pivot_row[t]] - sum value*x[index] over its
// pairs.
struct UpdateFile {
  std::vector<int> pivot_row;
  std::vector<int64_t> start;     // per transformation, plus the end
  std::vector<int> index;
  std::vector<double> value;
  int64_t nonzero_capacity = 0;   // grows on demand
  std::vector<int> first_reader;  // per row: first transformation reading it, INT_MAX if none
  std::vector<int> readers_set;   // rows whose first_reader is set (cheap reset)
  // The transformations pivoting on each row, latest first: last_on_row[r],
  // then earlier_on_row[t] from each one t on; -1 ends the chain.
  std::vector<int> last_on_row;
  std::vector<int> earlier_on_row;

  void append(int row) {
    earlier_on_row.push_back(last_on_row[row]);
    last_on_row[row] = count();
    pivot_row.push_back(row);
  }
  void clear() {
    for (int r : pivot_row) last_on_row[r] = -1;
    earlier_on_row.clear();
    pivot_row.clear();
    start.assign(1, 0);
    index.clear();
    value.clear();
    for (int r : readers_set) first_reader[r] = INT_MAX;
    readers_set.clear();
  }
  int count() const { return static_cast<int>(pivot_row.size()); }
  int64_t nonzeros() const { return static_cast<int64_t>(index.size()); }
};

}  // namespace korva::lu
