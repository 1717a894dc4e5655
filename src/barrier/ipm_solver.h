// The primal-dual interior-point iterations on an IpmModel: Mehrotra's
// predictor–corrector with Gondzio's multiple centrality corrections, the
// termination tests, the best-iterate restore and the iteration log.
#pragma once
#include <cstdint>
#include <vector>

#include "barrier/ipm_model.h"
#include "barrier/linalg/cholesky.h"
#include "env/environment.h"

namespace korva::barrier {

struct IpmSettings {
  double tolerance = 1e-8;         // on relative complementarity and infeasibilities
  double growth = 1e12;            // iterates beyond this: unbounded optimal face
  double objective_range = 1e20;   // objective limits
  int64_t iteration_limit = INT64_MAX;
  int64_t max_corrections = -1;    // -1: from the factor statistics
  int start_algorithm = 1;         // 1..4
  int display = 1;
  double step_factor = 0;          // 0: by the kind of model
  int objsense = 1;                // the user's sense, for the objectives printed
  double offset = 0;               // objective constant of the user's problem
  int64_t dense_threshold = 0;     // KRV_PARAM_BARCOLNZ
  Ordering ordering = Ordering::automatic;
  int threads = 1;
  int ordering_threads = 0;
  // Iterate on the homogeneous self-dual embedding (linear objectives only):
  // it converges on infeasible and unbounded models too, to a certificate.
  bool homogeneous = false;
  // Zero the rows that the others imply before iterating. For a model that
  // presolve has not reduced; after presolve it did more harm than good.
  bool drop_dependent_rows = false;
};

enum class IpmOutcome {
  optimal,
  not_optimal,          // stopped without proof; the best iterate is kept
  numerical,            // no progress or overflow
  diverged,             // the iterates grow without converging: infeasible or unbounded, unproven
  infeasible,           // a Farkas certificate proves the constraints contradict each other
  dual_infeasible,      // a ray of decreasing objective proves the dual infeasible
  unbounded_face,
  primal_objective_limit,
  dual_objective_limit,
  iteration_limit,
  time_limit,
  tick_limit,
  aborted,
};

struct IpmResult {
  IpmOutcome outcome = IpmOutcome::not_optimal;
  int64_t iterations = 0;
  bool primal_feasible = false;  // relative infeasibility below 1e-8
  bool dual_feasible = false;
  // Per model column: x and the bound duals; per row: y. After an
  // infeasibility proof, the homogeneous point that carries the certificate.
  std::vector<double> x, zl, zu, y;
  double primal_objective = 0, dual_objective = 0;  // minimisation sense, model units
};

// Returns 0 or an error code (1001: out of memory, 4005: bad ordering).
int run_ipm(Environment& env, const IpmModel& model, const IpmSettings& settings, IpmResult& result);

}  // namespace korva::barrier
