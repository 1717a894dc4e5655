// Locks of parallel optimisers. Each lock is registered in the environment
// it guards data of, so that the time threads spend waiting for shared
// structures (node store, incumbent, pool, cuts) adds up to one total.
#pragma once
#include <mutex>

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

class RegisteredLock {
 public:
  explicit RegisteredLock(Environment& env);
  ~RegisteredLock();
  RegisteredLock(const RegisteredLock&) = delete;
  RegisteredLock& operator=(const RegisteredLock&) = delete;

  // Lockable, so std::lock_guard and std::unique_lock work. A lock that is
  // taken at once costs no clock reading.
  void lock();
  bool try_lock() { return mutex_.try_lock(); }
  void unlock() { mutex_.unlock(); }

  double wait_seconds() const;  // this lock's accumulated waiting

 private:
  friend void unlink_all_locks(Environment& env);
  friend int registered_lock_count(Environment& env);
  Environment* env_;
  std::mutex mutex_;
  double wait_ = 0.0;  // guarded by the environment lock
  RegisteredLock* prev_ = this;
  RegisteredLock* next_ = this;
};

// Detaches every lock from a dying environment (locks that outlive it stop
// accounting their waits).
void unlink_all_locks(Environment& env);
int registered_lock_count(Environment& env);
// Total waiting of all locks of the environment, in seconds.
double lock_wait_total(Environment& env);

// The process-wide locks around the shared state of the locale-independent
// number conversion, one per direction.
enum class ConversionLock : int { TextToNumber = 0, NumberToText = 1 };
std::mutex& conversion_lock(ConversionLock which);

}  // namespace korva
