#include "model/name_store.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "model/column_matrix.h"

namespace korva {

int format_default_name(char* buffer, size_t size, char letter, int64_t index) {
  return std::snprintf(buffer, size, "%c%lld", letter, static_cast<long long>(index + 1));
}

int64_t NameStore::default_length(int64_t index) {
  int64_t digits = 1;
  for (int64_t v = index + 1; v >= 10; v /= 10) ++digits;
  return 1 + digits + 1;
}

void NameStore::clear() {
  NameStore empty;
  std::swap(*this, empty);
}

void NameStore::make_defaults(int64_t count, char letter) {
  NameStore s;
  // Every default name fits the width of the longest one; reserving that
  // much makes the store one allocation.
  const int64_t widest = count > 0 ? default_length(count - 1) : 0;
  s.bytes_.reserve(static_cast<size_t>(widest * count));
  s.offset_.reserve(static_cast<size_t>(count));
  s.present_ = true;
  for (int64_t i = 0; i < count; ++i) s.append_default(letter, i);
  std::swap(*this, s);
}

void NameStore::reserve_more(int64_t items, int64_t bytes) {
  korva::reserve_more(offset_, static_cast<size_t>(items));
  korva::reserve_more(bytes_, static_cast<size_t>(bytes));
}

void NameStore::append(std::string_view name) {
  present_ = true;
  offset_.push_back(static_cast<int64_t>(bytes_.size()));
  bytes_.insert(bytes_.end(), name.begin(), name.end());
  bytes_.push_back('\0');
  live_bytes_ += static_cast<int64_t>(name.size()) + 1;
}

void NameStore::append_default(char letter, int64_t index) {
  char buffer[32];
  const int n = format_default_name(buffer, sizeof buffer, letter, index);
  append(std::string_view(buffer, static_cast<size_t>(n)));
}

void NameStore::rename(int64_t i, std::string_view name) {
  live_bytes_ -= static_cast<int64_t>(std::strlen(get(i))) + 1;
  offset_[i] = static_cast<int64_t>(bytes_.size());
  bytes_.insert(bytes_.end(), name.begin(), name.end());
  bytes_.push_back('\0');
  live_bytes_ += static_cast<int64_t>(name.size()) + 1;
}

void NameStore::renumber(const int* map) {
  int64_t kept = 0;
  for (int64_t i = 0; i < size(); ++i) {
    if (map[i] < 0) {
      live_bytes_ -= static_cast<int64_t>(std::strlen(get(i))) + 1;
      continue;
    }
    offset_[kept++] = offset_[i];
  }
  offset_.resize(static_cast<size_t>(kept));
}

void NameStore::compact() {
  if (static_cast<int64_t>(bytes_.size()) == live_bytes_) return;
  std::vector<char> bytes;
  bytes.reserve(static_cast<size_t>(live_bytes_));
  for (int64_t& off : offset_) {
    const char* name = bytes_.data() + off;
    off = static_cast<int64_t>(bytes.size());
    bytes.insert(bytes.end(), name, name + std::strlen(name) + 1);
  }
  bytes_.swap(bytes);
}

}  // namespace korva
