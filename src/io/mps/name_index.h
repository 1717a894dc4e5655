// Lookup of row and column names while an MPS file is read.
//
// Not the library's NameHash: its XOR hash puts bytes i and i + 4 on the
// same bits, so generated names (a prefix and digits, R0001234) take at most
// some 65,000 hash values and large models build long chains, while the
// reader looks up a row name for every coefficient of the file. This index
// mixes 8-byte words with multiplications and probes linearly in a
// power-of-two table kept at most three quarters full (four slots share a
// cache line, so a longer probe rarely costs another miss).
//
// On a large model every lookup misses the cache; each slot therefore holds
// the first eight bytes and the length of its name next to the position, so
// that names of up to eight bytes (most generated names) are decided in the
// slot itself and only longer ones read the caller's list of names. Two
// fields of the slot belong to the caller (what it needs on every lookup,
// kept where the lookup has already brought it into the cache).
#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "env/huge_pages.h"

namespace korva::mps {

class NameIndex {
 public:
  using Names = std::vector<std::string_view>;

  // Room for `count` names without rehashing.
  void reserve(size_t count, const Names& names) {
    size_t want = 16;
    while (3 * want < 4 * count + 4) want *= 2;
    if (want > slots_.size()) rehash(want, names);
  }

  // A name with its hash, computed once for a lookup that may be prepared
  // ahead (see prefetch).
  struct Key {
    std::string_view name;
    uint64_t hash;
    uint64_t head;  // first eight bytes, zero-padded
  };
  static Key key(std::string_view name) {
    Key k{name, 0, 0};
    const unsigned char* p = reinterpret_cast<const unsigned char*>(name.data());
    size_t n = name.size();
    if (n <= 8) {
      if (n) std::memcpy(&k.head, p, n);
      k.hash = mix(k.head ^ (0x9e3779b97f4a7c15ULL + n));
      return k;
    }
    std::memcpy(&k.head, p, 8);
    uint64_t h = mix(k.head ^ (0x9e3779b97f4a7c15ULL + n));
    p += 8;
    n -= 8;
    while (n >= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      h = mix(h ^ w);
      p += 8;
      n -= 8;
    }
    uint64_t w = 0;
    if (n) std::memcpy(&w, p, n);
    k.hash = mix(h ^ w ^ (static_cast<uint64_t>(n) << 56));
    return k;
  }

  // Starts loading the slot a lookup of `k` begins with.
  void prefetch(const Key& k) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[k.hash & mask_]);
  }

  struct Slot {
    uint64_t head = 0;  // first eight bytes of the name
    uint32_t meta = 0;  // high hash bits, and the length (255 for 255 and above)
    int position = -1;  // -1: empty
    int mark = -1;      // the caller's, -1 when the name is indexed
    uint32_t data = 0;  // the caller's, 0 when the name is indexed
  };

  // Position of `name` in `names`, or -1.
  int find(std::string_view name, const Names& names) const { return find(key(name), names); }
  int find(const Key& k, const Names& names) const {
    const Slot* s = const_cast<NameIndex*>(this)->find_slot(k, names);
    return s ? s->position : -1;
  }
  // The slot of the name, or null.
  Slot* find_slot(const Key& k, const Names& names) {
    if (slots_.empty()) return nullptr;
    const uint32_t meta = meta_of(k);
    for (size_t i = k.hash & mask_;; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (s.position < 0) return nullptr;
      if (s.head == k.head && s.meta == meta && same(s, k.name, names)) return &s;
    }
  }
  // Calls f(slot) for every indexed name.
  template <class F>
  void for_each(F f) {
    for (Slot& s : slots_)
      if (s.position >= 0) f(s);
  }

  // Indexes names[position] unless an equal name is indexed already;
  // returns that name's position, or -1 when the name was added.
  int insert(int position, const Names& names) {
    return insert(position, key(names[position]), names);
  }
  // The same with the name's key computed by the caller.
  int insert(int position, const Key& k, const Names& names) {
    if (4 * (size_ + 1) > 3 * slots_.size())
      rehash(slots_.empty() ? 16 : 2 * slots_.size(), names);
    const uint32_t meta = meta_of(k);
    for (size_t i = k.hash & mask_;; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (s.position < 0) {
        s = Slot{k.head, meta, position, -1, 0};
        ++size_;
        return -1;
      }
      if (s.head == k.head && s.meta == meta && same(s, k.name, names)) return s.position;
    }
  }

 private:
  static uint32_t meta_of(const Key& k) {
    const size_t n = k.name.size();
    return (static_cast<uint32_t>(k.hash >> 32) & 0xFFFFFF00u) |
           static_cast<uint32_t>(n < 255 ? n : 255);
  }
  // Head, length class and hash bits agree: up to eight bytes that is
  // equality, beyond that the rest of the name decides.
  static bool same(const Slot& s, std::string_view name, const Names& names) {
    return name.size() <= 8 || names[s.position] == name;
  }

  static uint64_t mix(uint64_t x) {
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 31;
    x *= 0x94d049bb133111ebULL;
    return x ^ (x >> 29);
  }

  void rehash(size_t count, const Names& names) {
    std::vector<Slot> old;
    old.swap(slots_);
    reserve_huge(slots_, count);
    slots_.assign(count, Slot{});
    mask_ = count - 1;
    size_ = 0;
    for (const Slot& s : old) {
      if (s.position < 0) continue;
      // Names are distinct here, and the caller's fields move along.
      const Key k = key(names[s.position]);
      size_t i = k.hash & mask_;
      while (slots_[i].position >= 0) i = (i + 1) & mask_;
      slots_[i] = s;
      ++size_;
    }
  }

  std::vector<Slot> slots_;
  size_t mask_ = 0;
  size_t size_ = 0;
};

}  // namespace korva::mps
