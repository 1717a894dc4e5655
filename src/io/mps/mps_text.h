// The text level of the MPS reader: character classes, lines, and the
// split of a data line into fields, by blanks (free format) or by the
// classical column positions (fixed format).
#pragma once
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korva::mps {

// Character classes of 7-bit characters; bytes of 128 and above (UTF-8
// sequences) are name characters.
enum CharClass : uint8_t {
  kNameChar = 1 << 0,     // printable, may be part of a name
  kDigit = 1 << 1,
  kCommentStart = 1 << 2, // '*' and control characters other than blanks
  kRowType = 1 << 3,      // N E L G in either case
  kExponent = 1 << 4,     // e E d D
  kBlank = 1 << 5,        // separates fields: space, tab and other control characters
};

constexpr std::array<uint8_t, 256> make_char_classes() {
  std::array<uint8_t, 256> t{};
  for (int c = 0; c < 256; ++c) {
    uint8_t bits = 0;
    if ((c > 32 && c < 127) || c >= 128) bits |= kNameChar;
    if (c <= 32 || c == 127) bits |= kBlank;
    if (c >= '0' && c <= '9') bits |= kDigit;
    if (c == '*' || ((c < 32 || c == 127) && c != ' ' && c != '\t')) bits |= kCommentStart;
    for (char r : {'N', 'E', 'L', 'G', 'n', 'e', 'l', 'g'})
      if (c == r) bits |= kRowType;
    for (char e : {'e', 'E', 'd', 'D'})
      if (c == e) bits |= kExponent;
    t[c] = bits;
  }
  return t;
}
inline constexpr std::array<uint8_t, 256> kCharClasses = make_char_classes();

inline bool has_class(char c, CharClass cls) {
  return (kCharClasses[static_cast<unsigned char>(c)] & cls) != 0;
}

// Fields of a data line by their fixed-format positions: 0 = columns 2-3,
// 1 = 5-12, 2 = 15-22, 3 = 25-36, 4 = 40-47, 5 = 50-61. Free-format
// tokens are placed into these positions by the section that reads them.
inline constexpr int kFieldCount = 6;
struct Fields {
  std::string_view f[kFieldCount];
};

// Where a run of blanks (skip_blanks) or of other characters (skip_word)
// starting at p ends. Data lines are mostly blanks that pad the fields to
// their columns, so both look at 16 bytes at a time where the line has
// them.
inline uint32_t blank_mask16(const char* p) {
#if defined(__SSE2__)
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i space = _mm_set1_epi8(32);
  // x <= 32 unsigned (then min(x, 32) == x), or DEL.
  const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(x, space), x);
  const __m128i del = _mm_cmpeq_epi8(x, _mm_set1_epi8(127));
  return static_cast<uint32_t>(_mm_movemask_epi8(_mm_or_si128(low, del)));
#else
  uint32_t m = 0;
  for (int i = 0; i < 16; ++i)
    if (has_class(p[i], kBlank)) m |= 1u << i;
  return m;
#endif
}
inline const char* skip_blanks(const char* p, const char* end) {
  for (; end - p >= 16; p += 16)
    if (const uint32_t m = ~blank_mask16(p) & 0xFFFF) return p + __builtin_ctz(m);
  while (p < end && has_class(*p, kBlank)) ++p;
  return p;
}
inline const char* skip_word(const char* p, const char* end) {
  for (; end - p >= 16; p += 16)
    if (const uint32_t m = blank_mask16(p)) return p + __builtin_ctz(m);
  while (p < end && !has_class(*p, kBlank)) ++p;
  return p;
}

// Splits a line at blanks; stores at most `max` tokens and returns the
// number of tokens found (which may exceed `max`).
inline int split_blanks(std::string_view line, std::string_view* tokens, int max) {
  const char* p = line.data();
  const char* end = p + line.size();
  int count = 0;
  for (;;) {
    p = skip_blanks(p, end);
    if (p == end) return count;
    const char* start = p;
    p = skip_word(p, end);
    if (count < max) tokens[count] = std::string_view(start, static_cast<size_t>(p - start));
    ++count;
  }
}

// Splits a data line by the fixed column positions. Each field loses its
// leading and trailing blanks. False when something other than blanks
// stands between the fields (columns 1, 4, 13-14, 23-24 and 37-39,
// 48-49); text after column 61 is ignored. `blank_in_name` is set when a
// name field (columns 5-12, 15-22 or 40-47) holds a blank between other
// characters.
bool split_fixed(std::string_view line, Fields& fields, bool& blank_in_name);

// First blank-separated word of `text` and the rest after it.
inline std::string_view first_word(std::string_view text, std::string_view* rest = nullptr) {
  size_t i = 0;
  while (i < text.size() && has_class(text[i], kBlank)) ++i;
  size_t j = i;
  while (j < text.size() && !has_class(text[j], kBlank)) ++j;
  if (rest) *rest = text.substr(j);
  return text.substr(i, j - i);
}

// ASCII case-insensitive comparison with an upper-case word.
inline bool equals_upper(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

inline bool starts_with_upper(std::string_view text, std::string_view upper) {
  return text.size() >= upper.size() && equals_upper(text.substr(0, upper.size()), upper);
}

}  // namespace korva::mps
