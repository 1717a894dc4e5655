#include "env/time_limit.h"

#include <cmath>

#include "env/clock.h"
#include "env/environment.h"

namespace korva {

TickCounter& dummy_tick_counter() {
  static thread_local TickCounter dummy;
  return dummy;
}

double current_time(const Environment& env) {
  switch (env.int_param(KRV_PARAM_CLOCKTYPE)) {
    case 1:
      return cpu_seconds();
    case 2:
      return wall_seconds();
    default:
      if (env.int_param(KRV_PARAM_THREADS) == 1 || usable_processors(env) == 1)
        return cpu_seconds();
      return wall_seconds();
  }
}

void push_time_limit(Environment& env, TimeLimitFrame& frame) {
  if (const TimeLimitFrame* outer = env.time_limit_top) {
    frame.deadline = outer->deadline;
    frame.tick_deadline = outer->tick_deadline;
    frame.inherited_counter = outer->inherited_counter;
    frame.deadline_inherited = outer->deadline_inherited;
    frame.inherited_value = outer->inherited_value;
  }
  frame.previous = env.time_limit_top;
  frame.start_time = frame.start_time_copy = current_time(env);
  frame.start_ticks = frame.start_ticks_copy = env.ticks.now();

  const double tilim = env.dbl_param(KRV_PARAM_TILIM);
  if (tilim < kNoDeadline) {
    const double candidate = frame.start_time + tilim;
    if (frame.deadline - 1e-10 > candidate) {
      frame.deadline = candidate;
      frame.deadline_inherited = 0;
    }
  }
  const double ticks = env.dbl_param(KRV_PARAM_DETTILIM) * kTicksPerDetSecond;
  if (ticks < 18446744073709551616.0) {
    const uint64_t limit = static_cast<uint64_t>(ticks);
    if (frame.start_ticks + limit >= frame.start_ticks && frame.start_ticks + limit < frame.tick_deadline)
      frame.tick_deadline = frame.start_ticks + limit;
  }
  env.time_limit_top = &frame;
}

void pop_time_limit(Environment& env) {
  if (env.time_limit_top) env.time_limit_top = env.time_limit_top->previous;
}

bool time_limit_reached(const Environment& env) {
  const TimeLimitFrame* f = env.time_limit_top;
  return f && f->deadline < kNoDeadline && current_time(env) >= f->deadline;
}

bool tick_limit_reached(const Environment& env) {
  const TimeLimitFrame* f = env.time_limit_top;
  return f && f->tick_deadline != kNoTickDeadline && env.ticks.now() >= f->tick_deadline;
}

double time_remaining(const Environment& env) {
  const TimeLimitFrame* f = env.time_limit_top;
  if (!f || f->deadline >= kNoDeadline) return kNoDeadline;
  return f->deadline - current_time(env);
}

}  // namespace korva
