#include "io/sav/ber_writer.h"

#include <algorithm>
#include <cstring>

#include "io/sav/sav_tags.h"

namespace korva::sav {
namespace {

// Octets of a definite length: short form below 128, else 0x80 plus the
// number of octets, then the length big-endian.
size_t length_octets(uint64_t length, uint8_t* out) {
  if (length < 128) {
    out[0] = static_cast<uint8_t>(length);
    return 1;
  }
  uint8_t tmp[8];
  size_t n = 0;
  for (uint64_t v = length; v; v >>= 8) tmp[n++] = static_cast<uint8_t>(v & 0xFF);
  out[0] = static_cast<uint8_t>(0x80 | n);
  for (size_t k = 0; k < n; ++k) out[1 + k] = tmp[n - 1 - k];
  return n + 1;
}

void store_be(uint64_t v, size_t width, uint8_t* out) {
  for (size_t k = 0; k < width; ++k) out[k] = static_cast<uint8_t>(v >> (8 * (width - 1 - k)));
}

}  // namespace

void BerWriter::flush_front() {
  while (buffer_.size() >= kBufferBytes) {
    if (!failed_ && std::fwrite(buffer_.data(), 1, kFlushBytes, file_) != kFlushBytes) failed_ = true;
    buffer_.erase(buffer_.begin(), buffer_.begin() + kFlushBytes);
    // An element whose first octet went to the file can no longer get a
    // definite length.
    for (OpenElement& e : open_) {
      if (e.start >= static_cast<int64_t>(kFlushBytes)) {
        e.start -= static_cast<int64_t>(kFlushBytes);
        e.length_at -= static_cast<int64_t>(kFlushBytes);
      } else {
        e.start = -1;
      }
    }
  }
}

void BerWriter::put(const void* data, size_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  while (n > 0) {
    const size_t piece = std::min(n, kFlushBytes);
    buffer_.insert(buffer_.end(), p, p + piece);
    p += piece;
    n -= piece;
    flush_front();
  }
}

void BerWriter::put_byte(uint8_t b) {
  buffer_.push_back(b);
  flush_front();
}

void BerWriter::header(uint8_t identifier, uint64_t length) {
  uint8_t h[10];
  h[0] = identifier;
  const size_t n = length_octets(length, h + 1);
  put(h, n + 1);
}

void BerWriter::open_constructed(const uint8_t* identifier, size_t n) {
  // Both the identifier and the length octet go in before any flush, so
  // that the positions recorded are those of this element.
  const int64_t start = static_cast<int64_t>(buffer_.size());
  buffer_.insert(buffer_.end(), identifier, identifier + n);
  buffer_.push_back(0x80);
  open_.push_back({start, static_cast<int64_t>(buffer_.size()) - 1});
  flush_front();
}

void BerWriter::open_application(int tag) {
  uint8_t id[6];
  size_t n = 0;
  if (tag < 31) {
    id[n++] = static_cast<uint8_t>(0x60 | tag);
  } else {
    // High tag numbers: all five low bits set, then base 128, most
    // significant group first, the high bit on all groups but the last.
    id[n++] = 0x7F;
    uint8_t groups[5];
    size_t g = 0;
    for (unsigned v = static_cast<unsigned>(tag); v || g == 0; v >>= 7) groups[g++] = static_cast<uint8_t>(v & 0x7F);
    for (size_t k = g; k-- > 0;) id[n++] = static_cast<uint8_t>(groups[k] | (k ? 0x80 : 0));
  }
  open_constructed(id, n);
}

void BerWriter::close() {
  const OpenElement e = open_.back();
  open_.pop_back();
  const int64_t at = e.length_at;
  if (e.start < 0) {
    const uint8_t eoc[2] = {0, 0};
    put(eoc, 2);
    return;
  }
  const uint64_t length = buffer_.size() - static_cast<size_t>(at) - 1;
  uint8_t octets[9];
  const size_t n = length_octets(length, octets);
  buffer_[static_cast<size_t>(at)] = octets[0];
  if (n > 1) buffer_.insert(buffer_.begin() + at + 1, octets + 1, octets + n);
  flush_front();
}

void BerWriter::integer(int64_t value) {
  // Minimal two's complement: drop leading octets that only repeat the sign.
  uint8_t octets[8];
  store_be(static_cast<uint64_t>(value), 8, octets);
  size_t first = 0;
  while (first < 7 && ((octets[first] == 0x00 && !(octets[first + 1] & 0x80)) ||
                       (octets[first] == 0xFF && (octets[first + 1] & 0x80))))
    ++first;
  header(kInteger, 8 - first);
  put(octets + first, 8 - first);
}

void BerWriter::byte(uint8_t value) {
  header(kOctetString, 1);
  put_byte(value);
}

void BerWriter::text(std::string_view text) {
  // A short text is closed while its start is in the buffer and so gets a
  // definite length.
  const uint8_t sequence = kSequence;
  open_constructed(&sequence, 1);
  for (char c : text) {
    const uint8_t element[3] = {kUtf8String, 1, static_cast<uint8_t>(c)};
    put(element, 3);
  }
  close();
}

template <class T, class Encode>
void BerWriter::array(uint8_t identifier, const T* values, size_t count, size_t width, Encode encode) {
  header(identifier, static_cast<uint64_t>(count) * width);
  uint8_t staging[kFlushBytes];
  const size_t per_piece = kFlushBytes / width;
  for (size_t k = 0; k < count; k += per_piece) {
    const size_t m = std::min(per_piece, count - k);
    for (size_t t = 0; t < m; ++t) encode(values[k + t], staging + t * width);
    put(staging, m * width);
  }
}

void BerWriter::doubles(const double* values, size_t count) {
  array(kDoubleArray, values, count, 8, [](double v, uint8_t* out) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    store_be(bits, 8, out);
  });
}

void BerWriter::int32s(const int* values, size_t count) {
  array(kInt32Array, values, count, 4,
        [](int v, uint8_t* out) { store_be(static_cast<uint32_t>(v), 4, out); });
}

void BerWriter::int64s(const int64_t* values, size_t count) {
  array(kInt64Array, values, count, 8,
        [](int64_t v, uint8_t* out) { store_be(static_cast<uint64_t>(v), 8, out); });
}

void BerWriter::bytes(const char* values, size_t count) {
  header(kByteArray, count);
  put(values, count);
}

bool BerWriter::finish() {
  if (!buffer_.empty() && !failed_ && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
    failed_ = true;
  buffer_.clear();
  if (!failed_ && std::fflush(file_) != 0) failed_ = true;
  return !failed_;
}

}  // namespace korva::sav
