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
  size_t length = 0;
  if ((status_ = stream_.read_line(buffer_.get(), kBufferSize, length))) return false;
  if (length == 0) return false;
  ++number_;
  if (buffer_[length - 1] == '\n') {
    --length;
  } else {
    // Without its newline the line filled the buffer, unless it is the
    // last line of the file.
    char probe[8];
    size_t more = 0;
    if ((status_ = stream_.read_line(probe, sizeof probe, more))) return false;
    if (more != 0) {
      status_ = log_.error(code::kLineTooLong, number_, kLineLimit);
      return false;
    }
  }
  if (length > 0 && buffer_[length - 1] == '\r') --length;
  line = std::string_view(buffer_.get(), length);
  return true;
}

}  // namespace korva::mps
