// Probing on binary columns at the root: each binary is set to 0 and to 1
// in turn and the bounds propagated. A side that cannot hold fixes the
// column at the other; a bound both sides imply holds for every solution;
// a binary that one side fixes gives an implication, which goes into the
// clique table as a pair of literals that cannot both be true; a bound one
// side implies on another column is kept for implied bound cuts. A row
// side whose rest cannot reach it while the binary is at one value gets a
// smaller coefficient on the binary (or the binary as a new entry), and a
// row side that both values hold at its limit becomes an equality.
#pragma once
#include <functional>
#include <cstdint>
#include <vector>

#include "env/environment.h"
#include "mip/clique_table.h"
#include "mip/mip_model.h"
#include "mip/search_settings.h"

namespace korva::mip {

// x_binary = value implies x_col <= bound (upper) or x_col >= bound.
struct ImpliedBound {
  int binary;
  bool value;
  int col;
  double bound;
  bool upper;
};

struct ProbingOutcome {
  int64_t fixed = 0;      // binaries fixed
  int64_t tightened = 0;  // other bounds tightened
  int64_t implications = 0;
  int64_t coefficients = 0;       // coefficients changed or added
  int64_t nonzeros_removed = 0;   // of those, the ones that became 0
  int64_t nonzeros_added = 0;     // and those new to their row
  int64_t senses_changed = 0;     // inequalities found to be equalities
  std::vector<ImpliedBound> implied_bounds;
  bool aborted = false;  // `keep_going` said no
};

// Tightens the bounds, coefficients and senses of the first `rows` rows of
// `model` (the search's copy) and adds the implications to `cliques`.
// Writes the progress and summary lines when the display is on.
// `keep_going`, when given, is asked at most every half second whether to
// go on (an informational callback behind it may stop the search).
ProbingOutcome probe(Environment& env, MipModel& model, int rows, const SearchSettings& settings,
                     CliqueTable& cliques, const std::function<bool()>& keep_going = {});

}  // namespace korva::mip
