// Exported functions: MIP-start files, and solution files read into a MIP
// as its starts.
#include "env/frame.h"
#include "io/mip_start_files.h"
#include "io/solution_files.h"
#include "model/model.h"

using namespace korva;

namespace {

int read_starts(KRVenv env, KRVprob lp, const char* filename, StartFileRead how) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return read_mip_start_file(e, p, filename, how);
  });
}

}  // namespace

extern "C" {

int KRVreadcopymipstarts(KRVenv env, KRVprob lp, const char* filename_str) {
  return read_starts(env, lp, filename_str, StartFileRead::AllStarts);
}

int KRVreadcopymipstart(KRVenv env, KRVprob lp, const char* filename_str) {
  return read_starts(env, lp, filename_str, StartFileRead::FirstStart);
}

// A continuous problem takes the solution as its advanced start, a MIP as
// its MIP starts.
int KRVreadcopysol(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, api::kNone, [&](Environment& e, Problem& p) {
    return read_solution_file(e, p, filename_str);
  });
}

int KRVwritemipstarts(KRVenv env, KRVprob lp, const char* filename_str, int begin, int end) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return write_mip_start_range(e, p, "KRVwritemipstarts", filename_str, begin, end);
  });
}

int KRVmstwrite(KRVenv env, KRVprob lp, const char* filename_str) {
  return api::call(env, lp, api::kInfoCallbackOk, [&](Environment& e, Problem& p) {
    return write_mip_start_file(e, p, filename_str);
  });
}

}  // extern "C"
