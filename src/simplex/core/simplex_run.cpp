#include "simplex/core/simplex_run.h"

#include <cmath>

#include "env/environment.h"
#include "simplex/core/confirm_outcome.h"
#include "simplex/core/load_lp.h"
#include "simplex/core/start_basis.h"
#include "simplex/solution/solution_store.h"

namespace korva::simplex {

namespace {

// User start values of superbasic and free variables (KRVcopystart).
void apply_start_values(SimplexWork& w) {
  if (!w.start) return;
  const int n = w.lp.num_cols;
  const StartVectors& s = *w.start;
  for (int j = 0; j < n && j < static_cast<int>(s.col_primal.size()); ++j)
    if (base_status(w.status[j]) == kSuperbasic) w.x[j] = w.lp.to_internal(j, s.col_primal[j]);
}

}  // namespace

SimplexWork& prepare_simplex_work(Environment& env, Problem& p, bool advanced_start, int scaling_mode) {
  SimplexWork& w = simplex_work(p);
  const bool kept_basis = w.has_basis;
  load_simplex_lp(env, p, w, scaling_mode);
  if (!advanced_start) {
    set_slack_basis(w);
  } else if (kept_basis && w.has_basis) {
    // The basis of the last run (and its factor, when still valid) carries
    // over; only the nonbasic values move to the bounds as they are now.
    place_nonbasic_values(w);
  } else if (p.derived.basis) {
    set_user_basis(w, *p.derived.basis);
    apply_start_values(w);
    place_nonbasic_values(w);
  } else {
    set_slack_basis(w);
  }
  w.start.reset();
  refresh_basic_bounds(w);
  w.farkas_row = -1;
  w.ray_var = -1;
  return w;
}

int run_algorithm(Environment& env, const Problem& p, SimplexAlgorithm algorithm, SimplexWork& w,
                  const SimplexSettings& settings, SimplexOutcome& outcome) {
  // Every run starts the environment's sequence from the seed, so its
  // perturbations do not depend on what ran before. What the caller gets
  // back is the low half of its state: that is all a run saves.
  const uint32_t saved = static_cast<uint32_t>(env.random.state);
  int code;
  {
    RestartedRandom restart(env.random);
    code = algorithm(env, p, w, settings, outcome);
  }
  env.random.state = saved;
  return code;
}

int run_simplex(Environment& env, Problem& p, SimplexAlgorithm algorithm, int method,
                const SimplexSettings& settings, SimplexOutcome* outcome_out) {
  p.derived.solution.reset();
  p.derived.status = 0;
  p.derived.values_valid = false;
  SimplexWork& w = prepare_simplex_work(env, p, settings.advanced_start, settings.scaling);
  w.factor_control = lu::factor_control(env);
  w.factor_control.markowitz = settings.markowitz;

  SimplexOutcome outcome;
  int code = run_algorithm(env, p, algorithm, w, settings, outcome);
  code = confirm_outcome(env, p, method, settings, outcome, code);
  if (outcome_out) *outcome_out = outcome;
  if (code != 0) return code;
  store_simplex_solution(env, p, simplex_work(p), outcome, method);
  return 0;
}

}  // namespace korva::simplex
