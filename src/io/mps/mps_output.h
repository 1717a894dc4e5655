// Buffered text output of the MPS writers: lines are formatted in memory
// and handed to the file stream in large pieces, and every number goes
// through the layout KRV_PARAM_MPSLONGNUM selects.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "io/stream.h"

namespace korva::mps {

// Cuts a name to the 255 bytes a file may hold, at a UTF-8 boundary.
std::string_view writable_name(std::string_view name);

enum class NumberLayout {
  Long,   // 15 significant digits, right-justified in 23 characters
  Short,  // fitted into 12 characters by magnitude, right-justified in 12
  // The classical column layout, for models whose names hold blanks and so
  // can only be read back by columns: each number in 12 characters, as the
  // shortest text that reads back to the same double when it fits.
  Columns,
};

// Text of one number, NUL-terminated.
struct NumberText {
  char text[48];
  const char* c_str() const { return text; }
};

class Output {
 public:
  Output(FileStream& stream, NumberLayout layout);
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // printf into the buffer (the library's messages are composed in the C
  // locale, and the formats here hold no locale-dependent conversions).
  void format(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // The number right-justified in its field ("%23s" or "%12s").
  NumberText field(double value);
  // The number alone.
  NumberText bare(double value);

  NumberLayout layout() const { return layout_; }
  size_t number_width() const { return layout_ == NumberLayout::Long ? 23 : 12; }
  // Passes everything to the stream. 0, or the first error: the stream's,
  // else 1650 when some number had no decimal form.
  int finish();

 private:
  size_t text_of(double value, char* text);
  void flush_if_full();
  FileStream& stream_;
  NumberLayout layout_;
  bool unrepresentable_ = false;
  int status_ = 0;
  std::string buffer_;
};

// NUL-terminated copies of names for the formats, padded on the right to a
// width; the storage is reused from line to line.
class NameText {
 public:
  const char* operator()(std::string_view name, size_t width = 0);

 private:
  std::string text_;
};

}  // namespace korva::mps
