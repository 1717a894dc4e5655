// Concurrent optimisation (KRV_PARAM_LPMETHOD 6): the dual and the primal
// simplex race on separate copies of the problem in worker clone
// environments; the first to finish wins, stops the others, and its
// solution becomes the problem's.
#pragma once
#include "model/problem.h"

namespace korva::simplex {

int concurrent_optimize(Environment& env, Problem& p);

}  // namespace korva::simplex
