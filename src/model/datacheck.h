// Input checks of the loaders. With KRV_PARAM_DATACHECK set, input is
// checked before anything is stored, in a fixed order (objective sense,
// numbers, senses, ranged rows, matrix, names), and the first failure is
// printed with the position of the offending entry. With the parameter at 0
// the input is trusted, except for what would let bad input corrupt memory:
// matrix_bounds and the index checks of the editors run always and fail with
// an unprinted 1200.
//
// Every function returns 0 or a code: printed ones negated, as usual.
#pragma once
#include <cstdint>

#include "env/environment.h"

namespace korva::model::check {

bool enabled(Environment& env);

// 1003 unless objsense is 1 or -1.
int objsense(int objsense);
// 1225 for a NaN entry, 1233 for an infinite one (position printed).
int doubles(Environment& env, const double* values, int64_t n);
// 1215 for a sense other than 'L', 'G', 'E', 'R' (position printed).
int senses(Environment& env, const char* sense, int64_t n);
// 1003 when a row has sense 'R' but no range values are given.
int ranged_rows(const char* sense, int64_t n, const double* rngval);
// 1224 for a null name (position printed).
int names(Environment& env, const char* const* names, int64_t n);
// Index lists of the editors: every index in [0, limit). With the data
// check on, 1203 (rows) or 1201 (columns) with the position; otherwise an
// unprinted 1200.
int index_list(Environment& env, const int* indices, int64_t n, int limit, bool rows);

// A packed set of vectors: column-major (count given) or row-major (count
// null: vector k ends where k + 1 begins, the last one at nzcnt).
struct Packed {
  int64_t vectors = 0;
  const int64_t* begin = nullptr;
  const int* count = nullptr;
  int64_t nzcnt = 0;
  const int* index = nullptr;
  const double* value = nullptr;
  int other_dim = 0;          // indices lie in [0, other_dim)
  bool column_major = true;   // 1203 "Row index" for columns, 1201 for rows

  int64_t start(int64_t k) const { return begin[k]; }
  int64_t length(int64_t k) const {
    if (count) return count[k];
    return (k + 1 < vectors ? begin[k + 1] : nzcnt) - begin[k];
  }
};

// The full matrix check (data check on).
int matrix(Environment& env, const Packed& m);
// Always: non-negative positions and lengths, indices in range (1200).
int matrix_bounds(const Packed& m);

}  // namespace korva::model::check
