#include "simplex/core/stall_control.h"

#include <algorithm>
#include <cmath>

namespace korva::simplex {

int64_t primal_stall_window(int m, int64_t perlim) {
  if (perlim >= 1) return perlim;
  if (m < 1000) return 400;
  if (m < 5000) return 500;
  if (m < 7500) return 600;
  if (m < 10000) return 700;
  if (m < 15000) return 900;
  if (m < 20000) return 1100;
  if (m < 30000) return 1600;
  if (m < 40000) return 2100;
  return 2600;
}

int64_t dual_stall_window(int n, int64_t perlim) {
  if (perlim >= 1) return perlim;
  return n >= 1000 ? 100 : 50;
}

int64_t shift_limit(int m) {
  if (m < 5000) return 501;
  if (m < 10000) return 1000;
  if (m < 50000) return 2000;
  if (m < 100000) return 10000;
  return 20000;
}

bool StallControl::stalled(int64_t iteration, int phase, double measure) {
  if (phase != mark_phase) {
    set_mark(iteration, phase, measure);
    return false;
  }
  const int64_t elapsed = iteration - mark_iteration;
  if (elapsed < window) return false;
  const bool progress = mark_measure - measure > 10.0 * epsilon * static_cast<double>(elapsed);
  set_mark(iteration, phase, measure);
  if (phase == 2) {
    // Progress of the objective itself, however slow, resets the count.
    constexpr double kRelativeProgress = 1e-9;
    if (!has_best || measure < best_measure - kRelativeProgress * std::max(1.0, std::fabs(best_measure))) {
      best_measure = measure;
      has_best = true;
      fruitless_stalls = 0;
    } else if (!progress) {
      ++fruitless_stalls;
    }
  }
  return !progress;
}

double StallControl::next_perturbation() {
  ++perturbations;
  if (perturbations >= 2) epsilon = std::min(epsilon / 10.0, 1e-6);
  if (perturbations > 2 && epsilon <= 1e-6) window *= 2;
  return epsilon;
}

bool RunawayWatch::ran_away(double measure) {
  // Three orders of magnitude above where the measure stood.
  constexpr double kRunawayFactor = 1e3;
  const bool away = armed && measure > reference + kRunawayFactor * std::max(1.0, std::fabs(reference));
  armed = true;
  reference = measure;
  return away;
}

}  // namespace korva::simplex
