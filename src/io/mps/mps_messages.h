// Messages of one attempt to read an MPS file. They are held back and
// printed only once the reader knows which attempt stands: a file that
// fails as free format may still read by fixed columns, and then the free
// attempt's error must not appear.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "env/environment.h"

namespace korva::mps {

class MessageLog {
 public:
  explicit MessageLog(Environment& env) : env_(env) {}

  // Results channel (informational lines of the reader).
  void info(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Warning channel.
  void warning(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The error line of `code` filled with the arguments, as the library's
  // report routine would print it. Returns -code: the code counts as
  // printed, because flush() prints it.
  int error(int code, ...);

  // Prints the held messages in order and forgets them.
  void flush();
  void clear() { entries_.clear(); }

  Environment& env() { return env_; }

 private:
  enum class Target : uint8_t { Results, Warning, Error };
  void add(Target target, const char* format, va_list args);

  Environment& env_;
  std::vector<std::pair<Target, std::string>> entries_;
};

// One kind of repeated warning: the first kCap are printed, the rest only
// counted, and finish() prints the count of the suppressed ones.
class CappedWarning {
 public:
  static constexpr int64_t kCap = 20;
  explicit CappedWarning(const char* summary_format) : summary_(summary_format) {}
  // True when this occurrence is to be printed.
  bool admit() { return ++count_ <= kCap; }
  void finish(MessageLog& log);

 private:
  const char* summary_;  // printf format with one %lld
  int64_t count_ = 0;
};

}  // namespace korva::mps
