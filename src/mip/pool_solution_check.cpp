#include "mip/pool_solution_check.h"

#include <cmath>

#include "mip/pool_filters.h"

namespace korva::mip {
namespace {

constexpr double kRounding = 1e-9;

bool columns_feasible(const Problem& p, const double* x, double integrality, double feasibility) {
  for (int j = 0; j < p.num_cols(); ++j) {
    const double v = x[j];
    if (!std::isfinite(v)) return false;
    const char t = p.ctype(j);
    // A semi-continuous or semi-integer column may be off at 0 whatever its bounds.
    if ((t == 'S' || t == 'N') && std::fabs(v) <= feasibility) continue;
    if (v < p.lower(j) - feasibility || v > p.upper(j) + feasibility) return false;
    if (is_integer_like(t) && std::fabs(v - std::round(v)) > integrality) return false;
  }
  return true;
}

// lo <= a <= hi for a row of the given sense, rhs and range.
bool row_holds(char sense, double rhs, double range, double a, double tol) {
  switch (sense) {
    case 'L': return a <= rhs + tol;
    case 'G': return a >= rhs - tol;
    case 'E': return std::fabs(a - rhs) <= tol;
    default: {
      const double lo = range >= 0 ? rhs : rhs + range;
      const double hi = range >= 0 ? rhs + range : rhs;
      return a >= lo - tol && a <= hi + tol;
    }
  }
}

bool rows_feasible(const Problem& p, const double* x, double feasibility, std::vector<double>& activity,
                   std::vector<double>& size) {
  const int m = p.num_rows();
  activity.assign(static_cast<size_t>(m), 0.0);
  size.assign(static_cast<size_t>(m), 0.0);
  for (int j = 0; j < p.num_cols(); ++j) {
    if (x[j] == 0.0) continue;
    const SparseSpan col = p.column(j);
    for (int k = 0; k < col.size(); ++k) {
      const double t = col.value[k] * x[j];
      activity[col.index[k]] += t;
      size[col.index[k]] += std::fabs(t);
    }
  }
  for (int i = 0; i < m; ++i)
    if (!row_holds(p.sense(i), p.rhs(i), p.range(i), activity[i], feasibility + kRounding * size[i]))
      return false;
  return true;
}

bool linear_holds(const int* ind, const double* val, size_t n, const double* x, char sense, double rhs,
                  double feasibility) {
  double a = 0.0, s = 0.0;
  for (size_t k = 0; k < n; ++k) {
    const double t = val[k] * x[ind[k]];
    a += t;
    s += std::fabs(t);
  }
  return row_holds(sense, rhs, 0.0, a, feasibility + kRounding * s);
}

bool lazy_feasible(const Problem& p, const double* x, double feasibility) {
  if (!p.lazy_constraints) return true;
  const RowPool& rows = *p.lazy_constraints;
  for (int r = 0; r < rows.num_rows(); ++r) {
    const auto b = static_cast<size_t>(rows.begin[r]);
    const auto n = static_cast<size_t>(rows.begin[r + 1]) - b;
    if (!linear_holds(rows.index.data() + b, rows.value.data() + b, n, x, rows.sense[r], rows.rhs[r], feasibility))
      return false;
  }
  return true;
}

bool mip_parts_feasible(const Problem& p, const double* x, double integrality, double feasibility) {
  if (!p.mip) return true;
  for (const IndicatorConstraint& ic : p.mip->indicators) {
    const double on_value = ic.complemented ? 0.0 : 1.0;
    if (std::fabs(x[ic.indicator] - on_value) > integrality) continue;
    if (!linear_holds(ic.linind.data(), ic.linval.data(), ic.linind.size(), x, ic.sense, ic.rhs, feasibility))
      return false;
  }
  for (const SosSet& set : p.mip->sos) {
    int first = -1, last = -1, count = 0;
    for (int k = 0; k < static_cast<int>(set.indices.size()); ++k) {
      if (std::fabs(x[set.indices[k]]) <= feasibility) continue;
      if (first < 0) first = k;
      last = k;
      ++count;
    }
    if (set.type == '1' ? count > 1 : (count > 2 || (count == 2 && last - first > 1))) return false;
  }
  return true;
}

}  // namespace

bool pool_solution_feasible(const Problem& p, const double* x, double integrality, double feasibility,
                            std::vector<double>& activity, std::vector<double>& size) {
  return columns_feasible(p, x, integrality, feasibility) && rows_feasible(p, x, feasibility, activity, size) &&
         lazy_feasible(p, x, feasibility) && mip_parts_feasible(p, x, integrality, feasibility);
}

}  // namespace korva::mip
