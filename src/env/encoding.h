// Character-set conversion between named encodings and the library's
// internal UTF-8, on top of ICU converters.
#pragma once
#include <string>
#include <string_view>

struct UConverter;

namespace korva {

bool is_ascii(std::string_view text);

class Converter {
 public:
  Converter() = default;
  ~Converter();
  Converter(Converter&& other) noexcept;
  Converter& operator=(Converter&& other) noexcept;
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Opens a converter for `name`; an empty name selects the platform's
  // default encoding. Returns false when ICU does not know the encoding.
  bool open(std::string_view name);
  void close();
  bool is_open() const { return cnv_ != nullptr; }
  const std::string& name() const { return name_; }
  bool is_utf8() const { return utf8_; }
  // True when bytes below 128 mean ASCII characters in this encoding, so
  // 7-bit text can pass through unchanged.
  bool ascii_compatible() const { return ascii_compatible_; }
  int max_char_size() const { return max_char_size_; }
  // Bytes that terminate a string in this encoding (1, 2 for UTF-16, 4 for UTF-32).
  int terminator_size() const { return terminator_size_; }

  // Conversions; both return false on an invalid sequence or ICU failure.
  bool to_utf8(std::string_view in, std::string& out);
  bool from_utf8(std::string_view in, std::string& out);
  bool to_utf16(std::string_view in, std::u16string& out);
  bool from_utf16(std::u16string_view in, std::string& out);

  UConverter* raw() { return cnv_; }

 private:
  UConverter* cnv_ = nullptr;
  std::string name_;
  bool utf8_ = false;
  bool ascii_compatible_ = false;
  int max_char_size_ = 1;
  int terminator_size_ = 1;
};

// The platform's default encoding for terminal output (the C library's
// codeset; plain US-ASCII is widened to UTF-8 so names survive).
std::string default_terminal_encoding();

// Re-encodes `text` as well-formed UTF-8: valid sequences are kept, stray
// continuation bytes and undecodable sequences are dropped.
void normalize_utf8(std::string& text);

// UTF-8 <-> UTF-16 without a named converter.
bool utf8_to_utf16(std::string_view in, std::u16string& out);
bool utf16_to_utf8(std::u16string_view in, std::string& out);
// NFC normalisation of UTF-16 text; false on ICU failure.
bool nfc_normalize(std::u16string& text);

}  // namespace korva
