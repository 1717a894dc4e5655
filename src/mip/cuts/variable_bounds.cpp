#include "mip/cuts/variable_bounds.h"

#include <algorithm>
#include <cmath>

#include "mip/mip_model.h"

namespace korva::mip {

namespace {

// Bounds whose ratio of coefficients lies outside this range are numerical
// noise rather than a switch.
constexpr double kSmallestBound = 1e-9;
constexpr double kLargestBound = 1e12;

struct Found {
  int col;
  VariableUpperBound vub;
};

}  // namespace

void VariableUpperBounds::build(const SeparationInput& in, int rows) {
  const MipModel& m = *in.model;
  std::vector<Found> found;
  bound_row_.assign(static_cast<size_t>(rows), 0);
  for (int i = 0; i < rows; ++i) {
    const int64_t k = m.row_begin[i];
    if (m.row_begin[i + 1] - k != 2) continue;
    for (int side = 0; side < 2; ++side) {
      // Only a zero right-hand side makes z = 0 switch the flow off.
      const double b = side == 0 ? m.row_hi[i] : m.row_lo[i];
      if (b != 0.0) continue;
      const double s = side == 0 ? 1.0 : -1.0;
      for (int first = 0; first < 2; ++first) {
        const int y = m.row_col[k + first], z = m.row_col[k + 1 - first];
        const double ay = s * m.row_val[k + first], az = s * m.row_val[k + 1 - first];
        if (y == z || !(ay > 0.0) || !(az < 0.0)) continue;
        if (!is_binary(in, z) || is_binary(in, y) || in.lower[y] < 0.0) continue;
        const double u = std::min(-az / ay, in.upper[y]);
        if (!(u >= kSmallestBound && u <= kLargestBound)) continue;
        found.push_back({y, {z, u}});
        bound_row_[i] = 1;
      }
    }
  }
  begin_.assign(static_cast<size_t>(m.num_cols) + 1, 0);
  bounds_.resize(found.size());
  if (found.empty()) return;
  for (const Found& f : found) ++begin_[f.col + 1];
  for (int j = 0; j < m.num_cols; ++j) begin_[j + 1] += begin_[j];
  std::vector<int> next(begin_.begin(), begin_.end() - 1);
  for (const Found& f : found) bounds_[next[f.col]++] = f.vub;
}

const VariableUpperBound* VariableUpperBounds::tightest(int col, const double* x) const {
  if (bounds_.empty()) return nullptr;
  const VariableUpperBound* best = nullptr;
  double least = 0.0;
  for (const VariableUpperBound* b = begin(col); b != end(col); ++b) {
    const double at_x = b->bound * std::clamp(x[b->binary], 0.0, 1.0);
    if (!best || at_x < least) {
      best = b;
      least = at_x;
    }
  }
  return best;
}

}  // namespace korva::mip
