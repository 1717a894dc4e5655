#include "io/lp/lp_number.h"

#include <charconv>
#include <cmath>

#include "io/lp/lp_chars.h"

namespace korva::lp {
namespace {

constexpr int kMaxExponent = 37;

bool is_digit(const char* p, const char* end) { return p < end && *p >= '0' && *p <= '9'; }

}  // namespace

NumberScan scan_number(const char* p, const char* end, bool allow_sign) {
  NumberScan r;
  const char* q = p;
  bool negative = false;
  if (allow_sign && q < end && (*q == '+' || *q == '-')) {
    negative = *q == '-';
    r.has_sign = true;
    ++q;
  }
  if (q < end && (*q == 'e' || *q == 'E')) {
    r.status = NumberScan::kNotStarted;
    r.end = q + 1;
    return r;
  }
  const char* digits = q;
  int count = 0;
  while (is_digit(q, end)) ++q, ++count;
  if (q < end && *q == '.') {
    ++q;
    while (is_digit(q, end)) ++q, ++count;
  }
  r.end = q;
  if (count == 0) {
    r.status = NumberScan::kNoDigits;
    return r;
  }
  const char* mantissa_end = q;
  int exponent = 0;
  if (q < end && (*q == 'e' || *q == 'E')) {
    const char* x = q + 1;
    const bool signed_exp = x < end && (*x == '+' || *x == '-');
    const char* first = signed_exp ? x + 1 : x;
    if (!is_digit(first, end)) {
      // 2ex is the coefficient 2 of the column ex; 2e, 2e+ and 2e+x are
      // unfinished exponents.
      if (!signed_exp && x < end && !has(*x, kDelimiter | kEndOfLine | kBlank)) {
        r.status = NumberScan::kOk;
      } else {
        r.status = NumberScan::kNotEnded;
        r.end = first;
        return r;
      }
    } else {
      const bool negative_exp = signed_exp && *x == '-';
      q = first;
      long long e = 0;
      while (is_digit(q, end)) {
        if (e < 1000000) e = e * 10 + (*q - '0');
        ++q;
      }
      r.end = q;
      if (!negative_exp && e > kMaxExponent) {
        r.status = NumberScan::kOutOfRange;
        return r;
      }
      if (negative_exp && e > kMaxExponent) {
        r.status = NumberScan::kOk;
        r.value = 0.0;
        return r;
      }
      exponent = static_cast<int>(negative_exp ? -e : e);
    }
  }
  // The digits are converted in one correctly rounded step, so a number
  // written with 15 significant digits reads back to the value written.
  double value = 0.0;
  const char* convert_end = exponent != 0 ? r.end : mantissa_end;
  const auto res = std::from_chars(digits, convert_end, value, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    // Hundreds of digits: too large for a double, or too small.
    const char* d = digits;
    while (d < mantissa_end && *d == '0') ++d;
    int whole = 0;
    while (d < mantissa_end && *d != '.') ++d, ++whole;
    value = whole + exponent > 0 ? HUGE_VAL : 0.0;
  }
  r.status = NumberScan::kOk;
  r.value = negative ? -value : value;
  return r;
}

}  // namespace korva::lp
