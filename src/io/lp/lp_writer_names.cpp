#include "io/lp/lp_writer_names.h"

#include "io/lp/lp_chars.h"

namespace korva::lp {
namespace {

constexpr size_t kMaxName = 255;

// How a character is written in a rewritten name.
char mapped(char c) {
  switch (c) {
    case '[': return '(';
    case ']': return ')';
    case '|': return 'b';
    case '*': return 'a';
    case '/': return 'd';
    case '^': return 'c';
    case ':': return '.';
    case '<': return 'l';
    case '>': return 'g';
    case '=': return 'e';
    case '+': return 'p';
    case '-': return 'm';
    case '\\': return '_';
    default: break;
  }
  const auto u = static_cast<unsigned char>(c);
  if (u < 32 || u == 127 || c == ' ') return '_';  // blanks, tabs, control characters
  return c;
}

bool bad_start(char c) { return !has(c, kNameStart) || c == 'e' || c == 'E'; }

}  // namespace

bool needs_conformity(std::string_view name) {
  if (name.empty() || bad_start(name[0])) return true;
  for (char c : name)
    if (has(c, kSign | kBlank | kDelimiter | kEndOfLine)) return true;
  return false;
}

std::string conforming_name(std::string_view name, long long position) {
  std::string out;
  out.reserve(name.size() + 12);
  if (name.empty() || bad_start(name[0])) out.push_back('_');
  for (char c : name) out.push_back(mapped(c));
  out.push_back('#');
  out += std::to_string(position);
  return out;
}

std::string_view cut_name(std::string_view name) {
  if (name.size() <= kMaxName) return name;
  size_t len = kMaxName;
  while (len > 0 && (static_cast<unsigned char>(name[len]) & 0xC0) == 0x80) --len;
  return name.substr(0, len);
}

}  // namespace korva::lp
