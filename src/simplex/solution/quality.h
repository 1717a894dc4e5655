// Quality measures of the stored solution (KRVgetdblquality,
// KRVgetintquality). Selectors 1..57 are assigned as follows; "scaled"
// measures are taken in the units the simplex worked in (equal to the
// unscaled ones on an unscaled problem). A measure named "max" also has an
// index, which KRVgetintquality returns: a column j as j, a row i as -i-1
// for the combined measures and as i for the row-only ones; 2100000000
// when no entry attains it (and for the other measures).
//
//  Primal feasibility (bound violations of x, row violations of a·x; the
//  combined measure is the maximum of both, the total their sum):
//    1 max primal infeasibility        2 total primal infeasibility
//    3 max bound infeasibility         4 total bound infeasibility
//    5 max row infeasibility           6 total row infeasibility
//    7..12 the same, scaled
//  Dual feasibility (reduced costs and row duals of the wrong sign for the
//  position of their variable or row):
//   13 max dual infeasibility         14 total dual infeasibility
//   15 max reduced-cost infeasibility 16 total reduced-cost infeasibility
//   17 max row-dual infeasibility     18 total row-dual infeasibility
//   19..24 the same, scaled
//  Magnitudes:
//   25 max |x|   26 sum |x|   27 max |slack|   28 sum |slack|
//   29 max |pi|  30 sum |pi|  31 max |dj|      32 sum |dj|
//   33..40 the same, scaled
//  Residuals:
//   41 max |rhs - a·x - slack|   42 total
//   43 max |c - Aᵀpi - dj|       44 total
//   45..48 the same, scaled
//  Basis condition (1-norm estimate; needs the factor of the last run):
//   49 condition number of the scaled basis   50 of the unscaled basis
//  Objectives:
//   51 primal objective   52 dual objective   53 duality gap (primal - dual)
//   54 relative duality gap |gap| / (1 + |primal objective|)
//   55 max complementarity violation   56 total complementarity violation
//  Quadratic constraints:
//   57 max quadratic-constraint violation (0: no quadratic constraints)
#pragma once
#include "model/problem.h"

namespace korva::simplex {

inline constexpr int kQualityCount = 57;

// 1003 for a selector outside 1..57; 1217 without a solution; 1232 for a
// dual measure without duals; 1258 for the condition number without a factor.
int solution_quality(Environment& env, Problem& p, int what, double* value, int* index);

}  // namespace korva::simplex
