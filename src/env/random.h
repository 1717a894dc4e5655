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

// A run that must not depend on earlier draws (a simplex run) restarts the
// sequence from the seed and hands the caller's sequence back afterwards.
class RestartedRandom {
 public:
  explicit RestartedRandom(Random& r) : random_(r), saved_(r.state) { random_.state = random_.seed; }
  ~RestartedRandom() { random_.state = saved_; }
  RestartedRandom(const RestartedRandom&) = delete;
  RestartedRandom& operator=(const RestartedRandom&) = delete;

 private:
  Random& random_;
  uint64_t saved_;
};

}  // namespace korva
