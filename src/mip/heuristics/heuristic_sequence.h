// The heuristic sequence of a node. The root asks for the full sequence:
//   1. with MIP emphasis 3 and a node record to work from, the quick
//      rounding (identifier 9);
//   2. unless the caller forbids it, the feasibility pump (10) when
//      KRV_PARAM_FPHEUR is above 0;
//   3. the weighted group (identifiers 4 to 7; every member runs);
//   4. while there is no incumbent and no cutoff below 1e75, the
//      fix-and-propagate runs 12 and 13 and the dives 14 to 17;
//   5. without incumbent on a pure binary problem, the special binary
//      heuristic (8), when its switch is on;
//   6. the end-of-root heuristic (18) by its switch: 2 always, 1 without
//      incumbent, 0 without incumbent unless the pump is switched off
//      (-1), -1 never.
// Elsewhere only the weighted group runs, each member by its draw. A
// solution found becomes the sequence's incumbent (what later steps see)
// and is handed back; an error ends the sequence.
#pragma once
#include <vector>

#include "mip/heuristics/heuristic_context.h"

namespace korva::mip {

struct SequenceOptions {
  bool full = false;            // the root's full sequence
  bool node_record = true;      // step 1 has a node to work from
  bool pump_forbidden = false;  // the caller rules out the pump (step 2)
};

struct HeuristicSolution {
  std::vector<double> x;
  double objective = 0.0;
  int identifier = 0;
};

class HeuristicSequence {
 public:
  explicit HeuristicSequence(HeuristicContext& ctx) : ctx_(ctx) {}
  HeuristicSequence(const HeuristicSequence&) = delete;
  HeuristicSequence& operator=(const HeuristicSequence&) = delete;

  // Runs the sequence; solutions found are appended to `found`. Returns 0
  // or the error of the heuristic that failed.
  int run(const SequenceOptions& options, std::vector<HeuristicSolution>& found);
  // One heuristic, its solution (if any) adopted as above; *hit tells.
  int attempt(int identifier, std::vector<HeuristicSolution>& found, bool* hit);

 private:
  int weighted_group(bool full, std::vector<HeuristicSolution>& found);
  void still_looking();
  bool without_incumbent() const { return ctx_.incumbent == nullptr; }

  HeuristicContext& ctx_;
  std::vector<double> best_;  // the best solution found here (ctx_.incumbent may point at it)
};

}  // namespace korva::mip
