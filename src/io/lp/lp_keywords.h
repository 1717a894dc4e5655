// Section keywords of the LP format, recognised in the first word (or the
// first two words) of a line, ignoring case.
#pragma once
#include <cstddef>
#include <string_view>

namespace korva::lp {

enum class Keyword {
  kNone,
  kMinimize,
  kMaximize,
  kConstraints,
  kUserCuts,
  kLazy,
  kBounds,
  kIntegers,
  kBinaries,
  kGenerals,
  kSemiContinuous,
  kSos,
  kEnd,
};

struct KeywordMatch {
  Keyword keyword = Keyword::kNone;
  size_t content = 0;   // offset of what follows the keyword on the line
  bool alone = false;   // nothing but blanks (or a comment) follows
};

// The keyword the line starts with, if any (whether it counts depends on
// the section the reader is in).
KeywordMatch match_keyword(std::string_view line);

// Keywords that introduce a section of rows: they may share their line
// with content.
inline bool is_row_section(Keyword k) {
  return k == Keyword::kConstraints || k == Keyword::kUserCuts || k == Keyword::kLazy;
}
inline bool is_objective(Keyword k) { return k == Keyword::kMinimize || k == Keyword::kMaximize; }
inline bool is_type_section(Keyword k) {
  return k == Keyword::kIntegers || k == Keyword::kBinaries || k == Keyword::kGenerals ||
         k == Keyword::kSemiContinuous;
}

}  // namespace korva::lp
