// An allocator for the solver's large per-arc and per-node arrays. Pricing
// and the cycle walks touch these arrays at random, one element per cache
// line, so with ordinary 4 KiB pages nearly every access also misses the
// address translation cache. Blocks of 2 MiB and more are aligned to 2 MiB
// and offered to the kernel for huge pages (a hint only: where it is not
// taken, or off Linux, they are ordinary memory).
#pragma once
#include <cstddef>
#include <cstdlib>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace korva::net {

inline constexpr size_t kHugePage = size_t{2} << 20;

template <class T>
struct HugePageAllocator {
  using value_type = T;

  HugePageAllocator() = default;
  template <class U>
  HugePageAllocator(const HugePageAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    const size_t bytes = n * sizeof(T);
    if (bytes < kHugePage) return static_cast<T*>(::operator new(bytes, std::align_val_t{alignof(T)}));
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (!p) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(p, rounded, MADV_HUGEPAGE);
#endif
    return static_cast<T*>(p);
  }

  void deallocate(T* p, size_t n) noexcept {
    if (n * sizeof(T) < kHugePage)
      ::operator delete(p, std::align_val_t{alignof(T)});
    else
      std::free(p);
  }

  template <class U>
  bool operator==(const HugePageAllocator<U>&) const noexcept {
    return true;
  }
};

template <class T>
using BigArray = std::vector<T, HugePageAllocator<T>>;

}  // namespace korva::net
