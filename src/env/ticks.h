// Deterministic work accounting. Every algorithm charges the environment's
// current tick counter in proportion to the work it did, so that the
// deterministic time limit depends on work, never on machine speed.
#pragma once
#include <cstdint>

namespace korva {

struct TickCounter {
  uint64_t value = 0;
  int shift = 0;
  void charge(uint64_t amount) { value += amount << shift; }
};

// Charging this counter has no effect on any environment: error reporting
// switches to it so that printing a message never costs deterministic time.
// Each thread has its own, so that teams never race on it.
TickCounter& dummy_tick_counter();

struct TickArea {
  static constexpr int kStackDepth = 128;
  TickCounter own;                   // this environment's counter
  TickCounter* current = nullptr;    // where charges go now
  TickCounter* stack[kStackDepth] = {};
  int64_t depth = 0;

  void charge(uint64_t amount) { current->charge(amount); }
  uint64_t now() const { return current->value; }
  // Pushes the current counter and makes `c` current. Beyond the stack's
  // capacity the current counter stays in place, so that the matching pop
  // still finds the right counter to return to.
  void push(TickCounter* c) {
    if (depth < kStackDepth) {
      stack[depth] = current;
      current = c;
    }
    ++depth;
  }
  void pop() {
    if (depth <= 0) return;
    --depth;
    if (depth < kStackDepth) current = stack[depth];
  }
};

// Suspends deterministic accounting for a scope (error reporting).
class SuspendedTicks {
 public:
  explicit SuspendedTicks(TickArea& area) : area_(area) { area_.push(&dummy_tick_counter()); }
  ~SuspendedTicks() { area_.pop(); }
  SuspendedTicks(const SuspendedTicks&) = delete;
  SuspendedTicks& operator=(const SuspendedTicks&) = delete;

 private:
  TickArea& area_;
};

}  // namespace korva
