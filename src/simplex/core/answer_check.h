// Checks of a finished simplex run's claim against the problem's own data
// in the user's units: the simplex works on scaled data with tolerances
// in scaled units, and a claim that holds there can fail on the model the
// user gave (a row scaled down by 1000 hides a violation 1000 times the
// tolerance). Nothing here trusts the run's bookkeeping: activities,
// reduced costs, certificates and rays are recomputed from the matrix.
#pragma once
#include <vector>

#include "model/problem.h"
#include "simplex/core/simplex_work.h"

namespace korva::simplex {

// Largest violations of the basic solution in the work record, each
// relative to max(1, |what it is measured against|) and net of the
// rounding that computing it from terms of that size entails.
//
// The gaps measure how far the objective can be from the optimum. With
// the duals y (minimisation sense) and d = c - Aᵀy, the Lagrangian bound
//   L(y) = min { dᵀx : l <= x <= u } + min { yᵀr : r within the row bounds }
// is below the optimum for any y, and cᵀx - L(y) sums, over columns and
// rows, d times the distance of the value from the bound d favours:
//  - where the value lies inside its bounds, the term is what a small
//    reduced cost of the wrong sign on a long range, which the tolerances
//    let through, may cost (an unbounded range counts as |value|);
//  - where it lies outside, it is what the violation may have gained.
// Small violations weighted by large duals, or small reduced costs on
// large values, move the objective far more than the tolerances suggest.
struct UnscaledViolations {
  double primal = 0.0;      // bounds of the columns, activities of the rows
  double dual = 0.0;        // reduced costs and row duals of the wrong sign
  double dual_gap = 0.0;    // Σ of the first kind of term / max(1, |cᵀx|)
  double primal_gap = 0.0;  // Σ of the second kind / max(1, |cᵀx|)
};

// Σ over all variables of min { d·t : t within the LP's bounds }, d the
// reduced costs of some duals (n + m entries, scaled units): below the LP's
// optimum whatever the duals are, and equal to the objective of a basic
// solution when they are its dual feasible duals. A reduced cost within
// `tolerance` against an infinite bound counts as the simplex's rounding;
// beyond it no bound can be claimed (-infinity).
double lagrangian_bound(const SimplexLp& lp, const std::vector<double>& d, double tolerance);

// Needs a valid factor (the duals are recomputed from it).
UnscaledViolations unscaled_violations(Environment& env, const Problem& p, SimplexWork& w);

// An infeasibility certificate y (one multiplier per row, user units)
// combines the rows into z = Aᵀy. It proves infeasibility when
//   inf { yᵀr : r within the row bounds } - sup { zᵀx : l <= x <= u }
// (the gap) is positive by more than the allowance: what the rows and
// bounds could give if each were violated by the feasibility tolerance.
struct FarkasCheck {
  double gap = -kInfinityForChecks;
  double allowance = 0.0;
  bool proven() const { return gap > allowance; }
  static constexpr double kInfinityForChecks = 1e300;
};

// Tries y and -y; returns the better orientation's check and leaves that
// orientation in y.
FarkasCheck check_farkas(const Problem& p, std::vector<double>& y, double tolerance);

// The certificate the final basis of a run offers: the row of B⁻¹ of its
// most violated basic variable, or the sum of the rows weighted by the
// directions of all violations (what phase I of the primal minimises),
// whichever proves more. Needs a valid factor.
FarkasCheck infeasibility_certificate(Environment& env, const Problem& p, SimplexWork& w, double tolerance,
                                      std::vector<double>& y);

// Whether moving nonbasic variable `entering` in `direction` (+1 up, -1
// down) from the final basis is a ray of unboundedness of the user's model:
// it keeps every row and bound satisfied and lowers the objective. Needs a
// valid factor.
bool is_unbounded_ray(Environment& env, const Problem& p, SimplexWork& w, int entering, int direction);

}  // namespace korva::simplex
