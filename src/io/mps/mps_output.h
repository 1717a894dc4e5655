// Buffered text output of the MPS writers: lines are composed in memory
// and handed to the file stream in large pieces, and every number goes
// through the layout KRV_PARAM_MPSLONGNUM selects.
#pragma once
#include <string>
#include <string_view>

#include "io/stream.h"

namespace korva::mps {

// Cuts a name to the 255 bytes a file may hold, at a UTF-8 boundary.
std::string_view writable_name(std::string_view name);

class Output {
 public:
  // `long_numbers`: 15 significant digits in 23 characters; otherwise 12
  // characters.
  Output(FileStream& stream, bool long_numbers);
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  Output& text(std::string_view s) {
    buffer_.append(s);
    return *this;
  }
  Output& padded(std::string_view s, size_t width);  // left-justified
  Output& number(double value);                      // right-justified in the number field
  Output& raw_number(double value);                  // no padding
  void end_line();

  size_t number_width() const { return long_numbers_ ? 23 : 12; }
  // Passes everything to the stream. 0, or the first error: the stream's,
  // else 1650 when some number had no decimal form.
  int finish();

 private:
  void flush_if_full();
  size_t format(double value, char* text);  // into kNumberTextSize bytes
  FileStream& stream_;
  bool long_numbers_;
  bool unrepresentable_ = false;
  int status_ = 0;
  std::string buffer_;
};

}  // namespace korva::mps
