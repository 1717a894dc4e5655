// Shared pieces of the small line-oriented files (MIP starts in the older
// form, priority orders, bases): the blank-separated fields of a line, the
// name lookup of one dimension of the problem, and the line loop that
// skips comments and the NAME line and stops at ENDATA.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "env/name_hash.h"
#include "io/capped_warnings.h"
#include "io/stream.h"
#include "model/name_store.h"

namespace korva {

// "Line %lld: Wrong number of entries"
inline constexpr int kWrongNumberOfEntries = 1553;

// The fields of `line` separated by blanks; at most `max` are stored, but
// the count goes on to max + 1 so that a line with too many is seen.
inline int split_fields(std::string_view line, std::string_view* fields, int max) {
  int n = 0;
  size_t pos = 0;
  while (n <= max) {
    pos = line.find_first_not_of(" \t\r\n", pos);
    if (pos == std::string_view::npos) break;
    const size_t end = line.find_first_of(" \t\r\n", pos);
    const std::string_view field = line.substr(pos, end == std::string_view::npos ? line.size() - pos : end - pos);
    if (n < max) fields[n] = field;
    ++n;
    if (end == std::string_view::npos) break;
    pos = end;
  }
  return n;
}

// Index of a name among the stored names of the rows or the columns.
class NameIndex {
 public:
  explicit NameIndex(const NameStore& names) : names_(names) {
    hash_.build(names.size(), [this](int64_t i) { return names_.view(i); });
  }
  int find(std::string_view name) const {
    return static_cast<int>(hash_.find(name, [this](int64_t i) { return names_.view(i); }));
  }

 private:
  const NameStore& names_;
  NameHash hash_;
};

// The index of `name` in `names`, or -1 after the warning
// "Warning, line N: 'name' is not a <what>." (what: "variable" or "row").
inline int find_or_warn(const NameIndex& names, CappedWarnings& warnings, std::string_view name, long long line,
                        const char* what) {
  const int k = names.find(name);
  if (k < 0) warnings.warn("Warning, line %lld: '%.255s' is not a %s.\n", line, std::string(name).c_str(), what);
  return k;
}

// The data lines of a file: comment lines ('*' first), blank lines and the
// NAME line are skipped; `ended` tells whether ENDATA was reached.
class DataLines {
 public:
  static constexpr size_t kLineBytes = size_t{1} << 20;
  static constexpr int kMaxFields = 4;

  explicit DataLines(FileStream& in) : in_(in) {}
  // The next data line's fields; false at ENDATA or the end of the file
  // (or an error, in status).
  bool next(int& status) {
    status = 0;
    for (;;) {
      std::string_view line;
      if ((status = in_.read_line_view(kLineBytes, line)) != 0) return false;
      if (line.empty()) return false;
      ++line_number_;
      if (line[0] == '*') continue;
      count_ = split_fields(line, fields_, kMaxFields);
      if (count_ == 0) continue;
      if (fields_[0] == "ENDATA") {
        ended_ = true;
        return false;
      }
      if (fields_[0] == "NAME") continue;
      return true;
    }
  }
  int count() const { return count_; }
  std::string_view field(int k) const { return fields_[k]; }
  long long line_number() const { return line_number_; }
  bool ended() const { return ended_; }

 private:
  FileStream& in_;
  std::string_view fields_[kMaxFields];
  int count_ = 0;
  long long line_number_ = 0;
  bool ended_ = false;
};

// Runs `line` on every data line until it returns non-zero; returns that,
// a read error, or 0 (lines.ended() then tells whether ENDATA was reached).
template <class Line>
int each_data_line(DataLines& lines, Line&& line) {
  int status = 0;
  while (lines.next(status))
    if (int s = line()) return s;
  return status;
}

}  // namespace korva
