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

  const char* data() const { return buffer_.data(); }
  size_t size() const { return size_; }
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
    size_t k = 0;
    if (size_ >= 3 && static_cast<unsigned char>(buffer_[0]) == 0xEF &&
        static_cast<unsigned char>(buffer_[1]) == 0xBB && static_cast<unsigned char>(buffer_[2]) == 0xBF)
      k = 3;
    for (; k < size_; ++k) {
      const char c = buffer_[k];
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') return c;
    }
    return 0;
  }
  bool failed() const { return failed_; }

 private:
  void read() {
    size_ = std::fread(buffer_.data(), 1, kChunkBytes, file_);
    last_ = size_ < kChunkBytes;
    if (last_ && std::ferror(file_)) failed_ = true;
  }
  FILE* file_;
  std::vector<char> buffer_;
  size_t size_ = 0;
  bool last_ = false;
  bool failed_ = false;
};

}  // namespace korva
