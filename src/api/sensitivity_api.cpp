// Exported functions: sensitivity ranges of an optimal LP basis.
#include "env/frame.h"
#include "simplex/sensitivity/sensitivity.h"

using namespace korva;

extern "C" {

KRVAPI int KRVobjsa(KRVenv env, KRVprob lp, int begin, int end, double* lower, double* upper) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return simplex::objective_ranges(e, p, begin, end, lower, upper);
  });
}

KRVAPI int KRVrhssa(KRVenv env, KRVprob lp, int begin, int end, double* lower, double* upper) {
  return api::call(env, lp, api::kInfoCallbackOk,
                   [&](Environment& e, Problem& p) { return simplex::rhs_ranges(e, p, begin, end, lower, upper); });
}

KRVAPI int KRVboundsa(KRVenv env, KRVprob lp, int begin, int end, double* lblower, double* lbupper,
                      double* ublower, double* ubupper) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return simplex::bound_ranges(e, p, begin, end, lblower, lbupper, ublower, ubupper);
  });
}

}  // extern "C"
