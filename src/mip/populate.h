// KRVpopulate: fills the solution pool. The first phase is an ordinary
// MIP optimisation (skipped when the problem's last search already
// finished with an optimum); what it used is charged to the limits; the
// second phase enumerates the solutions the pool keeps, pruning against
// the pool's cutoff instead of the incumbent's, until the populate limit,
// another limit, or the end of the tree.
#pragma once
#include "model/problem.h"

namespace korva::mip {

int populate(Environment& env, Problem& p);

}  // namespace korva::mip
