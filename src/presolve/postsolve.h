// Uncrush: replays the reductions backwards to turn a solution of the
// reduced problem into one of the original problem, with a complete basis
// when the reduced solution has one.
#pragma once
#include <vector>

#include "model/problem.h"
#include "presolve/presolve_record.h"

namespace korva::presolve {

// A solution of the reduced problem in the user's sense and units, by
// reduced index. pi, cstat and rstat may be null (values only).
struct ReducedSolution {
  const double* x = nullptr;
  const double* pi = nullptr;
  const int* cstat = nullptr;
  const int* rstat = nullptr;
};

struct OriginalSolution {
  std::vector<double> x, activity, pi, dj;  // user sense
  std::vector<int> cstat, rstat;            // filled when the reduced basis was given
  double objective = 0.0;
  bool primal_feasible = false;
  bool dual_feasible = false;
  bool basis_complete = false;  // exactly one basic variable per row
};

void postsolve(const Problem& original, const PresolveRecord& record, const ReducedSolution& reduced,
               OriginalSolution& out);

}  // namespace korva::presolve
