#include "env/encoding.h"

#include <langinfo.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <cstring>

namespace korva {

bool is_ascii(std::string_view text) {
  for (unsigned char c : text)
    if (c & 0x80) return false;
  return true;
}

Converter::~Converter() { close(); }

Converter::Converter(Converter&& other) noexcept { *this = std::move(other); }

Converter& Converter::operator=(Converter&& other) noexcept {
  if (this != &other) {
    close();
    cnv_ = other.cnv_;
    name_ = std::move(other.name_);
    utf8_ = other.utf8_;
    ascii_compatible_ = other.ascii_compatible_;
    max_char_size_ = other.max_char_size_;
    terminator_size_ = other.terminator_size_;
    other.cnv_ = nullptr;
  }
  return *this;
}

void Converter::close() {
  if (cnv_) ucnv_close(cnv_);
  cnv_ = nullptr;
}

bool Converter::open(std::string_view name) {
  close();
  std::string n(name);
  UErrorCode status = U_ZERO_ERROR;
  UConverter* cnv = ucnv_open(n.empty() ? nullptr : n.c_str(), &status);
  if (U_FAILURE(status) || !cnv) return false;
  // Invalid input must fail the conversion, not turn into substitutes.
  ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  ucnv_setFromUCallBack(cnv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  cnv_ = cnv;
  name_ = n;
  const UConverterType type = ucnv_getType(cnv);
  utf8_ = type == UCNV_UTF8 || type == UCNV_CESU8;
  ascii_compatible_ = utf8_ || type == UCNV_LATIN_1 || type == UCNV_US_ASCII;
  max_char_size_ = ucnv_getMaxCharSize(cnv);
  switch (type) {
    case UCNV_UTF16_BigEndian: case UCNV_UTF16_LittleEndian: case UCNV_UTF16:
      terminator_size_ = 2;
      break;
    case UCNV_UTF32_BigEndian: case UCNV_UTF32_LittleEndian: case UCNV_UTF32:
      terminator_size_ = 4;
      break;
    default:
      terminator_size_ = 1;
  }
  return true;
}

bool Converter::to_utf16(std::string_view in, std::u16string& out) {
  if (!cnv_) return false;
  ucnv_resetToUnicode(cnv_);
  out.resize(in.size() * 2 + 2);
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(cnv_, out.data(), static_cast<int32_t>(out.size()), in.data(),
                            static_cast<int32_t>(in.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(n + 1);
    status = U_ZERO_ERROR;
    ucnv_resetToUnicode(cnv_);
    n = ucnv_toUChars(cnv_, out.data(), static_cast<int32_t>(out.size()), in.data(),
                      static_cast<int32_t>(in.size()), &status);
  }
  if (U_FAILURE(status)) return false;
  out.resize(n);
  return true;
}

bool Converter::from_utf16(std::u16string_view in, std::string& out) {
  if (!cnv_) return false;
  ucnv_resetFromUnicode(cnv_);
  out.resize((in.size() + 1) * max_char_size_ + 4);
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(cnv_, out.data(), static_cast<int32_t>(out.size()), in.data(),
                              static_cast<int32_t>(in.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(n + 4);
    status = U_ZERO_ERROR;
    ucnv_resetFromUnicode(cnv_);
    n = ucnv_fromUChars(cnv_, out.data(), static_cast<int32_t>(out.size()), in.data(),
                        static_cast<int32_t>(in.size()), &status);
  }
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return false;
  out.resize(n);
  return true;
}

bool Converter::to_utf8(std::string_view in, std::string& out) {
  if (!cnv_) return false;
  if ((utf8_ || ascii_compatible_) && is_ascii(in)) {
    out.assign(in);
    return true;
  }
  std::u16string wide;
  return to_utf16(in, wide) && utf16_to_utf8(wide, out);
}

bool Converter::from_utf8(std::string_view in, std::string& out) {
  if (!cnv_) return false;
  if (ascii_compatible_ && is_ascii(in)) {
    out.assign(in);
    return true;
  }
  std::u16string wide;
  return utf8_to_utf16(in, wide) && from_utf16(wide, out);
}

bool utf8_to_utf16(std::string_view in, std::u16string& out) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = 0;
  out.resize(in.size() + 1);
  u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &n, in.data(),
                static_cast<int32_t>(in.size()), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return false;
  out.resize(n);
  return true;
}

bool utf16_to_utf8(std::u16string_view in, std::string& out) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = 0;
  out.resize(in.size() * 3 + 1);
  u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &n, in.data(),
              static_cast<int32_t>(in.size()), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return false;
  out.resize(n);
  return true;
}

bool nfc_normalize(std::u16string& text) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  if (U_FAILURE(status)) return false;
  const int32_t len = static_cast<int32_t>(text.size());
  if (unorm2_quickCheck(nfc, text.data(), len, &status) == UNORM_YES && U_SUCCESS(status))
    return true;
  status = U_ZERO_ERROR;
  std::u16string out(text.size() * 3 + 1, u'\0');
  int32_t n = unorm2_normalize(nfc, text.data(), len, out.data(),
                               static_cast<int32_t>(out.size()), &status);
  if (U_FAILURE(status)) return false;
  out.resize(n);
  text.swap(out);
  return true;
}

std::string default_terminal_encoding() {
  const char* codeset = nl_langinfo(CODESET);
  std::string name = codeset ? codeset : "";
  if (name.empty() || name == "ANSI_X3.4-1968" || name == "US-ASCII" || name == "ASCII")
    return "UTF-8";
  return name;
}

void normalize_utf8(std::string& text) {
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t len = static_cast<int32_t>(text.size());
  // Fast path: most text is ASCII or already well formed.
  bool clean = true;
  for (int32_t i = 0; i < len && clean;) {
    UChar32 c;
    U8_NEXT(s, i, len, c);
    if (c < 0) clean = false;
  }
  if (clean) return;
  std::string out;
  out.reserve(text.size());
  for (int32_t i = 0; i < len;) {
    const uint8_t lead = s[i];
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      ++i;
      continue;
    }
    UChar32 c;
    int32_t start = i;
    U8_NEXT(s, i, len, c);
    if (c < 0) continue;  // stray continuation byte or rejected sequence: dropped
    uint8_t buf[4];
    int32_t n = 0;
    UBool error = false;
    U8_APPEND(buf, n, 4, c, error);
    (void)start;
    if (!error) out.append(reinterpret_cast<const char*>(buf), n);
  }
  text.swap(out);
}

}  // namespace korva
