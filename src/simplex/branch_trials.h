// The strong-branching trials of one thread. It works on its own copy of
// the problem (with the optimal basis of the LP solve) and its own simplex
// work record: the basis is factorised once, and every trial tightens one
// column's bound, runs the dual simplex for a limited number of iterations
// and goes back to the optimal basis through a checkpoint.
#pragma once
#include <cstdint>

#include "model/problem.h"
#include "simplex/core/simplex_run.h"
#include "simplex/core/work_checkpoint.h"

namespace korva::simplex {

// Values reported for a branch that has no solution or whose objective
// passed a limit (in the minimisation sense; the caller's sense multiplies).
inline constexpr double kNoBranchValue = 1e75;

struct TrialSettings {
  SimplexSettings simplex;      // display off, run limit = the trials' iterations
  double integrality = 1e-5;    // a value this close to an integer counts as it
  double lp_objective = 0.0;    // optimum of the LP, minimisation sense
};

class BranchTrials {
 public:
  // `copy` holds the LP (complete) and the optimal basis; it stays owned
  // by the caller and must outlive the trials.
  BranchTrials(Environment& env, Problem& copy, const TrialSettings& settings);

  // Loads and factorises the optimal basis. 0, or an error code (1263,
  // 1266, 1270 for a stop, or an engine error).
  int start();

  // The down (upper bound floor(x)) and up (lower bound floor(x) + 1)
  // branches of column `col` at LP value `x`: their objective bounds in
  // the minimisation sense. 0, or an error code as for start().
  int branch(int col, double x, double* down, double* up);

 private:
  int trial(int col, double lower, double upper, double* value);

  Environment& env_;
  Problem& copy_;
  TrialSettings settings_;
  SimplexWork* w_ = nullptr;
  WorkCheckpoint optimum_;
};

// The error code of a run that stopped at a limit or by request (1263,
// 1266, 1270), or 0 for any other status.
int trial_stop_error(int status);

}  // namespace korva::simplex
