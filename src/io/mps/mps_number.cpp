#include "io/mps/mps_number.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace korva::mps {
namespace {

constexpr double kInfinity = 1e20;

// Out-of-range text is rare (1e-400, 1e+400); strtod_l in the "C" locale
// tells underflow (a tiny or zero result) from overflow (HUGE_VAL).
bool parse_out_of_range(const char* first, const char* last, double& value) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
  char buffer[128];
  const size_t n = static_cast<size_t>(last - first);
  if (n >= sizeof buffer || !c_locale) return false;
  std::memcpy(buffer, first, n);
  buffer[n] = '\0';
  const double v = strtod_l(buffer, nullptr, c_locale);
  if (std::isinf(v)) return false;
  value = v;
  return true;
}

// Parses an unsigned decimal with exponent letter e/E, or d/D.
bool parse_unsigned(const char* first, const char* last, double& value) {
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ptr != last) {
    if (ec != std::errc() || (*ptr != 'd' && *ptr != 'D')) return false;
    // Fortran writers use D for the exponent; from_chars only knows E.
    char buffer[128];
    const size_t n = static_cast<size_t>(last - first);
    if (n >= sizeof buffer) return false;
    std::memcpy(buffer, first, n);
    buffer[ptr - first] = 'e';
    return parse_unsigned(buffer, buffer + n, value);
  }
  if (ec == std::errc::result_out_of_range) return parse_out_of_range(first, last, value);
  return ec == std::errc();
}

// Writes the significant digits `digits` (no trailing zeros) with decimal
// exponent `exponent` in fixed notation when lo <= exponent <= hi, else as
// d.ddd followed by the exponent letter, its sign and its digits.
int compose(bool negative, const char* digits, int count, int exponent, char letter, int lo,
            int hi, char* out) {
  char* p = out;
  if (negative) *p++ = '-';
  if (exponent >= lo && exponent <= hi) {
    if (exponent >= 0) {
      for (int i = 0; i <= exponent; ++i) *p++ = i < count ? digits[i] : '0';
      if (count > exponent + 1) {
        *p++ = '.';
        for (int i = exponent + 1; i < count; ++i) *p++ = digits[i];
      }
    } else {
      *p++ = '0';
      *p++ = '.';
      for (int i = 0; i < -exponent - 1; ++i) *p++ = '0';
      for (int i = 0; i < count; ++i) *p++ = digits[i];
    }
  } else {
    *p++ = digits[0];
    if (count > 1) {
      *p++ = '.';
      for (int i = 1; i < count; ++i) *p++ = digits[i];
    }
    *p++ = letter;
    *p++ = exponent < 0 ? '-' : '+';
    p = std::to_chars(p, p + 8, exponent < 0 ? -exponent : exponent).ptr;
  }
  return static_cast<int>(p - out);
}

// Text of NaN and infinities (as the 15-digit formatter writes them).
int special_text(double value, char* out) {
  const char* text = std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf";
  const size_t n = std::strlen(text);
  std::memcpy(out, text, n);
  return static_cast<int>(n);
}

// Rounds |value| to `significant` digits and composes it.
int format_rounded(double value, int significant, char letter, int lo, int hi, char* out) {
  if (value == 0.0) {
    out[0] = '0';
    return 1;
  }
  char sci[48];
  const auto result = std::to_chars(sci, sci + sizeof sci, std::fabs(value),
                                    std::chars_format::scientific, significant - 1);
  // sci is "d.ddd...e+XX" (or "de+XX" for one digit).
  char digits[24];
  int count = 0;
  const char* p = sci;
  for (; p < result.ptr && *p != 'e'; ++p)
    if (*p != '.') digits[count++] = *p;
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+'), result.ptr, exponent);
  while (count > 1 && digits[count - 1] == '0') --count;
  return compose(value < 0, digits, count, exponent, letter, lo, hi, out);
}

// Significant digits that keep a value within 12 characters.
int digits_for_12(double v) {
  if (v <= -1e100 || (v < 0 && v > -1e-99)) return 5;
  if (v >= 1e100 || (v > -1e-9 && v < 1e-99) || v <= -1e10) return 6;
  if (v >= 1e11 || (v > -0.01 && v < 1e-9)) return 7;
  if (v > -0.1 && v < 0.01) return 8;
  if (v > -1 && v < 0.1) return 9;
  if (v < 1) return 10;
  return 11;
}

}  // namespace

bool parse_number(std::string_view text, double& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first == last) return false;
  bool negative = false;
  if (*first == '+' || *first == '-') {
    negative = *first == '-';
    ++first;
  }
  // A second sign ("+-1") is not a number, though from_chars would take '-'.
  if (first == last || *first == '+' || *first == '-') return false;
  // Whole numbers of up to 15 digits (most coefficients of many models)
  // are exact as doubles: no need for the general conversion.
  if (last - first <= 15) {
    uint64_t whole = 0;
    const char* p = first;
    for (; p < last; ++p) {
      const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
      if (digit > 9) break;
      whole = 10 * whole + digit;
    }
    if (p == last) {
      const double w = static_cast<double>(whole);
      value = negative ? -w : w;
      return true;
    }
  }
  double v = 0.0;
  if (!parse_unsigned(first, last, v) || std::isnan(v)) return false;
  if (std::isinf(v)) v = kInfinity;
  value = negative ? -v : v;
  return true;
}

int format_number12(double value, char* out, bool& representable) {
  representable = std::isfinite(value);
  if (!representable) return special_text(value, out);
  return format_rounded(value, digits_for_12(value), 'E', -2, value < 0 ? 10 : 11, out);
}

int format_shortest12(double value, char* out, bool& representable) {
  representable = std::isfinite(value);
  if (!representable) return special_text(value, out);
  if (value == 0.0) {
    out[0] = '0';
    return 1;
  }
  // The shortest digits that read back to the same double.
  char sci[48];
  const auto result =
      std::to_chars(sci, sci + sizeof sci, std::fabs(value), std::chars_format::scientific);
  char digits[24];
  int count = 0;
  const char* p = sci;
  for (; p < result.ptr && *p != 'e'; ++p)
    if (*p != '.') digits[count++] = *p;
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+'), result.ptr, exponent);
  while (count > 1 && digits[count - 1] == '0') --count;
  const bool negative = value < 0;

  // Exponential candidates, with the exponent's sign only when negative:
  // d.dddEx, and the digits as a whole number, ddddEx (one character less
  // when there are several digits).
  auto exponential = [&](char* text, bool point) {
    char* p = text;
    if (negative) *p++ = '-';
    *p++ = digits[0];
    if (point && count > 1) *p++ = '.';
    for (int k = 1; k < count; ++k) *p++ = digits[k];
    const int e = point ? exponent : exponent - (count - 1);
    *p++ = 'E';
    if (e < 0) *p++ = '-';
    p = std::to_chars(p, p + 8, e < 0 ? -e : e).ptr;
    return static_cast<int>(p - text);
  };
  char best[48];
  int best_length = exponential(best, true);
  char whole[48];
  const int whole_length = exponential(whole, false);
  if (whole_length < best_length) {
    std::memcpy(best, whole, static_cast<size_t>(whole_length));
    best_length = whole_length;
  }
  if (exponent > -12 && exponent < 12) {
    char fixed[48];
    int n = compose(negative, digits, count, exponent, 'E', exponent, exponent, fixed);
    // "0.25" needs no leading zero: ".25" reads the same.
    const int zero = negative ? 1 : 0;
    if (n > zero + 1 && fixed[zero] == '0' && fixed[zero + 1] == '.') {
      std::memmove(fixed + zero, fixed + zero + 1, static_cast<size_t>(n - zero - 1));
      --n;
    }
    // Fixed notation reads best; exponential only when fixed does not fit.
    if (n <= 12 || n <= best_length) {
      std::memcpy(best, fixed, static_cast<size_t>(n));
      best_length = n;
    }
  }
  if (best_length > 12) return format_number12(value, out, representable);
  std::memcpy(out, best, static_cast<size_t>(best_length));
  return best_length;
}

}  // namespace korva::mps
