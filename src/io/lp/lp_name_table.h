// Names read from an LP file, kept back to back in one byte arena (no
// allocation per name) with an open-addressing index for lookups. Columns
// are found by name at every term, so lookup speed is reading speed.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korva::lp {

class NameTable {
 public:
  int64_t size() const { return static_cast<int64_t>(offsets_.size()); }
  std::string_view name(int64_t i) const {
    return {arena_.data() + offsets_[i], static_cast<size_t>(lengths_[i])};
  }
  // Index of `name`, or -1.
  int64_t find(std::string_view name) const;
  // Appends `name` (which must not be present when `indexed`) and returns its
  // index. Unindexed entries are stored but not found by find().
  int64_t add(std::string_view name, bool indexed = true);
  // Index of `name`, adding it when absent.
  int64_t find_or_add(std::string_view name, bool& added);
  // Drops entries from `count` on and rebuilds the index.
  void truncate(int64_t count);
  void clear();

  static uint64_t hash(std::string_view name);

 private:
  void grow();
  void insert_slot(int64_t index, uint64_t h);

  std::vector<char> arena_;
  std::vector<int64_t> offsets_;
  std::vector<uint32_t> lengths_;
  std::vector<uint8_t> indexed_;
  // Slots hold index + 1 (0 is empty); capacity is a power of two.
  std::vector<int64_t> slots_;
  std::vector<uint32_t> slot_hash_;  // low bits of the hash: most misses skip the compare
  int64_t used_ = 0;
};

}  // namespace korva::lp
