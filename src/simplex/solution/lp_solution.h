// The solution record of the last continuous optimisation, owned by the
// problem (derived.solution) and replaced by every optimisation. Vectors
// are kept in the user's units and order; the slack of a 'G' row is kept
// with the opposite sign (a·x - rhs, like the other rows' slacks it is then
// nonnegative when the row holds) and negated on output, so every query
// reports rhs - a·x.
#pragma once
#include <cstdint>
#include <vector>

#include "model/problem.h"

namespace korva::simplex {

// KRVsolninfo's solution types.
enum SolutionType : int { kNoSolution = 0, kBasicSolution = 1, kNonbasicSolution = 2, kPrimalOnly = 3 };

// Methods in the KRV_PARAM_LPMETHOD numbering.
enum Method : int {
  kMethodNone = 0,
  kMethodPrimal = 1,
  kMethodDual = 2,
  kMethodNetwork = 3,
  kMethodBarrier = 4,
  kMethodSifting = 5,
  kMethodConcurrent = 6,
};

struct LpSolution : AttachedPart {
  int status = 0;
  int method = kMethodNone;
  int type = kNoSolution;
  bool primal_feasible = false;
  bool dual_feasible = false;

  int64_t iterations = 0;
  int64_t phase1_iterations = 0;
  int64_t barrier_iterations = 0;
  int64_t cross_primal_push = 0;
  int64_t cross_primal_exchange = 0;
  int64_t cross_dual_push = 0;
  int64_t cross_dual_exchange = 0;
  int64_t sift_iterations = 0;
  int64_t sift_phase1_iterations = 0;

  bool has_primal = false;  // x and slack hold values
  bool has_dual = false;    // pi and dj hold values
  double objective = 0.0;
  std::vector<double> x;      // per column
  std::vector<double> slack;  // per row; 'G' rows with the opposite sign
  std::vector<double> pi;     // per row
  std::vector<double> dj;     // per column

  // Slack of row i as the queries report it.
  double reported_slack(const Problem& p, int i) const {
    return p.sense(i) == 'G' ? -slack[i] : slack[i];
  }
};

// The record of the problem, or null.
LpSolution* find_lp_solution(Problem& p);

}  // namespace korva::simplex
