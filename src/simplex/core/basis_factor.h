// Factorising the current basis and computing the values that depend on
// it from scratch: basic primal values from the nonbasic ones, and reduced
// costs from a cost vector. Both simplex methods call these after every
// refactorisation, which is also when accumulated update errors are shed.
#pragma once
#include "model/problem.h"
#include "simplex/core/simplex_work.h"
#include "simplex/sparse_vector.h"

namespace korva::simplex {

struct RefactorRequest {
  int display = 1;          // simplex display level, for the repair messages
  bool dual = false;        // the dual simplex repairs: it fixes duals instead
  bool allow_repair = true;
};

// Refactorises the basis of `w` through the refactorisation driver. A
// repair changes the basis: the removed variables become nonbasic with the
// placement the repair chose, and the records stay in w.repairs. Returns 0,
// lu::kRepaired, or the driver's failure code (the factor is then invalid).
int refactor_basis(Environment& env, const Problem& p, SimplexWork& w, const RefactorRequest& req);

// x_basic = B⁻¹(-N·x_N). `work` is an m-vector, left clear.
void compute_basic_values(SimplexWork& w, SparseVector& work, TickArea& ticks);
// Row duals y = B⁻ᵀc_B and reduced costs dj = c - Aᵀy (basic ones 0) for the
// cost vector `cost` (n + m entries). `y` receives the row duals by row.
void compute_reduced_costs(SimplexWork& w, const double* cost, SparseVector& y, TickArea& ticks);

// Objective Σ cost·x over all variables (x_basic synced into x first).
double objective_value(SimplexWork& w, const double* cost);

}  // namespace korva::simplex
