// One factorisation attempt: the active submatrix with its row and column
// files and count buckets, and the passes that eliminate it (triangular
// singletons, Markowitz nucleus, dense switch). The pivots go straight into
// the L and U parts of the factor. The workspace is kept by the factor and
// reused, so a refactorisation allocates only when the basis grows denser.
#pragma once
#include <cstdint>
#include <vector>

#include "simplex/lu/basis_source.h"
#include "simplex/lu/count_buckets.h"
#include "simplex/lu/factor_parts.h"
#include "simplex/lu/list_pool.h"

namespace korva::lu {

struct AttemptSettings {
  double markowitz = 0.01;        // threshold t of the pivot test
  double pivot_tolerance = 1e-13; // absolute pivot tolerance
  double row_file_mul = 3.0;
  double col_file_mul = 3.0;
  double dense_density = 0.6;
};

struct Factorizer {
  // Runs one attempt. Returns kOk, kSingular (with singular_positions and
  // unpivoted_rows filled), kUnstable, kOutOfMemory or kDenseOutOfMemory.
  int run(const BasisSource& source, const int* basic_index, const AttemptSettings& settings,
          LFactor& l, UFactor& u);

  std::vector<int> singular_positions;  // basis positions left without pivot
  std::vector<int> unpivoted_rows;      // rows left without pivot
  uint64_t work = 0;                    // operations of the last attempt
  int64_t basis_nonzeros = 0;

  // ---- internals, shared by the pass files ----
  void load(const BasisSource& source, const int* basic_index);
  void singleton_passes();
  bool search(int& row, int& col);
  void eliminate(int row, int col);
  int dense_rest();
  void finish();

  void record_pivot(int row, int col, double pivot);
  void retire_column_singular(int col);
  void move_row_max_first(int row);
  double entry(int row, int col) const;
  void restore_rejected();

  int m = 0;
  AttemptSettings set;
  LFactor* L = nullptr;
  UFactor* U = nullptr;
  int status = 0;

  ListPool rows;   // active rows: (position, value), largest magnitude first
  ListPool cols;   // active columns: row indices (values unused)
  CountBuckets row_buckets, col_buckets;
  std::vector<char> row_active, col_active;
  int active_rows = 0, active_cols = 0;
  int64_t active_nonzeros = 0;

  std::vector<double> w;        // scattered pivot row, by position
  std::vector<int> mark, seen;  // stamps by position
  int stamp = 0;
  std::vector<int> pivot_row_cols, pivot_col_rows;
  std::vector<int> rejected_cols, rejected_rows, deferred;
  std::vector<double> dense;
  std::vector<int> dense_rows, dense_cols;
};

}  // namespace korva::lu
