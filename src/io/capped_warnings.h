// Warnings of the solution and MIP-start readers: the first 20 go to the
// warning channel, the rest are only counted, and one closing line says how
// many were held back, so a file full of stale names cannot flood the log.
#pragma once
#include <cstdarg>
#include <cstdint>

#include "env/channel.h"
#include "env/environment.h"

namespace korva {

class CappedWarnings {
 public:
  static constexpr int64_t kPrinted = 20;

  explicit CappedWarnings(Environment& env) : env_(env) {}
  CappedWarnings(const CappedWarnings&) = delete;
  CappedWarnings& operator=(const CappedWarnings&) = delete;

  void warn(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    if (count_++ >= kPrinted) return;
    va_list args;
    va_start(args, format);
    vmsg(env_.warning(), format, args);
    va_end(args);
  }
  // The closing line, when warnings were held back.
  void finish() {
    if (count_ > kPrinted)
      msg(env_.warning(), "%lld warnings not printed.\n", static_cast<long long>(count_ - kPrinted));
  }
  int64_t count() const { return count_; }

 private:
  Environment& env_;
  int64_t count_ = 0;
};

}  // namespace korva
