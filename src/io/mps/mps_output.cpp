#include "io/mps/mps_output.h"

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

Output::Output(FileStream& stream, bool long_numbers)
    : stream_(stream), long_numbers_(long_numbers) {
  buffer_.reserve(kFlushSize + 1024);
}

Output::~Output() = default;

Output& Output::padded(std::string_view s, size_t width) {
  const std::string_view name = writable_name(s);
  buffer_.append(name);
  if (name.size() < width) buffer_.append(width - name.size(), ' ');
  return *this;
}

size_t Output::format(double value, char* text) {
  bool ok = true;
  const size_t n = long_numbers_ ? format_number(value, text, ok)
                                 : static_cast<size_t>(format_number12(value, text, ok));
  if (!ok) unrepresentable_ = true;
  return n;
}

Output& Output::raw_number(double value) {
  char text[kNumberTextSize];
  buffer_.append(text, format(value, text));
  return *this;
}

Output& Output::number(double value) {
  char text[kNumberTextSize];
  const size_t n = format(value, text);
  const size_t width = number_width();
  if (n < width) buffer_.append(width - n, ' ');
  buffer_.append(text, n);
  return *this;
}

void Output::end_line() {
  buffer_.push_back('\n');
  flush_if_full();
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
