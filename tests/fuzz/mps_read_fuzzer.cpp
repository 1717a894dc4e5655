// Feeds arbitrary bytes to the MPS reader through KRVreadcopyprob: no input
// may crash it, leak, or touch memory it does not own.
//
//   mkdir corpus && for m in afiro sc50a boeing2 forplan; do
//     zcat ../shared/data/netlib/$m.mps.gz > corpus/$m.mps; done
//   <clang build>/tests/fuzz/mps_read_fuzzer -dict=tests/fuzz/mps.dict corpus
#include <korva/korva.h>

#include <cstdint>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static KRVenv env = fuzz::quiet_environment();
  static const std::string path = fuzz::input_path("mps", ".mps");
  if (!fuzz::write_input(path, data, size)) return 0;
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "fuzz");
  KRVreadcopyprob(env, lp, path.c_str(), "MPS");
  KRVfreeprob(env, &lp);
  return 0;
}
