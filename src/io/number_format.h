// The one number format of the text model writers: 15 significant digits,
// fixed notation for decimal exponents from -5 to 15 and exponential
// notation outside (exponent letter 'e', signed, no leading zeros: 1e+20,
// 1.5e-7), trailing zeros dropped, independent of the locale.
#pragma once
#include <cstddef>

namespace korva {

inline constexpr size_t kNumberTextSize = 32;

// Writes `value` (with a leading '-' when negative; zero is "0") into `out`
// (at least kNumberTextSize bytes, NUL-terminated) and returns its length.
// `representable` is false for infinities and NaN, which come out as the
// formatter's text for them ("inf", "nan").
size_t format_number(double value, char* out, bool& representable);

}  // namespace korva
