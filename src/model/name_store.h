// Names of the rows or of the columns of a problem: all items are named or
// none is. The names live back to back in one byte store, each followed by a
// zero byte, and offset[i] says where item i's name starts. A rename writes
// the new name at the end of the store; the old bytes become dead and are
// reclaimed when they outweigh the live ones, so renaming stays cheap without
// a store per name.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace korva {

class NameStore {
 public:
  bool present() const { return present_; }
  int64_t size() const { return static_cast<int64_t>(offset_.size()); }
  // Name of item i (UTF-8, zero-terminated); valid until the next change.
  const char* get(int64_t i) const { return bytes_.data() + offset_[i]; }
  std::string_view view(int64_t i) const { return get(i); }
  // Bytes of the live names, terminators included.
  int64_t bytes_in_use() const { return live_bytes_; }
  // True when dead bytes of renamed or deleted names outweigh the live ones.
  bool mostly_dead() const {
    return static_cast<int64_t>(bytes_.size()) > 2 * live_bytes_ + 4096;
  }

  // --- changes that may allocate (no change when they throw) --------------
  void clear();
  // Names all `count` items with the default name `letter` + (index + 1).
  void make_defaults(int64_t count, char letter);
  // Room for `items` more names of `bytes` bytes in total (terminators
  // included).
  void reserve_more(int64_t items, int64_t bytes);

  // --- changes that do not allocate after reserve_more ---------------------
  void append(std::string_view name);
  void append_default(char letter, int64_t index);
  void rename(int64_t i, std::string_view name);
  // Deletion: item i becomes map[i], or disappears when map[i] < 0.
  void renumber(const int* map);
  // Rewrites the store without dead bytes (allocates; no change on throw).
  void compact();

  // Bytes that append_default(letter, index) writes.
  static int64_t default_length(int64_t index);

 private:
  std::vector<char> bytes_;
  std::vector<int64_t> offset_;
  int64_t live_bytes_ = 0;
  bool present_ = false;
};

// Formats the default name of item `index` (0-based) into `buffer`, e.g.
// "c3" for row 2: the letter and index + 1. Returns the length.
int format_default_name(char* buffer, size_t size, char letter, int64_t index);

}  // namespace korva
