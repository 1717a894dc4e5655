// The internal side of the solution queries of KRVgetstat, KRVsolution,
// KRVgetx and their neighbours. A linear problem answers from its LP
// solution record; a mixed-integer one from the incumbent store that
// branch-and-cut leaves (mip_incumbent.h). Every function returns 0 or an
// error code not yet reported.
#pragma once
#include <cstdint>

#include "model/problem.h"

namespace korva::simplex {

enum class SolutionVector { X, Pi, Slack, Dj, Ax };
enum class Counter {
  Iterations,
  Phase1,
  Barrier,
  CrossPrimalPush,
  CrossPrimalExchange,
  CrossDualPush,
  CrossDualExchange,
  Sift,
  SiftPhase1,
};

// The status (0 when nothing is known); never an error besides the frame's.
int solution_status(Problem& p);
int solution_method(Environment& env, Problem& p, int* method);
int solution_info(Environment& env, Problem& p, int* method, int* type, int* pfeas, int* dfeas);
int get_solution(Environment& env, Problem& p, int* stat, double* obj, double* x, double* pi,
                 double* slack, double* dj);
int get_objective(Environment& env, Problem& p, double* obj);
// Entries begin..end of one vector; `fname` names the exported function in
// the range messages.
int get_vector(Environment& env, Problem& p, const char* fname, SolutionVector which, double* out,
               int begin, int end);
// Bound and row violations of `x` (the solution's when null): negative
// below the lower end, positive above the upper end, 0 inside.
int get_row_infeasibility(Environment& env, Problem& p, const char* fname, const double* x,
                          double* out, int begin, int end);
int get_col_infeasibility(Environment& env, Problem& p, const char* fname, const double* x,
                          double* out, int begin, int end);
int get_counter(Environment& env, Problem& p, Counter which, int64_t* value);

// The problem's current LP solution record with values, or null.
struct LpSolution;
LpSolution* current_lp_solution(Problem& p);

}  // namespace korva::simplex
