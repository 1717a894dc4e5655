#include "network/arc_status.h"

#include <cmath>

#include "network/net_problem.h"

namespace korva::net {

int8_t initial_status(double cost, double lower, double upper, double feas_tol) {
  const bool finite_lower = lower > -kSolverInfinity, finite_upper = upper < kSolverInfinity;
  if (std::fabs(upper - lower) < feas_tol) return kFixed;
  if (finite_lower && (cost >= 0.0 || !finite_upper)) return kAtLower;
  if (finite_upper && (cost <= 0.0 || !finite_lower)) return kAtUpper;
  return kFreeZero;
}

}  // namespace korva::net
