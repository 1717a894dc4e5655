// Where the panels of a left-looking factorisation live while they are
// needed. A supernode's panel is needed from the moment it is factored until
// its last target is factored; the plan places every panel in one working
// array so that panels alive at the same time never overlap, and reuses the
// space of panels that are done.
//
// Parts of a panel retire earlier: its own columns' rows once it is
// factored, the rows falling in a target's columns once that target is
// factored (later targets use only the rows below). When the rows still
// needed fill at most three quarters of what a panel holds, they are packed
// to the front of its place (column-major, leading dimension the rows kept)
// and the rest of the place is freed, so normal matrices, whose panels
// nearly all reach the dense last supernode, do not keep whole panels until
// the end.
#pragma once
#include <cstdint>
#include <vector>

#include "barrier/linalg/symbolic_factor.h"

namespace korva::barrier {

// After a step, a supernode's panel keeps only its rows from `first_row` on
// (positions in its row list), packed at the front of its place.
struct PanelTrim {
  int supernode = 0;
  int first_row = 0;
};

struct PanelPlan {
  std::vector<int> last_use;      // by supernode: the last supernode its panel updates (itself when none)
  std::vector<int64_t> offset;    // by supernode: where its panel sits
  // After supernode t is factored, the panels whose last use is t retire,
  // then the panels of trims[trim_start[t] .. trim_start[t + 1]) shrink.
  std::vector<int64_t> trim_start;
  std::vector<PanelTrim> trims;
  int64_t working_doubles = 0;    // size of the working array the placement needs
  int64_t peak_live_doubles = 0;  // largest total of live panel parts at once (a lower bound of the above)
};

// Plans the factorisation of supernodes in their order 0, 1, ...
PanelPlan plan_panels(const SymbolicFactor& s);

}  // namespace korva::barrier
