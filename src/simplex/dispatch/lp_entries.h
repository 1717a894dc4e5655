// The inner work of the continuous optimiser entries (src/api/
// optimizer_api.cpp wraps them in optimizer_entry). Each returns 0 or an
// error code not yet reported.
#pragma once
#include "model/problem.h"

namespace korva::simplex {

int lp_optimize(Environment& env, Problem& p);      // KRVlpopt
int primal_optimize(Environment& env, Problem& p);  // KRVprimopt
int dual_optimize(Environment& env, Problem& p);    // KRVdualopt
int barrier_optimize(Environment& env, Problem& p, int crossover);  // KRVbaropt, KRVhybbaropt
int hybrid_network_optimize(Environment& env, Problem& p, int method);  // KRVhybnetopt
int qp_optimize(Environment& env, Problem& p);      // KRVqpopt
int sift_optimize(Environment& env, Problem& p);    // KRVsiftopt

// Thread choice of KRVlpopt: a team when the method (by parameter or by
// the automatic rule) is concurrent or barrier.
bool lp_entry_wants_team(Environment& env, Problem& p);

}  // namespace korva::simplex
