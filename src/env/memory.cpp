#include "env/memory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace korva {
namespace {

// The byte before an aligned block holds how far (1..16) it was advanced
// from the start of the underlying allocation.
unsigned char* align(unsigned char* raw) {
  const auto address = reinterpret_cast<uintptr_t>(raw);
  const unsigned advance = 16 - static_cast<unsigned>(address % 16);
  unsigned char* p = raw + advance;
  p[-1] = static_cast<unsigned char>(advance);
  return p;
}

}  // namespace

void* lib_alloc(size_t size) {
  if (size == 0) size = 1;
  if (size > SIZE_MAX - 16) return nullptr;
  auto* raw = static_cast<unsigned char*>(std::malloc(size + 16));
  return raw ? align(raw) : nullptr;
}

void* lib_realloc(void* ptr, size_t size) {
  if (!ptr) return lib_alloc(size);
  if (size == 0) size = 1;
  if (size > SIZE_MAX - 16) return nullptr;
  auto* p = static_cast<unsigned char*>(ptr);
  const unsigned old_advance = p[-1];
  auto* raw = static_cast<unsigned char*>(std::realloc(p - old_advance, size + 16));
  if (!raw) return nullptr;
  const unsigned new_advance = 16 - static_cast<unsigned>(reinterpret_cast<uintptr_t>(raw) % 16);
  if (new_advance != old_advance) std::memmove(raw + new_advance, raw + old_advance, size);
  return align(raw);
}

void lib_free(void** ptr) {
  if (!ptr || !*ptr) return;
  auto* p = static_cast<unsigned char*>(*ptr);
  std::free(p - p[-1]);
  *ptr = nullptr;
}

bool multi_array_size(std::initializer_list<std::pair<size_t, size_t>> arrays, size_t& total) {
  total = 0;
  for (const auto& [elem, count] : arrays) {
    size_t bytes = 0;
    if (__builtin_mul_overflow(elem, count, &bytes)) return false;
    if (bytes > SIZE_MAX - 15) return false;
    bytes = (bytes + 15) & ~static_cast<size_t>(15);
    if (__builtin_add_overflow(total, bytes, &total)) return false;
  }
  return true;
}

}  // namespace korva
