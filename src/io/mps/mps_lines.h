// Where the MPS reader's lines come from: the file stream, one line at a
// time, handed out where it lies in the stream's buffer, so that a large
// file is parsed as it streams by instead of being held in memory. A line
// stays valid until the next one is asked for; names that must outlive
// their line are copied into a NameArena.
#pragma once
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "io/mps/mps_messages.h"
#include "io/stream.h"

namespace korva::mps {

class LineSource {
 public:
  LineSource(FileStream& stream, MessageLog& log);
  // Next line without its line end (LF or CR LF); false at the end of the
  // file or after an error (status()).
  bool next(std::string_view& line);
  long long number() const { return number_; }
  // 0, an error of the stream (not printed) or 1465 (negated, in the log).
  int status() const { return status_; }

  // Bytes a line may have, its newline excluded.
  static constexpr int kLineLimit = 40042;

 private:
  FileStream& stream_;
  MessageLog& log_;
  std::unique_ptr<char[]> buffer_;  // the last line of a file without its newline
  long long number_ = 0;
  int status_ = 0;
};

// Storage for names taken from lines: blocks that never move, so the views
// handed out stay valid for the whole read.
class NameArena {
 public:
  std::string_view store(std::string_view s) {
    if (s.size() > free_) new_block(s.size());
    char* start = cursor_;
    if (!s.empty()) std::memcpy(start, s.data(), s.size());
    cursor_ += s.size();
    free_ -= s.size();
    return std::string_view(start, s.size());
  }

 private:
  void new_block(size_t at_least) {
    const size_t size = at_least > kBlock ? at_least : kBlock;
    blocks_.emplace_back(new char[size]);
    cursor_ = blocks_.back().get();
    free_ = size;
  }
  static constexpr size_t kBlock = 1 << 18;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* cursor_ = nullptr;
  size_t free_ = 0;
};

}  // namespace korva::mps
