#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "env/name_hash.h"
#include "io/capped_warnings.h"
#include "io/mst/mst_text.h"
#include "io/stream.h"
#include "io/text_numbers.h"

namespace korva::mst {
namespace {

constexpr int kWrongNumberOfEntries = 1553;  // "Line %lld: Wrong number of entries"
constexpr size_t kLineBytes = size_t{1} << 20;

// The blank-separated fields of a line (at most `max` + 1 are collected,
// enough to tell a line with too many).
int split_fields(std::string_view line, std::string_view* fields, int max) {
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

class TextReader {
 public:
  TextReader(Environment& env, const Problem& p, xml::SolutionRecord& start)
      : env_(env), p_(p), start_(start), warnings_(env), at_(static_cast<size_t>(p.num_cols()), -1) {
    const NameStore& names = p.lp.col_names;
    hash_.build(names.size(), [&names](int64_t i) { return names.view(i); });
  }

  int run(FileStream& in) {
    bool ended = false;
    for (long long line_number = 1;; ++line_number) {
      std::string_view line;
      if (int status = in.read_line_view(kLineBytes, line)) return status;
      if (line.empty()) break;
      if (line[0] == '*') continue;
      std::string_view fields[2];
      const int n = split_fields(line, fields, 2);
      if (n == 0) continue;
      if (fields[0] == "ENDATA") {
        ended = true;
        break;
      }
      if (fields[0] == "NAME") continue;
      if (n != 2) return report_formatted(&env_, kWrongNumberOfEntries, line_number);
      if (int status = entry(line_number, fields[0], fields[1])) return status;
    }
    warnings_.finish();
    if (!ended) msg(env_.warning(), "Warning: 'ENDATA' missing.\n");
    return 0;
  }

 private:
  int entry(long long line_number, std::string_view name, std::string_view value_text) {
    const std::string name_text(name);
    double value = 0.0;
    if (!parse_double(value_text, value))
      return report_formatted(&env_, err::kBadNumber, line_number, std::string(value_text).c_str());
    const NameStore& names = p_.lp.col_names;
    const int64_t j = hash_.find(name, [&names](int64_t i) { return names.view(i); });
    if (j < 0) {
      warnings_.warn("Warning, line %lld: '%.255s' is not a variable.\n", line_number, name_text.c_str());
      return 0;
    }
    xml::VariableEntry e;
    e.index = static_cast<int>(j);
    e.has_value = true;
    e.value = value;
    int& at = at_[j];
    if (at >= 0) {
      warnings_.warn("Warning, line %lld: repeated entry for '%.255s'.\n", line_number, name_text.c_str());
      start_.variables[at] = e;
      return 0;
    }
    at = static_cast<int>(start_.variables.size());
    start_.variables.push_back(e);
    return 0;
  }

  Environment& env_;
  const Problem& p_;
  xml::SolutionRecord& start_;
  CappedWarnings warnings_;
  NameHash hash_;
  std::vector<int> at_;
};

}  // namespace

int read_mst_text(Environment& env, const Problem& p, const char* filename, xml::SolutionDocument& doc) {
  if (!p.lp.col_names.present()) return err::kNoNames;
  StreamOptions options;
  options.mode = "rb";
  std::unique_ptr<FileStream> in;
  if (int status = FileStream::open(env, filename, options, in)) return status;
  xml::SolutionRecord start;
  TextReader reader(env, p, start);
  const int status = reader.run(*in);
  const int closed = FileStream::close(env, in, status);
  if (closed != 0) return closed;
  doc.solutions.push_back(std::move(start));
  doc.solution_elements = 1;
  return 0;
}

}  // namespace korva::mst
