// What every harness needs: a quiet environment, kept for the whole run,
// and the input bytes written to a file of this process that the reader
// under test opens.
#pragma once
#include <korva/korva.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzz {

inline KRVenv quiet_environment() {
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  KRVsetintparam(env, KRV_PARAM_SCRIND, 0);
  return env;
}

// "/tmp/korva_<stem>_fuzz_<pid><extension>"
inline std::string input_path(const char* stem, const char* extension) {
  return std::string("/tmp/korva_") + stem + "_fuzz_" + std::to_string(static_cast<long long>(getpid())) + extension;
}

// Writes `size` bytes to `path`; false when the file cannot be written.
inline bool write_input(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  return true;
}

}  // namespace fuzz
