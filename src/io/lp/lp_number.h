// Numbers of the LP format: an optional sign, digits with an optional
// decimal point, an optional exponent. Exponents are limited to 37 in
// magnitude: a larger positive one is an error, a smaller negative one
// makes the number 0. Reading never depends on the locale.
#pragma once

namespace korva::lp {

struct NumberScan {
  enum Status {
    kOk,
    kNoDigits,    // no mantissa digit: a lone sign, a lone '.', or no number at all
    kNotStarted,  // exponent letter first, or right after a lone sign (1618 "started")
    kNotEnded,    // exponent letter without digits after it (1618 "ended")
    kOutOfRange,  // exponent above 37 (1435)
  };
  Status status = kNoDigits;
  double value = 0.0;
  bool has_sign = false;
  const char* end = nullptr;  // first character after what was read
};

// Scans a number at p (text ends at `end`). A sign is read only when
// `allow_sign`. An exponent letter followed by a name character (not a
// digit, sign or delimiter) ends the number before it: in 2ex the 'e'
// starts the name ex.
NumberScan scan_number(const char* p, const char* end, bool allow_sign);

}  // namespace korva::lp
