#include "io/mps/mps_messages.h"

#include <cstdio>
#include <string>

#include "env/channel.h"
#include "env/errors.h"

namespace korva::mps {

void MessageLog::add(Target target, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  entries_.emplace_back(target, std::move(text));
}

void MessageLog::info(const char* format, ...) {
  va_list args;
  va_start(args, format);
  add(Target::Results, format, args);
  va_end(args);
}

void MessageLog::warning(const char* format, ...) {
  va_list args;
  va_start(args, format);
  add(Target::Warning, format, args);
  va_end(args);
}

int MessageLog::error(int code, ...) {
  // error_format composes into the environment's message buffer; keep a copy
  // so that nothing printed meanwhile can overwrite it.
  const char* composed = error_format(&env_, code);
  const std::string format = composed ? composed : "";
  va_list args;
  va_start(args, code);
  add(Target::Error, format.c_str(), args);
  va_end(args);
  return -code;
}

void MessageLog::flush() {
  for (const auto& [target, text] : entries_) {
    Channel* channel = target == Target::Error     ? env_.error()
                       : target == Target::Warning ? env_.warning()
                                                   : env_.results();
    msg_text(channel, text);
  }
  entries_.clear();
}

void CappedWarning::finish(MessageLog& log) {
  if (count_ > kCap) log.warning(summary_, static_cast<long long>(count_ - kCap));
  count_ = 0;
}

}  // namespace korva::mps
