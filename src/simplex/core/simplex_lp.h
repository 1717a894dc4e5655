// The problem as both simplex methods see it. Variables 0 .. n-1 are the
// structural columns, n .. n+m-1 one logical per row. Row i reads
//
//     a_i·x + s_i = 0,   s_i in [-upper activity, -lower activity],
//
// so every logical is a plain unit column (what the factorisation calls a
// slack) and a ranged row needs no extra column: its logical simply has two
// finite bounds. An equality row's logical is fixed at -rhs and plays the
// part of an artificial variable. The cost vector is in the minimisation
// sense (objsense times the user's costs).
//
// Everything here is in scaled units: a(i,j)/(r(i)·c(j)), structural values
// c(j)·x(j), logical values s(i)/r(i). Infinite bounds are IEEE infinities,
// which scaling leaves infinite.
#pragma once
#include <cstdint>
#include <limits>
#include <vector>

#include "simplex/lu/basis_source.h"

namespace korva::simplex {

inline constexpr double kInf = std::numeric_limits<double>::infinity();
// User bounds at or beyond this magnitude are infinite.
inline constexpr double kUserInfinity = 1e20;

struct SimplexLp {
  int num_rows = 0;  // m
  int num_cols = 0;  // n structural columns
  int num_vars() const { return num_rows + num_cols; }
  int objsense = 1;  // the user's sense: 1 minimise, -1 maximise

  // Structural columns, column-wise (no explicit zeros).
  std::vector<int64_t> col_begin;
  std::vector<int> row_index;
  std::vector<double> value;
  // The same entries by rows, for pivot rows computed row-wise.
  std::vector<int64_t> row_begin;
  std::vector<int> col_index;
  std::vector<double> row_value;

  // Per variable, as the user gave them (scaled): bounds and costs.
  std::vector<double> lower, upper, cost;

  // Per row: the kind of its logical (for names and the repair messages),
  // the user's sense, right-hand side and range (unscaled) for the slack output.
  std::vector<lu::LogicalKind> logical_kind;
  std::vector<char> sense;
  std::vector<double> rhs, range;

  // Scale factors, 1.0 on an unscaled problem: structural j's column factor
  // c(j) and row i's factor r(i).
  std::vector<double> col_scale, row_scale;
  bool scaled = false;

  bool is_logical(int var) const { return var >= num_cols; }
  int row_of_logical(int var) const { return var - num_cols; }
  int logical_of_row(int row) const { return num_cols + row; }

  // The factorisation's view of the columns.
  lu::BasisSource basis_source() const {
    lu::BasisSource s;
    s.num_rows = num_rows;
    s.num_structural = num_cols;
    s.col_begin = col_begin.data();
    s.row_index = row_index.data();
    s.value = value.data();
    s.num_logical = num_rows;
    s.logical_kind = logical_kind.data();
    return s;
  }

  // Scaled value of variable `var` from a user value, and back.
  double to_internal(int var, double user_value) const;
  double to_user(int var, double internal_value) const;
};

}  // namespace korva::simplex
