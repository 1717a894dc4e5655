// Exported functions: SAV files.
#include "env/frame.h"
#include "io/sav/sav.h"

using namespace korva;

namespace {

int write_sav_file(KRVenv env, KRVprob lp, const char* filename) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return sav::write_sav(e, p, filename);
  });
}

}  // namespace

extern "C" {

int KRVsavwrite(KRVenv env, KRVprob lp, const char* filename_str) { return write_sav_file(env, lp, filename_str); }

int KRVLsavwrite(KRVenv env, KRVprob lp, const char* filename_str) { return write_sav_file(env, lp, filename_str); }

}  // extern "C"
