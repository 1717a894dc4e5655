// The pivot row of the dual simplex: row_ap = row_epᵀ·A over the structural
// columns (the logicals' entries are row_ep itself). A sparse row_ep is
// multiplied through the row-wise copy of the matrix, touching only the
// rows it has; a dense one is better served column by column, where the
// basic columns can be skipped.
#pragma once
#include "simplex/dual/dual_state.h"

namespace korva::simplex {

void compute_pivot_row(DualState& st);

}  // namespace korva::simplex
