// The LP parser: one pass over the logical lines with one section state
// and, inside expressions, a cursor that moves on to the next line wherever
// an expression may continue. Errors are thrown as LpError (already
// printed) and caught by run(), which in interactive mode rolls the current
// statement back and asks for the line again.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "io/lp/lp_builder.h"
#include "io/lp/lp_keywords.h"
#include "io/lp/lp_lines.h"
#include "io/lp/lp_number.h"
#include "io/lp/lp_reader.h"

namespace korva::lp {

struct LpError {
  int status;  // negative: printed
};

class Parser {
 public:
  Parser(Environment& env, FileStream& stream, const char* display_name, bool interactive,
         const ReadSwitches& sw);
  int run(ReaderArrays& out);

 private:
  enum class Section { kObjective, kRows, kBounds, kTypes, kSos, kEnd };
  enum class ExprKind { kObjective, kRow, kPool, kIndicator };
  enum class ExprEnd { kSense, kInterrupted };

  // ---- lines and the cursor (lp_parser.cpp) --------------------------------
  bool fetch_line(bool& got);  // next raw line from the replay queue or the file
  bool more();                 // content at the cursor, moving to later lines
  bool keyword_counts(const KeywordMatch& m) const;
  void set_content(size_t offset);
  void handle_keyword();
  int find_objective();
  void begin_statement();
  void recover();
  [[noreturn]] void error(int code, ...);
  void warn_name(const char* format, std::string_view name);
  void once(bool& flag, const char* format);

  // ---- expressions (lp_expression.cpp) -------------------------------------
  void parse_objective();
  void parse_constraint();
  ExprEnd parse_expression(ExprKind kind, bool& incomplete);
  bool parse_bracket(ExprKind kind, double sign);
  double term_coefficient(double sign, bool& got_name);
  std::string_view read_name();
  bool read_label(std::string& label);
  bool read_sense(char& sense);
  bool read_rhs(double& rhs);
  int arrow_at() const;  // arrow kind at the cursor (1, 2, 3) or 0
  void check_counts();
  void number_error(const NumberScan& r, const char* start);

  // ---- bounds, types, sets (lp_sections.cpp) -------------------------------
  void parse_bound();
  void parse_types();
  void parse_sos();
  int lookup_declared(std::string_view name);

  Environment& env_;
  FileStream& stream_;
  LineSource lines_;
  Builder builder_;
  std::string display_name_;
  bool interactive_;
  ReadSwitches switches_;

  Section section_ = Section::kObjective;
  RowKind row_kind_ = RowKind::kConstraint;
  TypeSection type_section_ = TypeSection::kGeneral;
  const char* p_ = nullptr;    // cursor in the current content
  const char* end_ = nullptr;
  int64_t line_ = 0;           // line number of the current content
  bool eof_ = false;
  bool keyword_pending_ = false;
  KeywordMatch pending_;
  bool saw_end_ = false;

  // Warnings printed once per file.
  bool said_types_ = false, said_quad_ = false, said_qcons_ = false;
  int64_t name_warnings_ = 0;

  // Interactive re-entry: the lines of the current statement, and those
  // waiting to be read again after an error.
  struct Recorded {
    std::string text;
    int64_t line;
    bool is_content;  // already compacted (the rest of a line)
    bool continuation;
  };
  std::deque<Recorded> statement_, replay_;
  Builder::Checkpoint checkpoint_{};
  std::string replay_text_;
  bool from_replay_ = false;
  bool replay_is_content_ = false;
  std::string_view replay_raw_;
};

}  // namespace korva::lp
