#include "simplex/dispatch/simplex_driver.h"

#include "env/channel.h"
#include "env/errors.h"
#include "env/time_limit.h"
#include "simplex/core/simplex_run.h"
#include "simplex/dispatch/algorithms.h"
#include "simplex/dispatch/presolve_seam.h"
#include "simplex/dispatch/unavailable.h"
#include "simplex/solution/lp_solution.h"
#include "simplex/solution/solution_store.h"

namespace korva::simplex {

namespace {

constexpr double kDefaultMarkowitz = 0.01;
constexpr double kEmphasisMarkowitz = 0.9;

// The parameters a driver run changes for its own steps, restored on
// every exit.
class SavedRunParams {
 public:
  explicit SavedRunParams(Environment& env) : env_(env) {
    for (int k = 0; k < kCount; ++k) saved_[k] = env.params.slot(kNumbers[k]).i;
  }
  ~SavedRunParams() {
    for (int k = 0; k < kCount; ++k) env_.params.slot(kNumbers[k]).i = saved_[k];
  }
  SavedRunParams(const SavedRunParams&) = delete;
  SavedRunParams& operator=(const SavedRunParams&) = delete;

 private:
  static constexpr int kCount = 3;
  static constexpr int kNumbers[kCount] = {KRV_PARAM_ADVIND, KRV_PARAM_PERIND,
                                           hidden_param::kPresolveMessages};
  Environment& env_;
  long long saved_[kCount];
};

SimplexAlgorithm algorithm_for(int method) {
  return method == kMethodPrimal ? primal_algorithm() : dual_algorithm();
}

bool has_start(const Problem& p) { return p.derived.basis != nullptr; }

// Steps 5 to 7 with a presolve subsystem: presolve (or reuse), solve the
// reduced problem, map back, clean up. `solved` tells whether the original
// problem still needs its own solve (step 8).
int presolved_solve(Environment& env, Problem& p, int method, const SimplexSettings& settings,
                    PresolveSubsystem& pre, const ProblemSolve& solve, bool* solved) {
  *solved = false;
  const int advind = env.int_param(KRV_PARAM_ADVIND);
  const bool preind = env.int_param(KRV_PARAM_PREIND) != 0;
  PresolveRequest request;
  request.method = method;
  request.messages = env.int_param(hidden_param::kPresolveMessages) != 0;
  request.force_predual_off = advind == 2 && has_start(p);

  if (p.derived.presolve) {
    // A start of the original problem that the kept reduced problem does
    // not share (its own basis from the last solve matches the original's).
    PresolveResult kept;
    pre.kept(env, p, kept);
    const bool reduced_has_start = kept.reduced && has_start(*kept.reduced);
    const bool start_conflict = has_start(p) && !reduced_has_start &&
                                (advind == 1 || (advind == 2 && env.int_param(KRV_PARAM_PREDUAL) == 1));
    if (!preind || start_conflict || !pre.usable(env, p, request)) pre.release(env, p);
  }
  if (!preind) return 0;

  PresolveResult result;
  if (p.derived.presolve) {
    pre.kept(env, p, result);
  } else {
    const double start = current_time(env);
    const int code = pre.presolve(env, p, request, result);
    if (settings.display >= 1)
      msg(env.results(), "Presolve time = %7.2f sec.\n", current_time(env) - start);
    if (code == err::kNoMemory) {
      msg(env.warning(), "Insufficient memory for presolve.\n");
      return 0;
    }
    if (code != 0) return code;
  }
  if (result.status != 0) {
    store_status_only(p, result.status, method);
    *solved = true;
    return 0;
  }
  if (!result.reduced) {
    if (!result.everything_removed) return 0;
    bool optimal = false;
    if (int code = pre.uncrush(env, p, result, &optimal)) return code;
    *solved = optimal;
    return 0;
  }

  const int reduced_method = result.dual_formulation ? 3 - method : method;
  if (!algorithm_for(reduced_method)) return unavailable_method(env, reduced_method);
  SimplexOutcome reduced_outcome;
  // The reduced problem's verdict is judged again on the original problem:
  // only a warning about that one reaches the caller.
  SimplexSettings reduced = settings;
  reduced.final_verdict = false;
  int code = solve(env, *result.reduced, reduced_method, reduced, &reduced_outcome);
  // Out of memory on the reduced problem: the original one is solved instead.
  if (code == err::kNoMemory) return 0;
  if (code != 0) return code;

  bool optimal = false;
  code = pre.uncrush(env, p, result, &optimal);
  if (code != 0) return code;
  *solved = true;
  if (optimal) return 0;

  // The clean-up starts from the mapped basis without perturbation.
  LpSolution* mapped = find_lp_solution(p);
  LpSolution counters;
  if (mapped) counters = *mapped;
  env.params.slot(KRV_PARAM_ADVIND).i = 1;
  env.params.slot(KRV_PARAM_PERIND).i = 0;
  SimplexSettings cleanup = settings;
  cleanup.advanced_start = true;
  cleanup.perturb_from_start = false;
  cleanup.iteration_base = reduced_outcome.iterations;
  if (method == kMethodPrimal && cleanup.primal_pricing == 0) cleanup.primal_pricing = -1;
  SimplexAlgorithm algorithm = algorithm_for(method);
  code = run_simplex(env, p, algorithm, method, cleanup);
  if (code == err::kNoMemory && method == kMethodPrimal && cleanup.primal_pricing == -1) {
    // Full pricing by reduced cost needs no candidate lists or norms.
    cleanup.primal_pricing = 4;
    code = run_simplex(env, p, algorithm, method, cleanup);
  }
  if (code != 0) return code;
  if (LpSolution* final_solution = find_lp_solution(p)) {
    final_solution->iterations += reduced_outcome.iterations;
    final_solution->phase1_iterations += reduced_outcome.phase1_iterations;
    final_solution->barrier_iterations += counters.barrier_iterations;
    final_solution->cross_primal_push += counters.cross_primal_push;
    final_solution->cross_primal_exchange += counters.cross_primal_exchange;
    final_solution->cross_dual_push += counters.cross_dual_push;
    final_solution->cross_dual_exchange += counters.cross_dual_exchange;
  }
  return 0;
}

}  // namespace

SimplexSettings simplex_settings_from_params(Environment& env) {
  SimplexSettings s;
  s.primal_pricing = env.int_param(KRV_PARAM_PPRIIND);
  s.dual_pricing = env.int_param(KRV_PARAM_DPRIIND);
  s.markowitz = env.dbl_param(KRV_PARAM_EPMRK);
  if (env.int_param(KRV_PARAM_NUMERICALEMPHASIS) != 0 && s.markowitz == kDefaultMarkowitz)
    s.markowitz = kEmphasisMarkowitz;
  s.advanced_start = env.int_param(KRV_PARAM_ADVIND) != 0;
  s.perturb_from_start = env.int_param(KRV_PARAM_PERIND) != 0;
  s.display = env.int_param(KRV_PARAM_SIMDISPLAY);
  s.feasibility_tol = env.dbl_param(KRV_PARAM_EPRHS);
  s.optimality_tol = env.dbl_param(KRV_PARAM_EPOPT);
  s.scaling = env.int_param(KRV_PARAM_SCAIND);
  return s;
}

int lp_problem_check(const Problem& p) {
  if (p.type == KRVPROB_MILP || p.type == KRVPROB_MIQP || p.type == KRVPROB_MIQCP) return err::kNotForMip;
  if (p.quad) return err::kNotForQp;
  if (p.qcons) return err::kNotForQcp;
  return 0;
}

int simplex_driver(Environment& env, Problem& p, int method) {
  return simplex_driver_with(env, p, method,
                             [](Environment& e, Problem& q, int m, const SimplexSettings& settings,
                                SimplexOutcome* outcome) {
                               return run_simplex(e, q, algorithm_for(m), m, settings, outcome);
                             });
}

int simplex_driver_with(Environment& env, Problem& p, int method, const ProblemSolve& solve) {
  if (int code = lp_problem_check(p)) return code;
  SavedRunParams saved(env);
  if (env.int_param(KRV_PARAM_SIMDISPLAY) == 0) env.params.slot(hidden_param::kPresolveMessages).i = 0;
  const SimplexSettings settings = simplex_settings_from_params(env);
  if (!algorithm_for(method)) return unavailable_method(env, method);

  // The original data stay as they are while a reduced problem is solved:
  // the simplex works on its own copy, so there is nothing to compress.
  bool solved = false;
  if (PresolveSubsystem* pre = installed_presolve()) {
    if (int code = presolved_solve(env, p, method, settings, *pre, solve, &solved)) return code;
    if (p.derived.presolve && !pre->usable(env, p, PresolveRequest{})) pre->release(env, p);
  }
  if (solved) return 0;
  return solve(env, p, method, settings, nullptr);
}

}  // namespace korva::simplex
