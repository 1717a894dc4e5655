#include "io/mps/mps_output.h"

#include <cstdarg>
#include <cstdio>

#include "io/mps/mps_errors.h"
#include "io/mps/mps_number.h"
#include "io/number_format.h"

namespace korva::mps {
namespace {

constexpr size_t kFlushSize = 1 << 16;
constexpr size_t kMaxName = 255;

}  // namespace

std::string_view writable_name(std::string_view name) {
  if (name.size() <= kMaxName) return name;
  size_t length = kMaxName;
  while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) --length;
  return name.substr(0, length);
}

const char* NameText::operator()(std::string_view name, size_t width) {
  const std::string_view cut = writable_name(name);
  text_.assign(cut);
  if (cut.size() < width) text_.append(width - cut.size(), ' ');
  return text_.c_str();
}

Output::Output(FileStream& stream, NumberLayout layout) : stream_(stream), layout_(layout) {
  buffer_.reserve(kFlushSize + 2048);
}

void Output::format(const char* format, ...) {
  const size_t at = buffer_.size();
  // Most lines fit the spare room; a longer one is formatted again.
  buffer_.resize(at + 1024);
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer_.data() + at, 1024, format, args);
  va_end(args);
  if (n >= 1024) {
    buffer_.resize(at + static_cast<size_t>(n) + 1);
    va_start(args, format);
    n = std::vsnprintf(buffer_.data() + at, static_cast<size_t>(n) + 1, format, args);
    va_end(args);
  }
  buffer_.resize(at + (n > 0 ? static_cast<size_t>(n) : 0));
  flush_if_full();
}

size_t Output::text_of(double value, char* text) {
  bool ok = true;
  size_t n = 0;
  switch (layout_) {
    case NumberLayout::Long: n = format_number(value, text, ok); break;
    case NumberLayout::Short: n = static_cast<size_t>(format_number12(value, text, ok)); break;
    case NumberLayout::Columns: n = static_cast<size_t>(format_shortest12(value, text, ok)); break;
  }
  text[n] = '\0';
  if (!ok) unrepresentable_ = true;
  return n;
}

NumberText Output::field(double value) {
  char text[kNumberTextSize + 8];
  text_of(value, text);
  NumberText out;
  if (layout_ == NumberLayout::Long)
    std::snprintf(out.text, sizeof out.text, "%23s", text);
  else
    std::snprintf(out.text, sizeof out.text, "%12s", text);
  return out;
}

NumberText Output::bare(double value) {
  NumberText out;
  text_of(value, out.text);
  return out;
}

void Output::flush_if_full() {
  if (buffer_.size() < kFlushSize) return;
  if (int status = stream_.write(buffer_); status && !status_) status_ = status;
  buffer_.clear();
}

int Output::finish() {
  if (!buffer_.empty())
    if (int status = stream_.write(buffer_); status && !status_) status_ = status;
  buffer_.clear();
  if (status_) return status_;
  return unrepresentable_ ? code::kUnrepresentable : 0;
}

}  // namespace korva::mps
