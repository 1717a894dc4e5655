#include "mip/heuristics/heuristic_state.h"

#include <cstddef>

namespace korva::mip {

namespace {
// Each member's weight is its successes plus this.
constexpr int64_t kBaseWeight = 3;
// The dive (member 4) stops running once the rounding with propagation
// (member 2) has found this many solutions: it finds them cheaper.
constexpr int64_t kDiveRetirement = 200;
// Solutions kept for crossover.
constexpr size_t kRecentSolutions = 4;
}  // namespace

void HeuristicState::start(uint32_t seed, double now) {
  random.reseed(seed);
  successes.fill(0);
  unsuccessful_runs = 0;
  last_message_time = now;
  next_group_node = 0;
  next_rins_node = 0;
  heuristic_iterations = 0;
  incumbent_seen = std::numeric_limits<double>::infinity();
  automatic_dive = 0;
  pump_ran = false;
  recent.clear();
}

void HeuristicState::remember(const std::vector<double>& x) {
  if (recent.size() == kRecentSolutions) recent.erase(recent.begin());
  recent.push_back(x);
}

void draw_weighted_group(HeuristicState& state, bool full, std::array<bool, kWeightedGroupSize>& runs) {
  double total = 0.0;
  for (int64_t s : state.successes) total += static_cast<double>(s + kBaseWeight);
  for (int i = 0; i < kWeightedGroupSize; ++i) {
    const double u = state.random.next();
    runs[i] = full || u < static_cast<double>(state.successes[i] + kBaseWeight) / total;
  }
  if (state.successes[1] > kDiveRetirement) runs[3] = false;
}

}  // namespace korva::mip
