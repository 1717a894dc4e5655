// Solves with the factor of the last simplex run on behalf of the caller,
// in the caller's units (KRVftran, KRVbtran), and the scaling and start
// operations that reach into the simplex work record (KRVunscaleprob,
// KRVcopystart).
#pragma once
#include "model/problem.h"
#include "simplex/core/simplex_work.h"

namespace korva::simplex {

// The work record when it holds a factor of the problem's current basis
// (null otherwise).
SimplexWork* factored_work(Problem& p);

// x <- B⁻¹x and y <- B⁻ᵀy, dense, m entries. 1258 without a factor.
int user_ftran(Environment& env, Problem& p, double* x);
int user_btran(Environment& env, Problem& p, double* y);
// The same with the factor's own (scaled) units, for estimates.
void scaled_ftran(SimplexWork& w, double* x);
void scaled_btran(SimplexWork& w, double* y);

int unscale_problem(Environment& env, Problem& p);

// Starting information: a basis (both status arrays given) replaces the
// problem's; primal and dual values are kept for the next run. Any array
// may be null.
int copy_start(Environment& env, Problem& p, const int* cstat, const int* rstat, const double* cprim,
               const double* rprim, const double* cdual, const double* rdual);

}  // namespace korva::simplex
