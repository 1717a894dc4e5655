#include "io/mps/mps_lines.h"

#include "io/mps/mps_errors.h"

namespace korva::mps {
namespace {

// The line plus its newline and the terminator.
constexpr size_t kBufferSize = LineSource::kLineLimit + 2;

}  // namespace

LineSource::LineSource(FileStream& stream, MessageLog& log)
    : stream_(stream), log_(log), buffer_(new char[kBufferSize]) {}

bool LineSource::next(std::string_view& line) {
  if (status_) return false;
  std::string_view text;
  if ((status_ = stream_.read_line_view(kBufferSize, text))) return false;
  if (text.empty()) return false;
  ++number_;
  size_t length = text.size();
  if (text[length - 1] == '\n') {
    --length;
  } else {
    // Without its newline the line filled the buffer, unless it is the
    // last line of the file. The probe reads on, so the line is kept here.
    if (length) std::memcpy(buffer_.get(), text.data(), length);
    text = std::string_view(buffer_.get(), length);
    char probe[8];
    size_t more = 0;
    if ((status_ = stream_.read_line(probe, sizeof probe, more))) return false;
    if (more != 0) {
      status_ = log_.error(code::kLineTooLong, number_, kLineLimit);
      return false;
    }
  }
  if (length > 0 && text[length - 1] == '\r') --length;
  line = text.substr(0, length);
  return true;
}

}  // namespace korva::mps
