// Exact, byte-wise name lookup with chained buckets. The bucket count is the
// first prime of a fixed list above 0.35 times the number of entries; a
// name's hash XORs its bytes, byte i shifted left by 8 * (i mod 4).
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace korva {

class NameHash {
 public:
  // Builds the index for `count` names; `name_of(i)` gives name i.
  template <class NameOf>
  void build(int64_t count, NameOf name_of) {
    buckets_.assign(table_size(count), -1);
    next_.assign(count, -1);
    for (int64_t i = count - 1; i >= 0; --i) {
      const uint64_t h = hash(name_of(i)) % buckets_.size();
      next_[i] = buckets_[h];
      buckets_[h] = i;
    }
  }
  // First index (in insertion order) with exactly this name, or -1.
  template <class NameOf>
  int64_t find(std::string_view name, NameOf name_of) const {
    if (buckets_.empty()) return -1;
    for (int64_t i = buckets_[hash(name) % buckets_.size()]; i >= 0; i = next_[i])
      if (name_of(i) == name) return i;
    return -1;
  }

  static uint64_t hash(std::string_view name) {
    uint64_t h = 0;
    for (size_t i = 0; i < name.size(); ++i)
      h ^= static_cast<uint64_t>(static_cast<unsigned char>(name[i])) << (8 * (i % 4));
    return h;
  }
  static size_t table_size(int64_t entries) {
    static const uint64_t kSizes[] = {1021, 8191, 65521, 131071, 262139, 524287,
                                      1048573, 2097143, 4194301, 8388593, 16777213,
                                      33554393, 67108859, 134217689, 268435399,
                                      536870909, 1073741788};
    for (uint64_t s : kSizes)
      if (static_cast<double>(s) > 0.35 * static_cast<double>(entries)) return s;
    return kSizes[sizeof kSizes / sizeof kSizes[0] - 1];
  }

 private:
  std::vector<int64_t> buckets_;
  std::vector<int64_t> next_;
};

}  // namespace korva
