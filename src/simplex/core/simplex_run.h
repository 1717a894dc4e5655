// How a simplex algorithm plugs into the engine. An algorithm is a
// function that receives the work record prepared by run_simplex (problem
// loaded and scaled, starting basis chosen, nonbasic variables on their
// bounds; the factor may or may not be valid) and leaves in it a basis,
// consistent primal values and a factor, with the outcome of the run.
// run_simplex then writes the solution record and the basis into the
// problem.
#pragma once
#include <cstdint>
#include <limits>

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
  double feasibility_tol = 1e-6;   // KRV_PARAM_EPRHS, in the units the run works in
  double optimality_tol = 1e-6;    // KRV_PARAM_EPOPT
  int scaling = 0;                 // KRV_PARAM_SCAIND
  // Whether the run's verdict goes to the caller as it is (not for a
  // presolved problem, whose answer is judged again once mapped back):
  // only then does an unconfirmed verdict come with a warning.
  bool final_verdict = true;
  // The dual simplex stops (status 12) once its phase II objective, in the
  // minimisation sense, passes this value: a node of a search that cannot
  // beat the incumbent.
  double objective_cutoff = std::numeric_limits<double>::infinity();
  // Iterations this run may make on its own, whatever KRV_PARAM_ITLIM allows.
  int64_t run_iteration_limit = std::numeric_limits<int64_t>::max();
};

struct SimplexOutcome {
  int status = 0;  // solution status (1, 2, 3, 4, 6, 10, 11, 12, 13, 25)
  bool primal_feasible = false;
  bool dual_feasible = false;
  int64_t iterations = 0;
  int64_t phase1_iterations = 0;
  // The run stopped because its numbers went wrong (status 6): its basis
  // is no good to continue from.
  bool numerical_failure = false;
  // The run stopped going round in circles at its end (status 6): the
  // other simplex can finish from its basis.
  bool stalled = false;
};

// Returns 0 (the outcome is filled) or an error code; the work record is
// left consistent in both cases.
using SimplexAlgorithm = int (*)(Environment& env, const Problem& p, SimplexWork& w,
                                 const SimplexSettings& settings, SimplexOutcome& outcome);

// Runs `algorithm` on the problem (complete, linear), confirms what it
// claims on the user's data (confirm_outcome.h) and stores its solution
// with method `method`. Returns 0 or an error code; on an error
// the problem keeps no solution.
int run_simplex(Environment& env, Problem& p, SimplexAlgorithm algorithm, int method,
                const SimplexSettings& settings, SimplexOutcome* outcome = nullptr);

// Prepares the work record for a run without running anything (load,
// scale, starting basis). Used by run_simplex and by callers that inspect
// a starting basis (the automatic method choice).
SimplexWork& prepare_simplex_work(Environment& env, Problem& p, bool advanced_start, int scaling_mode);

// One run of `algorithm` on a prepared work record, with the environment's
// random sequence restarted from its seed for the run.
int run_algorithm(Environment& env, const Problem& p, SimplexAlgorithm algorithm, SimplexWork& w,
                  const SimplexSettings& settings, SimplexOutcome& outcome);

}  // namespace korva::simplex
