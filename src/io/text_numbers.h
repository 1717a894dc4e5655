// Numbers in attribute values and in the fields of the small text files:
// the whole text must be one number (blanks around it allowed), read
// independently of the locale.
#pragma once
#include <charconv>
#include <string_view>
#include <system_error>

namespace korva {

namespace detail {
inline std::string_view number_text(std::string_view text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  text = text.substr(first, text.find_last_not_of(blanks) - first + 1);
  // from_chars takes no plus sign.
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
  return text;
}
}  // namespace detail

inline bool parse_double(std::string_view text, double& value) {
  text = detail::number_text(text);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

inline bool parse_integer(std::string_view text, long long& value) {
  text = detail::number_text(text);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace korva
