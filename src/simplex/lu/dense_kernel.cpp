// Dense LU with partial pivoting for the rest of the nucleus once it is
// dense enough that sparse bookkeeping costs more than it saves. The rest
// is copied into a column-major array; each column's largest remaining
// entry is its pivot, and a column whose entries all fall below the pivot
// tolerance is singular.
#include <algorithm>
#include <cmath>
#include <new>

#include "simplex/lu/factorizer.h"
#include "simplex/lu/lu_codes.h"

namespace korva::lu {

int Factorizer::dense_rest() {
  dense_rows.clear();
  dense_cols.clear();
  for (int r = 0; r < m; ++r)
    if (row_active[r]) dense_rows.push_back(r);
  for (int c = 0; c < m; ++c)
    if (col_active[c]) dense_cols.push_back(c);
  const int nr = static_cast<int>(dense_rows.size());
  const int nc = static_cast<int>(dense_cols.size());
  try {
    dense.assign(static_cast<size_t>(nr) * static_cast<size_t>(nc), 0.0);
  } catch (const std::bad_alloc&) {
    return kDenseOutOfMemory;
  }
  // `seen` maps a basis position to its dense column.
  for (int jj = 0; jj < nc; ++jj) seen[dense_cols[jj]] = jj;
  for (int ii = 0; ii < nr; ++ii) {
    int r = dense_rows[ii];
    int len = rows.length(r);
    const int* idx = rows.indices(r);
    const double* val = rows.values(r);
    for (int k = 0; k < len; ++k) dense[static_cast<size_t>(seen[idx[k]]) * nr + ii] = val[k];
    work += static_cast<uint64_t>(len);
  }

  int k = 0;  // rows 0..k-1 of the array hold the pivots taken so far
  for (int jj = 0; jj < nc; ++jj) {
    double* colj = dense.data() + static_cast<size_t>(jj) * nr;
    int best = -1;
    double big = 0.0;
    for (int ii = k; ii < nr; ++ii) {
      double a = std::fabs(colj[ii]);
      if (a > big) {
        big = a;
        best = ii;
      }
    }
    work += static_cast<uint64_t>(nr - k);
    const int c = dense_cols[jj];
    if (best < 0 || big < set.pivot_tolerance) {
      singular_positions.push_back(c);
      col_active[c] = 0;
      continue;
    }
    if (best != k) {
      for (int j2 = jj; j2 < nc; ++j2) std::swap(dense[static_cast<size_t>(j2) * nr + k], dense[static_cast<size_t>(j2) * nr + best]);
      std::swap(dense_rows[k], dense_rows[best]);
    }
    const int r = dense_rows[k];
    const double pivot = colj[k];

    U->rows.reserve(r, nc - jj - 1, true);
    for (int j2 = jj + 1; j2 < nc; ++j2) {
      double u = dense[static_cast<size_t>(j2) * nr + k];
      if (std::fabs(u) < kDropTolerance) continue;
      if (std::fabs(u) > kGrowthLimit) return kUnstable;
      U->rows.push(r, dense_cols[j2], u);
    }
    record_pivot(r, c, pivot);
    row_active[r] = 0;
    col_active[c] = 0;

    int64_t eta_begin = L->nonzeros();
    for (int ii = k + 1; ii < nr; ++ii) {
      double a = colj[ii];
      if (std::fabs(a) < kDropTolerance) {
        colj[ii] = 0.0;
        continue;
      }
      colj[ii] = a / pivot;
      L->index.push_back(dense_rows[ii]);
      L->value.push_back(colj[ii]);
    }
    if (L->nonzeros() > eta_begin) {
      L->eta_of_row[r] = L->etas();
      L->pivot_row.push_back(r);
      L->start.push_back(L->nonzeros());
    }
    for (int j2 = jj + 1; j2 < nc; ++j2) {
      double* cj = dense.data() + static_cast<size_t>(j2) * nr;
      double u = cj[k];
      if (u == 0.0) continue;
      for (int ii = k + 1; ii < nr; ++ii) cj[ii] -= colj[ii] * u;
      work += static_cast<uint64_t>(nr - k);
    }
    ++k;
  }
  active_cols = 0;
  active_rows = nr - k;
  return kOk;
}

}  // namespace korva::lu
