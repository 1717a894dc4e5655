// Whether the machine has 512-bit vectors and their masks (AVX-512F), for
// the kernels that have a build for them. Asked on first use, once every
// constructor (the processor query's own among them) has run.
#pragma once

namespace korva::barrier {

inline bool has_wide_vectors() {
  static const bool available = __builtin_cpu_supports("avx512f");
  return available;
}

}  // namespace korva::barrier
