// Line statements of the LP parser: bounds, variable-type declarations and
// special ordered sets. They name columns that the objective and the
// constraints declared; other names are warned about and skipped.
#include <strings.h>

#include <cmath>
#include <string>

#include "env/channel.h"
#include "env/environment.h"
#include "io/lp/lp_chars.h"
#include "io/lp/lp_parser.h"

namespace korva::lp {

bool exponent_like(std::string_view name);

namespace {

enum : int {
  kBadNumber = 1434,
  kExpectedIdentifier = 1616,
  kNoBoundSense = 1621,
  kBadBoundSense = 1622,
  kMissingBoundNumber = 1623,
};

constexpr double kInf = 1e20;
constexpr size_t kMaxName = 255;

bool equals_ci(std::string_view a, const char* b) {
  const size_t n = std::char_traits<char>::length(b);
  return a.size() == n && strncasecmp(a.data(), b, n) == 0;
}

bool is_infinity_word(std::string_view w) {
  return equals_ci(w, "inf") || equals_ci(w, "infinity");
}

// A sense at s: <, <=, =<, >, >=, =>, =. Returns 0 when there is none.
char scan_sense(const char*& s, const char* end) {
  if (s >= end) return 0;
  const char c = *s;
  const char next = s + 1 < end ? s[1] : '\0';
  if (c == '<') {
    s += next == '=' ? 2 : 1;
    return 'L';
  }
  if (c == '>') {
    s += next == '=' ? 2 : 1;
    return 'G';
  }
  if (c == '=') {
    if (next == '<') return s += 2, 'L';
    if (next == '>') return s += 2, 'G';
    return s += 1, 'E';
  }
  return 0;
}

std::string_view name_at(const char*& s, const char* end) {
  const char* start = s;
  while (s < end && !has(*s, kDelimiter)) ++s;
  return {start, static_cast<size_t>(s - start)};
}

std::string_view cut_name(std::string_view name) {
  if (name.size() <= kMaxName) return name;
  size_t len = kMaxName;
  while (len > 0 && (static_cast<unsigned char>(name[len]) & 0xC0) == 0x80) --len;
  return name.substr(0, len);
}

}  // namespace

// Column of a name used after the declarations; -1 (with a name warning)
// for names that were never declared.
int Parser::lookup_declared(std::string_view name) {
  if (name.size() > kMaxName) {
    const std::string cut(cut_name(name));
    msg(env_.warning(), "Warning, line %lld: '%s' truncated.\n", static_cast<long long>(line_),
        cut.c_str());
    name = cut_name(name);
  }
  if (exponent_like(name)) {
    warn_name("Warning, line %lld: '%s' not valid identifier.\n", name);
    return -1;
  }
  const int col = builder_.find_column(name);
  if (col < 0) warn_name("Warning, line %lld: Name '%s' does not exist.\n", name);
  return col;
}

void Parser::parse_bound() {
  const char* s = p_;
  const char* const end = end_;
  p_ = end_;
  const long long line = line_;
  // A value: a number or (+/-) inf / infinity. The token runs to the next
  // sense; anything left of it that is not the number is an error.
  auto value = [&](const char*& q) {
    const char* start = q;
    const char* stop = q;
    while (stop < end && !has(*stop, kSense)) ++stop;
    const std::string token(start, stop);
    const char* t = q;
    double sign = 1.0;
    if (t < stop && has(*t, kSign)) sign = *t++ == '-' ? -1.0 : 1.0;
    if (is_infinity_word(std::string_view(t, static_cast<size_t>(stop - t)))) {
      q = stop;
      return sign * kInf;
    }
    const NumberScan r = scan_number(start, stop, true);
    if (r.status == NumberScan::kNoDigits) {
      if (start == stop) error(kMissingBoundNumber, line);
      error(kBadNumber, line, token.c_str());
    }
    if (r.status != NumberScan::kOk) {
      p_ = start;
      number_error(r, start);
    }
    if (r.end != stop) error(kBadNumber, line, token.c_str());
    q = stop;
    return r.value;
  };
  auto apply = [&](int col, char sense, double v, bool name_left) {
    // "x <= v" bounds x from above, "v <= x" from below.
    const bool upper = (sense == 'L') == name_left;
    if (sense == 'E' || upper) builder_.set_upper(col, v);
    if (sense == 'E' || !upper) builder_.set_lower(col, v);
  };

  bool value_first = has(*s, kSign | kDigit) || *s == '.';
  const char* q = s;
  std::string_view name;
  if (!value_first) {
    if (!has(*s, kNameStart)) error(kMissingBoundNumber, line);
    name = name_at(q, end);
    if (q == end) {
      // "x free", with or without blanks before "free".
      if (name.size() > 4 && equals_ci(name.substr(name.size() - 4), "free")) {
        const int col = lookup_declared(name.substr(0, name.size() - 4));
        if (col >= 0) builder_.set_lower(col, -kInf), builder_.set_upper(col, kInf);
        return;
      }
      error(kNoBoundSense, line);
    }
    if (!has(*q, kSense)) error(kNoBoundSense, line);
    // "inf <= x" starts with a value that looks like a name.
    if (is_infinity_word(name)) {
      const char* r = q;
      scan_sense(r, end);
      if (r < end && has(*r, kNameStart) && !is_infinity_word(name_at(r, end))) value_first = true;
    }
  }
  if (!value_first) {
    const char sense = scan_sense(q, end);
    if (q == end) error(kMissingBoundNumber, line);
    const double v = value(q);
    const int col = lookup_declared(name);
    if (col >= 0) apply(col, sense, v, true);
    return;
  }
  q = s;
  {
    // A number that something other than a sense follows ("4 x").
    const NumberScan r = scan_number(s, end, true);
    if (r.status == NumberScan::kOk && r.end < end && !has(*r.end, kSense))
      error(kBadBoundSense, line);
  }
  const double v1 = value(q);
  const char s1 = scan_sense(q, end);
  if (!s1) error(kBadBoundSense, line);
  if (q == end || !has(*q, kNameStart)) error(kExpectedIdentifier, line, q == end ? ' ' : *q);
  name = name_at(q, end);
  char s2 = 0;
  double v2 = 0.0;
  if (q < end) {
    s2 = scan_sense(q, end);
    if (!s2) error(kNoBoundSense, line);
    if (q == end) error(kMissingBoundNumber, line);
    v2 = value(q);
    if (s2 != s1)
      msg(env_.warning(), "Warning, line %lld: Possible sense conflict.\n", line);
  }
  const int col = lookup_declared(name);
  if (col < 0) return;
  apply(col, s1, v1, false);
  if (s2) apply(col, s2, v2, true);
}

void Parser::parse_types() {
  const char* q = p_;
  const char* const end = end_;
  p_ = end_;
  while (q < end) {
    const char* start = q;
    while (q < end && *q != ' ') ++q;
    const std::string_view name(start, static_cast<size_t>(q - start));
    if (q < end) ++q;
    if (name.empty()) continue;
    const int col = lookup_declared(name);
    if (col >= 0 && switches_.types) builder_.declare_type(col, type_section_);
  }
}

void Parser::parse_sos() {
  // Tokens: words, ":" and "::", blanks only separate. A set starts with
  // [name:] S1:: or [name:] S2::, members are column:weight.
  struct Token {
    std::string_view text;
    int colons;  // 0 for a word
  };
  Token tokens[4];
  const char* q = p_;
  const char* const end = end_;
  p_ = end_;
  const long long line = line_;
  auto next = [&](Token& t) {
    while (q < end && *q == ' ') ++q;
    if (q == end) return false;
    const char* start = q;
    if (*q == ':') {
      ++q;
      if (q < end && *q == ':') ++q;
      t = {std::string_view(start, static_cast<size_t>(q - start)), static_cast<int>(q - start)};
      return true;
    }
    while (q < end && *q != ' ' && *q != ':') ++q;
    t = {std::string_view(start, static_cast<size_t>(q - start)), 0};
    return true;
  };
  auto set_type = [](const Token& t) -> char {
    if (t.colons || t.text.size() != 2 || (t.text[0] != 'S' && t.text[0] != 's')) return 0;
    return t.text[1] == '1' || t.text[1] == '2' ? t.text[1] : 0;
  };
  int have = 0;  // tokens looked ahead
  auto fill = [&](int want) {
    while (have < want && next(tokens[have])) ++have;
    return have >= want;
  };
  auto drop = [&](int n) {
    for (int k = n; k < have && k < 4; ++k) tokens[k - n] = tokens[k];
    have -= n;
  };
  while (fill(1)) {
    fill(4);
    if (have >= 4 && !tokens[0].colons && tokens[1].colons == 1 && set_type(tokens[2]) &&
        tokens[3].colons == 2) {
      const std::string_view label = cut_name(tokens[0].text);
      builder_.begin_sos(label, true, set_type(tokens[2]));
      drop(4);
      continue;
    }
    if (have >= 2 && set_type(tokens[0]) && tokens[1].colons == 2) {
      builder_.begin_sos({}, false, set_type(tokens[0]));
      drop(2);
      continue;
    }
    const Token member = tokens[0];
    if (member.colons || !has(member.text[0], kNameStart) || !builder_.has_open_sos())
      error(kExpectedIdentifier, line, member.text[0]);
    if (have < 2 || tokens[1].colons != 1) {
      const std::string text(have >= 2 ? tokens[1].text : std::string_view());
      error(kBadNumber, line, text.c_str());
    }
    if (have < 3 || tokens[2].colons) error(kBadNumber, line, "");
    const std::string weight_text(tokens[2].text);
    const NumberScan r = scan_number(weight_text.data(), weight_text.data() + weight_text.size(), true);
    if (r.status != NumberScan::kOk || r.end != weight_text.data() + weight_text.size())
      error(kBadNumber, line, weight_text.c_str());
    const int col = lookup_declared(member.text);
    if (col >= 0) builder_.add_sos_member(col, r.value);
    drop(3);
  }
}

}  // namespace korva::lp
