// How the simplex methods move their working tolerances. Relaxing doubles
// a small tolerance up to 1e-4 and then grows it slowly; tightening takes
// large steps while the tolerance is loose and ever smaller ones as it
// approaches what double precision can resolve.
#pragma once
#include <algorithm>

namespace korva::simplex {

inline double relax_tolerance(double t) { return t < 9.99999999e-5 ? std::min(2.0 * t, 1e-4) : 1.1 * t; }

// Phase I of the primal simplex, when the basic values stay infeasible.
inline double tighten_tolerance(double t) {
  if (t > 1e-6) return std::max(t / 10.0, 1e-6);
  if (t > 1e-7) return std::max(t / 3.17, 1e-7);
  if (t > 1e-8) return std::max(t / 1.33, 1e-8);
  if (t > 1e-9) return std::max(t / 1.16, 1e-9);
  if (t > 1e-10) return 0.9 * t + 1e-11;
  return t / 1.01;
}

// After the shifts have been removed.
inline double tighten_after_shift(double t) {
  if (t > 1e-7) return std::max(t / 10.0, 1e-7);
  if (t > 1e-9) return std::max(t / 4.64, 1e-9);
  if (t > 1.01e-11) return 0.5 * t + 5e-12;
  return t / 1.01;
}

}  // namespace korva::simplex
