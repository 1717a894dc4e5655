// The two elementary ratio tests behind manual pivots and sensitivity
// ranges, in the work record's internal units. Each answers how far a
// parameter t >= 0 may move before one variable reaches the end of what it
// may take: a basic value its bound (primal), a nonbasic reduced cost the
// sign its status requires (dual).
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "simplex/core/simplex_lp.h"
#include "simplex/core/simplex_work.h"

namespace korva::simplex {

// Entries of a column or row of the tableau below this are taken as zero:
// they come from cancellation in the solves (scaled data have entries near
// one).
inline constexpr double kTableauZero = 1e-9;

// Largest t with lo <= x + t·g <= up; a value already outside its bound
// (within the tolerances the simplex allowed) counts as on it.
inline double primal_step(double x, double lo, double up, double g) {
  if (g > kTableauZero) return up == kInf ? kInf : std::max(0.0, up - x) / g;
  if (g < -kTableauZero) return lo == -kInf ? kInf : std::max(0.0, x - lo) / -g;
  return kInf;
}

// Whether a nonbasic variable's reduced cost constrains dual steps: a
// fixed variable is optimal whatever its reduced cost.
inline bool dual_bound_matters(const SimplexLp& lp, int var) { return lp.lower[var] != lp.upper[var]; }

// Largest t with the reduced cost d - t·a still of the sign that status s
// (nonbasic) requires: >= 0 at a lower bound, <= 0 at an upper bound, zero
// for a free or superbasic variable. A reduced cost already of the wrong
// sign (within the optimality tolerance) counts as zero.
inline double dual_step(uint8_t s, double d, double a) {
  if (a > -kTableauZero && a < kTableauZero) return kInf;
  switch (base_status(s)) {
    case kAtLower:
      return a > 0 ? std::max(0.0, d) / a : kInf;
    case kAtUpper:
      return a < 0 ? std::min(0.0, d) / a : kInf;
    default:
      return 0.0;
  }
}

// The smaller step wins; at (nearly) equal steps the larger tableau entry,
// for a stable pivot.
struct StepChoice {
  double step = kInf;
  double size = 0.0;
  int who = -1;
  void offer(double t, double entry_size, int candidate) {
    if (t == kInf) return;
    const double slack = 1e-12 * std::max(1.0, step == kInf ? t : step);
    if (t < step - slack || (t <= step + slack && entry_size > size)) {
      if (t < step) step = t;
      size = entry_size;
      who = candidate;
    }
  }
};

}  // namespace korva::simplex
