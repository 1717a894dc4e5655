// Repair of a singular basis: every basis position that could not be
// pivoted takes the slack of a row that was left without pivot, and the
// variable it held becomes nonbasic. The repair decides where that variable
// goes (a bound, or the superbasic list) and reports it; the simplex applies
// the records to its own status and value arrays.
#pragma once
#include <vector>

#include "simplex/lu/basis_source.h"

struct krv_env_s;

namespace korva::lu {

enum class Placement { AtLower, AtUpper, Superbasic, Free };

struct RepairRecord {
  int position = -1;    // basis position repaired
  int removed = -1;     // variable that left the basis
  int entered = -1;     // slack that took its place
  int row = -1;         // row of that slack
  Placement placement = Placement::AtLower;
  double value = 0.0;   // the removed variable's value from now on
  bool fixed_by_singularity = false;  // status flag 32 of a structural column
};

// What the repair reads from the simplex: current values and bounds (one
// per variable, each may be null) and names for the messages.
struct RepairView {
  const double* value = nullptr;
  const double* lower = nullptr;
  const double* upper = nullptr;
  // Name of column `index` (row == false) or row `index` (row == true);
  // null falls back to "C<n>" / "R<n>".
  const char* (*name)(void* context, bool row, int index) = nullptr;
  void* name_context = nullptr;
  bool dual = false;   // the dual simplex repairs: duals are fixed instead
  int display = 1;     // simplex display level
};

// Where a variable that leaves the basis goes, from its value and bounds.
Placement place_nonbasic(double value, double lower, double upper, double* placed_value);

// Pairs positions[k] with rows[k] (equal counts), rewrites basic_index,
// writes the messages and appends one record per repaired position.
void repair_singular_basis(krv_env_s& env, const BasisSource& source, int* basic_index,
                           const std::vector<int>& positions, const std::vector<int>& rows,
                           const RepairView& view, std::vector<RepairRecord>& records);

}  // namespace korva::lu
