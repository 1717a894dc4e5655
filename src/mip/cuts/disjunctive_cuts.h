// Lift-and-project cuts: for an integer column k fractional at the LP
// point x*, the split x_k <= ⌊x*_k⌋ ∨ x_k >= ⌈x*_k⌉ holds at every
// integer-feasible point, so any inequality valid for both halves of the
// LP relaxation is valid for the model. The most violated such inequality
// at x* (in the normalised sense) comes from a cut-generating LP solved by
// the library's own simplex (cut_generating_lp.h); the cut is rebuilt
// from its multipliers with a margin so that an inexact solve cannot make
// it invalid.
#pragma once
#include <vector>

#include "mip/cuts/cut.h"
#include "model/problem.h"

namespace korva::mip {

// Separates cuts over the relaxation made of the first `rows` rows and the
// global bounds of `in`, for at most `max_candidates` fractional integer
// columns (the most fractional first). `display` is the search's display
// level: at 1 and above the separator says how far it got every 10 seconds,
// and says so when memory runs short. Nothing is done when the
// cut-generating LP would be too large. Returns 0 or an error code of the
// LP solves.
int separate_disjunctive(Environment& env, const SeparationInput& in, int rows, int max_candidates, int display,
                         std::vector<Cut>& out);

}  // namespace korva::mip
