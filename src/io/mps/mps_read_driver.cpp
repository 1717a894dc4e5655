// The MPS reader's walk over the lines: comments, section headers and the
// order the sections must come in, and the end of the file.
#include <algorithm>
#include <new>
#include <string>

#include "env/huge_pages.h"
#include "io/mps/mps_errors.h"
#include "io/mps/mps_parser.h"

namespace korva::mps {
namespace {

struct SectionWord {
  std::string_view word;
  Section section;
};
constexpr SectionWord kSectionWords[] = {
    {"NAME", Section::Name},         {"OBJSENSE", Section::ObjSense},
    {"OBJNAME", Section::ObjName},   {"REFROW", Section::RefRow},
    {"ROWS", Section::Rows},         {"USERCUTS", Section::UserCuts},
    {"LAZYCONS", Section::LazyCons}, {"COLUMNS", Section::Columns},
    {"RHS", Section::Rhs},           {"RANGES", Section::Ranges},
    {"BOUNDS", Section::Bounds},     {"QMATRIX", Section::QMatrix},
    {"QUADOBJ", Section::QuadObj},   {"QCMATRIX", Section::QcMatrix},
    {"SOS", Section::Sos},           {"INDICATORS", Section::Indicators},
    {"ENDATA", Section::Endata},
};

Section section_of(std::string_view word) {
  for (const SectionWord& s : kSectionWords)
    if (equals_upper(word, s.word)) return s.section;
  return Section::Unknown;
}

// The sections after BOUNDS may come in any order, each once (QCMATRIX
// once per constraint); their slot in late_seen_.
int late_slot(Section s) {
  switch (s) {
    case Section::QMatrix:
    case Section::QuadObj: return 0;
    case Section::QcMatrix: return 1;
    case Section::Sos: return 2;
    case Section::Indicators: return 3;
    default: return -1;
  }
}

// Position of COLUMNS and the sections after it.
int rank(Section s) {
  switch (s) {
    case Section::Columns: return 0;
    case Section::Rhs: return 1;
    case Section::Ranges: return 2;
    case Section::Bounds: return 3;
    default: return 4;
  }
}

}  // namespace

Parser::Parser(Environment& env, LineSource& lines, Layout layout, const ReadOptions& options,
               MessageLog& log)
    : env_(env), layout_(layout), options_(options), log_(log), lines_(lines) {
  verbose_ = env.int_param(kVerboseReadParam) != 0;
}

int Parser::run(ReaderArrays& out) {
  // The caller's reserved capacities are the size hints of the file.
  row_names_.reserve(out.rhs.capacity());
  column_names_.reserve(out.obj.capacity());
  entry_row_.reserve(out.matind.capacity());
  entry_value_.reserve(out.matind.capacity());
  reserve_for_text(text_bytes_);

  std::string_view line;
  while (lines_.next(line)) {
    if (line.empty()) continue;
    const char first = line[0];
    int status;
    if (has_class(first, kCommentStart))
      status = on_comment(line);
    else if (first == ' ' || first == '\t')
      status = on_data(line);
    else
      status = on_header(line);
    if (status) return status;
    if (section_ == Section::Endata) break;
  }
  if (int status = lines_.status()) return status;
  if (int status = finish_file(section_ == Section::Endata)) return status;
  assemble(out);
  return 0;
}

// Room for what a file of `bytes` bytes can be expected to hold, so that
// the arrays are not copied while they grow: a coefficient takes some 30 to
// 60 bytes of a usual file and a column some 250, and the estimate errs
// towards too much room, which costs address space only until it is
// written. A wrong guess costs the growth it was to save, nothing else.
void Parser::reserve_for_text(uint64_t bytes) {
  constexpr uint64_t kMaxEntries = uint64_t{1} << 26;
  const uint64_t entries = std::min<uint64_t>(bytes / 20, kMaxEntries);
  const uint64_t columns = std::min<uint64_t>(bytes / 128, kMaxEntries / 4);
  if (entries < 4096) return;
  try {
    reserve_huge(entry_row_, entries);
    reserve_huge(entry_value_, entries);
    reserve_huge(column_names_, columns);
    for (auto* v : {&obj_, &lb_, &ub_}) reserve_huge(*v, columns);
    reserve_huge(ctype_, columns);
    reserve_huge(column_flags_, columns);
    reserve_huge(column_start_, columns + 1);
  } catch (const std::bad_alloc&) {
    // The arrays grow as they are filled instead.
  }
}

int Parser::on_comment(std::string_view line) {
  if (section_ <= Section::Skipped && line.substr(0, kMaximizeComment.size()) == kMaximizeComment) {
    maximize_comment_ = true;
    if (verbose_) log_.info("Specified objective sense: MAXIMIZE\n");
  }
  return 0;
}

int Parser::on_header(std::string_view line) {
  std::string_view rest;
  const std::string_view word = first_word(line, &rest);
  const Section next = section_of(word);
  if (section_ == Section::Start) {
    if (next != Section::Name) return log_.error(code::kNoName, lines_.number());
    section_ = Section::Name;
    return 0;
  }
  if (section_ <= Section::Skipped) return header_before_rows(next, word, rest);
  if (section_ <= Section::LazyCons) {
    if (next == Section::UserCuts || next == Section::LazyCons) {
      section_ = next;
      return 0;
    }
    if (next != Section::Columns) return log_.error(code::kNoColumns, lines_.number());
    if (int status = finish_rows()) return status;
    section_ = Section::Columns;
    return 0;
  }
  // COLUMNS and the sections after it.
  bool allowed = next == Section::Endata;
  if (next == Section::Rhs || next == Section::Ranges || next == Section::Bounds)
    allowed = rank(next) > rank(section_);
  if (late_slot(next) >= 0)
    allowed = !late_seen_[late_slot(next)] || next == Section::QcMatrix;
  if (!allowed) return order_error(next);
  if (section_ == Section::Columns)
    if (int status = finish_columns()) return status;
  return enter(next, word, rest);
}

int Parser::header_before_rows(Section next, std::string_view word, std::string_view rest) {
  switch (next) {
    case Section::Rows:
      if (verbose_ && !objsense_given_ && !maximize_comment_)
        log_.info("Selected objective sense:  MINIMIZE\n");
      section_ = Section::Rows;
      return 0;
    case Section::ObjSense:
    case Section::ObjName:
    case Section::RefRow:
      section_ = next;
      // Some writers put the value on the header line itself.
      return first_word(rest).empty() ? 0 : read_objective_line(rest);
    case Section::Endata:
      return log_.error(code::kNoRows, lines_.number());
    default:
      log_.warning("Warning, line %lld:  %s section illegal or out of order.\n",
                   lines_.number(), std::string(word).c_str());
      section_ = Section::Skipped;
      return 0;
  }
}

int Parser::order_error(Section next) {
  const long long line = lines_.number();
  if (next == Section::Ranges && rank(section_) >= rank(Section::Bounds))
    return log_.error(code::kRangesOrder, line);
  switch (section_) {
    case Section::Columns:
    case Section::Rhs:
    case Section::Ranges: return log_.error(code::kExpectRim, line);
    case Section::Bounds:
    case Section::Sos: return log_.error(code::kExpectQuad, line);
    default: return log_.error(code::kExpectEndata, line);
  }
}

int Parser::enter(Section next, std::string_view, std::string_view rest) {
  section_ = next;
  if (next == Section::Bounds) bounds_seen_ = true;
  if (late_slot(next) >= 0) late_seen_[late_slot(next)] = true;
  if (next == Section::QuadObj) quadobj_upper_ = true;
  if (next == Section::QcMatrix) return start_qcmatrix(rest);
  return 0;
}

int Parser::on_data(std::string_view line) {
  if (first_word(line).empty()) return 0;  // blanks only
  switch (section_) {
    case Section::Start: return log_.error(code::kNoName, lines_.number());
    case Section::ObjSense:
    case Section::ObjName:
    case Section::RefRow: return read_objective_line(line);
    case Section::Rows:
    case Section::UserCuts:
    case Section::LazyCons: return read_row(line);
    case Section::Columns: return read_column(line);
    case Section::Rhs: return read_rim(line, false);
    case Section::Ranges: return read_rim(line, true);
    case Section::Bounds: return read_bound(line);
    case Section::QMatrix:
    case Section::QuadObj:
    case Section::QcMatrix: return read_quadratic(line);
    case Section::Sos: return read_sos(line);
    case Section::Indicators: return read_indicator(line);
    default: return 0;  // NAME and skipped sections carry nothing we use
  }
}

int Parser::read_objective_line(std::string_view line) {
  const std::string_view word = first_word(line);
  if (section_ == Section::ObjSense) {
    if (starts_with_upper(word, "MAX"))
      objsense_ = -1;
    else if (starts_with_upper(word, "MIN"))
      objsense_ = 1;
    else
      return log_.error(code::kBadObjSense, lines_.number(), std::string(word).c_str());
    objsense_given_ = true;
    if (verbose_) {
      if (objsense_ < 0)
        log_.info("Specified objective sense: MAXIMIZE\n");
      else
        log_.info("Specified objective sense: MINIMIZE\n");
    }
  } else if (section_ == Section::ObjName) {
    objective_name_ = arena_.store(name_field(word));
  } else {
    refrow_name_ = arena_.store(name_field(word));
  }
  return 0;
}

int Parser::finish_file(bool saw_endata) {
  const long long line = lines_.number() > 0 ? lines_.number() : 1;
  if (section_ == Section::Start) return log_.error(code::kNoName, line);
  if (section_ <= Section::Skipped) return log_.error(code::kNoRows, line);
  if (section_ <= Section::LazyCons) return log_.error(code::kNoColumns, line);
  if (section_ == Section::Columns)
    if (int status = finish_columns()) return status;
  if (!saw_endata) log_.warning("Warning, line %lld:  'ENDATA' missing.\n", line);
  apply_bound_rules();
  check_indicator_columns();
  objective_in_rhs_.finish(log_);
  unknown_sos_members_.finish(log_);
  truncations_.finish(log_);
  return 0;
}

}  // namespace korva::mps
