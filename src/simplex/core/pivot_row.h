// The pivot row of a simplex iteration: row_ap = row_epᵀ·A over the
// structural columns (the logicals' entries are row_ep itself). A sparse
// row_ep is multiplied through the row-wise copy of the matrix, touching
// only the rows it has; a dense one is better served column by column,
// where the basic columns can be skipped.
#pragma once
#include <cstdint>

#include "env/ticks.h"
#include "simplex/core/simplex_lp.h"
#include "simplex/sparse_vector.h"

namespace korva::simplex {

// `status` holds the variables' statuses (basic columns are skipped by the
// column-wise product); `ap` is cleared first.
void compute_pivot_row(const SimplexLp& lp, const uint8_t* status, const SparseVector& ep, SparseVector& ap,
                       TickArea& ticks);

}  // namespace korva::simplex
