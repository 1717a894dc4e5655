// The LP parser's section loop: lines, keywords, statements and the
// interactive re-entry of a line that had an error.
#include "io/lp/lp_parser.h"

#include <cstdarg>

#include "env/channel.h"
#include "env/environment.h"
#include "env/error_codes.h"
#include "env/errors.h"
#include "io/lp/lp_chars.h"
#include "io/stream.h"

namespace korva::lp {
namespace {

constexpr int kNoObjective = 1436;  // "Max or Min missing"
constexpr int64_t kNameWarningLimit = 20;

}  // namespace

Parser::Parser(Environment& env, FileStream& stream, const char* display_name, bool interactive,
               const ReadSwitches& sw)
    : env_(env),
      stream_(stream),
      lines_(env, stream),
      builder_(env),
      display_name_(display_name),
      interactive_(interactive),
      switches_(sw) {}

void Parser::error(int code, ...) {
  va_list args;
  va_start(args, code);
  const char* format = error_format(&env_, code);
  if (format) vmsg(env_.error(), format, args);
  va_end(args);
  throw LpError{-code};
}

void Parser::warn_name(const char* format, std::string_view name) {
  if (++name_warnings_ > kNameWarningLimit) return;
  std::string text(name);
  msg(env_.warning(), format, static_cast<long long>(line_), text.c_str());
}

void Parser::once(bool& flag, const char* format) {
  if (flag) return;
  flag = true;
  msg(env_.warning(), format, display_name_.c_str());
}

// ---- lines --------------------------------------------------------------------

bool Parser::fetch_line(bool& got) {
  got = false;
  if (!replay_.empty()) {
    Recorded r = std::move(replay_.front());
    replay_.pop_front();
    lines_.inject(r.text, r.line, r.continuation);
    statement_.push_back(std::move(r));
    got = true;
  } else {
    if (int status = lines_.next(got)) throw LpError{status};
    if (got && interactive_)
      statement_.push_back({std::string(lines_.raw()), lines_.line_number(), false,
                            lines_.continuation()});
  }
  if (got) line_ = lines_.line_number();
  return got;
}

bool Parser::keyword_counts(const KeywordMatch& m) const {
  const Keyword k = m.keyword;
  if (k == Keyword::kNone || is_objective(k)) return false;
  // Keywords of the row sections may share their line with content; the
  // others count only on a line of their own.
  if (!is_row_section(k) && !m.alone) return false;
  switch (section_) {
    case Section::kObjective:
    case Section::kRows:
      return true;
    case Section::kBounds:
    case Section::kTypes:
      return is_type_section(k) || k == Keyword::kSos || k == Keyword::kEnd;
    case Section::kSos:
      return k == Keyword::kEnd;
    case Section::kEnd:
      return false;
  }
  return false;
}

void Parser::set_content(size_t offset) {
  const bool separate = section_ == Section::kTypes || section_ == Section::kSos;
  const std::string_view c =
      lines_.content(separate ? LineSource::Blanks::kSeparate : LineSource::Blanks::kRemove,
                     offset);
  p_ = c.data();
  end_ = c.data() + c.size();
}

bool Parser::more() {
  while (p_ == end_) {
    if (keyword_pending_ || eof_) return false;
    bool got = false;
    if (!fetch_line(got)) {
      eof_ = true;
      return false;
    }
    if (!lines_.continuation()) {
      const KeywordMatch m = match_keyword(lines_.raw());
      if (keyword_counts(m)) {
        keyword_pending_ = true;
        pending_ = m;
        return false;
      }
    }
    set_content(0);
  }
  return true;
}

void Parser::handle_keyword() {
  keyword_pending_ = false;
  const Keyword k = pending_.keyword;
  p_ = end_ = nullptr;
  if (is_row_section(k)) {
    section_ = Section::kRows;
    row_kind_ = k == Keyword::kConstraints ? RowKind::kConstraint
                : k == Keyword::kUserCuts  ? RowKind::kUserCut
                                           : RowKind::kLazy;
    set_content(pending_.content);
    return;
  }
  switch (k) {
    case Keyword::kBounds:
      section_ = Section::kBounds;
      break;
    case Keyword::kIntegers:
    case Keyword::kBinaries:
    case Keyword::kGenerals:
    case Keyword::kSemiContinuous:
      section_ = Section::kTypes;
      type_section_ = k == Keyword::kIntegers   ? TypeSection::kInteger
                      : k == Keyword::kBinaries ? TypeSection::kBinary
                      : k == Keyword::kGenerals ? TypeSection::kGeneral
                                                : TypeSection::kSemi;
      if (!switches_.types)
        once(said_types_, "Problem %s contains integer variable declarations, ignored.\n");
      break;
    case Keyword::kSos:
      section_ = Section::kSos;
      break;
    case Keyword::kEnd:
      section_ = Section::kEnd;
      saw_end_ = true;
      break;
    default:
      break;
  }
}

int Parser::find_objective() {
  // Lines before the objective keyword are skipped; another section
  // keyword first means the objective is missing.
  while (true) {
    bool got = false;
    if (!fetch_line(got)) return report_formatted(&env_, kNoObjective);
    if (lines_.continuation()) continue;
    const KeywordMatch m = match_keyword(lines_.raw());
    if (is_objective(m.keyword)) {
      builder_.set_objective(m.keyword == Keyword::kMinimize ? 1 : -1);
      section_ = Section::kObjective;
      set_content(m.content);
      return 0;
    }
    if (m.keyword != Keyword::kNone) return report_formatted(&env_, kNoObjective);
  }
}

// ---- statements and interactive re-entry --------------------------------------

void Parser::begin_statement() {
  if (!interactive_) return;
  statement_.clear();
  if (p_ != end_)
    statement_.push_back({std::string(p_, end_), line_, true, true});
  checkpoint_ = builder_.checkpoint();
}

void Parser::recover() {
  builder_.rollback(checkpoint_);
  // Everything of the statement but the line with the error is read again,
  // then the user's new line.
  if (!statement_.empty()) statement_.pop_back();
  replay_.insert(replay_.begin(), statement_.begin(), statement_.end());
  statement_.clear();
  p_ = end_ = nullptr;
  keyword_pending_ = false;
  eof_ = false;
  msg(env_.results(), "Please reenter last line:\n");
  if (env_.results()) env_.results()->flush();
}

int Parser::run(ReaderArrays& out) {
  if (interactive_) {
    msg(env_.results(), "Enter new problem ['end' on a separate line terminates]:\n");
    if (env_.results()) env_.results()->flush();
  }
  int status = 0;
  try {
    status = find_objective();
  } catch (const LpError& e) {
    status = e.status;
  }
  if (status) return status;
  while (section_ != Section::kEnd) {
    try {
      begin_statement();
      if (!more()) {
        if (!keyword_pending_) break;  // end of file
        if (section_ == Section::kObjective || section_ == Section::kRows) {
          // A keyword ends whatever the section was reading.
        }
        handle_keyword();
        continue;
      }
      switch (section_) {
        case Section::kObjective: parse_objective(); break;
        case Section::kRows: parse_constraint(); break;
        case Section::kBounds: parse_bound(); break;
        case Section::kTypes: parse_types(); break;
        case Section::kSos: parse_sos(); break;
        case Section::kEnd: break;
      }
    } catch (const LpError& e) {
      if (!interactive_ || e.status == -err::kNoMemory) return e.status;
      recover();
    }
  }
  if (!saw_end_) msg(env_.warning(), "Warning: 'End' missing.\n");
  if (name_warnings_ > kNameWarningLimit)
    msg(env_.warning(), "%d name warnings not printed.\n",
        static_cast<int>(name_warnings_ - kNameWarningLimit));
  return builder_.finish(out, switches_.types);
}

}  // namespace korva::lp
