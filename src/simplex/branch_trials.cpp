#include "simplex/branch_trials.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "simplex/core/answer_check.h"
#include "simplex/core/start_basis.h"
#include "simplex/dispatch/algorithms.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/status.h"

namespace korva::simplex {

int trial_stop_error(int status) {
  switch (status) {
    case status::kAbortUser:
      return 1263;  // "Strong branching aborted"
    case status::kAbortTimeLim:
      return 1266;  // "Time limit exceeded in strong branching"
    case status::kAbortDetTimeLim:
      return 1270;  // "Deterministic time limit exceeded in strong branching"
    default:
      return 0;
  }
}

BranchTrials::BranchTrials(Environment& env, Problem& copy, const TrialSettings& settings)
    : env_(env), copy_(copy), settings_(settings) {}

int BranchTrials::start() {
  w_ = &prepare_simplex_work(env_, copy_, true, settings_.simplex.scaling);
  w_->factor_control = lu::factor_control(env_);
  w_->factor_control.markowitz = settings_.simplex.markowitz;
  // From the optimal basis this only factorises and confirms it; the trial
  // limit does not apply.
  SimplexSettings base = settings_.simplex;
  base.run_iteration_limit = std::numeric_limits<int64_t>::max();
  SimplexOutcome outcome;
  if (int code = run_algorithm(env_, copy_, dual_algorithm(), *w_, base, outcome)) return code;
  if (int code = trial_stop_error(outcome.status)) return code;
  optimum_.take(*w_);
  return 0;
}

int BranchTrials::branch(int col, double x, double* down, double* up) {
  const double nearest = std::round(x);
  const double value = std::fabs(x - nearest) <= settings_.integrality ? nearest : x;
  const double below = std::floor(value);
  if (int code = trial(col, -kInf, below, down)) return code;
  return trial(col, below + 1.0, kInf, up);
}

// One branch: column `col` restricted to [lower, upper] (user units, one of
// them infinite: that side stays as it is).
int BranchTrials::trial(int col, double lower, double upper, double* value) {
  SimplexWork& w = *w_;
  const double saved_lower = w.lp.lower[col], saved_upper = w.lp.upper[col];
  if (std::isfinite(lower)) w.lp.lower[col] = std::max(saved_lower, w.lp.to_internal(col, lower));
  if (std::isfinite(upper)) w.lp.upper[col] = std::min(saved_upper, w.lp.to_internal(col, upper));
  w.work_lower[col] = w.lp.lower[col];
  w.work_upper[col] = w.lp.upper[col];
  place_nonbasic_value(w, col);
  refresh_basic_bounds(w);

  SimplexOutcome outcome;
  const int code = run_algorithm(env_, copy_, dual_algorithm(), w, settings_.simplex, outcome);
  // A branch is never better than the LP itself: whatever the run could not
  // settle keeps the LP's optimum as its bound.
  const double floor_value = settings_.lp_objective;
  double result = floor_value;
  int error = 0;
  if (code == lu::kSingular) {
    // No usable basis on this branch: it keeps the LP's bound.
  } else if (code != 0) {
    error = code;
  } else {
    switch (outcome.status) {
      case status::kOptimal: {
        double objective = 0.0;
        for (int j = 0; j < w.lp.num_cols; ++j) objective += w.lp.cost[j] * w.x[j];
        result = std::max(floor_value, objective);
        break;
      }
      case status::kInfeasible:
      case status::kAbortObjLim:
        result = kNoBranchValue;
        break;
      default:
        error = trial_stop_error(outcome.status);
        // Stopped early (iteration limit, numerical trouble): the duals it
        // reached still bound the branch.
        result = std::max(floor_value, lagrangian_bound(w.lp, w.dj, settings_.simplex.optimality_tol));
        break;
    }
  }
  w.lp.lower[col] = saved_lower;
  w.lp.upper[col] = saved_upper;
  optimum_.restore(w);
  *value = result;
  return error;
}

}  // namespace korva::simplex
