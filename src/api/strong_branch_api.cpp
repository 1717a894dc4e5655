// Exported function: strong branching on an LP, through the optimiser
// entry with a team of up to one thread per listed column.
#include "env/optimizer_entry.h"
#include "simplex/strong_branch.h"

using namespace korva;

extern "C" {

KRVAPI int KRVstrongbranch(KRVenv env, KRVprob lp, const int* indices, int cnt, double* downobj, double* upobj,
                           int itlim) {
  return optimizer_entry(
      env, lp, [cnt](Environment& e, Problem&) { return simplex::strong_branch_thread_count(e, cnt); },
      [=](Environment& e, Problem& p) { return simplex::strong_branch(e, p, indices, cnt, downobj, upobj, itlim); });
}

}  // extern "C"
