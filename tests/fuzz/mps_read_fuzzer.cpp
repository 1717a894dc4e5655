// Feeds arbitrary bytes to the MPS reader through KRVreadcopyprob: no input
// may crash it, leak, or touch memory it does not own.
//
//   mkdir corpus && for m in afiro sc50a boeing2 forplan; do
//     zcat ../shared/data/netlib/$m.mps.gz > corpus/$m.mps; done
//   <clang build>/tests/fuzz/mps_read_fuzzer -dict=tests/fuzz/mps.dict corpus
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
      "/tmp/korva_mps_fuzz_" + std::to_string(static_cast<long long>(getpid())) + ".mps";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "fuzz");
  KRVreadcopyprob(env, lp, path.c_str(), "MPS");
  KRVfreeprob(env, &lp);
  return 0;
}
