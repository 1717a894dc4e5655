#include "io/xml/xml_solution_reader.h"

#include <expat.h>

#include <cstring>
#include <string_view>

#include "env/errors.h"
#include "env/name_hash.h"
#include "io/capped_warnings.h"
#include "io/text_numbers.h"
#include "korva/korva.h"

namespace korva::xml {
namespace {

constexpr int kUnrecognizedBasisIndicator = 1551;  // "Line %lld: Unrecognized basis indicator '%.255s'"
constexpr int kXmlParsingError = 1425;             // "XML parsing error at line %lld: %s"

enum class List { None, Variables, LinearConstraints, Other };

bool same(const XML_Char* a, const char* b) { return std::strcmp(a, b) == 0; }

// The names of one dimension of the problem, hashed on first use.
class NameLookup {
 public:
  explicit NameLookup(const NameStore& names) : names_(names) {}
  bool present() const { return names_.present(); }
  int find(std::string_view name) {
    if (!built_) {
      hash_.build(names_.size(), [this](int64_t i) { return names_.view(i); });
      built_ = true;
    }
    return static_cast<int>(hash_.find(name, [this](int64_t i) { return names_.view(i); }));
  }

 private:
  const NameStore& names_;
  NameHash hash_;
  bool built_ = false;
};

// Where each column (or row) stands in the solution being read, to merge
// repeated entries; cleared entry by entry when the solution ends.
class Positions {
 public:
  explicit Positions(int count) : at_(static_cast<size_t>(count), -1) {}
  int& operator[](int index) { return at_[index]; }
  template <class Entries>
  void clear(const Entries& entries) {
    for (const auto& e : entries) at_[e.index] = -1;
  }

 private:
  std::vector<int> at_;
};

class Parser {
 public:
  Parser(Environment& env, const Problem& p, const XmlReadOptions& options, SolutionDocument& doc)
      : env_(env),
        p_(p),
        options_(options),
        doc_(doc),
        warnings_(env),
        columns_(p.lp.col_names),
        rows_(p.lp.row_names),
        col_at_(p.num_cols()),
        row_at_(p.num_rows()) {}

  int run(FileChunks& chunks);

 private:
  static void XMLCALL on_start(void* self, const XML_Char* name, const XML_Char** atts) {
    static_cast<Parser*>(self)->start_element(name, atts);
  }
  static void XMLCALL on_end(void* self, const XML_Char* name) {
    static_cast<Parser*>(self)->end_element(name);
  }
  void start_element(const XML_Char* name, const XML_Char** atts);
  void end_element(const XML_Char* name);
  void header(const XML_Char** atts);
  void variable(const XML_Char** atts);
  void constraint(const XML_Char** atts);
  // The entity an element names, or -1 (warned) when it names none.
  int entity(const XML_Char* name, const XML_Char* index, bool column);
  bool number(const XML_Char* text, double& value);
  bool status(const XML_Char* text, int& value);
  void stop(int code) {
    if (error_ == 0) error_ = code;
    XML_StopParser(parser_, XML_FALSE);
  }
  long long line() const { return line_offset_ + static_cast<long long>(XML_GetCurrentLineNumber(parser_)); }
  SolutionRecord* current() { return current_ >= 0 ? &doc_.solutions[current_] : nullptr; }

  Environment& env_;
  const Problem& p_;
  const XmlReadOptions& options_;
  SolutionDocument& doc_;
  CappedWarnings warnings_;
  XML_Parser parser_ = nullptr;
  NameLookup columns_, rows_;
  Positions col_at_, row_at_;
  List list_ = List::None;
  long long line_offset_ = 0;  // lines before what the parser was given
  int current_ = -1;  // the solution being decoded, -1 outside one or beyond the limit
  int error_ = 0;
};

int Parser::run(FileChunks& chunks) {
  parser_ = XML_ParserCreate(nullptr);
  if (!parser_) return err::kNoMemory;
  struct Free {
    XML_Parser p;
    ~Free() { XML_ParserFree(p); }
  } free_parser{parser_};
  XML_SetUserData(parser_, this);
  XML_SetElementHandler(parser_, on_start, on_end);
  line_offset_ = chunks.skipped_lines();
  for (;;) {
    if (chunks.failed()) return err::kIoError;
    const int final = chunks.last() ? 1 : 0;
    if (XML_Parse(parser_, chunks.data(), static_cast<int>(chunks.size()), final) == XML_STATUS_ERROR) {
      if (error_ != 0) return error_;
      return report_formatted(&env_, kXmlParsingError, line(), XML_ErrorString(XML_GetErrorCode(parser_)));
    }
    if (error_ != 0) return error_;
    if (!chunks.advance()) break;
  }
  warnings_.finish();
  return 0;
}

void Parser::start_element(const XML_Char* name, const XML_Char** atts) {
  if (same(name, "KORVASolution")) {
    ++doc_.solution_elements;
    list_ = List::None;
    // A solution nested in one still open ends that one: the positions of
    // its entries must not be taken for the new solution's.
    if (SolutionRecord* s = current()) {
      col_at_.clear(s->variables);
      row_at_.clear(s->constraints);
    }
    current_ = -1;
    if (static_cast<int64_t>(doc_.solutions.size()) < options_.max_solutions) {
      doc_.solutions.emplace_back();
      current_ = static_cast<int>(doc_.solutions.size()) - 1;
    }
    return;
  }
  if (!current()) return;
  if (same(name, "header")) {
    header(atts);
  } else if (same(name, "variables")) {
    list_ = List::Variables;
  } else if (same(name, "linearConstraints")) {
    list_ = List::LinearConstraints;
  } else if (same(name, "quadraticConstraints") || same(name, "indicatorConstraints")) {
    list_ = List::Other;
  } else if (same(name, "variable") && list_ == List::Variables) {
    variable(atts);
  } else if (same(name, "constraint") && list_ == List::LinearConstraints) {
    constraint(atts);
  }
}

void Parser::end_element(const XML_Char* name) {
  if (same(name, "KORVASolution")) {
    if (SolutionRecord* s = current()) {
      col_at_.clear(s->variables);
      row_at_.clear(s->constraints);
    }
    current_ = -1;
    list_ = List::None;
  } else if (same(name, "variables") || same(name, "linearConstraints") ||
             same(name, "quadraticConstraints") || same(name, "indicatorConstraints")) {
    list_ = List::None;
  }
}

void Parser::header(const XML_Char** atts) {
  SolutionRecord& s = *current();
  for (int k = 0; atts[k]; k += 2) {
    if (same(atts[k], "solutionName")) {
      s.has_name = true;
      s.name = atts[k + 1];
    } else if (same(atts[k], "MIPStartEffortLevel")) {
      long long effort = 0;
      // A level the library does not know leaves the start automatic.
      if (parse_integer(atts[k + 1], effort) && effort >= -1 && effort <= 5) {
        s.has_effort = true;
        s.effort = static_cast<int>(effort);
      }
    }
  }
}

int Parser::entity(const XML_Char* name, const XML_Char* index, bool column) {
  NameLookup& names = column ? columns_ : rows_;
  if (name && names.present()) {
    const int found = names.find(name);
    if (found < 0)
      warnings_.warn(column ? "Warning, line %lld: '%.255s' is not a variable.\n"
                            : "Warning, line %lld: '%.255s' is not a constraint.\n",
                     line(), name);
    return found;
  }
  if (!index) {
    // Without names in the problem a name cannot be matched.
    if (name)
      warnings_.warn(column ? "Warning, line %lld: '%.255s' is not a variable.\n"
                            : "Warning, line %lld: '%.255s' is not a constraint.\n",
                     line(), name);
    return -1;
  }
  long long k = 0;
  if (!parse_integer(index, k)) {
    stop(report_formatted(&env_, err::kBadNumber, line(), index));
    return -1;
  }
  const int count = column ? p_.num_cols() : p_.num_rows();
  if (k < 0 || k >= count) {
    warnings_.warn(column ? "Warning, line %lld: Variable index '%lld' out of range.\n"
                          : "Warning, line %lld: Constraint index '%lld' out of range.\n",
                   line(), k);
    return -1;
  }
  return static_cast<int>(k);
}

bool Parser::number(const XML_Char* text, double& value) {
  if (parse_double(text, value)) return true;
  stop(report_formatted(&env_, err::kBadNumber, line(), text));
  return false;
}

bool Parser::status(const XML_Char* text, int& value) {
  static constexpr struct {
    const char* text;
    int status;
  } kStatuses[] = {{"LL", KRV_AT_LOWER}, {"BS", KRV_BASIC}, {"UL", KRV_AT_UPPER}, {"SB", KRV_FREE_SUPER}};
  for (const auto& s : kStatuses) {
    if (same(text, s.text)) {
      value = s.status;
      return true;
    }
  }
  stop(report_formatted(&env_, kUnrecognizedBasisIndicator, line(), text));
  return false;
}

// Finds "name" and "index" first: the entity must be known before its
// values mean anything.
const XML_Char* attribute(const XML_Char** atts, const char* wanted) {
  for (int k = 0; atts[k]; k += 2)
    if (same(atts[k], wanted)) return atts[k + 1];
  return nullptr;
}

void Parser::variable(const XML_Char** atts) {
  const XML_Char* name = attribute(atts, "name");
  const int j = entity(name, attribute(atts, "index"), true);
  if (j < 0) return;
  VariableEntry e;
  e.index = j;
  for (int k = 0; atts[k]; k += 2) {
    const XML_Char* value = atts[k + 1];
    if (same(atts[k], "value")) {
      if (!number(value, e.value)) return;
      e.has_value = true;
    } else if (same(atts[k], "reducedCost")) {
      if (!number(value, e.reduced_cost)) return;
      e.has_reduced_cost = true;
    } else if (same(atts[k], "status")) {
      if (!status(value, e.status)) return;
    }
  }
  std::vector<VariableEntry>& list = current()->variables;
  int& at = col_at_[j];
  if (at >= 0) {
    if (name && columns_.present())
      warnings_.warn("Warning, line %lld: repeated entry for '%.255s'.\n", line(), name);
    else
      warnings_.warn("Warning, line %lld: repeated entry for index %lld.\n", line(), static_cast<long long>(j));
    list[at] = e;
    return;
  }
  at = static_cast<int>(list.size());
  list.push_back(e);
}

void Parser::constraint(const XML_Char** atts) {
  const XML_Char* name = attribute(atts, "name");
  const int i = entity(name, attribute(atts, "index"), false);
  if (i < 0) return;
  ConstraintEntry e;
  e.index = i;
  for (int k = 0; atts[k]; k += 2) {
    const XML_Char* value = atts[k + 1];
    if (same(atts[k], "slack")) {
      if (!number(value, e.slack)) return;
      e.has_slack = true;
    } else if (same(atts[k], "dual")) {
      if (!number(value, e.dual)) return;
      e.has_dual = true;
    } else if (same(atts[k], "status")) {
      if (!status(value, e.status)) return;
    }
  }
  std::vector<ConstraintEntry>& list = current()->constraints;
  int& at = row_at_[i];
  if (at >= 0) {
    if (name && rows_.present())
      warnings_.warn("Warning, line %lld: repeated entry for '%.255s'.\n", line(), name);
    else
      warnings_.warn("Warning, line %lld: repeated entry for index %lld.\n", line(), static_cast<long long>(i));
    list[at] = e;
    return;
  }
  at = static_cast<int>(list.size());
  list.push_back(e);
}

}  // namespace

int read_xml_solutions(Environment& env, const Problem& p, FileChunks& chunks,
                       const XmlReadOptions& options, SolutionDocument& doc) {
  Parser parser(env, p, options, doc);
  return parser.run(chunks);
}

}  // namespace korva::xml
