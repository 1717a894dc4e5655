#include "io/lp/lp_name_table.h"

#include <cstring>

namespace korva::lp {

uint64_t NameTable::hash(std::string_view name) {
  // 64-bit FNV-1a over 8-byte words with a final mix: names like x1 … x999999
  // differ only in their last bytes and must still spread over the table.
  uint64_t h = 0xcbf29ce484222325ULL ^ name.size();
  size_t i = 0;
  for (; i + 8 <= name.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, name.data() + i, 8);
    h = (h ^ w) * 0x100000001b3ULL;
    h ^= h >> 29;
  }
  for (; i < name.size(); ++i) h = (h ^ static_cast<unsigned char>(name[i])) * 0x100000001b3ULL;
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return h;
}

int64_t NameTable::find(std::string_view name) const {
  if (slots_.empty()) return -1;
  const uint64_t h = hash(name);
  const size_t mask = slots_.size() - 1;
  for (size_t s = h & mask;; s = (s + 1) & mask) {
    const int64_t v = slots_[s];
    if (v == 0) return -1;
    if (slot_hash_[s] == static_cast<uint32_t>(h >> 32) && this->name(v - 1) == name) return v - 1;
  }
}

void NameTable::insert_slot(int64_t index, uint64_t h) {
  const size_t mask = slots_.size() - 1;
  size_t s = h & mask;
  while (slots_[s] != 0) s = (s + 1) & mask;
  slots_[s] = index + 1;
  slot_hash_[s] = static_cast<uint32_t>(h >> 32);
}

void NameTable::grow() {
  const size_t capacity = slots_.empty() ? 1024 : slots_.size() * 2;
  slots_.assign(capacity, 0);
  slot_hash_.assign(capacity, 0);
  for (int64_t i = 0; i < size(); ++i)
    if (indexed_[i]) insert_slot(i, hash(name(i)));
}

int64_t NameTable::add(std::string_view name, bool indexed) {
  const int64_t index = size();
  offsets_.push_back(static_cast<int64_t>(arena_.size()));
  lengths_.push_back(static_cast<uint32_t>(name.size()));
  indexed_.push_back(indexed ? 1 : 0);
  arena_.insert(arena_.end(), name.begin(), name.end());
  if (indexed) {
    ++used_;
    if (static_cast<size_t>(used_) * 2 > slots_.size())
      grow();  // rebuilds the index including the new entry
    else
      insert_slot(index, hash(name));
  }
  return index;
}

int64_t NameTable::find_or_add(std::string_view name, bool& added) {
  // One hash for both the lookup and the insertion.
  if (slots_.empty()) grow();
  const uint64_t h = hash(name);
  const size_t mask = slots_.size() - 1;
  size_t s = h & mask;
  for (;; s = (s + 1) & mask) {
    const int64_t v = slots_[s];
    if (v == 0) break;
    if (slot_hash_[s] == static_cast<uint32_t>(h >> 32) && this->name(v - 1) == name) {
      added = false;
      return v - 1;
    }
  }
  added = true;
  const int64_t index = size();
  offsets_.push_back(static_cast<int64_t>(arena_.size()));
  lengths_.push_back(static_cast<uint32_t>(name.size()));
  indexed_.push_back(1);
  arena_.insert(arena_.end(), name.begin(), name.end());
  ++used_;
  if (static_cast<size_t>(used_) * 2 > slots_.size()) {
    grow();
  } else {
    slots_[s] = index + 1;
    slot_hash_[s] = static_cast<uint32_t>(h >> 32);
  }
  return index;
}

void NameTable::truncate(int64_t count) {
  if (count >= size()) return;
  arena_.resize(static_cast<size_t>(offsets_[count]));
  offsets_.resize(count);
  lengths_.resize(count);
  indexed_.resize(count);
  used_ = 0;
  for (uint8_t f : indexed_) used_ += f;
  std::fill(slots_.begin(), slots_.end(), 0);
  for (int64_t i = 0; i < size(); ++i)
    if (indexed_[i]) insert_slot(i, hash(name(i)));
}

void NameTable::clear() {
  arena_.clear();
  offsets_.clear();
  lengths_.clear();
  indexed_.clear();
  slots_.clear();
  slot_hash_.clear();
  used_ = 0;
}

}  // namespace korva::lp
