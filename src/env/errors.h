// Error codes, their texts and the single report routine through which every
// failure reaches the error channel exactly once.
//
// Internal convention: an operation returns 0, a positive code that has not
// been printed yet, or the negated code once it has been printed. The report
// routine prints positive codes and turns every code positive.
#pragma once
#include <cstdint>

#include "env/error_codes.h"

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

struct ErrorEntry {
  int code;
  const char* text;
};
extern const ErrorEntry kErrorTable[];  // terminated by {0, nullptr}

// Fills the environment's 479-slot table with indices into kErrorTable.
void fill_error_hash(int32_t* slots);
// Index in kErrorTable by the hash table (or a linear search without one), -1 if unknown.
int error_index(const int32_t* slots, int code);
// Text of `code` (unfilled printf format) or nullptr for an unknown code.
const char* error_text(const Environment* env, int code);

// Prints a not yet printed code and returns its absolute value.
int report_error(Environment* env, int status);

// Composes "KORVA Error %5d: " + the code's message + ".\n" in the
// environment's message buffer and returns it as a printf format for the
// caller's arguments ("Unknown error code %d.\n" for an unknown code). Null
// for an invalid environment.
const char* error_format(Environment* env, int code);

// Prints the composed format filled with the arguments to the error channel
// and returns -code (printed). An unknown code prints its number instead.
int report_formatted(Environment* env, int code, ...);

// Exception used inside operations to abandon work with a code; the calling
// frame turns it into a return value.
struct Failure {
  int code;
};
[[noreturn]] inline void fail(int code) { throw Failure{code}; }

// Range checks of begin/end getters: prints the 1205/1206 line naming the
// exported function and returns 1200 (which the frame then reports), or 0.
int check_range(Environment* env, const char* function, long long begin, long long end,
                long long count);

// The surplus convention: 1207 (silent when space is 0) when space < needed.
inline int surplus_status(long long space, long long needed) {
  if (space >= needed) return 0;
  return space == 0 ? -err::kArrayTooShort : err::kArrayTooShort;
}

// Clamps a 64-bit count to 32 bits for the plain family, reporting 1810.
int clamp_to_int(Environment* env, long long value);

}  // namespace korva
