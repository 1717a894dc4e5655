// The file stream: decoding from the file encoding into NFC-normalised
// UTF-8 on the way in, encoding on the way out, and the sticky status.
//
// Most model files are plain 7-bit text in an ASCII-compatible encoding;
// those bytes are handed out as they are read, so the common case costs one
// scan for high bytes and a copy. Everything else goes through ICU: bytes to
// UTF-16 (ICU keeps a sequence cut at the end of a chunk for the next one),
// NFC normalisation, UTF-8.
#include <sys/stat.h>
#include <unistd.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "env/environment.h"
#include "env/error_codes.h"
#include "env/errors.h"
#include "io/stream.h"
#include "io/stream_handle.h"

namespace korva {
namespace {

// Owned files are read in large chunks; the raw staging of the format is
// small, but reading ahead is harmless when the stream owns the file.
constexpr size_t kChunk = 1 << 16;
// A single wanted character never needs more than this many bytes.
constexpr size_t kCharFill = 6;

bool all_7bit(const char* p, size_t n) {
  // Word-at-a-time test: the scan is on the path of every byte read.
  size_t i = 0;
  uint64_t acc = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    acc |= w;
  }
  for (; i < n; ++i) acc |= static_cast<unsigned char>(p[i]);
  return (acc & 0x8080808080808080ULL) == 0;
}

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

struct FileStream::Impl {
  FILE* file = nullptr;
  bool owned = false;
  bool piped = false;
  char mode = 'r';
  Converter converter;
  bool ascii_compatible = false;
  bool utf8 = false;
  bool eof = false;
  bool stdio_read = false;  // read_bytes went through the handle's buffer
  // Read side: decoded UTF-8 not yet handed out is text[head, tail). Plain
  // 7-bit files are read straight into it, and lines are handed out where
  // they lie, so the common case copies no byte.
  std::unique_ptr<char[]> text;
  size_t capacity = 0, head = 0, tail = 0;
  // The raw chunk when it needs decoding, and the UTF-16 text whose
  // normalisation waits for the next character.
  std::vector<char> chunk;
  std::u16string wide, carry;
  // Write side scratch.
  std::string encoded;
  std::u16string wide_out;

  size_t available() const { return tail - head; }
  // Moves the pending text to the front and makes room for `extra` more
  // bytes after it. Views into the text become invalid.
  void make_room(size_t extra) {
    if (head == tail) head = tail = 0;
    if (tail + extra <= capacity) return;
    const size_t used = tail - head;
    if (used + extra <= capacity && head >= used) {
      std::memmove(text.get(), text.get() + head, used);
    } else {
      size_t grown = capacity ? 2 * capacity : 1;
      while (grown < used + extra) grown *= 2;
      std::unique_ptr<char[]> bigger(new char[grown]);
      if (used) std::memcpy(bigger.get(), text.get() + head, used);
      text = std::move(bigger);
      capacity = grown;
    }
    head = 0;
    tail = used;
  }
  void append(const char* data, size_t n) {
    make_room(n);
    if (n) std::memcpy(text.get() + tail, data, n);
    tail += n;
  }
};

FileStream::FileStream() : impl_(std::make_unique<Impl>()) {}

FileStream::~FileStream() {
  if (!impl_ || !impl_->file || !impl_->owned) return;
  if (impl_->piped)
    pclose(impl_->file);
  else
    std::fclose(impl_->file);
}

const char* FileStream::encoding_name() const {
  UConverter* cnv = const_cast<Converter&>(impl_->converter).raw();
  if (!cnv) return "";
  UErrorCode status = U_ZERO_ERROR;
  const char* name = ucnv_getName(cnv, &status);
  return U_SUCCESS(status) && name ? name : "";
}

bool FileStream::wrapped() const { return !impl_->owned; }

bool FileStream::piped() const { return impl_->piped; }

uint64_t FileStream::file_bytes() const {
  struct stat st;
  if (impl_->piped) {
    if (::stat(name_.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  } else if (!impl_->file || ::fstat(fileno(impl_->file), &st) != 0 || !S_ISREG(st.st_mode)) {
    return 0;
  }
  return static_cast<uint64_t>(st.st_size);
}

int FileStream::fail(int code) {
  if (status_ == 0) status_ = code;
  return code;
}

int FileStream::open(Environment& env, const char* filename, const StreamOptions& options,
                     std::unique_ptr<FileStream>& out) {
  out.reset();
  std::unique_ptr<FileStream> s(new FileStream());
  Impl& im = *s->impl_;
  const char* mode = options.mode ? options.mode : "rb";
  im.mode = mode[0] == 'r' ? 'r' : 'w';
  if (options.existing) {
    im.file = options.existing;
    im.owned = false;
    s->name_ = filename ? filename : "";
  } else {
    OpenedHandle h;
    const int status =
        im.mode == 'r'
            ? open_read_handle(env, filename, mode, options.default_extension,
                               options.must_exist, options.allow_compression, h)
            : open_write_handle(env, filename, mode, options.allow_compression, h);
    if (status) return status;
    im.file = h.file;
    im.piped = h.piped;
    im.owned = true;
    s->name_ = std::move(h.name);
  }
  // The encoding: the named one, else the platform's, widened from plain
  // ASCII to ISO-8859-1 so that no byte of a file is unreadable.
  std::string encoding =
      options.encoding ? options.encoding : env.str_param(KRV_PARAM_FILEENCODING);
  bool opened = im.converter.open(encoding);
  if (opened && encoding.empty() && ucnv_getType(im.converter.raw()) == UCNV_US_ASCII)
    opened = im.converter.open("ISO-8859-1");
  if (!opened) return report_formatted(&env, err::kEncoding);  // the destructor closes the file
  im.ascii_compatible = im.converter.ascii_compatible();
  im.utf8 = im.converter.is_utf8();
  out = std::move(s);
  return 0;
}

// ---- reading ----------------------------------------------------------------

// Reads at most `limit` bytes and appends their decoded text to the pending
// text. Sets eof when the file has no more bytes and everything has been
// flushed.
int FileStream::fill(size_t limit) {
  Impl& im = *impl_;
  if (im.eof) return 0;
  // A handle we do not own may be read by others after us: take only what
  // is needed, one byte at a time.
  if (!im.owned) limit = 1;
  im.make_room(limit);
  char* raw = im.text.get() + im.tail;
  size_t n = 0;
  if (!im.owned) {
    const int c = std::fgetc(im.file);
    if (c != EOF) raw[n++] = static_cast<char>(c);
    if (n == 0 && std::ferror(im.file)) return fail(err::kIoError);
  } else if (im.piped && !im.stdio_read) {
    // From a pipe, take what the decompressor has written so far: a read
    // that insisted on a full chunk would wake up for every page it
    // writes, and the two processes would take turns instead of running
    // side by side.
    ssize_t got;
    do {
      got = ::read(fileno(im.file), raw, limit);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return fail(err::kIoError);
    n = static_cast<size_t>(got);
  } else {
    n = std::fread(raw, 1, limit, im.file);
    if (n == 0 && std::ferror(im.file)) return fail(err::kIoError);
  }
  const bool at_end = n == 0;
  UConverter* cnv = im.converter.raw();
  UErrorCode status = U_ZERO_ERROR;
  const bool icu_idle = im.carry.empty() && ucnv_toUCountPending(cnv, &status) <= 0;
  if (!at_end && im.ascii_compatible && icu_idle && all_7bit(raw, n)) {
    im.tail += n;  // already in place
    return 0;
  }
  im.chunk.assign(raw, raw + n);
  // Decode to UTF-16 after the text held back from the last round.
  im.wide.swap(im.carry);
  im.carry.clear();
  const size_t start = im.wide.size();
  im.wide.resize(start + n * 2 + 16);
  UChar* target = reinterpret_cast<UChar*>(im.wide.data()) + start;
  UChar* target_limit = reinterpret_cast<UChar*>(im.wide.data()) + im.wide.size();
  const char* source = im.chunk.data();
  status = U_ZERO_ERROR;
  ucnv_toUnicode(cnv, &target, target_limit, &source, source + n, nullptr, at_end, &status);
  if (U_FAILURE(status)) return fail(err::kEncoding);  // also an incomplete sequence at the end
  im.wide.resize(target - reinterpret_cast<UChar*>(im.wide.data()));
  // A combining mark in the next chunk may still compose with the last
  // characters: hold back the text from the last normalisation boundary.
  size_t keep_from = im.wide.size();
  if (!at_end && !im.wide.empty()) {
    status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status)) return fail(err::kEncoding);
    const std::u16string& w = im.wide;
    auto start_of = [&](size_t i) {  // start of the code point that ends at i
      return i > 0 && U16_IS_TRAIL(w[i]) && U16_IS_LEAD(w[i - 1]) ? i - 1 : i;
    };
    auto code_point = [&](size_t i) -> UChar32 {
      return U16_IS_LEAD(w[i]) && i + 1 < w.size() ? U16_GET_SUPPLEMENTARY(w[i], w[i + 1]) : w[i];
    };
    size_t i = start_of(w.size() - 1);
    // An inert last character (a newline, most ASCII) composes with nothing.
    if (!unorm2_isInert(nfc, code_point(i))) {
      keep_from = 0;
      while (true) {
        if (unorm2_hasBoundaryBefore(nfc, code_point(i))) {
          keep_from = i;
          break;
        }
        if (i == 0) break;
        i = start_of(i - 1);
      }
    }
  }
  if (keep_from < im.wide.size()) {
    im.carry.assign(im.wide, keep_from);
    im.wide.resize(keep_from);
  }
  if (!im.wide.empty()) {
    if (!nfc_normalize(im.wide)) return fail(err::kEncoding);
    std::string utf8;
    if (!utf16_to_utf8(im.wide, utf8)) return fail(err::kEncoding);
    im.append(utf8.data(), utf8.size());
  }
  im.wide.clear();
  if (at_end) im.eof = true;
  return 0;
}

int FileStream::read_line_view(size_t size, std::string_view& line) {
  Impl& im = *impl_;
  line = std::string_view();
  if (size == 0) return 0;
  // Standard input ends a line 4 bytes early, as the interactive readers
  // expect; files use the whole buffer.
  const size_t limit = im.owned ? size - 1 : (size > 4 ? size - 4 : 0);
  if (limit == 0) return 0;
  size_t scanned = 0;  // bytes after head known to hold no newline
  while (true) {
    const size_t avail = im.available();
    const char* src = im.text.get() + im.head;
    const size_t window = std::min(avail, limit);
    if (window > scanned) {
      if (const void* nl = std::memchr(src + scanned, '\n', window - scanned)) {
        const size_t take = static_cast<const char*>(nl) - src + 1;
        line = std::string_view(src, take);
        im.head += take;
        return 0;
      }
      scanned = window;
    }
    // A full piece is cut before a UTF-8 sequence that the next byte would
    // continue, so a file's piece waits for that byte; standard input is
    // not read beyond the piece.
    const bool full = im.owned ? avail > limit : avail >= limit;
    if (full || im.eof) {
      size_t take = window;
      if (take < avail) {
        size_t cut = take;
        while (cut > 0 && is_continuation(static_cast<unsigned char>(src[cut]))) --cut;
        if (cut > 0) take = cut;  // else a buffer too small for one character
      }
      line = std::string_view(src, take);
      im.head += take;
      return 0;
    }
    if (int status = fill(kChunk)) return status;
  }
}

int FileStream::read_line(char* buffer, size_t size, size_t& length) {
  length = 0;
  if (size == 0) return 0;
  buffer[0] = '\0';
  std::string_view line;
  if (int status = read_line_view(size, line)) return status;
  if (!line.empty()) std::memcpy(buffer, line.data(), line.size());
  length = line.size();
  buffer[length] = '\0';
  return 0;
}

int FileStream::read_char(int32_t& cp) {
  Impl& im = *impl_;
  cp = -1;
  // Enough bytes for one whole sequence, reading no further than needed.
  while (true) {
    const size_t avail = im.available();
    if (avail > 0) {
      const auto lead = static_cast<unsigned char>(im.text[im.head]);
      const size_t need = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      if (avail >= need || im.eof) break;
    } else if (im.eof) {
      return 0;
    }
    if (int status = fill(kCharFill)) return status;
  }
  const auto* s = reinterpret_cast<const unsigned char*>(im.text.get() + im.head);
  const size_t avail = im.available();
  int32_t c = s[0];
  size_t len = 1;
  if (c >= 0xF0 && avail >= 4) {
    c = ((c & 0x07) << 18) | ((s[1] & 0x3F) << 12) | ((s[2] & 0x3F) << 6) | (s[3] & 0x3F);
    len = 4;
  } else if (c >= 0xE0 && avail >= 3) {
    c = ((c & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F);
    len = 3;
  } else if (c >= 0xC0 && avail >= 2) {
    c = ((c & 0x1F) << 6) | (s[1] & 0x3F);
    len = 2;
  }
  im.head += len;
  cp = c;
  return 0;
}

size_t FileStream::read_bytes(void* buffer, size_t size, size_t count) {
  impl_->stdio_read = true;
  return std::fread(buffer, size, count, impl_->file);
}

// ---- writing ----------------------------------------------------------------

int FileStream::write_bytes(const char* data, size_t n) {
  if (status_) return status_;  // the first failure is what counts; stop early
  if (n == 0) return 0;
  if (std::fwrite(data, 1, n, impl_->file) != n) return fail(err::kIoError);
  return 0;
}

int FileStream::write(std::string_view utf8) {
  Impl& im = *impl_;
  if (status_) return status_;
  if (im.ascii_compatible && all_7bit(utf8.data(), utf8.size()))
    return write_bytes(utf8.data(), utf8.size());
  if (im.utf8) {
    // Internal text is UTF-8 already; only ill-formed sequences are dropped.
    im.encoded.assign(utf8);
    normalize_utf8(im.encoded);
    return write_bytes(im.encoded.data(), im.encoded.size());
  }
  if (!utf8_to_utf16(utf8, im.wide_out)) return fail(err::kEncoding);
  if (!im.converter.from_utf16(im.wide_out, im.encoded)) return fail(err::kEncoding);
  return write_bytes(im.encoded.data(), im.encoded.size());
}

int FileStream::vprintf(const char* format, va_list args) {
  char buffer[1024];
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) return fail(err::kIoError);
  return write(std::string_view(buffer, std::min<size_t>(n, sizeof buffer - 1)));
}

int FileStream::printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int status = vprintf(format, args);
  va_end(args);
  return status;
}

int FileStream::write_char(int32_t cp, int64_t repeat) {
  Impl& im = *impl_;
  char bytes[8];
  size_t n = 0;
  if (cp < 128 && im.ascii_compatible) {
    bytes[n++] = static_cast<char>(cp);
  } else {
    std::u16string wide;
    if (cp > 0xFFFF) {
      wide.push_back(static_cast<char16_t>(0xD7C0 + (cp >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
    } else {
      wide.push_back(static_cast<char16_t>(cp));
    }
    std::string out;
    if (!im.converter.from_utf16(wide, out) || out.size() > sizeof bytes)
      return fail(err::kEncoding);
    std::memcpy(bytes, out.data(), out.size());
    n = out.size();
  }
  for (int64_t k = 0; k < repeat; ++k)
    if (int status = write_bytes(bytes, n)) return status;
  return 0;
}

// ---- closing ----------------------------------------------------------------

int FileStream::close(Environment& /*env*/, std::unique_ptr<FileStream>& stream,
                      int caller_status) {
  if (!stream) return caller_status;
  FileStream& s = *stream;
  Impl& im = *s.impl_;
  if (im.file) {
    if (im.mode == 'r' && im.piped) {
      // Let the decompressor run to its end rather than die of a broken pipe.
      char sink[32];
      while (std::fread(sink, 1, sizeof sink, im.file) == sizeof sink) {
      }
    }
    int rc = 0;
    if (im.mode == 'w' && std::fflush(im.file) != 0) rc = -1;
    if (im.owned) {
      const int closed = im.piped ? pclose(im.file) : std::fclose(im.file);
      // A decompressor's exit status says nothing about what was read.
      if (closed != 0 && im.mode == 'w') rc = -1;
    }
    im.file = nullptr;
    if (rc != 0) s.fail(err::kIoError);
  }
  const int stored = s.status_;
  stream.reset();
  return caller_status != 0 ? caller_status : stored;
}

}  // namespace korva
