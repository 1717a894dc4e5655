// Names written into files are cut to a byte limit (255 in the solution and
// MIP-start files); the cut never splits a UTF-8 sequence, so the file
// encoding's converter always sees whole characters.
#pragma once
#include <string_view>

namespace korva {

inline std::string_view utf8_cut(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t n = limit;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

}  // namespace korva
