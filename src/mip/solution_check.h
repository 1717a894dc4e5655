// Checking a candidate solution on the model: bounds, integrality,
// semi-continuity, rows, indicator constraints, special ordered sets and
// lazy constraints. Violations are absolute, less what computing a row's
// activity from terms of its size may round away.
#pragma once
#include <algorithm>
#include <vector>

#include "mip/mip_model.h"

namespace korva::mip {

// The largest violation of x (infinity for broken integrality, sets or
// semi-continuity beyond the tolerances).
double model_violation(const MipModel& model, const std::vector<double>& x, double integrality, double feasibility);

// A violation the final check accepts: within the feasibility tolerance
// (and never below 1e-10).
inline bool acceptable_violation(double violation, double feasibility) {
  return violation <= std::max(1e-10, feasibility);
}

// Integer columns within the integrality tolerance snapped to their
// integers and semi-continuous columns within the feasibility tolerance of
// 0 set to 0, when that keeps the solution within the feasibility
// tolerance; true when x (snapped or not) satisfies the model.
bool settle_solution(const MipModel& model, std::vector<double>& x, double integrality, double feasibility);

}  // namespace korva::mip
