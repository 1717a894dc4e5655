// The factorised basis of a solved LP as the basis queries, ray and
// feasibility checks, manual pivots and sensitivity ranges see it.
//
// Everything here computes in the work record's scaled space and converts
// at the edge. With f(v) the factor that takes variable v's user value to
// its internal one (c(j) for column j, 1/r(i) for the logical of row i):
//   internal value = f(v)·user value,   internal reduced cost = user / f(v),
//   user (B⁻¹A)(p, k) = internal · f(k) / f(basic p),
// and the logical of row i has the unit column e_i in both spaces, so the
// user's basis matrix holds e_i for a basic slack.
#pragma once
#include <cstdint>

#include "model/problem.h"
#include "simplex/core/simplex_work.h"
#include "simplex/solution/lp_solution.h"
#include "simplex/sparse_vector.h"

namespace korva::simplex {

// Index convention of the caller: j for column j, -i-1 for the slack of
// row i, 2100000000 for none.
inline constexpr int kNoIndex = 2100000000;

// Error codes of the basis functions.
inline constexpr int kNotBasicIndex = 1251;       // "Index must correspond to a basic variable"
inline constexpr int kUnboundedRequired = 1254;   // "Unbounded solution required"
inline constexpr int kNoSensitivity = 1260;       // "Sensitivity analysis not available for current status"
inline constexpr int kIllegalPivot = 1267;        // "Illegal pivot"
inline constexpr int kOnlyFixedPivotOut = 1221;   // "Only fixed variables are pivoted out"

// What the basis functions need, once the checks have passed.
struct BasisAccess {
  Environment* env = nullptr;
  Problem* p = nullptr;
  SimplexWork* w = nullptr;
  LpSolution* sol = nullptr;
  int m = 0, n = 0;

  SimplexWork& work() const { return *w; }
  const SimplexLp& lp() const { return w->lp; }

  // Internal value per user value of variable `var`.
  double factor(int var) const { return w->lp.to_internal(var, 1.0); }
  int user_index(int var) const { return var < n ? var : -(var - n) - 1; }
  // The internal variable of a caller's index, or -1 when out of range.
  int internal_index(int index) const {
    if (index >= 0) return index < n ? index : -1;
    const int row = -index - 1;
    return row < m ? n + row : -1;
  }
  // Basis position of a variable, or -1 when nonbasic.
  int position_of(int var) const;

  // Internal solves: `v` holds a dense input; the result is dense and
  // indexed again.
  void ftran(SparseVector& v) const;
  void btran(SparseVector& v) const;
  // Loads the internal column of variable `var` into the cleared `v`.
  void load_column(int var, SparseVector& v) const;
  // Row `position` of B⁻¹ (internal, by row) into `rho`, and of B⁻¹A over
  // the structural columns into `alpha` (basic columns included when
  // `with_basic`).
  void binv_row(int position, SparseVector& rho) const;
  void tableau_row(const SparseVector& rho, SparseVector& alpha, bool with_basic) const;

  // User value of a basic variable (the slack as KRVgetslack reports it
  // for a logical).
  double user_value(int var, double internal) const;
};

enum class Needs {
  Basis,        // any basic solution with a factor
  Optimal,      // status 1 or 5
  PrimalBasis,  // status 1, 5, or 2 (a primal feasible basis)
  Unbounded,    // status 2
};

// Checks the problem for the basis functions, in this order: linear problem
// (1017, 1018, 1031), a basic solution (1217), the status `needs` asks for
// (1260 or 1254), then the factor. When the solution's basis has no factor
// in the work record (the solve ended in presolve's mapping, or the work
// record moved on), the basis is factorised once here; a basis that cannot
// be is 1258. With `duals` the reduced costs of the work record are brought
// in line with the original costs (a run may end with shifted ones).
int open_basis(Environment& env, Problem& p, Needs needs, BasisAccess& out, bool duals = false);

}  // namespace korva::simplex
