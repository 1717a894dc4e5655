// A bare file read in chunks of 10,000 bytes. The first chunk is read at
// once, so that a reader can tell the form of the file from its first
// character before a parser sees any of it; the parser then starts from
// that same chunk (a decompressing pipe cannot be rewound).
#pragma once
#include <cstddef>
#include <cstdio>
#include <vector>

namespace korva {

class FileChunks {
 public:
  static constexpr size_t kChunkBytes = 10000;

  explicit FileChunks(FILE* file) : file_(file), buffer_(kChunkBytes) { read(); }

  const char* data() const { return buffer_.data() + skipped_; }
  size_t size() const { return size_ - skipped_; }
  // True for the chunk after which the file has nothing more.
  bool last() const { return last_; }
  // Reads the next chunk; false when the current one was the last.
  bool advance() {
    if (last_) return false;
    read();
    return true;
  }
  // The first character of the current chunk that is neither white space
  // nor part of a UTF-8 byte order mark; 0 when there is none.
  char first_non_blank() const {
    const size_t k = blank_prefix();
    return k < size_ ? buffer_[k] : 0;
  }
  // Drops what precedes that character from the current chunk: an XML
  // parser accepts nothing before the declaration.
  // The lines dropped are counted, so that line numbers still match the file.
  void skip_leading_blanks() {
    skipped_ = blank_prefix();
    for (size_t k = 0; k < skipped_; ++k) skipped_lines_ += buffer_[k] == '\n';
  }
  long long skipped_lines() const { return skipped_lines_; }
  bool failed() const { return failed_; }

 private:
  size_t blank_prefix() const {
    size_t k = 0;
    if (size_ >= 3 && static_cast<unsigned char>(buffer_[0]) == 0xEF &&
        static_cast<unsigned char>(buffer_[1]) == 0xBB && static_cast<unsigned char>(buffer_[2]) == 0xBF)
      k = 3;
    while (k < size_ && is_blank(buffer_[k])) ++k;
    return k;
  }
  static bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
  }
  void read() {
    skipped_ = 0;
    size_ = std::fread(buffer_.data(), 1, kChunkBytes, file_);
    last_ = size_ < kChunkBytes;
    if (last_ && std::ferror(file_)) failed_ = true;
  }
  FILE* file_;
  std::vector<char> buffer_;
  size_t size_ = 0;
  long long skipped_lines_ = 0;
  size_t skipped_ = 0;  // bytes at the front of the buffer dropped by skip_leading_blanks
  bool last_ = false;
  bool failed_ = false;
};

}  // namespace korva
