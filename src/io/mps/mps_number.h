// Numbers in MPS files: the locale-independent reader (with the 'D'
// exponent letter of older Fortran writers) and the writer's 12-character
// layout (the 15-digit layout is the text writers' common one,
// io/number_format.h).
#pragma once
#include <string_view>

namespace korva::mps {

// Parses the whole of `text` as a decimal number. Accepts a leading sign,
// exponent letters e, E, d and D, and "inf"/"infinity" (as +-1e20, the
// library's infinity). A value too small for a double reads as zero.
// False for anything else (including NaN and overflow).
bool parse_number(std::string_view text, double& value);

// Longest text the formatter produces, without the terminator.
inline constexpr int kMaxNumberText = 32;

// Fits the value into 12 characters with exponent letter 'E': the number of
// significant digits depends on the magnitude (see the table in the .cpp),
// fixed notation for decimal exponents from -2 to 10 (negative values) or
// 11 (others).
int format_number12(double value, char* out, bool& representable);

// The shortest text of at most 12 characters that reads back to exactly
// `value`; the 12-character layout above when there is none.
int format_shortest12(double value, char* out, bool& representable);

}  // namespace korva::mps
