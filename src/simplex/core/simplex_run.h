// How a simplex algorithm plugs into the engine. An algorithm is a
// function that receives the work record prepared by run_simplex (problem
// loaded and scaled, starting basis chosen, nonbasic variables on their
// bounds; the factor may or may not be valid) and leaves in it a basis,
// consistent primal values and a factor, with the outcome of the run.
// run_simplex then writes the solution record and the basis into the
// problem.
#pragma once
#include <cstdint>

#include "model/problem.h"
#include "simplex/core/simplex_work.h"

namespace korva::simplex {

// The internal automatic dual pricing: standard pricing, then steepest
// edge from unit weights after 100 iterations.
inline constexpr int kDualPricingAutomatic = 6;

struct SimplexSettings {
  int primal_pricing = 0;        // KRV_PARAM_PPRIIND
  int dual_pricing = 0;          // KRV_PARAM_DPRIIND, or kDualPricingAutomatic
  double markowitz = 0.01;       // starting Markowitz threshold
  bool advanced_start = true;    // KRV_PARAM_ADVIND != 0: start from the kept basis
  bool perturb_from_start = false;  // KRV_PARAM_PERIND
  int display = 1;               // KRV_PARAM_SIMDISPLAY
  int64_t iteration_base = 0;    // iterations of this optimisation before the run
};

struct SimplexOutcome {
  int status = 0;  // solution status (1, 2, 3, 4, 6, 10, 11, 12, 13, 25)
  bool primal_feasible = false;
  bool dual_feasible = false;
  int64_t iterations = 0;
  int64_t phase1_iterations = 0;
};

// Returns 0 (the outcome is filled) or an error code; the work record is
// left consistent in both cases.
using SimplexAlgorithm = int (*)(Environment& env, const Problem& p, SimplexWork& w,
                                 const SimplexSettings& settings, SimplexOutcome& outcome);

// Runs `algorithm` on the problem (complete, linear) and stores its
// solution with method `method`. Returns 0 or an error code; on an error
// the problem keeps no solution.
int run_simplex(Environment& env, Problem& p, SimplexAlgorithm algorithm, int method,
                const SimplexSettings& settings, SimplexOutcome* outcome = nullptr);

// Prepares the work record for a run without running anything (load,
// scale, starting basis). Used by run_simplex and by callers that inspect
// a starting basis (the automatic method choice).
SimplexWork& prepare_simplex_work(Environment& env, Problem& p, bool advanced_start);

}  // namespace korva::simplex
