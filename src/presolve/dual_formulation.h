// The dual formulation of a reduced LP: an ordinary minimisation problem
// whose columns are the duals of the LP's rows (and of its finite upper
// column bounds) and whose rows are the LP's columns. Solving it with the
// other simplex and mapping its solution back gives a solution of the
// reduced LP with a basis of the right size.
#pragma once
#include <vector>

#include "model/problem.h"

namespace korva::presolve {

// With the LP written as  min c·x,  lo ≤ A x ≤ hi,  l ≤ x ≤ u, each column
// becomes x = shift + sign·x' with x' ≥ 0 (or free, or 0 ≤ x' ≤ u − l),
// and the dual formulation is
//   min  −Σ lo'·y⁺ + Σ hi'·y⁻ + Σ (u − l)·w
//   s.t. sign_j·A_jᵀ y − w_j ≤ sign_j·c_j   (= for a free column)
// with lo', hi' the row bounds after the shift. Row j's price in the
// dual formulation is −x'_j; its column values are the LP's row duals.
struct DualFormulation {
  int rows = 0, cols = 0;  // size of the reduced LP
  int objsense = 1;
  std::vector<double> shift;           // per LP column
  std::vector<signed char> sign;       // per LP column: +1 or −1
  std::vector<int> bound_col;          // per LP column: column of w, or −1
  // Per LP row: columns of y⁺ (or of a free y) and of y⁻, or −1; a row
  // bounded only above has y⁻ alone.
  std::vector<int> pos_col, neg_col;
  double constant = 0.0;               // LP objective (min sense) = constant − dual objective
};

// A solution of the reduced LP in the user's sense, by reduced index.
struct PrimalFromDual {
  std::vector<double> x, pi;
  std::vector<int> cstat, rstat;
};

// Builds the dual formulation of `lp` into `dual` (empty, owned by the
// caller). Returns 0 or an error code of copying the problem.
int build_dual_formulation(Environment& env, const Problem& lp, Problem& dual, DualFormulation& df);

// Maps a solution of the dual formulation (values, prices and basis, any
// of the basis arrays may be null) back to the reduced LP. The LP basis
// has as many basic variables as the LP has rows when the dual basis has
// as many as the dual formulation has rows.
void primal_from_dual(const DualFormulation& df, const double* dual_x, const double* dual_pi, const int* dual_cstat,
                      const int* dual_rstat, PrimalFromDual& out);

// The basis of the dual formulation that matches a basis of the reduced
// LP (the complementary one). A crushed basis may be a basic variable or
// so off full size, which the simplex repairs; false when it is further off.
bool dual_basis_from_primal(const DualFormulation& df, const Problem& lp, const int* cstat, const int* rstat,
                            std::vector<int>& dual_cstat, std::vector<int>& dual_rstat);

}  // namespace korva::presolve
