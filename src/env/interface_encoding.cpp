// Strings crossing the C boundary are in the interface encoding
// (KRV_PARAM_APIENCODING); inside the library every string is UTF-8.
#include "env/environment.h"
#include "env/errors.h"

namespace korva {
namespace {

// 7-bit text means the same in the interface encoding and in UTF-8 when the
// encoding is ASCII-compatible, so it skips the converter.
bool passes_unchanged(const Environment& env, std::string_view text) {
  return is_ascii(text) && (env.api_converter.ascii_compatible() || !env.api_converter.is_open());
}

}  // namespace

int api_to_utf8(Environment& env, const char* in, std::string& out) {
  if (!in) {
    out.clear();
    return 0;
  }
  const std::string_view text(in);
  if (passes_unchanged(env, text)) {
    out.assign(text);
    return 0;
  }
  return env.api_converter.to_utf8(text, out) ? 0 : err::kEncoding;
}

int utf8_to_api(Environment& env, std::string_view in, std::string& out) {
  if (passes_unchanged(env, in)) {
    out.assign(in);
    return 0;
  }
  return env.api_converter.from_utf8(in, out) ? 0 : err::kEncoding;
}

}  // namespace korva
