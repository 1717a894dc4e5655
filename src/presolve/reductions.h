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

// Sets the codes of substituted columns (-2) and of inequality rows that
// went into a parallel row which is an equality in the reduced problem
// (-3). Call once the maps and the reduced problem exist.
void apply_map_codes(const Problem& original, PresolveRecord& rec);

}  // namespace korva::presolve
