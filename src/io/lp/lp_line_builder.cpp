#include "io/lp/lp_line_builder.h"

#include "env/channel.h"
#include "io/stream.h"

namespace korva::lp {

void LineBuilder::start(std::string_view text, size_t indent) {
  if (open_) end_line();
  line_.assign(text);
  indent_ = indent;
  open_ = true;
}

void LineBuilder::emit_line() {
  // A line never exceeds the buffer; should a piece be longer, cut it at a
  // character boundary rather than in the middle of a UTF-8 sequence.
  size_t len = line_.size();
  if (len > kLineCapacity - 1) {
    len = kLineCapacity - 1;
    while (len > 0 && (static_cast<unsigned char>(line_[len]) & 0xC0) == 0x80) --len;
  }
  buffer_.append(line_, 0, len);
  buffer_.push_back('\n');
  if (buffer_.size() >= kFlushSize || !stream_) flush();
}

void LineBuilder::piece(std::string_view text) {
  if (!open_) start({}, 0);
  if (line_.size() + text.size() >= kLineLimit && line_.size() > indent_) {
    emit_line();
    line_.assign(indent_, ' ');
    if (comment_ && !line_.empty()) line_[0] = '\\';
    else if (comment_) line_ = "\\";
  }
  line_.append(text);
}

void LineBuilder::end_line() {
  if (!open_) return;
  emit_line();
  line_.clear();
  open_ = false;
}

void LineBuilder::text(std::string_view t) {
  if (open_) end_line();
  buffer_.append(t);
  if (buffer_.size() >= kFlushSize || !stream_) flush();
}

int LineBuilder::flush() {
  if (!stream_) {
    // Messages go out line by line so that destinations see whole lines.
    if (!buffer_.empty()) msg_text(channel_, buffer_);
    buffer_.clear();
    return 0;
  }
  if (buffer_.empty()) return stream_->status();
  const int status = stream_->write(buffer_);
  buffer_.clear();
  return status;
}

}  // namespace korva::lp
