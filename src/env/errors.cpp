#include "env/errors.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "env/environment.h"

namespace korva {
namespace {

constexpr int kSlots = kErrorHashSlots;

int probe_step(int code) { return kSlots - 2 - (code % (kSlots - 2)); }

int table_index_linear(int code) {
  for (int i = 0; kErrorTable[i].code != 0; ++i)
    if (kErrorTable[i].code == code) return i;
  return -1;
}

int table_index_hashed(const int32_t* slots, int code) {
  int s = code % kSlots;
  const int step = probe_step(code);
  for (int probes = 0; probes < kSlots && slots[s] != -1; ++probes) {
    if (kErrorTable[slots[s]].code == code) return slots[s];
    s = (s + step) % kSlots;
  }
  return -1;
}

// Error reporting must not change deterministic time: the current counter is
// set aside while the message is formatted.
struct SuspendTicks {
  explicit SuspendTicks(Environment* env) : env_(env) {
    env_->ticks.push(&dummy_tick_counter());
  }
  ~SuspendTicks() { env_->ticks.pop(); }
  Environment* env_;
};

bool presolve_outcome(int code) {
  switch (code) {
    case 1101: case 1106: case 1117: case 1118: case 1123: case 1124:
      return true;
    default:
      return false;
  }
}

}  // namespace

void fill_error_hash(int32_t* slots) {
  for (int s = 0; s < kSlots; ++s) slots[s] = -1;
  for (int i = 0; kErrorTable[i].code != 0; ++i) {
    const int code = kErrorTable[i].code;
    int s = code % kSlots;
    while (slots[s] != -1) s = (s + probe_step(code)) % kSlots;
    slots[s] = i;
  }
}

const char* error_text(const Environment* env, int code) {
  if (code <= 0) return nullptr;
  const int i = env ? table_index_hashed(env->error_hash, code) : table_index_linear(code);
  return i < 0 ? nullptr : kErrorTable[i].text;
}

int report_error(Environment* env, int status) {
  if (status <= 0) return -status;
  if (!is_valid_env(env)) return status;
  if (status == err::kTaskSignalled) return status;
  if (presolve_outcome(status) && env->int_param(hidden_param::kPresolveMessages) == 0)
    return status;
  SuspendTicks suspend(env);
  const char* text = error_text(env, status);
  if (text) {
    // The message goes out verbatim: conversions in it stay unfilled here.
    msg(env->error(), "KORVA Error %5d: %s.\n", status, text);
  } else {
    msg(env->error(), "KORVA Error %5d:  Unknown error code.\n", status);
  }
  return status;
}

int report_formatted(Environment* env, int code, ...) {
  if (!is_valid_env(env)) return -code;
  SuspendTicks suspend(env);
  const char* text = error_text(env, code);
  char* format = env->message_buffer;
  if (text)
    std::snprintf(format, KRV_MESSAGEBUFSIZE, "KORVA Error %5d: %s.\n", code, text);
  else
    std::snprintf(format, KRV_MESSAGEBUFSIZE, "Unknown error code %d.\n", code);
  va_list args;
  va_start(args, code);
  vmsg(env->error(), format, args);
  va_end(args);
  return -code;
}

int check_range(Environment* env, const char* function, long long begin, long long end,
                long long count) {
  if (begin < 0) {
    report_formatted(env, err::kBeginTooSmall, function, begin, 0LL);
    return err::kIndexRange;
  }
  if (end > count - 1) {
    report_formatted(env, err::kEndTooBig, function, end, count - 1);
    return err::kIndexRange;
  }
  return 0;
}

int clamp_to_int(Environment* env, long long value) {
  if (value > 2147483647LL) {
    report_error(env, err::kInt32Overflow);
    return 2147483647;
  }
  if (value < -2147483648LL) {
    report_error(env, err::kInt32Overflow);
    return -2147483647 - 1;
  }
  return static_cast<int>(value);
}

}  // namespace korva
