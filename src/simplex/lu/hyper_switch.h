// Chooses between the dense solves and the hypersparse (index-list) solves
// from the running fill of the factor: the average growth per update of
// what a solve has to touch, relative to the fresh factor. Two thresholds
// (hysteresis) keep the choice from flipping at every solve.
#pragma once
#include <cstdint>

namespace korva::lu {

struct HyperSwitch {
  static constexpr double kOn = 0.00015;
  static constexpr double kOff = 7.5e-5;

  bool on = false;
  double last_fill = 0.0;

  // m: basis dimension; solve_fill: nonzeros a solve touches now (L, R and
  // U); base_fill: the same right after the factorisation; updates since then.
  void observe(int m, int64_t solve_fill, int64_t base_fill, int updates) {
    if (updates <= 0 || base_fill <= 0) return;
    last_fill = (static_cast<double>(m) + static_cast<double>(solve_fill - base_fill)) /
                static_cast<double>(base_fill) / static_cast<double>(updates);
    if (!on && last_fill > kOn) on = true;
    else if (on && last_fill < kOff) on = false;
  }
};

// The recent density of one solve stage's results. A reach that meets a
// dense result gives up only after visiting a quarter of the factor, all of
// it wasted; while a stage's results have lately been dense, it goes
// straight to the dense sweep, whose results keep the estimate current.
struct StageDensity {
  static constexpr double kSparse = 0.1;
  static constexpr double kHistoryWeight = 0.9;

  double density = 0.0;

  void observe(int count, int m) {
    if (m > 0) density = kHistoryWeight * density + (1.0 - kHistoryWeight) * count / m;
  }
  bool sparse() const { return density < kSparse; }
};

}  // namespace korva::lu
