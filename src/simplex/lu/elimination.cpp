// One elimination step on the active submatrix with pivot (row, col): the
// pivot row becomes a row of U, the pivot column's other entries become an
// eta of L, and every other row of the pivot column is updated by the pivot
// row. Singleton pivots are the cheap special cases of the same step.
#include <cmath>

#include "simplex/lu/factorizer.h"
#include "simplex/lu/lu_codes.h"

namespace korva::lu {

void Factorizer::eliminate(int row, int col) {
  const int pivot_mark = ++stamp;
  pivot_row_cols.clear();
  double pivot = 0.0;
  {
    int len = rows.length(row);
    const int* idx = rows.indices(row);
    const double* val = rows.values(row);
    for (int k = 0; k < len; ++k) {
      int j = idx[k];
      if (j == col) {
        pivot = val[k];
      } else {
        w[j] = val[k];
        mark[j] = pivot_mark;
        pivot_row_cols.push_back(j);
      }
    }
    work += static_cast<uint64_t>(len);
  }
  // Copy the pivot column: filling other columns may move the column file.
  pivot_col_rows.assign(cols.indices(col), cols.indices(col) + cols.length(col));
  const int fill_room = static_cast<int>(pivot_row_cols.size());

  for (int j : pivot_row_cols) {
    work += static_cast<uint64_t>(cols.length(j));
    cols.remove_index(j, row);
  }
  U->rows.reserve(row, fill_room, true);
  for (int j : pivot_row_cols) U->rows.push(row, j, w[j]);
  record_pivot(row, col, pivot);

  for (int i : pivot_col_rows) {
    if (i == row) continue;
    int at = rows.find(i, col);
    work += static_cast<uint64_t>(rows.length(i));
    double a = rows.values(i)[at];
    rows.remove_at(i, at);
    --active_nonzeros;
    double l = a / pivot;
    L->index.push_back(i);
    L->value.push_back(l);
    if (fill_room > 0) {
      rows.reserve(i, fill_room);
      const int row_mark = ++stamp;
      int len = rows.length(i);
      int* idx = rows.indices(i);
      double* val = rows.values(i);
      // Backwards, so that removing by moving the last entry forward only
      // moves entries already visited.
      for (int k = len - 1; k >= 0; --k) {
        int j = idx[k];
        if (mark[j] != pivot_mark) continue;
        seen[j] = row_mark;
        double v = val[k] - l * w[j];
        if (std::fabs(v) < kDropTolerance) {
          rows.remove_at(i, k);
          cols.remove_index(j, i);
          --active_nonzeros;
        } else {
          if (std::fabs(v) > kGrowthLimit) status = kUnstable;
          val[k] = v;
        }
      }
      work += static_cast<uint64_t>(len + fill_room);
      for (int j : pivot_row_cols) {
        if (seen[j] == row_mark) continue;
        double v = -l * w[j];
        if (std::fabs(v) < kDropTolerance) continue;
        if (std::fabs(v) > kGrowthLimit) status = kUnstable;
        rows.push(i, j, v);
        cols.reserve(j, 1);
        cols.push(j, i, 0.0);
        ++active_nonzeros;
      }
    }
    move_row_max_first(i);
    row_buckets.move(i, rows.length(i));
  }
  if (L->nonzeros() > L->start.back()) {
    L->eta_of_row[row] = L->etas();
    L->pivot_row.push_back(row);
    L->start.push_back(L->nonzeros());
  }

  active_nonzeros -= fill_room + 1;
  rows.clear_list(row);
  row_active[row] = 0;
  row_buckets.remove(row);
  --active_rows;
  cols.clear_list(col);
  col_active[col] = 0;
  col_buckets.remove(col);
  --active_cols;
  for (int j : pivot_row_cols) col_buckets.move(j, cols.length(j));
}

}  // namespace korva::lu
