// Reading filter files with Expat. A `variable` element names its column
// by "name" (looked up among the problem's column names, taking precedence
// over "index") or, in a problem without column names, by "index". An
// unknown name or an index outside the columns skips the element with a
// warning; a column listed twice in one filter is warned about and the
// later values win. At most 20 warnings are printed, then one line counts
// the rest.
#include <expat.h>

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "io/stream.h"
#include "io/xml/filter_file.h"

namespace korva::xml {
namespace {

constexpr size_t kChunkBytes = 10000;
constexpr int64_t kWarningCap = 20;
constexpr int kXmlParseError = 1425;  // "XML parsing error at line %lld: %s"
constexpr int kBadNumber = 1434;      // "Line %lld: Couldn't convert '%s' to a number"

const char* attribute(const XML_Char** atts, const char* name) {
  for (const XML_Char** a = atts; *a; a += 2)
    if (std::string_view(a[0]) == name) return a[1];
  return nullptr;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
    s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  return s;
}

template <class T>
bool read_whole(const char* text, T& value) {
  const std::string_view s = trimmed(text);
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

class FilterParser {
 public:
  FilterParser(Environment& env, const Problem& p, std::vector<mip::PoolFilter>& filters)
      : env_(env), p_(p), filters_(filters), position_(static_cast<size_t>(p.num_cols()), -1) {}

  int run(FILE* file);

 private:
  int parse_chunks(FILE* file);
  static void on_start(void* self, const XML_Char* name, const XML_Char** atts) {
    static_cast<FilterParser*>(self)->guarded([&] { static_cast<FilterParser*>(self)->start(name, atts); });
  }
  static void on_end(void* self, const XML_Char* name) {
    static_cast<FilterParser*>(self)->guarded([&] { static_cast<FilterParser*>(self)->end(name); });
  }
  // No exception may pass through the parser's C frames.
  template <class Body>
  void guarded(Body body) {
    try {
      body();
    } catch (...) {
      stop(err::kNoMemory);
    }
  }

  void start(std::string_view name, const XML_Char** atts);
  void end(std::string_view name);
  void start_filter(const XML_Char** atts);
  void add_variable(const XML_Char** atts);
  void finish_filter();
  bool number(const XML_Char** atts, const char* name, double fallback, double& value);
  int column_of(const XML_Char** atts, const char*& name_text);
  void warn(const char* format, ...) __attribute__((format(printf, 2, 3)));
  long long line() const { return static_cast<long long>(XML_GetCurrentLineNumber(parser_)); }
  void stop(int code) {
    if (error_ == 0) error_ = code;
    XML_StopParser(parser_, XML_FALSE);
  }

  Environment& env_;
  const Problem& p_;
  std::vector<mip::PoolFilter>& filters_;
  XML_Parser parser_ = nullptr;
  int error_ = 0;
  int depth_ = 0;
  bool in_filter_ = false;    // inside a filter being read
  bool has_weights_ = false;  // some variable of the current filter gave a weight
  std::vector<int> position_;  // per column: its entry in the current filter, -1 when none
  std::unordered_map<std::string, int> names_;
  int64_t warnings_ = 0;
};

void FilterParser::warn(const char* format, ...) {
  if (++warnings_ > kWarningCap) return;
  va_list args;
  va_start(args, format);
  vmsg(env_.warning(), format, args);
  va_end(args);
}

void FilterParser::start(std::string_view name, const XML_Char** atts) {
  ++depth_;
  if (error_) return;
  if (depth_ == 1) {
    if (name != "KORVAFilters") {
      stop(report_formatted(&env_, kXmlParseError, line(), "the document is not a filter file"));
    }
    return;
  }
  if (depth_ == 2 && name == "filter") start_filter(atts);
  else if (depth_ == 3 && in_filter_ && name == "variable") add_variable(atts);
}

void FilterParser::end(std::string_view name) {
  if (depth_ == 2 && name == "filter" && in_filter_ && !error_) finish_filter();
  --depth_;
}

bool FilterParser::number(const XML_Char** atts, const char* name, double fallback, double& value) {
  const char* text = attribute(atts, name);
  if (!text) {
    value = fallback;
    return true;
  }
  if (read_whole(text, value)) return true;
  stop(report_formatted(&env_, kBadNumber, line(), text));
  return false;
}

void FilterParser::start_filter(const XML_Char** atts) {
  const char* type = attribute(atts, "type");
  const std::string_view t = type ? type : "";
  mip::PoolFilter f;
  if (t == "diversity") {
    f.type = mip::FilterType::Diversity;
    if (!number(atts, "lowerCutoff", 0.0, f.lower) || !number(atts, "upperCutoff", 1e75, f.upper)) return;
  } else if (t == "range") {
    f.type = mip::FilterType::Range;
    if (!number(atts, "lowerBound", -1e20, f.lower) || !number(atts, "upperBound", 1e20, f.upper)) return;
  } else {
    warn("Warning, line %lld: '%.255s' is not a filter type.\n", line(), type ? type : "");
    return;
  }
  if (const char* name = attribute(atts, "name")) f.name = name;
  filters_.push_back(std::move(f));
  in_filter_ = true;
  has_weights_ = false;
}

// The column of a variable element, or -1 after a warning.
int FilterParser::column_of(const XML_Char** atts, const char*& name_text) {
  name_text = attribute(atts, "name");
  const int n = p_.num_cols();
  if (name_text && p_.lp.col_names.present()) {
    if (names_.empty())
      for (int j = 0; j < n; ++j) names_.emplace(p_.col_name(j), j);  // the lowest index of a repeated name
    const auto it = names_.find(name_text);
    if (it != names_.end()) return it->second;
    warn("Warning, line %lld: '%.255s' is not a variable.\n", line(), name_text);
    return -1;
  }
  name_text = nullptr;
  long long index = -1;
  const char* index_text = attribute(atts, "index");
  if (index_text && !read_whole(index_text, index)) {
    stop(report_formatted(&env_, kBadNumber, line(), index_text));
    return -1;
  }
  if (index >= 0 && index < n) return static_cast<int>(index);
  warn("Warning, line %lld: Variable index '%lld' out of range.\n", line(), index);
  return -1;
}

void FilterParser::add_variable(const XML_Char** atts) {
  const char* name = nullptr;
  const int j = column_of(atts, name);
  if (j < 0) return;
  mip::PoolFilter& f = filters_.back();
  const bool diversity = f.type == mip::FilterType::Diversity;
  double value = 0.0, weight = 1.0;
  if (!number(atts, diversity ? "reference" : "value", 0.0, value)) return;
  if (diversity) {
    if (attribute(atts, "weight")) has_weights_ = true;
    if (!number(atts, "weight", 1.0, weight)) return;
  }
  int& at = position_[static_cast<size_t>(j)];
  if (at >= 0) {
    if (name)
      warn("Warning, line %lld: repeated entry for '%.255s'.\n", line(), name);
    else
      warn("Warning, line %lld: repeated entry for index %lld.\n", line(), static_cast<long long>(j));
    f.values[static_cast<size_t>(at)] = value;
    f.weights[static_cast<size_t>(at)] = weight;
    return;
  }
  at = static_cast<int>(f.cols.size());
  f.cols.push_back(j);
  f.values.push_back(value);
  f.weights.push_back(weight);
}

void FilterParser::finish_filter() {
  mip::PoolFilter& f = filters_.back();
  for (int j : f.cols) position_[static_cast<size_t>(j)] = -1;
  if (f.type == mip::FilterType::Range || !has_weights_) f.weights.clear();
  in_filter_ = false;
}

int FilterParser::run(FILE* file) {
  std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreate(nullptr), XML_ParserFree);
  if (!parser) return err::kNoMemory;
  parser_ = parser.get();
  XML_SetUserData(parser_, this);
  XML_SetElementHandler(parser_, on_start, on_end);
  const int status = parse_chunks(file);
  if (warnings_ > kWarningCap)
    msg(env_.warning(), "%lld warnings not printed.\n", static_cast<long long>(warnings_ - kWarningCap));
  return status;
}

int FilterParser::parse_chunks(FILE* file) {
  std::vector<char> chunk(kChunkBytes);
  for (;;) {
    const size_t n = std::fread(chunk.data(), 1, kChunkBytes, file);
    if (std::ferror(file)) return err::kIoError;
    const bool last = n < kChunkBytes;
    if (XML_Parse(parser_, chunk.data(), static_cast<int>(n), last) == XML_STATUS_ERROR) {
      if (error_) return error_;
      return report_formatted(&env_, kXmlParseError, line(), XML_ErrorString(XML_GetErrorCode(parser_)));
    }
    if (error_) return error_;
    if (last) return 0;
  }
}

}  // namespace

int parse_filter_file(Environment& env, const Problem& p, const char* filename,
                      std::vector<mip::PoolFilter>& filters) {
  FILE* file = nullptr;
  if (int status = open_bare_read(env, filename, ".flt", true, file)) return status;
  std::vector<mip::PoolFilter> read;
  int status = FilterParser(env, p, read).run(file);
  const int closed = close_bare(filename, file);
  if (status == 0) status = closed;
  if (status == 0) filters = std::move(read);
  return status;
}

}  // namespace korva::xml
