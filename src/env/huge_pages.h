// Large arrays on huge pages (2 MiB; a hint the kernel may decline, and
// off Linux ordinary memory).
//
// A fresh page costs a fault, and on a virtual machine a fault costs
// several microseconds, about as much as clearing a whole huge page: a model
// with a million coefficients, or a factor of some hundred megabytes, takes
// thousands of them, more than the work done in the memory. Asking for huge
// pages turns 512 faults into one, and spares the address translation misses
// of arrays read at random, one element per cache line. Two ways:
// reserve_huge() for a std::vector, and HugePageAllocator, optionally bound
// to a HugeArena from which a solver that needs some hundreds of kilobytes
// or more carves all its arrays, sized up front.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <type_traits>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace korva {

inline constexpr size_t kHugePage = size_t{2} << 20;

inline void advise_huge_pages(const void* data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  const uintptr_t first = reinterpret_cast<uintptr_t>(data);
  const uintptr_t begin = (first + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = (first + bytes) & ~(kHugePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

// The reserved room of `v`, when it is large enough to hold a huge page.
template <class T>
void advise_huge_pages(const std::vector<T>& v) {
  const size_t bytes = v.capacity() * sizeof(T);
  if (bytes >= 2 * kHugePage) advise_huge_pages(v.data(), bytes);
}

// Reserves room for `n` elements; from 1 MiB on with 2 MiB more, never
// written, so that everything after the first huge-page boundary inside
// the array is on huge pages.
template <class T>
void reserve_huge(std::vector<T>& v, size_t n) {
  if (n * sizeof(T) < kHugePage / 2 || n <= v.capacity()) {
    v.reserve(n);
    return;
  }
  v.reserve(n + kHugePage / sizeof(T));
  advise_huge_pages(v.data(), v.capacity() * sizeof(T));
}

// Memory of at least `bytes`, rounded up to whole huge pages, aligned to
// one and offered to the kernel for huge pages.
inline void* huge_block(size_t bytes, size_t* rounded) {
  *rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* p = std::aligned_alloc(kHugePage, *rounded);
  if (!p) throw std::bad_alloc();
  advise_huge_pages(p, *rounded);
  return p;
}

// Hands out pieces of huge-page blocks and frees them all together. Not
// in use until start() is called; start() sizes the first block.
class HugeArena {
 public:
  HugeArena() = default;
  HugeArena(const HugeArena&) = delete;
  HugeArena& operator=(const HugeArena&) = delete;
  ~HugeArena() {
    for (Block& b : blocks_) std::free(b.base);
  }

  void start(size_t expected_bytes) {
    in_use_ = true;
    add_block(expected_bytes);
  }
  bool in_use() const { return in_use_; }

  void* take(size_t bytes, size_t align) {
    for (Block& b : blocks_) {
      const size_t at = (b.used + align - 1) / align * align;
      if (at + bytes <= b.size) {
        b.used = at + bytes;
        return b.base + at;
      }
    }
    Block& b = add_block(bytes);
    b.used = bytes;
    return b.base;
  }

  bool owns(const void* p) const {
    const char* c = static_cast<const char*>(p);
    for (const Block& b : blocks_)
      if (c >= b.base && c < b.base + b.size) return true;
    return false;
  }

 private:
  struct Block {
    char* base;
    size_t size;
    size_t used;
  };
  Block& add_block(size_t bytes) {
    size_t rounded = 0;
    char* base = static_cast<char*>(huge_block(bytes, &rounded));
    blocks_.push_back(Block{base, rounded, 0});
    return blocks_.back();
  }

  bool in_use_ = false;
  std::vector<Block> blocks_;
};

template <class T>
struct HugePageAllocator {
  using value_type = T;
  // The arena goes with the array's contents.
  using propagate_on_container_move_assignment = std::true_type;
  using propagate_on_container_swap = std::true_type;

  HugeArena* arena = nullptr;

  HugePageAllocator() = default;
  explicit HugePageAllocator(HugeArena* a) noexcept : arena(a) {}
  template <class U>
  HugePageAllocator(const HugePageAllocator<U>& other) noexcept : arena(other.arena) {}

  T* allocate(size_t n) {
    const size_t bytes = n * sizeof(T);
    if (arena && arena->in_use()) return static_cast<T*>(arena->take(bytes, alignof(T)));
    if (bytes < kHugePage) return static_cast<T*>(::operator new(bytes, std::align_val_t{alignof(T)}));
    size_t rounded = 0;
    return static_cast<T*>(huge_block(bytes, &rounded));
  }

  void deallocate(T* p, size_t n) noexcept {
    if (arena && arena->owns(p)) return;  // freed with the arena
    if (n * sizeof(T) < kHugePage)
      ::operator delete(p, std::align_val_t{alignof(T)});
    else
      std::free(p);
  }

  template <class U>
  bool operator==(const HugePageAllocator<U>& other) const noexcept {
    return arena == other.arena;
  }
};

template <class T>
using BigArray = std::vector<T, HugePageAllocator<T>>;

}  // namespace korva
