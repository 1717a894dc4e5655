#include "io/sav/ber_reader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "env/huge_pages.h"

namespace korva::sav {
namespace {

uint64_t load_be(const uint8_t* p, size_t width) {
  uint64_t v = 0;
  for (size_t k = 0; k < width; ++k) v = (v << 8) | p[k];
  return v;
}

// No single array may claim more than this: a damaged length must not
// make the reader reserve absurd amounts of memory.
constexpr uint64_t kMaxElementBytes = uint64_t{1} << 40;

}  // namespace

int BerReader::need(size_t n) {
  if (size_ - pos_ >= n) return kOk;
  if (pos_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + pos_, size_ - pos_);
    consumed_ += pos_;
    size_ -= pos_;
    pos_ = 0;
  }
  while (size_ < n && !eof_) {
    const size_t got = std::fread(buffer_.data() + size_, 1, buffer_.size() - size_, file_);
    size_ += got;
    if (got == 0) {
      eof_ = true;
      if (std::ferror(file_)) return kReadFailed;
    }
  }
  return size_ - pos_ >= n ? kOk : kNoData;
}

int BerReader::get(uint8_t& b) {
  if (int s = need(1)) return s;
  b = buffer_[pos_++];
  return kOk;
}

int BerReader::read_raw(void* out, size_t n) {
  auto* dst = static_cast<uint8_t*>(out);
  const size_t have = std::min(n, size_ - pos_);
  std::memcpy(dst, buffer_.data() + pos_, have);
  pos_ += have;
  n -= have;
  dst += have;
  if (n == 0) return kOk;
  // Large arrays go straight from the file into their destination.
  consumed_ += size_;
  pos_ = size_ = 0;
  const size_t got = std::fread(dst, 1, n, file_);
  consumed_ += got;
  if (got < n) {
    eof_ = true;
    return std::ferror(file_) ? kReadFailed : kNoData;
  }
  return kOk;
}

// Arrays come through a small staging area, put into their byte order
// there while the values are in cache, and appended to the vector (no
// zero-filling of the destination). Room is reserved up front unless the
// count is so large that only a damaged file would claim it; then the
// vector grows with what the file really holds, so that such a file fails
// with "not enough data" instead of a huge allocation.
template <class T, class Fix>
int BerReader::fill(std::vector<T>& out, size_t count, Fix fix) {
  constexpr size_t kStageItems = (size_t{1} << 16) / sizeof(T);
  constexpr size_t kTrustedBytes = size_t{1} << 28;
  out.clear();
  // Large arrays on huge pages: page faults dominate reading otherwise.
  if (count <= kTrustedBytes / sizeof(T)) reserve_huge(out, count);
  T stage[kStageItems];
  while (out.size() < count) {
    const size_t piece = std::min(kStageItems, count - out.size());
    if (int s = read_raw(stage, piece * sizeof(T))) return s;
    for (size_t k = 0; k < piece; ++k) fix(stage[k]);
    out.insert(out.end(), stage, stage + piece);
  }
  return kOk;
}

template <class T, class Fix>
int BerReader::array(uint8_t identifier, std::vector<T>& out, int64_t claimed, Fix fix) {
  uint64_t length = 0;
  if (int s = primitive(identifier, length)) return s;
  if (claimed < 0 || length != static_cast<uint64_t>(claimed) * sizeof(T)) return kUninterpretable;
  return fill(out, static_cast<size_t>(claimed), fix);
}

int BerReader::header(uint8_t& identifier, uint64_t& length, bool& definite, bool& high_tag, int& tag_number) {
  if (int s = get(identifier)) return s;
  high_tag = (identifier & 0x1F) == 0x1F;
  tag_number = identifier & 0x1F;
  if (high_tag) {
    tag_number = 0;
    for (int k = 0;; ++k) {
      uint8_t g = 0;
      if (int s = get(g)) return s;
      if (k >= 4) return kUninterpretable;
      tag_number = (tag_number << 7) | (g & 0x7F);
      if (!(g & 0x80)) break;
    }
  }
  uint8_t first = 0;
  if (int s = get(first)) return s;
  definite = true;
  if (first < 0x80) {
    length = first;
  } else if (first == 0x80) {
    definite = false;
    length = 0;
    // Only constructed elements may be indefinite.
    if (!(identifier & 0x20)) return kUninterpretable;
  } else {
    const size_t n = first & 0x7F;
    if (n > 8) return kUninterpretable;
    if (int s = need(n)) return s;
    length = load_be(buffer_.data() + pos_, n);
    pos_ += n;
  }
  return kOk;
}

int BerReader::check_room(uint64_t length) {
  if (length > kMaxElementBytes) return kUninterpretable;
  // An element cannot run past the end of the one around it.
  if (!open_.empty() && open_.back().definite && offset() + length > open_.back().end) return kUninterpretable;
  return kOk;
}

int BerReader::open_application(int tag) {
  uint8_t id = 0;
  uint64_t length = 0;
  bool definite = false, high = false;
  int number = 0;
  if (int s = header(id, length, definite, high, number)) return s;
  if ((id & 0xE0) != 0x60 || number != tag) return kUninterpretable;
  if (definite)
    if (int s = check_room(length)) return s;
  open_.push_back({definite, definite ? offset() + length : 0});
  return kOk;
}

int BerReader::at_end(bool& end) {
  const Open& o = open_.back();
  if (o.definite) {
    end = offset() >= o.end;
    return kOk;
  }
  if (int s = need(2)) return s;
  end = buffer_[pos_] == 0 && buffer_[pos_ + 1] == 0;
  return kOk;
}

int BerReader::peek_application(int tag, bool& yes) {
  yes = false;
  bool end = false;
  if (int s = at_end(end)) return s;
  if (end) return kOk;
  if (int s = need(1)) return s;
  const uint8_t id = buffer_[pos_];
  yes = (id & 0xE0) == 0x60 && (id & 0x1F) == tag && tag < 31;
  return kOk;
}

int BerReader::skip_element() {
  uint8_t id = 0;
  uint64_t length = 0;
  bool definite = false, high = false;
  int number = 0;
  if (int s = header(id, length, definite, high, number)) return s;
  if (definite) {
    if (int s = check_room(length)) return s;
    while (length > 0) {
      if (int s = need(1)) return s;
      const size_t piece = static_cast<size_t>(std::min<uint64_t>(length, size_ - pos_));
      pos_ += piece;
      length -= piece;
    }
    return kOk;
  }
  for (;;) {
    if (int s = need(2)) return s;
    if (buffer_[pos_] == 0 && buffer_[pos_ + 1] == 0) {
      pos_ += 2;
      return kOk;
    }
    if (open_.size() > 64) return kUninterpretable;
    open_.push_back({false, 0});
    const int s = skip_element();
    open_.pop_back();
    if (s) return s;
  }
}

int BerReader::close(bool& skipped) {
  for (;;) {
    bool end = false;
    if (int s = at_end(end)) return s;
    if (end) break;
    skipped = true;
    if (int s = skip_element()) return s;
  }
  const Open o = open_.back();
  open_.pop_back();
  if (o.definite) return offset() == o.end ? kOk : kUninterpretable;
  pos_ += 2;  // the end-of-contents octets at_end saw
  return kOk;
}

int BerReader::primitive(uint8_t identifier, uint64_t& length) {
  uint8_t id = 0;
  bool definite = false, high = false;
  int number = 0;
  if (int s = header(id, length, definite, high, number)) return s;
  if (id != identifier || !definite) return kUninterpretable;
  return check_room(length);
}

int BerReader::integer(int64_t& value, int max_octets) {
  uint64_t length = 0;
  if (int s = primitive(kInteger, length)) return s;
  if (length < 1 || length > static_cast<uint64_t>(max_octets)) return kUninterpretable;
  if (int s = need(static_cast<size_t>(length))) return s;
  const uint8_t* p = buffer_.data() + pos_;
  int64_t v = (p[0] & 0x80) ? -1 : 0;
  for (uint64_t k = 0; k < length; ++k) v = static_cast<int64_t>((static_cast<uint64_t>(v) << 8) | p[k]);
  pos_ += static_cast<size_t>(length);
  value = v;
  return kOk;
}

int BerReader::int32(int& value) {
  int64_t v = 0;
  if (int s = integer(v, 4)) return s;
  value = static_cast<int>(v);
  return kOk;
}

int BerReader::byte(uint8_t& value) {
  uint64_t length = 0;
  if (int s = primitive(kOctetString, length)) return s;
  if (length != 1) return kUninterpretable;
  return get(value);
}

int BerReader::text(std::string& text, bool* is_text, int64_t* integer_value) {
  text.clear();
  if (int s = need(1)) return s;
  if (buffer_[pos_] == kInteger && is_text && integer_value) {
    *is_text = false;
    return integer(*integer_value);
  }
  if (is_text) *is_text = true;
  uint8_t id = 0;
  uint64_t length = 0;
  bool definite = false, high = false;
  int number = 0;
  if (int s = header(id, length, definite, high, number)) return s;
  if (id != kSequence) return kUninterpretable;
  if (definite)
    if (int s = check_room(length)) return s;
  open_.push_back({definite, definite ? offset() + length : 0});
  for (;;) {
    bool end = false;
    if (int s = at_end(end)) return s;
    if (end) break;
    if (int s = need(3)) return s;
    const uint8_t* p = buffer_.data() + pos_;
    if (p[0] != kUtf8String || p[1] != 1) return kUninterpretable;
    text.push_back(static_cast<char>(p[2]));
    pos_ += 3;
  }
  bool skipped = false;
  return close(skipped);
}

int BerReader::doubles(std::vector<double>& out, int64_t count) {
  return array(kDoubleArray, out, count, [](double& v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    bits = __builtin_bswap64(bits);
    std::memcpy(&v, &bits, 8);
  });
}

int BerReader::int32s(std::vector<int>& out, int64_t count) {
  return array(kInt32Array, out, count,
               [](int& v) { v = static_cast<int>(__builtin_bswap32(static_cast<uint32_t>(v))); });
}

int BerReader::int64s(std::vector<int64_t>& out, int64_t count) {
  return array(kInt64Array, out, count,
               [](int64_t& v) { v = static_cast<int64_t>(__builtin_bswap64(static_cast<uint64_t>(v))); });
}

int BerReader::bytes(std::vector<char>& out, int64_t count) {
  return array(kByteArray, out, count, [](char&) {});
}

namespace {

// Calls add(text) for every NUL-terminated text of `data`; false unless
// there are exactly `count` of them.
template <class Add>
bool split_texts(const std::vector<char>& data, int64_t count, Add add) {
  int64_t n = 0;
  size_t start = 0;
  for (size_t k = 0; k < data.size(); ++k) {
    if (data[k] != 0) continue;
    if (n == count) return false;
    add(std::string_view(data.data() + start, k - start));
    ++n;
    start = k + 1;
  }
  return n == count && start == data.size();
}

}  // namespace

int BerReader::texts(ReaderNames& out, int64_t count) {
  uint64_t length = 0;
  if (int s = primitive(kTextArray, length)) return s;
  if (count < 0) return kUninterpretable;
  std::vector<char> data;
  if (int s = fill(data, static_cast<size_t>(length), [](char&) {})) return s;
  out.clear();
  out.reserve(static_cast<size_t>(count), data.size());
  return split_texts(data, count, [&](std::string_view t) { out.push_back(t); }) ? kOk : kUninterpretable;
}

int BerReader::texts(std::vector<std::string>& out, int64_t count) {
  uint64_t length = 0;
  if (int s = primitive(kTextArray, length)) return s;
  if (count < 0) return kUninterpretable;
  std::vector<char> data;
  if (int s = fill(data, static_cast<size_t>(length), [](char&) {})) return s;
  out.clear();
  return split_texts(data, count, [&](std::string_view t) { out.emplace_back(t); }) ? kOk : kUninterpretable;
}

}  // namespace korva::sav
