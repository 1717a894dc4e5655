// Feeds arbitrary bytes to the SAV reader through KRVreadcopyprob: no input
// may crash it, leak, or touch memory it does not own.
//
//   mkdir corpus && cp tests/fuzz/seeds/sav/* corpus/
//   <clang build>/tests/fuzz/sav_read_fuzzer corpus
#include <korva/korva.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

KRVenv open_environment() {
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  KRVsetintparam(env, KRV_PARAM_SCRIND, 0);
  return env;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static KRVenv env = open_environment();
  static const std::string path =
      "/tmp/korva_sav_fuzz_" + std::to_string(static_cast<long long>(getpid())) + ".sav";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "fuzz");
  KRVreadcopyprob(env, lp, path.c_str(), "SAV");
  KRVfreeprob(env, &lp);
  return 0;
}
