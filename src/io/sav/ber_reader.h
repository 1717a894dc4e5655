// The decoder of SAV files: reads the elements the encoder writes, in
// definite or indefinite form, from a buffered file. Every routine returns
// a Code of sav_tags.h (0 for success).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "io/sav/sav_tags.h"
#include "io/reader_arrays.h"

namespace korva::sav {

class BerReader {
 public:
  explicit BerReader(FILE* file) : file_(file), buffer_(kBufferBytes) {}

  // Opens a constructed element with an application tag; kUninterpretable
  // when the next element is anything else.
  int open_application(int tag);
  // Whether the next element of the open constructed element is one with
  // this application tag (false at its end).
  int peek_application(int tag, bool& yes);
  // Skips what is left of the open element (noting it in `skipped`) and
  // ends it.
  int close(bool& skipped);
  // Whether the open element has no more contents.
  int at_end(bool& end);
  // Skips the next element whole.
  int skip_element();

  int integer(int64_t& value, int max_octets = 8);
  int int32(int& value);
  int byte(uint8_t& value);
  // A text (SEQUENCE of one-octet UTF8Strings), or an INTEGER in its place
  // (`is_text` false).
  int text(std::string& text, bool* is_text = nullptr, int64_t* integer_value = nullptr);
  // Arrays; the count must be as expected (kUninterpretable otherwise).
  int doubles(std::vector<double>& out, int64_t count);
  int int32s(std::vector<int>& out, int64_t count);
  int int64s(std::vector<int64_t>& out, int64_t count);
  int bytes(std::vector<char>& out, int64_t count);
  int texts(ReaderNames& out, int64_t count);
  int texts(std::vector<std::string>& out, int64_t count);

 private:
  static constexpr size_t kBufferBytes = 1 << 16;
  struct Open {
    bool definite;
    uint64_t end;  // absolute offset of the end of the contents (definite form)
  };
  // Bytes available from the buffer (refilled as needed).
  int need(size_t n);
  int get(uint8_t& b);
  int read_raw(void* out, size_t n);
  template <class T, class Fix>
  int fill(std::vector<T>& out, size_t count, Fix fix);
  // A primitive array element of `claimed` values of T (its length must
  // say so), byte order put right by `fix`.
  template <class T, class Fix>
  int array(uint8_t identifier, std::vector<T>& out, int64_t claimed, Fix fix);
  // Identifier and length of the next element; `definite` false for the
  // indefinite form (constructed only).
  int header(uint8_t& identifier, uint64_t& length, bool& definite, bool& high_tag, int& tag_number);
  int primitive(uint8_t identifier, uint64_t& length);
  int check_room(uint64_t length);
  uint64_t offset() const { return consumed_ + pos_; }

  FILE* file_;
  std::vector<uint8_t> buffer_;
  size_t pos_ = 0, size_ = 0;
  uint64_t consumed_ = 0;  // file offset of buffer_[0]
  bool eof_ = false;
  std::vector<Open> open_;
};

}  // namespace korva::sav
