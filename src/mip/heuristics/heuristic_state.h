// What the heuristics of one search remember between their runs: the
// search's random sequence, the success counters of the weighted group,
// the count of unsuccessful runs, when "Heuristic still looking." was last
// written, and what the tree schedule keeps (nodes seen, iterations spent,
// the incumbent last looked at). Each worker of a search owns one, so that
// a parallel run draws the same numbers whatever the timing.
#pragma once
#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "env/random.h"

namespace korva::mip {

// The weighted group: identifiers 4 to 7, chosen by their successes.
inline constexpr int kWeightedGroupSize = 4;
inline constexpr int kFirstWeightedIdentifier = 4;

struct HeuristicState {
  Random random;
  std::array<int64_t, kWeightedGroupSize> successes{};
  int64_t unsuccessful_runs = 0;
  double last_message_time = 0.0;  // "Heuristic still looking."

  // Tree schedule (per worker).
  int64_t next_group_node = 0;         // the tree schedule's next nodes (0: not yet set)
  int64_t next_rins_node = 0;
  int64_t heuristic_iterations = 0;    // simplex iterations the heuristics spent
  double incumbent_seen = std::numeric_limits<double>::infinity();  // objective of the last incumbent looked at
  int automatic_dive = 0;              // next dive of the rotation of KRV_PARAM_DIVETYPE 0
  bool pump_ran = false;               // the feasibility pump ran in this search

  // Solutions this worker's heuristics found (newest last, a few only):
  // crossover combines them with the incumbent.
  std::vector<std::vector<double>> recent;

  // The start of a search: the random sequence from `seed`, everything
  // else cleared; `now` is the clock of the message timer.
  void start(uint32_t seed, double now);
  void remember(const std::vector<double>& x);
};

// The draws of one pass of the weighted group: total = Σ(successes_i + 3);
// member i draws u and runs when u < (successes_i + 3)/total (always in
// the full sequence); member 4 is skipped once the second member has
// succeeded more than 200 times.
void draw_weighted_group(HeuristicState& state, bool full, std::array<bool, kWeightedGroupSize>& runs);

}  // namespace korva::mip
