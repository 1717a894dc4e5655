// Sensitivity ranges of an optimal basis (KRVobjsa, KRVrhssa, KRVboundsa):
// for each asked-for cost, right-hand side or bound, the interval over
// which it may move, all else fixed, with the basis staying optimal. Costs
// keep the reduced costs' signs (a dual ratio test along a row of B⁻¹A);
// right-hand sides and bounds keep the basic values within their bounds (a
// primal ratio test along a column of B⁻¹ or B⁻¹A).
//
// Two evaluation schemes give the same values: when more than a quarter of
// the rows' worth of entities is asked for, one pass over all rows of B⁻¹
// (and of B⁻¹A where bounds need it) serves them all at once; otherwise
// each entity gets its own solve. Unbounded limits are ±1e20.
//
// Every function returns 0 or an error code not yet reported; any output
// may be null, but not all of them (1004).
#pragma once
#include "model/problem.h"

namespace korva::simplex {

int objective_ranges(Environment& env, Problem& p, int begin, int end, double* lower, double* upper);
int rhs_ranges(Environment& env, Problem& p, int begin, int end, double* lower, double* upper);
int bound_ranges(Environment& env, Problem& p, int begin, int end, double* lb_lower, double* lb_upper,
                 double* ub_lower, double* ub_upper);

// Whether `count` entities are evaluated by the pass over all rows.
inline bool by_rows(int count, int num_rows) { return 4LL * count > num_rows; }

}  // namespace korva::simplex
