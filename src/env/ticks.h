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
TickCounter& dummy_tick_counter();

struct TickArea {
  static constexpr int kStackDepth = 128;
  TickCounter own;                   // this environment's counter
  TickCounter* current = nullptr;    // where charges go now
  TickCounter* stack[kStackDepth] = {};
  int64_t depth = 0;

  void charge(uint64_t amount) { current->charge(amount); }
  uint64_t now() const { return current->value; }
  // Pushes the current counter and makes `c` current. A full stack keeps the
  // current counter, so suspend/resume pairs stay balanced.
  void push(TickCounter* c) {
    if (depth < kStackDepth) stack[depth] = current;
    ++depth;
    current = c;
  }
  void pop() {
    --depth;
    if (depth < kStackDepth) current = stack[depth];
  }
};

}  // namespace korva
