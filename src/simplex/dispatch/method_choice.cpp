#include "simplex/dispatch/method_choice.h"

#include <algorithm>
#include <cmath>

#include "env/threads.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/simplex_run.h"
#include "simplex/dispatch/algorithms.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/solution/lp_solution.h"

namespace korva::simplex {

namespace {

constexpr int kMaxLpThreads = 32;
constexpr int kConcurrentSize = 3000;     // rows or columns from which concurrency pays
constexpr int kLargeModelSize = 200000;   // rows and columns of a very large model
constexpr double kSmallDifference = 1e-10;

// Very large models: a column with a proper range and a cost makes the
// dual worth it; without one the primal is. The scan stops at the first
// deciding column but is charged as a full one.
int large_model_method(Environment& env, const Problem& p) {
  const int n = p.num_cols();
  int method = kMethodPrimal;
  for (int j = 0; j < n; ++j) {
    if (p.lower(j) + kSmallDifference < p.upper(j) && std::fabs(p.obj(j)) > kSmallDifference) {
      method = kMethodDual;
      break;
    }
  }
  env.ticks.charge(3 * static_cast<uint64_t>(n) + 1);
  return method;
}

}  // namespace

int lp_thread_count(Environment& env) {
  int available = usable_processors(env);
  if (env.team) available = std::min(available, env.team->size() + 1);
  int chosen = env.int_param(KRV_PARAM_THREADS);
  if (chosen == 0) chosen = std::min(available, kMaxLpThreads);
  return std::max(1, std::min(available, chosen));
}

int check_primal_feasibility(Environment& env, Problem& p, int* infeasible) {
  *infeasible = kIntInfinity;
  SimplexWork& w = prepare_simplex_work(env, p, true, env.int_param(KRV_PARAM_SCAIND));
  RefactorRequest req;
  req.display = 0;
  w.factor_control = lu::factor_control(env);
  int code = refactor_basis(env, p, w, req);
  if (code == lu::kRepaired) return 1267;
  if (code != 0) return code;
  SparseVector work(w.lp.num_rows);
  compute_basic_values(w, work, env.ticks);
  const double tol = env.dbl_param(KRV_PARAM_EPRHS);
  const int n = w.lp.num_cols;
  double worst = tol;
  for (int r = 0; r < w.lp.num_rows; ++r) {
    const int var = w.basic_index[r];
    const double v = w.lp.to_user(var, w.x_basic[r]);
    const double lo = w.lp.to_user(var, w.lp.lower[var]);
    const double up = w.lp.to_user(var, w.lp.upper[var]);
    const double violation = std::max(lo - v, v - up);
    if (violation > worst) {
      worst = violation;
      *infeasible = var < n ? var : -(var - n) - 1;
    }
  }
  return 0;
}

int choose_lp_method(Environment& env, Problem& p, bool allow_concurrent) {
  const int method = env.int_param(KRV_PARAM_LPMETHOD);
  if (method != 0 && (method != kMethodConcurrent || allow_concurrent)) return method;
  const int size = std::max(p.num_rows(), p.num_cols());
  if (allow_concurrent && lp_thread_count(env) > 1 && env.int_param(KRV_PARAM_MEMORYEMPHASIS) == 0 &&
      size >= kConcurrentSize)
    return kMethodConcurrent;
  if (env.int_param(KRV_PARAM_ADVIND) != 0 && !p.quad) {
    SimplexWork* kept = find_simplex_work(p);
    if (p.derived.basis || (kept && kept->has_basis)) {
      int infeasible = 0;
      const int code = check_primal_feasibility(env, p, &infeasible);
      // The primal simplex is chosen only when one is built.
      if (code == 0 && infeasible == kIntInfinity && primal_algorithm()) return kMethodPrimal;
      return kMethodDual;
    }
  }
  // Every model counts as large here; only the sizes decide.
  if (p.num_rows() >= kLargeModelSize && p.num_cols() >= kLargeModelSize) {
    const int chosen = large_model_method(env, p);
    if (chosen == kMethodPrimal && primal_algorithm()) return kMethodPrimal;
    return kMethodDual;
  }
  return kMethodDual;
}

}  // namespace korva::simplex
