// The encoder of SAV files: tagged, length-delimited elements written
// through an 8,192-byte buffer of which the first 4,096 bytes go to the
// file whenever it fills. A constructed element opens with the
// indefinite-length octet; when it closes while that octet is still in the
// buffer, the octet becomes the definite length (the contents move up to
// make room), otherwise the element ends with the end-of-contents octets.
// Primitives always carry their definite length.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace korva::sav {

class BerWriter {
 public:
  static constexpr size_t kBufferBytes = 8192;
  static constexpr size_t kFlushBytes = 4096;

  explicit BerWriter(FILE* file) : file_(file) { buffer_.reserve(kBufferBytes + 16); }

  // Constructed element with an application tag.
  void open_application(int tag);
  void close();

  void integer(int64_t value);
  void byte(uint8_t value);
  // A text as a SEQUENCE of one-octet UTF8Strings.
  void text(std::string_view text);
  void doubles(const double* values, size_t count);
  void int32s(const int* values, size_t count);
  void int64s(const int64_t* values, size_t count);
  void bytes(const char* values, size_t count);
  // Texts back to back, each followed by a NUL; `total` is the sum of
  // their lengths plus one per text.
  template <class TextOf>
  void texts(size_t count, size_t total, TextOf text_of) {
    header(0x84, total);  // kTextArray
    for (size_t k = 0; k < count; ++k) {
      const std::string_view t = text_of(k);
      put(t.data(), t.size());
      const char zero = 0;
      put(&zero, 1);
    }
  }

  // Writes what is left; false when any write failed.
  bool finish();
  bool failed() const { return failed_; }

 private:
  void header(uint8_t identifier, uint64_t length);
  void put(const void* data, size_t n);
  void put_byte(uint8_t b);
  void flush_front();
  template <class T, class Encode>
  void array(uint8_t identifier, const T* values, size_t count, size_t width, Encode encode);

  FILE* file_;
  std::vector<uint8_t> buffer_;
  void open_constructed(const uint8_t* identifier, size_t n);
  // Per open constructed element: where its identifier and its length
  // octet are in the buffer; start is -1 once the element's beginning has
  // gone to the file.
  struct OpenElement {
    int64_t start, length_at;
  };
  std::vector<OpenElement> open_;
  bool failed_ = false;
};

}  // namespace korva::sav
