// Exported functions: basis files.
#include "env/frame.h"
#include "io/basis_file.h"

using namespace korva;

extern "C" {

int KRVmbasewrite(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return write_basis_file(e, p, filename_str);
  });
}

int KRVreadcopybase(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return read_basis_file(e, p, filename_str);
  });
}

}  // extern "C"
