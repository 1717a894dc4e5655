#include "mip/heuristics/one_opt.h"

#include <algorithm>
#include <cmath>

#include "mip/heuristics/heuristic_support.h"

namespace korva::mip {

namespace {

constexpr int kPasses = 3;
// A move fills a row's slack up to this much rounding, no further.
constexpr double kRoomRounding = 1e-9;

// Columns whose moves the model's own rows cannot judge alone: members of
// special ordered sets and of indicator or lazy rows, indicators, and
// semi-integer columns.
std::vector<char> movable_columns(const MipModel& m) {
  std::vector<char> movable(static_cast<size_t>(m.num_cols), 0);
  for (int j = 0; j < m.num_cols; ++j) movable[j] = m.kind[j] == ColKind::Integer ? 1 : 0;
  for (const SosConstraint& s : m.sos)
    for (int j : s.cols) movable[j] = 0;
  for (const IndicatorLink& ind : m.indicators) movable[ind.indicator] = 0;
  for (int r = m.num_rows; r < m.num_relaxation_rows; ++r) {
    if (r >= m.first_pool_row && r < m.first_lazy_row) continue;  // cuts judge nothing
    if (m.is_local_row(r)) continue;
    for (int64_t k = m.row_begin[r]; k < m.row_begin[r + 1]; ++k) movable[m.row_col[k]] = 0;
  }
  return movable;
}

}  // namespace

int one_opt(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found) {
  *found = false;
  if (!ctx.incumbent) return 0;
  const MipModel& m = ctx.model;
  x = *ctx.incumbent;
  std::vector<double> activity(static_cast<size_t>(m.num_rows));
  for (int r = 0; r < m.num_rows; ++r) activity[r] = row_activity(m, r, x.data());
  const std::vector<char> movable = movable_columns(m);
  bool moved_any = false;
  for (int pass = 0; pass < kPasses; ++pass) {
    bool moved = false;
    for (int j = 0; j < m.num_cols; ++j) {
      const double c = m.cost[j];
      if (!movable[j] || c == 0.0) continue;
      const double dir = c > 0 ? -1.0 : 1.0;
      double room = dir < 0 ? x[j] - m.lower[j] : m.upper[j] - x[j];
      for (int64_t k = m.col_begin[j]; k < m.col_begin[j + 1] && room >= 1.0; ++k) {
        const int r = m.col_row[k];
        if (r >= m.num_rows) continue;
        const double a = m.col_val[k] * dir;  // activity change per unit
        if (a > 0) room = std::min(room, (m.row_hi[r] - activity[r]) / a);
        else if (a < 0) room = std::min(room, (activity[r] - m.row_lo[r]) / -a);
      }
      const double step = std::floor(room + kRoomRounding);
      if (!(step >= 1.0) || std::isinf(step)) continue;
      x[j] += dir * step;
      for (int64_t k = m.col_begin[j]; k < m.col_begin[j + 1]; ++k)
        if (m.col_row[k] < m.num_rows) activity[m.col_row[k]] += m.col_val[k] * dir * step;
      moved = moved_any = true;
    }
    if (!moved) break;
  }
  bool continuous = false;
  for (int j = 0; j < m.num_cols && !continuous; ++j) continuous = !m.is_integer(j);
  if (!moved_any && !continuous) return 0;
  return accept_or_complete(ctx, x, objective, found);
}

}  // namespace korva::mip
