// Large arrays on huge pages. A fresh page costs a fault, and on a virtual
// machine a fault costs several microseconds: a model with a million
// coefficients, or a factor of some hundred megabytes, takes thousands of
// them, more than the work done in the memory. Asking for 2 MiB pages on
// the aligned inside of an array turns 512 faults into one, and spares the
// address translation misses of scattered access; the kernel may decline,
// and nothing else changes.
#pragma once
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korva {

inline void advise_huge_pages(const void* data, size_t bytes) {
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  const uintptr_t first = reinterpret_cast<uintptr_t>(data);
  const uintptr_t begin = (first + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t end = (first + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// The reserved room of `v`, when it is large enough to hold a huge page.
template <class T>
void advise_huge_pages(const std::vector<T>& v) {
  const size_t bytes = v.capacity() * sizeof(T);
  if (bytes >= (size_t{4} << 20)) advise_huge_pages(v.data(), bytes);
}

// Reserves room for `n` elements; from 1 MiB on with 2 MiB more, never
// written, so that everything after the first huge-page boundary inside
// the array is on huge pages.
template <class T>
void reserve_huge(std::vector<T>& v, size_t n) {
  constexpr size_t kHuge = size_t{2} << 20;
  if (n * sizeof(T) < kHuge / 2 || n <= v.capacity()) {
    v.reserve(n);
    return;
  }
  v.reserve(n + kHuge / sizeof(T));
  advise_huge_pages(v.data(), v.capacity() * sizeof(T));
}

}  // namespace korva
