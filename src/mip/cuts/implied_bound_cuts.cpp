#include "mip/cuts/implied_bound_cuts.h"

#include <algorithm>
#include <cmath>

namespace korva::mip {

namespace {

// How far the point must lie beyond a cut, relative to its right-hand side.
constexpr double kViolation = 1e-6;
// Bounds this large give cuts with coefficients too wide apart to trust.
constexpr double kLargestBound = 1e7;

}  // namespace

void separate_implied_bounds(const SeparationInput& in, const std::vector<ImpliedBound>& implied,
                             std::vector<Cut>& out) {
  for (const ImpliedBound& ib : implied) {
    const int j = ib.binary, k = ib.col;
    if (in.lower[j] != 0.0 || in.upper[j] != 1.0) continue;  // the binary is fixed now
    // Written for an upper bound; a lower bound is the same on -x_k.
    const double s = ib.upper ? 1.0 : -1.0;
    const double global = ib.upper ? in.upper[k] : -in.lower[k];
    const double implied_bound = s * ib.bound;
    if (std::isinf(global) || std::fabs(global) > kLargestBound || implied_bound >= global) continue;
    const double gap = global - implied_bound;
    const double xk = s * in.x[k], xj = in.x[j];
    Cut c;
    c.family = kImpliedBoundCuts;
    c.index = {k, j};
    if (ib.value) {
      c.value = {s, gap};
      c.rhs = global;
    } else {
      c.value = {s, -gap};
      c.rhs = implied_bound;
    }
    const double activity = xk + c.value[1] * xj;
    if (activity <= c.rhs + kViolation * std::max(1.0, std::fabs(c.rhs))) continue;
    out.push_back(std::move(c));
  }
}

}  // namespace korva::mip
