// Exported functions: priority-order files.
#include "env/frame.h"
#include "io/order_file.h"

using namespace korva;

namespace {

int read_order(KRVenv env, KRVprob lp, const char* filename) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return read_order_file(e, p, filename);
  });
}

}  // namespace

extern "C" {

int KRVordwrite(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return write_order_file(e, p, filename_str);
  });
}

int KRVreadcopyorder(KRVenv env, KRVprob lp, const char* filename_str) {
  return read_order(env, lp, filename_str);
}

int KRVordread(KRVenv env, KRVprob lp, const char* filename_str) {
  return read_order(env, lp, filename_str);
}

}  // extern "C"
