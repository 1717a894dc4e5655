#include "io/lp/lp_lines.h"

#include <cstring>

#include "env/channel.h"
#include "env/environment.h"
#include "env/errors.h"
#include "io/lp/lp_chars.h"
#include "io/stream.h"

namespace korva::lp {
namespace {

constexpr int kLineTooLong = 1464;  // "Line %lld: Identifier/name too long to process"

// Where a full buffer is cut: before the last sign that does not belong to
// an exponent (1e-5), a sense (<=-3) or an arrow (->), so that the two
// pieces still read as the same expression. 0 when there is none.
size_t cut_position(const char* s, size_t n) {
  for (size_t i = n; i-- > 1;) {
    if (!has(s[i], kSign)) continue;
    const char prev = s[i - 1];
    if (has(prev, kSense)) continue;
    if ((prev == 'e' || prev == 'E') && i >= 2 && (has(s[i - 2], kDigit) || s[i - 2] == '.'))
      continue;
    return i;
  }
  return 0;
}

}  // namespace

LineSource::LineSource(Environment& env, FileStream& stream) : env_(env), stream_(stream) {
  buffer_.resize(kLineBufferSize);
  text_ = buffer_.data();
  compact_.reserve(kLineBufferSize);
}

int LineSource::skip_rest_of_physical_line() {
  char scratch[256];
  while (mid_line_) {
    size_t n = 0;
    if (int status = stream_.read_line(scratch, sizeof scratch, n))
      return report_error(&env_, status) ? -status : 0;
    if (n == 0) {
      eof_ = true;
      mid_line_ = false;
    } else if (scratch[n - 1] == '\n') {
      mid_line_ = false;
    }
  }
  return 0;
}

int LineSource::next(bool& got) {
  got = false;
  char* buf = buffer_.data();
  size_t len = 0;
  continuation_ = carry_ > 0;
  if (carry_ > 0) {
    std::memmove(buf, buf + carry_at_, carry_);
    len = carry_;
    carry_ = 0;
  } else if (eof_) {
    return 0;
  }
  // The rest of the physical line, as far as it fits.
  while (len + 1 < kLineBufferSize && (continuation_ ? mid_line_ : true)) {
    size_t n = 0;
    if (int status = stream_.read_line(buf + len, kLineBufferSize - len, n)) {
      report_error(&env_, status);
      return -status;
    }
    if (n == 0) {
      eof_ = true;
      mid_line_ = false;
      break;
    }
    len += n;
    if (buf[len - 1] == '\n') {
      mid_line_ = false;
      break;
    }
    mid_line_ = true;
    if (!stream_.wrapped()) continue;
    // Standard input hands out short pieces; a piece that is not full ends
    // the interactive line.
    if (len + 5 < kLineBufferSize) continue;
    break;
  }
  if (len == 0 && !continuation_) return 0;
  if (!continuation_) ++line_number_;
  if (mid_line_) {
    // The buffer is full and the line goes on.
    const char* eol = nullptr;
    for (size_t i = 0; i < len && !eol; ++i)
      if (has(buf[i], kEndOfLine)) eol = buf + i;
    if (eol) {
      // The rest is a comment: nothing after it counts.
      len = static_cast<size_t>(eol - buf);
      if (int status = skip_rest_of_physical_line()) return status;
    } else {
      const size_t cut = cut_position(buf, len);
      if (cut == 0) return report_formatted(&env_, kLineTooLong, static_cast<long long>(line_number_));
      carry_at_ = cut;
      carry_ = len - cut;
      len = cut;
    }
  }
  length_ = len;
  text_ = buf;
  shown_line_ = line_number_;
  got = true;
  return 0;
}

void LineSource::inject(std::string_view text, int64_t line, bool continuation) {
  injected_.assign(text);
  text_ = injected_.data();
  length_ = injected_.size();
  shown_line_ = line;
  continuation_ = continuation;
}

std::string_view LineSource::content(Blanks blanks, size_t offset) {
  compact_.clear();
  const char* s = text_;
  bool pending_blank = false;
  for (size_t i = offset; i < length_; ++i) {
    const char c = s[i];
    const uint16_t cls = kChars.bits[static_cast<unsigned char>(c)];
    if (cls & kEndOfLine) break;
    if (cls & kBlank) {
      pending_blank = blanks == Blanks::kSeparate && !compact_.empty();
      continue;
    }
    if (cls == 0) {
      msg(env_.warning(), "Warning, line %lld: Unexpected character code %d skipped.\n",
          static_cast<long long>(shown_line_), static_cast<int>(static_cast<unsigned char>(c)));
      continue;
    }
    if (pending_blank) {
      compact_.push_back(' ');
      pending_blank = false;
    }
    compact_.push_back(c);
  }
  return compact_;
}

}  // namespace korva::lp
