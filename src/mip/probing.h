// Probing on binary columns at the root: each binary is set to 0 and to 1
// in turn and the bounds propagated. A side that cannot hold fixes the
// column at the other; a bound both sides imply holds for every solution;
// a binary that one side fixes gives an implication, which goes into the
// clique table as a pair of literals that cannot both be true.
#pragma once
#include <cstdint>

#include "env/environment.h"
#include "mip/clique_table.h"
#include "mip/mip_model.h"
#include "mip/search_settings.h"

namespace korva::mip {

struct ProbingOutcome {
  int64_t fixed = 0;      // binaries fixed
  int64_t tightened = 0;  // other bounds tightened
  int64_t implications = 0;
};

// Tightens the bounds of `model` (the search's copy) and adds the
// implications to `cliques`. Writes the progress and summary lines when
// the display is on.
ProbingOutcome probe(Environment& env, MipModel& model, const SearchSettings& settings, CliqueTable& cliques);

}  // namespace korva::mip
