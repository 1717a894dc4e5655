#include "mip/solution_check.h"

#include <algorithm>
#include <cmath>

namespace korva::mip {

namespace {

bool is_semi(ColKind k) { return k == ColKind::SemiContinuous || k == ColKind::SemiInteger; }

// A row's activity is trusted to this share of the size of its terms.
constexpr double kRounding = 1e-12;

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
    worst = std::max({worst, m.lower[j] - x[j], x[j] - m.upper[j]});
    if (m.is_integer(j) && std::fabs(x[j] - std::round(x[j])) > integrality) return kInf;
  }
  const int first_cut = m.num_rows - m.num_cuts;
  for (int r = 0; r < m.num_relaxation_rows; ++r) {
    // Cuts are no part of the model: a solution is judged without them.
    if ((r >= first_cut && r < m.num_rows) || (r >= m.first_pool_row && r < m.first_lazy_row)) continue;
    // Branching rows of a callback hold only below their node.
    if (m.is_local_row(r)) continue;
    // An indicator row binds only when its indicator is on.
    if (r >= m.num_rows && r < m.first_lazy_row && !indicator_on(m, r, x, integrality)) continue;
    double a = 0.0, size = 0.0;
    for (int64_t k = m.row_begin[r]; k < m.row_begin[r + 1]; ++k) {
      const double t = m.row_val[k] * x[m.row_col[k]];
      a += t;
      size += std::fabs(t);
    }
    worst = std::max({worst, m.row_lo[r] - a - kRounding * size, a - m.row_hi[r] - kRounding * size});
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
