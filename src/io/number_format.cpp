#include "io/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace korva {

size_t format_number(double value, char* out, bool& representable) {
  representable = std::isfinite(value);
  if (!representable) {
    const char* text = std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf";
    std::strcpy(out, text);
    return std::strlen(text);
  }
  if (value == 0.0) {  // also -0
    std::strcpy(out, "0");
    return 1;
  }
  char* p = out;
  if (value < 0) {
    *p++ = '-';
    value = -value;
  }
  // Whole numbers below 1e15 have at most 15 digits: written as they are.
  if (value < 1e15 && value == std::floor(value)) {
    p = std::to_chars(p, out + kNumberTextSize - 1, static_cast<long long>(value)).ptr;
    *p = '\0';
    return static_cast<size_t>(p - out);
  }
  char sci[40];
  const auto res = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 14);
  *res.ptr = '\0';
  // sci is "d.dddddddddddddde[+-]xx": collect the digits and the exponent.
  char digits[16] = {};
  int n = 0;
  const char* s = sci;
  for (; *s && *s != 'e'; ++s)
    if (*s != '.') digits[n++] = *s;
  const int exponent = std::atoi(s + 1);
  while (n > 1 && digits[n - 1] == '0') --n;
  if (exponent >= -5 && exponent <= 15) {
    if (exponent >= 0) {
      for (int k = 0; k <= exponent; ++k) *p++ = k < n ? digits[k] : '0';
      if (n > exponent + 1) {
        *p++ = '.';
        for (int k = exponent + 1; k < n; ++k) *p++ = digits[k];
      }
    } else {
      *p++ = '0';
      *p++ = '.';
      for (int k = 1; k < -exponent; ++k) *p++ = '0';
      for (int k = 0; k < n; ++k) *p++ = digits[k];
    }
  } else {
    *p++ = digits[0];
    if (n > 1) {
      *p++ = '.';
      for (int k = 1; k < n; ++k) *p++ = digits[k];
    }
    *p++ = 'e';
    *p++ = exponent < 0 ? '-' : '+';
    p = std::to_chars(p, out + kNumberTextSize - 1, exponent < 0 ? -exponent : exponent).ptr;
  }
  *p = '\0';
  return static_cast<size_t>(p - out);
}

}  // namespace korva
