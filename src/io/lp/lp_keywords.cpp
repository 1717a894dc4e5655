#include "io/lp/lp_keywords.h"

#include <strings.h>

#include "io/lp/lp_chars.h"

namespace korva::lp {
namespace {

struct WordEntry {
  const char* word;
  Keyword keyword;
};

// Whole words; the objective and bounds words are matched as prefixes below.
constexpr WordEntry kWords[] = {
    {"ST", Keyword::kConstraints},         {"ST.", Keyword::kConstraints},
    {"S.T", Keyword::kConstraints},        {"S.T.", Keyword::kConstraints},
    {"SUBJECTTO", Keyword::kConstraints},  {"SUCHTHAT", Keyword::kConstraints},
    {"USERCUTS", Keyword::kUserCuts},      {"LAZYCONSTRAINTS", Keyword::kLazy},
    {"INT", Keyword::kIntegers},           {"INTS", Keyword::kIntegers},
    {"INTEGER", Keyword::kIntegers},       {"INTEGERS", Keyword::kIntegers},
    {"BIN", Keyword::kBinaries},           {"BINS", Keyword::kBinaries},
    {"BINARY", Keyword::kBinaries},        {"BINARIES", Keyword::kBinaries},
    {"GEN", Keyword::kGenerals},           {"GENS", Keyword::kGenerals},
    {"GENERAL", Keyword::kGenerals},       {"GENERALS", Keyword::kGenerals},
    {"SEMI", Keyword::kSemiContinuous},    {"SEMIS", Keyword::kSemiContinuous},
    {"SEMI-CONTINUOUS", Keyword::kSemiContinuous},
    {"SOS", Keyword::kSos},                {"END", Keyword::kEnd},
};

// Keywords written as two words: the first word, then the rest.
struct TwoWords {
  const char* first;
  const char* second;
  Keyword keyword;
};
constexpr TwoWords kTwoWords[] = {
    {"SUBJECT", "TO", Keyword::kConstraints},
    {"SUCH", "THAT", Keyword::kConstraints},
    {"USER", "CUTS", Keyword::kUserCuts},
    {"LAZY", "CONSTRAINTS", Keyword::kLazy},
};

bool equals_ci(std::string_view a, const char* b) {
  const size_t n = std::char_traits<char>::length(b);
  return a.size() == n && strncasecmp(a.data(), b, n) == 0;
}

// `word` is a prefix of `full` with at least `min` letters.
bool prefix_ci(std::string_view word, const char* full, size_t min) {
  const size_t n = std::char_traits<char>::length(full);
  return word.size() >= min && word.size() <= n && strncasecmp(word.data(), full, word.size()) == 0;
}

bool ends_word(char c) { return has(c, kBlank | kEndOfLine); }

// The word starting at or after `pos` (blanks skipped); `pos` moves past it.
std::string_view next_word(std::string_view line, size_t& pos) {
  while (pos < line.size() && has(line[pos], kBlank)) ++pos;
  const size_t start = pos;
  while (pos < line.size() && !ends_word(line[pos])) ++pos;
  return line.substr(start, pos - start);
}

bool only_blanks_after(std::string_view line, size_t pos) {
  while (pos < line.size() && has(line[pos], kBlank)) ++pos;
  return pos == line.size() || has(line[pos], kEndOfLine);
}

Keyword single_word(std::string_view w) {
  if (prefix_ci(w, "MINIMIZE", 3)) return Keyword::kMinimize;
  if (prefix_ci(w, "MAXIMIZE", 3)) return Keyword::kMaximize;
  if (prefix_ci(w, "BOUNDS", 4)) return Keyword::kBounds;
  for (const WordEntry& e : kWords)
    if (equals_ci(w, e.word)) return e.keyword;
  return Keyword::kNone;
}

}  // namespace

KeywordMatch match_keyword(std::string_view line) {
  KeywordMatch m;
  size_t pos = 0;
  const std::string_view first = next_word(line, pos);
  if (first.empty()) return m;
  Keyword k = single_word(first);
  if (k == Keyword::kNone) {
    for (const TwoWords& t : kTwoWords) {
      if (!equals_ci(first, t.first)) continue;
      size_t after = pos;
      if (equals_ci(next_word(line, after), t.second)) {
        k = t.keyword;
        pos = after;
      }
      break;
    }
  }
  if (k == Keyword::kNone) return m;
  m.keyword = k;
  m.content = pos;
  m.alone = only_blanks_after(line, pos);
  return m;
}

}  // namespace korva::lp
