#include "env/record_pool.h"

#include <deque>
#include <mutex>
#include <new>

#include "env/environment.h"

namespace korva {
namespace {

// Records are reused oldest first and only once enough have been closed, so
// that a handle closed a moment ago does not come straight back to life as
// the next environment. This bounds the memory kept to kQuarantine records.
constexpr size_t kQuarantine = 32;

class RecordPool {
 public:
  ~RecordPool() {
    for (Environment* e : dead_) delete e;
  }
  Environment* take() {
    Environment* reused = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (dead_.size() > kQuarantine) {
        reused = dead_.front();
        dead_.pop_front();
      }
    }
    if (!reused) return new Environment();
    reused->~Environment();
    return new (reused) Environment();
  }
  void bury(Environment* e) {
    std::lock_guard<std::mutex> lock(mutex_);
    dead_.push_back(e);
  }

 private:
  std::mutex mutex_;
  std::deque<Environment*> dead_;
};

RecordPool& pool() {
  static RecordPool p;
  return p;
}

}  // namespace

Environment* take_record() { return pool().take(); }
void bury_record(Environment* env) { pool().bury(env); }

}  // namespace korva
