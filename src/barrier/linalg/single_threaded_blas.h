// The BLAS library on one thread for the lifetime of this object, then
// back to what it was. The barrier's dense kernels are small and run on
// the barrier's own threads, where the library's threads would only spin.
// The setting is process-wide.
#pragma once
#include <cblas.h>

namespace korva::barrier {

class SingleThreadedBlas {
 public:
  SingleThreadedBlas() : saved_(openblas_get_num_threads()) { openblas_set_num_threads(1); }
  ~SingleThreadedBlas() { openblas_set_num_threads(saved_); }
  SingleThreadedBlas(const SingleThreadedBlas&) = delete;
  SingleThreadedBlas& operator=(const SingleThreadedBlas&) = delete;

 private:
  int saved_;
};

}  // namespace korva::barrier
