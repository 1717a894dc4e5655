// Feeds arbitrary bytes to the SAV reader through KRVreadcopyprob: no input
// may crash it, leak, or touch memory it does not own.
//
//   mkdir corpus && cp tests/fuzz/seeds/sav/* corpus/
//   <clang build>/tests/fuzz/sav_read_fuzzer corpus
#include <korva/korva.h>

#include <cstdint>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static KRVenv env = fuzz::quiet_environment();
  static const std::string path = fuzz::input_path("sav", ".sav");
  if (!fuzz::write_input(path, data, size)) return 0;
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "fuzz");
  KRVreadcopyprob(env, lp, path.c_str(), "SAV");
  KRVfreeprob(env, &lp);
  return 0;
}
