// Exported functions: solution files and pool members written as XML.
#include "env/frame.h"
#include "io/solution_files.h"

using namespace korva;

extern "C" {

int KRVsolwrite(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return write_solution_file(e, p, filename_str);
  });
}

int KRVsolwritesolnpool(KRVenv env, KRVprob lp, int soln, const char* filename_str) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return write_pool_solution_file(e, p, soln, filename_str);
  });
}

int KRVsolwritesolnpoolall(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return write_pool_file(e, p, filename_str);
  });
}

int KRVmstwritesolnpoolall(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return write_pool_mip_starts_file(e, p, filename_str);
  });
}

}  // extern "C"
