// Lookup of row and column names while an MPS file is read. The index
// stores only positions into the caller's list of names (8 bytes a slot),
// so building it touches little memory.
//
// Not the library's NameHash: its XOR hash puts bytes i and i + 4 on the
// same bits, so generated names (a prefix and digits, R0001234) take at most
// some 65,000 hash values and large models build long chains, while the
// reader looks up a row name for every coefficient of the file. This index
// mixes 8-byte words with multiplications and probes linearly in a
// power-of-two table kept at most half full.
#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace korva::mps {

class NameIndex {
 public:
  using Names = std::vector<std::string_view>;

  // Room for `count` names without rehashing.
  void reserve(size_t count, const Names& names) {
    size_t want = 16;
    while (want < 2 * count) want *= 2;
    if (want > slots_.size()) rehash(want, names);
  }

  // Position of `name` in `names`, or -1.
  int find(std::string_view name, const Names& names) const {
    if (slots_.empty()) return -1;
    const uint64_t h = hash(name);
    const uint32_t tag = static_cast<uint32_t>(h >> 32);
    for (size_t i = h & mask_;; i = (i + 1) & mask_) {
      const Slot s = slots_[i];
      if (s.position < 0) return -1;
      if (s.tag == tag && names[s.position] == name) return s.position;
    }
  }

  // Indexes names[position] unless an equal name is indexed already;
  // returns that name's position, or -1 when the name was added.
  int insert(int position, const Names& names) {
    if (2 * (size_ + 1) > slots_.size()) rehash(slots_.empty() ? 16 : 2 * slots_.size(), names);
    const std::string_view name = names[position];
    const uint64_t h = hash(name);
    const uint32_t tag = static_cast<uint32_t>(h >> 32);
    for (size_t i = h & mask_;; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (s.position < 0) {
        s = Slot{tag, position};
        ++size_;
        return -1;
      }
      if (s.tag == tag && names[s.position] == name) return s.position;
    }
  }

  static uint64_t hash(std::string_view name) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(name.data());
    size_t n = name.size();
    uint64_t h = 0x9e3779b97f4a7c15ULL ^ n;
    while (n >= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      h = mix(h ^ w);
      p += 8;
      n -= 8;
    }
    uint64_t w = 0;
    if (n) std::memcpy(&w, p, n);
    return mix(h ^ w);
  }

 private:
  struct Slot {
    uint32_t tag = 0;   // high half of the hash: most mismatches end here
    int position = -1;  // -1: empty
  };

  static uint64_t mix(uint64_t x) {
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 31;
    x *= 0x94d049bb133111ebULL;
    return x ^ (x >> 29);
  }

  void rehash(size_t count, const Names& names) {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(count, Slot{});
    mask_ = count - 1;
    size_ = 0;
    for (const Slot& s : old)
      if (s.position >= 0) insert(s.position, names);
  }

  std::vector<Slot> slots_;
  size_t mask_ = 0;
  size_t size_ = 0;
};

}  // namespace korva::mps
