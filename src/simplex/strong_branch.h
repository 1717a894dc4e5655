// KRVstrongbranch: the LP is solved by the dual simplex (as KRVdualopt
// solves it), then each listed column gets a down and an up branch tried
// from the optimal basis by a limited dual simplex run (branch_trials.h).
// The trials are shared out over the environment's thread team, each
// thread on its own copy of the problem; the problem itself keeps the
// solution and basis of the LP solve.
#pragma once
#include "model/problem.h"

namespace korva::simplex {

// Threads of the entry's team: min(KRV_PARAM_THREADS when set, the
// maximum thread count), and no more than there are columns to try.
int strong_branch_thread_count(Environment& env, int count);

// 0 or an error code (not reported); see KRVstrongbranch in korva.h.
int strong_branch(Environment& env, Problem& p, const int* indices, int count, double* downobj,
                  double* upobj, int itlim);

}  // namespace korva::simplex
