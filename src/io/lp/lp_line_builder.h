// Lines of the LP writer: pieces (a signed term, a sense with its
// right-hand side, a bracket) are appended to the current line, which is
// written out before a piece would take it to 80 characters; continuation
// lines start with the indent in blanks (or with '\' in comment mode).
// The lines go to a file stream (the LP writer) or to a message channel
// (the display of a problem's parts), so both share the section printers.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

struct krv_channel_s;

namespace korva {
class FileStream;
}

namespace korva::lp {

class LineBuilder {
 public:
  explicit LineBuilder(FileStream& out) : stream_(&out) { buffer_.reserve(kFlushSize + 4096); }
  explicit LineBuilder(krv_channel_s& out) : channel_(&out) {}
  ~LineBuilder() { flush(); }

  // Starts a line with `text`; continuation lines are indented by `indent`.
  void start(std::string_view text, size_t indent);
  // Appends a piece, wrapping first when the line would get too long.
  void piece(std::string_view text);
  // Ends the current line.
  void end_line();
  // Writes whole text (headings, comments) outside the line logic.
  void text(std::string_view t);
  void set_comment_mode(bool on) { comment_ = on; }
  // Hands everything written so far to the stream or channel. Returns the
  // stream's status (0 for a channel).
  int flush();

 private:
  static constexpr size_t kLineLimit = 80;
  static constexpr size_t kLineCapacity = 2048;
  static constexpr size_t kFlushSize = 1 << 16;
  void emit_line();

  FileStream* stream_ = nullptr;
  krv_channel_s* channel_ = nullptr;
  std::string line_;
  size_t indent_ = 0;
  bool comment_ = false;
  bool open_ = false;
  std::string buffer_;  // finished lines not yet handed to the stream
};

}  // namespace korva::lp
