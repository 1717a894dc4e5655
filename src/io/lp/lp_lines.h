// Logical lines of an LP file. Lines are read into a buffer of 40,044
// bytes; a longer line is cut at its last sign and the rest is carried over
// to the next logical line (with the same line number), which is why
// expressions may continue from one line to the next anywhere a sign is.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct krv_env_s;

namespace korva {
class FileStream;
using Environment = krv_env_s;
}  // namespace korva

namespace korva::lp {

inline constexpr size_t kLineBufferSize = 40044;

class LineSource {
 public:
  LineSource(Environment& env, FileStream& stream);

  // Reads the next logical line; `got` is false at the end of the file.
  // Returns 0 or a printed (negative) error code.
  int next(bool& got);

  int64_t line_number() const { return shown_line_; }
  // The logical line as read (no newline), and whether it continues a line
  // cut in the middle (such text is never a section keyword).
  std::string_view raw() const { return {text_, length_}; }
  bool continuation() const { return continuation_; }

  // Makes `text` the current line, as if read with this number (a line read
  // again in interactive mode). The file position is not affected.
  void inject(std::string_view text, int64_t line, bool continuation);

  enum class Blanks { kRemove, kSeparate };
  // The line from `offset` up to its end of line (newline, comment,
  // NUL...), invalid characters skipped with a warning, and blanks removed
  // or collapsed to single separators (trimmed at both ends).
  std::string_view content(Blanks blanks, size_t offset = 0);

 private:
  int skip_rest_of_physical_line();

  Environment& env_;
  FileStream& stream_;
  std::string buffer_;
  size_t length_ = 0;
  size_t carry_ = 0;  // carried bytes stored at carry_at_
  size_t carry_at_ = 0;
  bool mid_line_ = false;  // the stream is inside a physical line
  bool eof_ = false;
  bool continuation_ = false;
  int64_t line_number_ = 0;  // physical lines read from the file
  int64_t shown_line_ = 0;   // number of the current line
  const char* text_ = nullptr;
  std::string injected_;
  std::string compact_;
};

}  // namespace korva::lp
