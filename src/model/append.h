// Appending columns and rows, shared by KRVnewcols, KRVaddcols, KRVnewrows,
// KRVaddrows and the modification buffer. Each append runs in two phases:
// plan() reserves every byte the append needs (and may throw, changing
// nothing), write() fills the model without allocating. An operation that
// appends both columns and rows plans both before writing either, which
// makes it all-or-nothing.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "model/edit_support.h"

namespace korva::model::detail {

// Columns to append; null arrays mean defaults (objective 0, lower bound 0,
// upper bound 1e20 or 1 for type 'B', no type, default names). With `beg`
// set, column k's coefficients are ind/val[beg[k] .. beg[k + 1]) (the last
// up to nzcnt).
struct ColumnBatch {
  int count = 0;
  const double* obj = nullptr;
  const double* lb = nullptr;
  const double* ub = nullptr;
  const char* ctype = nullptr;
  const char* const* names = nullptr;
  int64_t nzcnt = 0;
  const int64_t* beg = nullptr;
  const int* ind = nullptr;
  const double* val = nullptr;
};

// Rows to append; null rhs means 0, null sense 'E', null rngval no range.
// With `beg` set, row k's coefficients are ind/val[beg[k] .. beg[k + 1])
// (the last up to nzcnt), with column indices below the column count after
// the columns appended together with these rows.
struct RowBatch {
  int count = 0;
  const double* rhs = nullptr;
  const char* sense = nullptr;
  const double* rngval = nullptr;
  const char* const* names = nullptr;
  int64_t nzcnt = 0;
  const int64_t* beg = nullptr;
  const int* ind = nullptr;
  const double* val = nullptr;
};

class ColumnAppend {
 public:
  void plan(Problem& lp, const ColumnBatch& b);
  void write(Problem& lp, const ColumnBatch& b);

 private:
  NameAppend names_;
  std::unique_ptr<MipData> fresh_mip_;
};

class RowAppend {
 public:
  // `num_cols_after`: the column count once columns planned together with
  // these rows have been written.
  void plan(Problem& lp, const RowBatch& b, int num_cols_after);
  void write(Problem& lp, const RowBatch& b);

 private:
  void clear_scratch(Problem& lp, const RowBatch& b) noexcept;
  NameAppend names_;
  std::vector<int> new_column_entries_;  // entries per column appended together
  int old_cols_ = 0;
};

}  // namespace korva::model::detail
