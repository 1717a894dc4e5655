// Where the panels of a left-looking factorisation live while they are
// needed. A supernode's panel is needed from the moment it is factored until
// its last target is factored; the plan places every panel in one working
// array so that panels alive at the same time never overlap, and reuses the
// space of panels that are done.
#pragma once
#include <cstdint>
#include <vector>

#include "barrier/linalg/symbolic_factor.h"

namespace korva::barrier {

struct PanelPlan {
  std::vector<int> last_use;      // by supernode: the last supernode its panel updates (itself when none)
  std::vector<int64_t> offset;    // by supernode: where its panel sits in the working array
  int64_t working_doubles = 0;    // size of the working array the placement needs
  int64_t peak_live_doubles = 0;  // largest total of panels alive at once (a lower bound of the above)
};

// Plans the factorisation of supernodes in their order 0, 1, ...
PanelPlan plan_panels(const SymbolicFactor& s);

}  // namespace korva::barrier
