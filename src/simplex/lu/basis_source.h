// Where the columns of the basis matrix come from. The factorisation reads
// the columns of the basic variables through this view only, so it does not
// depend on how the problem object lays out its data.
//
// Variables 0 .. num_structural-1 are the structural columns, stored
// column-major (col_begin/row_index/value). Every further variable is a
// logical unit column: variable num_structural + k sits in row
// logical_row[k] with coefficient logical_coef[k]. The first num_rows
// logical variables must be the slacks of rows 0 .. num_rows-1, because the
// singularity repair brings in "the slack of row r" as variable
// num_structural + r. Null logical arrays mean plain slacks (row k,
// coefficient 1, kind Slack).
#pragma once
#include <cstdint>

namespace korva::lu {

enum class LogicalKind : uint8_t { Slack = 0, Range = 1, Artificial = 2 };

struct BasisSource {
  int num_rows = 0;
  int num_structural = 0;
  const int64_t* col_begin = nullptr;  // num_structural + 1 positions
  const int* row_index = nullptr;
  const double* value = nullptr;

  int num_logical = 0;                         // at least num_rows
  const int* logical_row = nullptr;            // null: logical k sits in row k
  const double* logical_coef = nullptr;        // null: coefficient 1
  const LogicalKind* logical_kind = nullptr;   // null: every logical is a slack

  bool is_structural(int var) const { return var < num_structural; }
  int slack_of_row(int row) const { return num_structural + row; }
  int logical_row_of(int var) const {
    int k = var - num_structural;
    return logical_row ? logical_row[k] : k;
  }
  double logical_coef_of(int var) const {
    int k = var - num_structural;
    return logical_coef ? logical_coef[k] : 1.0;
  }
  LogicalKind logical_kind_of(int var) const {
    int k = var - num_structural;
    return logical_kind ? logical_kind[k] : LogicalKind::Slack;
  }
  // Entries of a variable's column (1 for a logical).
  int64_t column_count(int var) const {
    return is_structural(var) ? col_begin[var + 1] - col_begin[var] : 1;
  }
};

}  // namespace korva::lu
