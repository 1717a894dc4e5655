// An allocator for the solver's large per-arc and per-node arrays. Pricing
// and the cycle walks touch these arrays at random, one element per cache
// line, so with ordinary 4 KiB pages nearly every access also misses the
// address translation cache. Blocks of 2 MiB and more are aligned to 2 MiB
// and offered to the kernel for huge pages (a hint only: where it is not
// taken, or off Linux, they are ordinary memory).
//
// First touches cost as much: fresh memory arrives one page fault per page,
// and on some machines a fault of a 4 KiB page costs about as much as
// clearing a whole huge page. So a solver that needs some hundreds of
// kilobytes or more carves all its arrays out of one arena of huge pages
// (HugeArena), sized up front; an allocator bound to no arena, or to one
// that is not in use, takes memory as before.
#pragma once
#include <cstddef>
#include <cstdlib>
#include <new>
#include <type_traits>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace korva::net {

inline constexpr size_t kHugePage = size_t{2} << 20;

// Memory of at least `bytes`, rounded up to whole huge pages, aligned to
// one and offered to the kernel for huge pages.
inline void* huge_block(size_t bytes, size_t* rounded) {
  *rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* p = std::aligned_alloc(kHugePage, *rounded);
  if (!p) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  madvise(p, *rounded, MADV_HUGEPAGE);
#endif
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

}  // namespace korva::net
