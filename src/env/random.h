// The environment's pseudo-random generator: a 64-bit linear congruential
// sequence whose draws use 31 bits of the upper half. Algorithms that must be
// repeatable (perturbations, heuristics) reset it to the seed before a run.
#pragma once
#include <cstdint>

namespace korva {

struct Random {
  uint64_t state = 1;
  uint32_t seed = 1;

  void reseed(uint32_t s) {
    seed = s;
    state = s;
  }
  // Uniform draw in [0, 1).
  double next() {
    state = 6364136223846793005ULL * state + 1442695040888963407ULL;
    return static_cast<double>((state >> 32) & 0x7fffffffULL) * (1.0 / 2147483648.0);
  }
};

}  // namespace korva
