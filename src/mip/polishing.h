// Solution polishing: once the tree search stops (at a polishing start
// condition or with a polishing time), the incumbent is improved by
// nested searches on neighbourhoods of it — integer columns fixed at
// their incumbent values at random, the share fixed adapting to how the
// last neighbourhood went — until the time is spent, the neighbourhoods
// stop paying or one as large as the whole model proves the incumbent
// optimal.
#pragma once
#include <functional>
#include <vector>

#include "mip/mip_model.h"
#include "mip/search_record.h"

namespace korva::mip {

struct PolishOutcome {
  int error = 0;
  bool time_limit = false;  // the caller's time limit ended polishing
  bool proved = false;      // no better solution exists
  int improvements = 0;
};

// `record` holds the incumbent in `model`'s columns; improvements replace
// it when `holds` accepts them. `seconds`: the polishing time (1e75 for
// as long as the time limit allows).
PolishOutcome polish_incumbent(Environment& env, const MipModel& model, MipSearchRecord& record, double seconds,
                               long long node_limit,
                               const std::function<bool(const std::vector<double>&)>& holds);

}  // namespace korva::mip
