// The attempt's sequence: load the basis into the active files, take out
// the triangular parts, run the Markowitz nucleus until the rest is dense
// enough for the dense kernel, then lay out the finished factor.
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "simplex/lu/factorizer.h"
#include "simplex/lu/lu_codes.h"

namespace korva::lu {

int Factorizer::run(const BasisSource& source, const int* basic_index, const AttemptSettings& settings,
                    LFactor& l, UFactor& u) {
  set = settings;
  L = &l;
  U = &u;
  status = kOk;
  work = 0;
  singular_positions.clear();
  unpivoted_rows.clear();
  try {
    load(source, basic_index);
    singleton_passes();
    while (status == kOk && active_cols > 0) {
      for (int c = col_buckets.first(0); c >= 0; c = col_buckets.first(0)) retire_column_singular(c);
      if (active_cols == 0) break;
      double d = active_cols;
      if (static_cast<double>(active_nonzeros) > set.dense_density * d * d + 1e-10) {
        status = dense_rest();
        break;
      }
      int r = -1, c = -1;
      bool found = search(r, c);
      restore_rejected();
      if (!found) {
        // Only entries below the pivot tolerance are left: no column can be pivoted.
        for (int j = 0; j < m; ++j)
          if (col_active[j]) retire_column_singular(j);
        break;
      }
      eliminate(r, c);
      restore_rejected();
      rows.keep_headroom();
      cols.keep_headroom();
    }
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  if (status != kOk) return status;
  for (int r = 0; r < m; ++r)
    if (row_active[r]) unpivoted_rows.push_back(r);
  if (!singular_positions.empty() || !unpivoted_rows.empty()) {
    std::sort(singular_positions.begin(), singular_positions.end());
    return kSingular;
  }
  finish();
  return kOk;
}

void Factorizer::load(const BasisSource& source, const int* basic_index) {
  m = source.num_rows;
  // Row counts first, so that every row gets its room in one piece.
  std::vector<int>& count = mark;
  count.assign(static_cast<size_t>(m), 0);
  int64_t nnz = 0;
  for (int p = 0; p < m; ++p) {
    int var = basic_index[p];
    if (source.is_structural(var)) {
      for (int64_t e = source.col_begin[var]; e < source.col_begin[var + 1]; ++e)
        if (source.value[e] != 0.0) {
          ++count[source.row_index[e]];
          ++nnz;
        }
    } else {
      ++count[source.logical_row_of(var)];
      ++nnz;
    }
  }
  basis_nonzeros = nnz;
  work += static_cast<uint64_t>(nnz + m);

  auto scaled = [&](double mul) { return static_cast<int64_t>(mul * static_cast<double>(nnz)) + 2 * m + 16; };
  rows.layout(m, count.data(), std::max(scaled(set.row_file_mul), 2 * nnz + 2 * m + 16));
  std::vector<int>& live = seen;
  live.assign(static_cast<size_t>(m), 1);
  for (int p = 0; p < m; ++p) {
    int var = basic_index[p];
    if (!source.is_structural(var)) continue;
    live[p] = 0;
    for (int64_t k = source.col_begin[var]; k < source.col_begin[var + 1]; ++k) live[p] += source.value[k] != 0.0;
  }
  cols.layout(m, live.data(), std::max(scaled(set.col_file_mul), 2 * nnz + 2 * m + 16));
  for (int p = 0; p < m; ++p) {
    int var = basic_index[p];
    if (source.is_structural(var)) {
      int64_t b = source.col_begin[var], e = source.col_begin[var + 1];
      for (int64_t k = b; k < e; ++k) {
        double v = source.value[k];
        if (v == 0.0) continue;
        int i = source.row_index[k];
        rows.push(i, p, v);
        cols.push(p, i, 0.0);
      }
    } else {
      int i = source.logical_row_of(var);
      rows.push(i, p, source.logical_coef_of(var));
      cols.push(p, i, 0.0);
    }
  }
  active_nonzeros = nnz;
  active_rows = active_cols = m;
  row_active.assign(static_cast<size_t>(m), 1);
  col_active.assign(static_cast<size_t>(m), 1);
  row_buckets.reset(m, m);
  col_buckets.reset(m, m);
  for (int r = 0; r < m; ++r) {
    move_row_max_first(r);
    row_buckets.insert(r, rows.length(r));
  }
  for (int c = 0; c < m; ++c) col_buckets.insert(c, cols.length(c));

  w.assign(static_cast<size_t>(m), 0.0);
  mark.assign(static_cast<size_t>(m), 0);
  seen.assign(static_cast<size_t>(m), 0);
  stamp = 0;

  L->clear(m);
  U->diag.assign(static_cast<size_t>(m), 0.0);
  U->inv_diag.assign(static_cast<size_t>(m), 0.0);
  U->slot_row.clear();
  U->slot_of_row.assign(static_cast<size_t>(m), -1);
  U->pos_of_row.assign(static_cast<size_t>(m), -1);
  U->row_of_pos.assign(static_cast<size_t>(m), -1);
  U->num_slots = 0;
  U->nonzeros = 0;
  U->rows.reset(m, std::max(scaled(set.row_file_mul), nnz + m + 16));
}

void Factorizer::record_pivot(int row, int col, double pivot) {
  U->set_diag(row, pivot);
  U->slot_of_row[row] = U->num_slots++;
  U->slot_row.push_back(row);
  U->pos_of_row[row] = col;
  U->row_of_pos[col] = row;
}

double Factorizer::entry(int row, int col) const {
  int p = rows.find(row, col);
  return p < 0 ? 0.0 : rows.values(row)[p];
}

void Factorizer::move_row_max_first(int row) {
  int len = rows.length(row);
  if (len < 2) return;
  int* idx = rows.indices(row);
  double* val = rows.values(row);
  int best = 0;
  double big = std::fabs(val[0]);
  for (int k = 1; k < len; ++k) {
    double a = std::fabs(val[k]);
    if (a > big) {
      big = a;
      best = k;
    }
  }
  work += static_cast<uint64_t>(len);
  if (best != 0) {
    std::swap(idx[0], idx[best]);
    std::swap(val[0], val[best]);
  }
}

// A column that cannot be pivoted leaves the active matrix; its rows stay
// and end up without pivot unless another column takes them.
void Factorizer::retire_column_singular(int col) {
  singular_positions.push_back(col);
  int len = cols.length(col);
  const int* ri = cols.indices(col);
  for (int q = 0; q < len; ++q) {
    int i = ri[q];
    work += static_cast<uint64_t>(rows.length(i));
    if (rows.remove_index(i, col)) {
      --active_nonzeros;
      move_row_max_first(i);
      row_buckets.move(i, rows.length(i));
    }
  }
  cols.clear_list(col);
  col_active[col] = 0;
  col_buckets.remove(col);
  --active_cols;
}

void Factorizer::restore_rejected() {
  for (int c : rejected_cols)
    if (col_active[c] && !col_buckets.contains(c)) col_buckets.insert(c, cols.length(c));
  for (int r : rejected_rows)
    if (row_active[r] && !row_buckets.contains(r)) row_buckets.insert(r, rows.length(r));
  rejected_cols.clear();
  rejected_rows.clear();
}

// Lays out the finished factor for the solves: U rows renamed from basis
// positions to pivot rows, the column file of U, and the row-wise copy of L.
void Factorizer::finish() {
  std::vector<int>& count = mark;
  std::fill(count.begin(), count.end(), 0);
  int64_t unz = 0;
  for (int r = 0; r < m; ++r) {
    int len = U->rows.length(r);
    int* idx = U->rows.indices(r);
    for (int k = 0; k < len; ++k) {
      idx[k] = U->row_of_pos[idx[k]];
      ++count[idx[k]];
    }
    unz += len;
  }
  U->nonzeros = unz;
  U->cols.layout(m, count.data(),
                 std::max(static_cast<int64_t>(set.col_file_mul * static_cast<double>(basis_nonzeros)), unz + m) + 16);
  for (int r = 0; r < m; ++r) {
    int len = U->rows.length(r);
    const int* idx = U->rows.indices(r);
    const double* val = U->rows.values(r);
    for (int k = 0; k < len; ++k) U->cols.push(idx[k], r, val[k]);
  }

  // Row-wise copy of L.
  L->row_start.assign(static_cast<size_t>(m) + 1, 0);
  for (int i : L->index) ++L->row_start[i + 1];
  for (int r = 0; r < m; ++r) L->row_start[r + 1] += L->row_start[r];
  L->row_index.resize(L->index.size());
  L->row_value.resize(L->index.size());
  // `seen` serves as the fill cursor of each row.
  std::fill(seen.begin(), seen.end(), 0);
  for (int e = 0; e < L->etas(); ++e) {
    int pr = L->pivot_row[e];
    for (int64_t k = L->start[e]; k < L->start[e + 1]; ++k) {
      int i = L->index[k];
      int64_t at = L->row_start[i] + seen[i]++;
      L->row_index[at] = pr;
      L->row_value[at] = L->value[k];
    }
  }
  for (int s = U->num_slots - 1; s >= 0; --s) {
    int r = U->slot_row[s];
    if (L->row_start[r + 1] > L->row_start[r]) L->rows_latest_first.push_back(r);
  }
  work += static_cast<uint64_t>(3 * unz + 2 * L->nonzeros() + 2 * m);
}

}  // namespace korva::lu
