#include "mip/coefficient_tightening.h"

#include <algorithm>
#include <cmath>

namespace korva::mip {

namespace {

// The strengthening keeps this share of the row's size in hand, so that
// rounding in the activity bound can never make it cut off a solution.
constexpr double kSafety = 1e-9;
// Changes smaller than this share of the coefficient are not worth making.
constexpr double kWorthwhile = 1e-3;

bool is_binary(const MipModel& m, int j, const std::vector<double>& lower, const std::vector<double>& upper) {
  return m.kind[j] == ColKind::Integer && lower[j] == 0.0 && upper[j] == 1.0;
}

// Writes a coefficient into the row-wise and the column-wise copies.
void set_coefficient(MipModel& m, int row, int64_t row_entry, double value) {
  m.row_val[row_entry] = value;
  const int j = m.row_col[row_entry];
  for (int64_t k = m.col_begin[j]; k < m.col_begin[j + 1]; ++k) {
    if (m.col_row[k] != row) continue;
    m.col_val[k] = value;
    return;
  }
}

// One row in the form Σ s·a_j·x_j <= s·rhs (s = 1 for a row with an upper
// side, -1 for one with a lower side).
int tighten_row(MipModel& m, int row, double s, const std::vector<double>& lower, const std::vector<double>& upper) {
  double b = s > 0 ? m.row_hi[row] : -m.row_lo[row];
  double most = 0.0, size = std::fabs(b);
  for (int64_t k = m.row_begin[row]; k < m.row_begin[row + 1]; ++k) {
    const double a = s * m.row_val[k];
    const int j = m.row_col[k];
    const double end = a > 0 ? upper[j] : lower[j];
    if (a == 0.0) continue;
    if (std::isinf(end)) return 0;
    most += a * end;
    size += std::fabs(a * end);
  }
  const double margin = kSafety * std::max(1.0, size);
  if (most <= b + margin) return 0;  // redundant as it stands
  int changed = 0;
  for (int64_t k = m.row_begin[row]; k < m.row_begin[row + 1]; ++k) {
    const int j = m.row_col[k];
    const double a = s * m.row_val[k];
    if (a == 0.0 || !is_binary(m, j, lower, upper)) continue;
    // The row without y's largest contribution, and how far below b it
    // stays when y takes its freeing value.
    const double d = a < 0 ? b - (most + a) : b - (most - a);
    const double step = d - margin;
    if (step <= kWorthwhile * std::fabs(a)) continue;
    if (a < 0) {
      set_coefficient(m, row, k, s * (a + step));
    } else {
      set_coefficient(m, row, k, s * (a - step));
      b -= step;
      most -= step;
      if (s > 0) m.row_hi[row] = b;
      else m.row_lo[row] = -b;
    }
    ++changed;
  }
  return changed;
}

}  // namespace

int tighten_coefficients(MipModel& m, const std::vector<double>& lower, const std::vector<double>& upper) {
  int changed = 0;
  for (int row = 0; row < m.num_rows; ++row) {
    const bool has_lo = std::isfinite(m.row_lo[row]), has_hi = std::isfinite(m.row_hi[row]);
    // Equalities and ranges keep their coefficients: both sides bind.
    if (has_lo == has_hi) continue;
    changed += tighten_row(m, row, has_hi ? 1.0 : -1.0, lower, upper);
  }
  return changed;
}

}  // namespace korva::mip
