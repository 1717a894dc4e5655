// Exported functions: reading and writing model files.
#include "env/frame.h"
#include "io/dispatch.h"
#include "io/lp/lp_writer.h"

using namespace korva;

namespace {

int read_copy(KRVenv env, KRVprob lp, const char* filename, const char* filetype) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    if (!filename) return err::kNullPointer;
    return read_model_file(e, p, filename, filetype);
  });
}

int write_prob(KRVenv env, KRVprob lp, const char* filename, const char* filetype) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    if (!filename) return err::kNoFileName;
    return write_model_file(e, p, filename, filetype);
  });
}

int write_lp_file(KRVenv env, KRVprob lp, const char* filename, lp::NameMode mode) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return lp::write_lp(e, p, filename, mode);
  });
}

}  // namespace

extern "C" {

int KRVreadcopyprob(KRVenv env, KRVprob lp, const char* filename_str, const char* filetype_str) {
  return read_copy(env, lp, filename_str, filetype_str);
}

int KRVLreadcopyprob(KRVenv env, KRVprob lp, const char* filename_str, const char* filetype_str) {
  return read_copy(env, lp, filename_str, filetype_str);
}

int KRVwriteprob(KRVenv env, KRVprob lp, const char* filename_str, const char* filetype_str) {
  return write_prob(env, lp, filename_str, filetype_str);
}

int KRVLwriteprob(KRVenv env, KRVprob lp, const char* filename_str, const char* filetype_str) {
  return write_prob(env, lp, filename_str, filetype_str);
}

int KRVlpwrite(KRVenv env, KRVprob lp, const char* filename_str) {
  return write_lp_file(env, lp, filename_str, lp::NameMode::kOwn);
}

int KRVlprewrite(KRVenv env, KRVprob lp, const char* filename_str) {
  return write_lp_file(env, lp, filename_str, lp::NameMode::kGeneric);
}

}  // extern "C"
