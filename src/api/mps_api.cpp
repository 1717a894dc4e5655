// Exported functions: the MPS writers.
#include "env/frame.h"
#include "io/mps/mps.h"

using namespace korva;

extern "C" {

KRVAPI int KRVmpswrite(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return mps::write_mps(e, p, filename_str, false);
  });
}

KRVAPI int KRVmpsrewrite(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return mps::write_mps(e, p, filename_str, true);
  });
}

KRVAPI int KRVdualwrite(KRVenv env, KRVprob lp, const char* filename_str, double* objshift_p) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return mps::write_dual_mps(e, p, filename_str, objshift_p);
  });
}

}  // extern "C"
