#include "mip/heuristics/heuristic_sequence.h"

#include <algorithm>

#include "env/channel.h"
#include "env/time_limit.h"
#include "mip/heuristics/dispatcher.h"
#include "mip/heuristics/heuristic_support.h"

namespace korva::mip {

namespace {

// Seconds between "Heuristic still looking." messages.
constexpr double kStillLookingInterval = 10.0;
// Without incumbent: a cutoff at or beyond this is none.
constexpr double kNoCutoff = 1e75;
// Step 4's identifiers, in order.
constexpr int kWithoutIncumbent[] = {12, 13, 14, 15, 16, 17};

}  // namespace

int HeuristicSequence::attempt(int identifier, std::vector<HeuristicSolution>& found, bool* hit) {
  std::vector<double> x;
  double objective = kInf;
  *hit = false;
  if (int code = run_heuristic(ctx_, identifier, hit, x, &objective)) return code;
  if (!*hit) return 0;
  ctx_.state.unsuccessful_runs = 0;
  if (!ctx_.incumbent || objective < ctx_.incumbent_objective) {
    best_ = x;
    ctx_.incumbent = &best_;
    ctx_.incumbent_objective = objective;
    ctx_.cutoff = std::min(ctx_.cutoff, objective);
  }
  found.push_back({std::move(x), objective, identifier});
  return 0;
}

void HeuristicSequence::still_looking() {
  if (ctx_.settings.display < 1) return;
  const double now = current_time(ctx_.env);
  if (now - ctx_.state.last_message_time <= kStillLookingInterval) return;
  ctx_.state.last_message_time = now;
  msg(ctx_.env.results(), "Heuristic still looking.\n");
  if (Channel* results = ctx_.env.results()) results->flush();
  if (Channel* log = ctx_.env.log()) log->flush();
}

int HeuristicSequence::weighted_group(bool full, std::vector<HeuristicSolution>& found) {
  std::array<bool, kWeightedGroupSize> runs{};
  draw_weighted_group(ctx_.state, full, runs);
  for (int i = 0; i < kWeightedGroupSize; ++i) {
    if (!runs[i]) continue;
    bool hit = false;
    if (int code = attempt(kFirstWeightedIdentifier + i, found, &hit)) return code;
    if (hit) ++ctx_.state.successes[i];
    else ++ctx_.state.unsuccessful_runs;
    still_looking();
  }
  return 0;
}

int HeuristicSequence::run(const SequenceOptions& options, std::vector<HeuristicSolution>& found) {
  const SearchSettings& s = ctx_.settings;
  bool hit = false;
  if (options.full && s.emphasis == 3 && options.node_record)
    if (int code = attempt(heuristic_id::kQuickRounding, found, &hit)) return code;
  if (options.full && !options.pump_forbidden && s.feasibility_pump > 0)
    if (int code = attempt(heuristic_id::kFeasibilityPump, found, &hit)) return code;
  if (int code = weighted_group(options.full, found)) return code;
  if (!options.full) return 0;
  for (int identifier : kWithoutIncumbent) {
    if (!without_incumbent() || ctx_.cutoff < kNoCutoff) break;
    if (int code = attempt(identifier, found, &hit)) return code;
  }
  if (s.binary_heuristic && without_incumbent() && pure_binary(ctx_.model))
    if (int code = attempt(heuristic_id::kPureBinary, found, &hit)) return code;
  const int end = s.end_of_root_heuristic;
  const bool end_of_root = end == 2 || (end == 1 && without_incumbent()) ||
                           (end == 0 && s.feasibility_pump >= 0 && without_incumbent());
  if (end_of_root)
    if (int code = attempt(heuristic_id::kEndOfRoot, found, &hit)) return code;
  return 0;
}

}  // namespace korva::mip
