// The reduction rules and the passes that apply them to the working copy.
#pragma once
#include "env/environment.h"
#include "presolve/presolve_work.h"

namespace korva::presolve {

// Runs the passes. Returns 0, or the presolve code that ends presolve:
// 1117 infeasible, 1101 infeasible or unbounded. Proof messages go to the
// results channel when `settings.messages` is on and the item has a name.
int run_reductions(Environment& env, const Problem& original, PresolveWork& w,
                   const PresolveSettings& settings);

}  // namespace korva::presolve
