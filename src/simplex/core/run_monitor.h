// What a simplex run checks once per iteration: the termination flag, the
// informational and LP callbacks, and the iteration, time and deterministic
// time limits. Each ends the run with its status.
#pragma once
#include <atomic>
#include <cstdint>
#include <limits>

#include "env/environment.h"

namespace korva::simplex {

// What the informational and LP callbacks receive as cbdata: the state of
// the run they are called from.
struct LpCallbackData {
  int method = 0;  // 1 primal, 2 dual
  int64_t iterations = 0;
  int phase = 0;
  double objective = 0.0;      // in the user's sense
  double infeasibility = 0.0;  // sum of the phase's infeasibilities
  bool primal_feasible = false;
  bool dual_feasible = false;
};

// Where-values the continuous optimisers pass to the callbacks.
inline constexpr int kWherePrimal = 1;
inline constexpr int kWhereDual = 2;

// A concurrent optimisation: every run started in `env` while it is
// watched also ends (user-abort status) once `*stop` is set, which is how
// the first solver to finish stops the others. Null stops watching.
void watch_race(Environment& env, const std::atomic<int>* stop);

class RunMonitor {
 public:
  // `iteration_base`: iterations made before this run that count towards
  // KRV_PARAM_ITLIM (a clean-up solve continues the count).
  // `run_limit`: iterations this run may make on its own (strong branching
  // trials, for instance), whatever KRV_PARAM_ITLIM allows.
  RunMonitor(Environment& env, int wherefrom, int64_t iteration_base = 0,
             int64_t run_limit = std::numeric_limits<int64_t>::max());
  // 0, or the status that ends the run: 10, 11, 13 or 25.
  int check(int64_t run_iterations, LpCallbackData& data);
  // Only the limits that do not call back (used before the first iteration).
  int check_limits(int64_t run_iterations) const;

 private:
  Environment& env_;
  int wherefrom_;
  int64_t iteration_base_;
  int64_t iteration_limit_;
  int64_t run_limit_;
  bool callbacks_;
  const std::atomic<int>* race_stop_;
};

}  // namespace korva::simplex
