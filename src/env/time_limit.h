// Nested time-limit frames. Every long operation pushes a frame on entry and
// pops it on exit; a frame can only tighten the deadlines it inherits, so an
// inner operation never runs longer than any enclosing one.
#pragma once
#include <cstdint>

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

inline constexpr double kNoDeadline = 1e75;
inline constexpr uint64_t kNoTickDeadline = ~0ULL;
inline constexpr double kTicksPerDetSecond = 1048576.0;

struct TimeLimitFrame {
  TimeLimitFrame* previous = nullptr;
  double deadline = kNoDeadline;    // in the clock of KRV_PARAM_CLOCKTYPE
  double start_time = 0.0;
  double start_time_copy = 0.0;
  int64_t inherited_counter = 0;
  uint64_t tick_deadline = kNoTickDeadline;
  uint64_t start_ticks = 0;
  uint64_t start_ticks_copy = 0;
  uint64_t deadline_inherited = 1;  // 0 when this frame tightened the deadline
  uint64_t inherited_value = 0;
};

void push_time_limit(Environment& env, TimeLimitFrame& frame);
void pop_time_limit(Environment& env);

// Current time in seconds by KRV_PARAM_CLOCKTYPE (CPU or wall clock).
double current_time(const Environment& env);
bool time_limit_reached(const Environment& env);
bool tick_limit_reached(const Environment& env);
// Seconds left before the innermost deadline (kNoDeadline when none).
double time_remaining(const Environment& env);

class ScopedTimeLimit {
 public:
  explicit ScopedTimeLimit(Environment& env) : env_(env) { push_time_limit(env_, frame_); }
  ~ScopedTimeLimit() { pop_time_limit(env_); }
  ScopedTimeLimit(const ScopedTimeLimit&) = delete;
  ScopedTimeLimit& operator=(const ScopedTimeLimit&) = delete;
  const TimeLimitFrame& frame() const { return frame_; }

 private:
  Environment& env_;
  TimeLimitFrame frame_;
};

}  // namespace korva
