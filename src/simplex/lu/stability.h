// The stability rules of the factorisation: the pivot ratio test that
// rejects a factor built with too small a Markowitz threshold, and the
// raise of that threshold before the next attempt.
#pragma once
#include <algorithm>

namespace korva::lu {

inline constexpr double kMaxMarkowitz = 0.99999;

// pmax/pmin with pmax = max(1, max|pivot|) and pmin = min(1, min|pivot|).
inline double pivot_ratio(double largest_pivot, double smallest_pivot) {
  return std::max(1.0, largest_pivot) / std::min(1.0, smallest_pivot);
}

// True when a pivot ratio is too large for the threshold the factor was
// built with: a larger threshold would have chosen safer pivots.
inline bool ratio_unstable(double ratio, double threshold) {
  return (ratio > 1e9 && threshold < 0.1) || (ratio > 1e10 && threshold < 0.2) ||
         (ratio > 1e11 && threshold < 0.3) || (ratio > 1e12 && threshold < 0.5) ||
         (ratio > 1e13 && threshold < kMaxMarkowitz);
}

inline double raise_markowitz(double t) {
  t = t < 0.1 ? 0.1 : t + 0.1;
  return std::min(t, kMaxMarkowitz);
}

}  // namespace korva::lu
