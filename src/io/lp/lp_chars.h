// Character classes of the LP format. Each ASCII character has a set of
// class bits that drive the tokenizer; bytes of 128 and above (UTF-8
// sequences) are always name characters, so names may use any script.
#pragma once
#include <cstdint>
#include <initializer_list>

namespace korva::lp {

enum CharClass : uint16_t {
  kValid = 1 << 0,
  kNameStart = 1 << 1,   // may begin a name
  kNumber = 1 << 2,      // may appear in a number
  kDigit = 1 << 3,
  kExponent = 1 << 4,    // e, E
  kSign = 1 << 5,        // + -
  kDelimiter = 1 << 6,   // ends a name
  kSense = 1 << 7,       // < > =
  kArrow = 1 << 8,       // - < >
  kBlank = 1 << 9,       // space, tab
  kQuadOp = 1 << 10,     // [ ] * / ^
  kEndOfLine = 1 << 11,  // NUL, newline, form feed, carriage return, backslash
};

struct CharTable {
  uint16_t bits[256];
  // A character as a table index (plain char may be signed).
  static constexpr int at(char c) { return static_cast<unsigned char>(c); }
  constexpr CharTable() : bits() {
    for (int c = 0; c < 256; ++c) bits[c] = 0;
    for (int c = 'a'; c <= 'z'; ++c) bits[c] = kValid | kNameStart;
    for (int c = 'A'; c <= 'Z'; ++c) bits[c] = kValid | kNameStart;
    for (const char c : {'!', '"', '#', '$', '%', '&', '\'', '(', ')', ',', ';', '?', '@', '_',
                         '`', '{', '}', '~'})
      bits[at(c)] = kValid | kNameStart;
    bits[at('e')] = bits[at('E')] = kValid | kNameStart | kNumber | kExponent;
    for (int c = '0'; c <= '9'; ++c) bits[c] = kValid | kNumber | kDigit;
    bits[at('.')] = kValid | kNumber;
    bits[at('+')] = kValid | kNumber | kSign | kDelimiter;
    bits[at('-')] = kValid | kNumber | kSign | kDelimiter | kArrow;
    bits[at('<')] = bits[at('>')] = kValid | kSense | kDelimiter | kArrow;
    bits[at('=')] = kValid | kSense | kDelimiter;
    bits[at(':')] = bits[at('|')] = kValid | kDelimiter;
    bits[at(' ')] = kValid | kDelimiter | kBlank;
    for (const char c : {'[', ']', '*', '/', '^'})
      bits[at(c)] = kValid | kDelimiter | kQuadOp;
    bits[at('\t')] = kValid | kBlank;
    for (const int c : {0, int{'\n'}, int{'\f'}, int{'\r'}, int{'\\'}}) bits[c] = kEndOfLine;
    for (int c = 128; c < 256; ++c) bits[c] = kValid | kNameStart;
    // Everything left at 0 (other control characters, DEL) is invalid.
  }
};

inline constexpr CharTable kChars{};

inline bool has(unsigned char c, uint16_t cls) { return (kChars.bits[c] & cls) != 0; }
inline bool has(char c, uint16_t cls) { return has(static_cast<unsigned char>(c), cls); }
inline bool is_invalid(char c) { return kChars.bits[CharTable::at(c)] == 0; }

}  // namespace korva::lp
