#include "mip/mip_start_points.h"

#include <cmath>
#include <limits>

#include "korva/korva.h"
#include "mip/solution_check.h"

namespace korva::mip::start_points {

Tolerances tolerances(const Environment& env) {
  Tolerances t;
  t.integrality = env.dbl_param(KRV_PARAM_EPINT);
  t.feasibility = env.dbl_param(KRV_PARAM_EPRHS);
  return t;
}

void dense_values(const MipModel& model, const std::vector<int>& cols, const std::vector<double>& values,
                  std::vector<double>& given) {
  given.assign(static_cast<size_t>(model.num_cols), std::numeric_limits<double>::quiet_NaN());
  for (size_t k = 0; k < cols.size(); ++k)
    if (cols[k] >= 0 && cols[k] < model.num_cols && std::isfinite(values[k])) given[cols[k]] = values[k];
}

bool fixed_value(const MipModel& model, int j, double v, const Tolerances& tol, double& fixed) {
  if (!is_given(v) || !is_fixable_kind(model.kind[j])) return false;
  const double r = std::round(v);
  if (std::fabs(v - r) > tol.integrality) return false;
  fixed = r;
  if (model.kind[j] == ColKind::SemiInteger && r == 0.0) return true;
  return r >= model.lower[j] - tol.feasibility && r <= model.upper[j] + tol.feasibility;
}

bool accept(const MipModel& model, std::vector<double>& x, const Tolerances& tol) {
  if (static_cast<int>(x.size()) != model.num_cols) return false;
  for (double v : x)
    if (!std::isfinite(v)) return false;
  return settle_solution(model, x, tol.integrality, tol.feasibility);
}

double user_objective(const MipModel& model, const std::vector<double>& x) {
  double z = model.offset;
  for (int j = 0; j < model.num_cols; ++j) z += model.cost[j] * x[j];
  return model.objsense * z;
}

}  // namespace korva::mip::start_points
