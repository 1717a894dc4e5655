// Pieces shared by the processing and the repair of MIP starts: the values
// a start gives as a dense vector, the integer values that can be fixed,
// and the check that makes a point a solution.
#pragma once
#include <vector>

#include "mip/mip_model.h"

namespace korva::mip::start_points {

struct Tolerances {
  double integrality = 1e-5;  // KRV_PARAM_EPINT
  double feasibility = 1e-6;  // KRV_PARAM_EPRHS
};
Tolerances tolerances(const Environment& env);

// One entry per model column: the start's value, NaN where it gives none.
void dense_values(const MipModel& model, const std::vector<int>& cols, const std::vector<double>& values,
                  std::vector<double>& given);
inline bool is_given(double v) { return v == v; }

// Columns whose value a nested search may keep fixed: integer and
// semi-integer ones (semi-continuous columns stay free, their on/off state
// is the search's to find).
inline bool is_fixable_kind(ColKind kind) { return kind == ColKind::Integer || kind == ColKind::SemiInteger; }
// The value column j is fixed at for a given v: v rounded, when it is an
// integer within the integrality tolerance and inside the column's domain
// (0 counts for a semi-integer column); false otherwise.
bool fixed_value(const MipModel& model, int j, double v, const Tolerances& tol, double& fixed);

// True when x (finite values, one per column) satisfies the model within
// the tolerances; integer values within the tolerance are snapped.
bool accept(const MipModel& model, std::vector<double>& x, const Tolerances& tol);

// The objective of x in the user's sense.
double user_objective(const MipModel& model, const std::vector<double>& x);

}  // namespace korva::mip::start_points
