#include "env/locks.h"

#include <chrono>

#include "env/environment.h"

namespace korva {

RegisteredLock::RegisteredLock(Environment& env) : env_(&env) {
  std::lock_guard<std::mutex> guard(env.env_lock);
  if (RegisteredLock* head = env.lock_ring) {
    next_ = head;
    prev_ = head->prev_;
    head->prev_->next_ = this;
    head->prev_ = this;
  } else {
    env.lock_ring = this;
  }
}

RegisteredLock::~RegisteredLock() {
  if (!env_) return;
  std::lock_guard<std::mutex> guard(env_->env_lock);
  if (next_ == this) {
    env_->lock_ring = nullptr;
  } else {
    prev_->next_ = next_;
    next_->prev_ = prev_;
    if (env_->lock_ring == this) env_->lock_ring = next_;
  }
}

void RegisteredLock::lock() {
  if (mutex_.try_lock()) return;
  const auto start = std::chrono::steady_clock::now();
  mutex_.lock();
  const double waited =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!env_) return;
  std::lock_guard<std::mutex> guard(env_->env_lock);
  wait_ += waited;
  env_->lock_wait_total += waited;
}

double RegisteredLock::wait_seconds() const {
  if (!env_) return wait_;
  std::lock_guard<std::mutex> guard(env_->env_lock);
  return wait_;
}

void unlink_all_locks(Environment& env) {
  std::lock_guard<std::mutex> guard(env.env_lock);
  RegisteredLock* head = env.lock_ring;
  if (!head) return;
  RegisteredLock* l = head;
  do {
    RegisteredLock* next = l->next_;
    l->env_ = nullptr;
    l->prev_ = l->next_ = l;
    l = next;
  } while (l != head);
  env.lock_ring = nullptr;
}

int registered_lock_count(Environment& env) {
  std::lock_guard<std::mutex> guard(env.env_lock);
  int n = 0;
  if (RegisteredLock* head = env.lock_ring) {
    const RegisteredLock* l = head;
    do {
      ++n;
      l = l->next_;
    } while (l != head);
  }
  return n;
}

double lock_wait_total(Environment& env) {
  std::lock_guard<std::mutex> guard(env.env_lock);
  return env.lock_wait_total;
}

std::mutex& conversion_lock(ConversionLock which) {
  // Created with the process and never destroyed, so conversions that run
  // during process exit still find them.
  static std::mutex* const locks = new std::mutex[2];
  return locks[static_cast<int>(which)];
}

}  // namespace korva
