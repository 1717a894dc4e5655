// What the callback queries share: the where-value sets, finding the
// record behind cbdata, and writing a typed answer through the caller's
// void* (ints that do not fit give 1810 with the clamped value).
#pragma once
#include <cstdint>
#include <limits>

#include "env/errors.h"
#include "mip/callback_data.h"

namespace korva::mip::cbq {

inline bool mip_where(int w) { return w >= 101 && w <= 118 && w != 112; }
inline bool node_where(int w) { return (w >= 102 && w <= 106) || w == 111 || (w >= 113 && w <= 118); }
inline bool cut_where(int w) { return where::is_cut_context(w); }
inline bool branch_where(int w) { return where::is_branch_context(w); }

// 1003 for a where-value outside `allowed`, 1006 without a search record.
inline int find_record(void* cbdata, int wherefrom, bool (*allowed)(int), MipCallbackData** out) {
  if (!allowed(wherefrom)) return err::kBadArgument;
  *out = callback_data_of(cbdata);
  return *out ? 0 : err::kCallbackError;
}

enum class Kind { Int, Long, Double, Char, Pointer };

struct Answer {
  Kind kind = Kind::Int;
  int64_t integer = 0;
  double real = 0.0;
  void* pointer = nullptr;

  static Answer of_int(int64_t v) { return {Kind::Int, v, 0.0, nullptr}; }
  static Answer of_long(int64_t v) { return {Kind::Long, v, 0.0, nullptr}; }
  static Answer of_double(double v) { return {Kind::Double, 0, v, nullptr}; }
  static Answer of_char(char c) { return {Kind::Char, c, 0.0, nullptr}; }
  static Answer of_pointer(void* p) { return {Kind::Pointer, 0, 0.0, p}; }
};

// 0, or 1810 after storing the clamped value of an int that does not fit.
inline int store(const Answer& a, void* result) {
  switch (a.kind) {
    case Kind::Int: {
      constexpr int64_t lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
      *static_cast<int*>(result) = static_cast<int>(a.integer < lo ? lo : a.integer > hi ? hi : a.integer);
      return a.integer < lo || a.integer > hi ? err::kInt32Overflow : 0;
    }
    case Kind::Long:
      *static_cast<long long*>(result) = a.integer;
      return 0;
    case Kind::Double:
      *static_cast<double*>(result) = a.real;
      return 0;
    case Kind::Char:
      *static_cast<char*>(result) = static_cast<char>(a.integer);
      return 0;
    case Kind::Pointer:
      *static_cast<void**>(result) = a.pointer;
      return 0;
  }
  return 0;
}

// A value in the minimisation sense as the user sees it: times the sense,
// infinities as 1e75.
inline double user_objective(double internal, int objsense) {
  constexpr double kNoValue = 1e75;
  const double v = internal >= kNoValue ? kNoValue : internal <= -kNoValue ? -kNoValue : internal;
  return objsense * v;
}

}  // namespace korva::mip::cbq
