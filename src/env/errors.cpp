#include "env/errors.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "env/environment.h"

namespace korva {
namespace {

constexpr int kSlots = kErrorHashSlots;

// Double hashing: the step depends on the code modulo the slot count less
// two, so that codes sharing a home slot follow different paths.
int probe_step(int code) { return kSlots - 2 - (code % (kSlots - 2)); }

int table_index_linear(int code) {
  for (int i = 0; kErrorTable[i].code != 0; ++i)
    if (kErrorTable[i].code == code) return i;
  return -1;
}

// The codes whose messages only say how presolve ended; hidden parameter
// 1043 silences them while the codes are still returned.
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

int error_index(const int32_t* slots, int code) {
  if (code <= 0) return -1;
  if (!slots) return table_index_linear(code);
  int s = code % kSlots;
  const int step = probe_step(code);
  for (int probes = 0; probes < kSlots && slots[s] != -1; ++probes) {
    if (kErrorTable[slots[s]].code == code) return slots[s];
    s = (s + step) % kSlots;
  }
  return -1;
}

const char* error_text(const Environment* env, int code) {
  const int i = error_index(env ? env->error_hash : nullptr, code);
  return i < 0 ? nullptr : kErrorTable[i].text;
}

int report_error(Environment* env, int status) {
  if (status <= 0) return -status;
  if (!is_valid_env(env)) return status;
  if (status == err::kTaskSignalled) return status;
  if (presolve_outcome(status) && env->int_param(hidden_param::kPresolveMessages) == 0)
    return status;
  SuspendedTicks suspend(env->ticks);
  const char* text = error_text(env, status);
  char* line = env->message_buffer;
  // The message goes out verbatim: conversions in it stay unfilled here.
  if (text)
    std::snprintf(line, KRV_MESSAGEBUFSIZE, "KORVA Error %5d: %s.\n", status, text);
  else
    std::snprintf(line, KRV_MESSAGEBUFSIZE, "KORVA Error %5d:  Unknown error code.\n", status);
  msg(env->error(), "%s", line);
  return status;
}

const char* error_format(Environment* env, int code) {
  if (!is_valid_env(env)) return nullptr;
  const char* text = error_text(env, code);
  char* format = env->message_buffer;
  if (text)
    std::snprintf(format, KRV_MESSAGEBUFSIZE, "KORVA Error %5d: %s.\n", code, text);
  else
    std::snprintf(format, KRV_MESSAGEBUFSIZE, "Unknown error code %d.\n", code);
  return format;
}

int report_formatted(Environment* env, int code, ...) {
  if (!is_valid_env(env)) return -code;
  SuspendedTicks suspend(env->ticks);
  if (!error_text(env, code)) {
    msg(env->error(), "Unknown error code %d.\n", code);
    return -code;
  }
  const char* format = error_format(env, code);
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
