// How many threads an optimiser may use (KRVEgetmaxthreads).
#include <unistd.h>

#include <algorithm>

#include "env/environment.h"
#include "env/threads.h"

namespace korva {
namespace {

constexpr int kDefaultThreadCap = 32;

// Callbacks that steer an optimiser cannot run in several threads at once
// unless the application asked for threads explicitly. The informational
// callback only watches and does not count.
bool serial_callbacks(const CallbackRegistry& cb) {
  return cb.lp.is_set() || cb.network.is_set() || cb.mip_info.is_set() || cb.branch.is_set() ||
         cb.cut.is_set() || cb.lazy_constraint.is_set() || cb.heuristic.is_set() ||
         cb.incumbent.is_set() || cb.solve.is_set();
}

}  // namespace

int machine_processor_count() {
  static const int count = [] {
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n < 1 ? 1 : static_cast<int>(n);
  }();
  return count;
}

int usable_processors(const Environment& env) {
  return std::max(1, std::min(env.thread_limit, env.processor_count));
}

int max_threads(Environment& env) {
  int usable = usable_processors(env);
  if (env.team) usable = std::min(usable, env.team->free_workers() + 1);
  const int threads = env.int_param(KRV_PARAM_THREADS);
  const int mip_threads = env.int_param(hidden_param::kMipThreads);
  const int barrier_threads = env.int_param(hidden_param::kBarrierThreads);
  const int general = std::min(usable, threads > 0 ? threads : kDefaultThreadCap);
  const int mip = std::min(usable, mip_threads > 0               ? mip_threads
                                   : threads > 0                 ? threads
                                   : serial_callbacks(env.callbacks) ? 1
                                                                 : kDefaultThreadCap);
  const int barrier = std::min(usable, barrier_threads > 0 ? barrier_threads
                                       : threads > 0       ? threads
                                                           : kDefaultThreadCap);
  return std::max({general, mip, barrier});
}

}  // namespace korva
