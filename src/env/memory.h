// The library allocator: 16-byte aligned blocks for the vector kernels and
// for memory handed across the C boundary.
#pragma once
#include <cstddef>
#include <initializer_list>
#include <utility>

namespace korva {

// A size of 0 allocates 1 byte. Null on failure.
void* lib_alloc(size_t size);
void* lib_realloc(void* ptr, size_t size);
// Frees the block `*ptr` points to and sets `*ptr` to null; null is accepted.
void lib_free(void** ptr);

// Size of a block holding several arrays, each rounded up to 16 bytes:
// pairs of (element size, count). False on 64-bit overflow.
bool multi_array_size(std::initializer_list<std::pair<size_t, size_t>> arrays, size_t& total);

}  // namespace korva
