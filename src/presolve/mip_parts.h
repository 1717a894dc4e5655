// The parts of a mixed-integer problem beyond its rows, carried into the
// reduced problem: column types (integer columns whose bounds became
// [0, 1] turn binary, implied integers turn integer), special ordered
// sets, indicator constraints, user cuts and lazy constraints. Their
// columns are frozen during presolve, so renumbering is all they need.
#pragma once
#include "presolve/presolve_record.h"
#include "presolve/presolve_work.h"

namespace korva::presolve {

int carry_mip_parts(Environment& env, const Problem& original, const PresolveWork& w, const PresolveRecord& rec,
                    Problem& reduced);

}  // namespace korva::presolve
