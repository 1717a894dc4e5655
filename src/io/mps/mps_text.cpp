#include "io/mps/mps_text.h"

namespace korva::mps {
namespace {

struct Span {
  int first;  // 0-based column of the field's first character
  int last;   // 0-based column of its last character
};
// Columns 2-3, 5-12, 15-22, 25-36, 40-47, 50-61.
constexpr Span kFieldSpans[kFieldCount] = {{1, 2}, {4, 11}, {14, 21}, {24, 35}, {39, 46}, {49, 60}};
constexpr bool kNameField[kFieldCount] = {false, true, true, false, true, false};

std::string_view trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

bool split_fixed(std::string_view line, Fields& fields, bool& blank_in_name) {
  const int length = static_cast<int>(line.size());
  int column = 0;
  for (int k = 0; k < kFieldCount; ++k) {
    // The gap before the field must be blank.
    for (; column < kFieldSpans[k].first && column < length; ++column)
      if (line[column] != ' ') return false;
    const int first = kFieldSpans[k].first;
    const int last = kFieldSpans[k].last < length ? kFieldSpans[k].last : length - 1;
    if (first > last) {
      fields.f[k] = std::string_view();
      continue;
    }
    const std::string_view raw = line.substr(first, static_cast<size_t>(last - first + 1));
    // Tabs and other control characters have no column position.
    for (char c : raw)
      if (c != ' ' && has_class(c, kBlank)) return false;
    fields.f[k] = trim(raw);
    if (kNameField[k] && fields.f[k].find(' ') != std::string_view::npos) blank_in_name = true;
    column = last + 1;
  }
  return true;
}

}  // namespace korva::mps
