#include "mip/solution_check.h"

#include <algorithm>
#include <cmath>

namespace korva::mip {

namespace {

bool is_semi(ColKind k) { return k == ColKind::SemiContinuous || k == ColKind::SemiInteger; }

double relative(double violation, double against) { return violation / std::max(1.0, std::fabs(against)); }

// Whether the indicator whose row is `row` is on in x.
bool indicator_on(const MipModel& m, int row, const std::vector<double>& x, double integrality) {
  for (const IndicatorLink& ind : m.indicators)
    if (ind.row == row) return std::fabs(x[ind.indicator] - ind.active_value) <= integrality;
  return false;
}

}  // namespace

double model_violation(const MipModel& m, const std::vector<double>& x, double integrality, double feasibility) {
  double worst = 0.0;
  for (int j = 0; j < m.num_cols; ++j) {
    if (is_semi(m.kind[j]) && std::fabs(x[j]) <= feasibility) continue;
    worst = std::max({worst, relative(m.lower[j] - x[j], m.lower[j]), relative(x[j] - m.upper[j], m.upper[j])});
    if (m.is_integer(j) && std::fabs(x[j] - std::round(x[j])) > integrality) return kInf;
  }
  for (int r = 0; r < m.num_relaxation_rows; ++r) {
    // An indicator row binds only when its indicator is on.
    if (r >= m.num_rows && r < m.first_lazy_row && !indicator_on(m, r, x, integrality)) continue;
    const double a = row_activity(m, r, x.data());
    worst = std::max({worst, relative(m.row_lo[r] - a, m.row_lo[r]), relative(a - m.row_hi[r], m.row_hi[r])});
  }
  for (const SosConstraint& set : m.sos) {
    int first = -1, last = -1, count = 0;
    for (int p = 0; p < static_cast<int>(set.cols.size()); ++p) {
      if (std::fabs(x[set.cols[p]]) <= feasibility) continue;
      if (first < 0) first = p;
      last = p;
      ++count;
    }
    if (set.type == 1 ? count > 1 : (count > 2 || (count == 2 && last - first > 1))) return kInf;
  }
  return worst;
}

bool settle_solution(const MipModel& m, std::vector<double>& x, double integrality, double feasibility) {
  std::vector<double> snapped(x);
  for (int j = 0; j < m.num_cols; ++j) {
    if (m.is_integer(j) && std::fabs(snapped[j] - std::round(snapped[j])) <= integrality)
      snapped[j] = std::round(snapped[j]);
    if (is_semi(m.kind[j]) && std::fabs(snapped[j]) <= feasibility) snapped[j] = 0.0;
  }
  if (model_violation(m, snapped, integrality, feasibility) <= feasibility) {
    x.swap(snapped);
    return true;
  }
  return model_violation(m, x, integrality, feasibility) <= feasibility;
}

}  // namespace korva::mip
