#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "io/capped_warnings.h"
#include "io/mst/mst_text.h"
#include "io/stream.h"
#include "io/text_file_lines.h"
#include "io/text_numbers.h"

namespace korva::mst {
namespace {

class TextReader {
 public:
  TextReader(Environment& env, const Problem& p, xml::SolutionRecord& start)
      : env_(env), start_(start), warnings_(env), columns_(p.lp.col_names), at_(static_cast<size_t>(p.num_cols()), -1) {}

  int run(FileStream& in) {
    DataLines lines(in);
    int status = 0;
    while (lines.next(status)) {
      if (lines.count() != 2) return report_formatted(&env_, kWrongNumberOfEntries, lines.line_number());
      if ((status = entry(lines.line_number(), lines.field(0), lines.field(1))) != 0) return status;
    }
    if (status) return status;
    warnings_.finish();
    if (!lines.ended()) msg(env_.warning(), "Warning: 'ENDATA' missing.\n");
    return 0;
  }

 private:
  int entry(long long line_number, std::string_view name, std::string_view value_text) {
    const std::string name_text(name);
    double value = 0.0;
    if (!parse_double(value_text, value))
      return report_formatted(&env_, err::kBadNumber, line_number, std::string(value_text).c_str());
    const int j = columns_.find(name);
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
  xml::SolutionRecord& start_;
  CappedWarnings warnings_;
  NameIndex columns_;
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
