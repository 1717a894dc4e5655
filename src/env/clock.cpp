#include "env/clock.h"

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdint>

namespace korva {

double cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  // Sum in 100 ns units, as the time-limit arithmetic expects.
  const int64_t units = (static_cast<int64_t>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) *
                         10000000) +
                        (static_cast<int64_t>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 10);
  return static_cast<double>(units) * 1e-7;
}

double wall_seconds() {
  using namespace std::chrono;
  static const auto first = steady_clock::now();
  const auto ms = duration_cast<milliseconds>(steady_clock::now() - first).count();
  return static_cast<double>(static_cast<uint32_t>(ms)) / 1000.0;
}

}  // namespace korva
