// One pass of the MPS reader over a file. The parser keeps names in an
// arena and the matrix as flat arrays, and turns everything into
// ReaderArrays only when the whole file has been read, so a failed pass
// leaves the output untouched and costs no per-token allocation.
//
// The member functions are spread over the mps_read_*.cpp files, one per
// group of sections.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "env/environment.h"
#include "io/mps/mps.h"
#include "io/mps/mps_lines.h"
#include "io/mps/mps_messages.h"
#include "io/mps/mps_text.h"
#include "io/mps/name_index.h"
#include "io/reader_arrays.h"

namespace korva::mps {

enum class Layout : uint8_t { Free, Fixed };

// The reader's large arrays grow fourfold: capacity that is never written
// costs no memory, and fewer moves mean fewer pages filled twice (on a busy
// machine page faults cost more than the parsing).
template <class T>
inline void make_room(std::vector<T>& v) {
  if (v.size() == v.capacity()) v.reserve(v.capacity() < 4096 ? 4096 : 4 * v.capacity());
}

// Returned by a fixed-layout pass for a line that does not follow the
// column positions: the pass fails without a message of its own.
inline constexpr int kNotFixedLayout = -1;

// The comment by which the writer records a maximisation: the objective
// row holds the negated coefficients, so that readers without an objective
// sense section solve an equivalent minimisation, and this reader restores
// the sense and the signs. Recognised before the ROWS section only.
inline constexpr std::string_view kMaximizeComment =
    "* Objective sense: MAXIMIZE (coefficients written negated)";

inline constexpr int kMaxNameLength = 255;
inline constexpr long long kMaxCount = 2100000000;  // rows, columns

enum class Section : uint8_t {
  Start, Name, ObjSense, ObjName, RefRow, Skipped,  // before ROWS
  Rows, UserCuts, LazyCons,                          // row sections
  Columns, Rhs, Ranges, Bounds,                      // in this order
  QMatrix, QuadObj, QcMatrix, Sos, Indicators,       // after BOUNDS, any order
  Endata, Unknown
};

// What a row of the ROWS, USERCUTS and LAZYCONS sections becomes.
enum class RowRole : uint8_t { Constraint, Objective, Free, UserCut, Lazy };

enum RowFlag : uint8_t { kHasRhs = 1, kHasRange = 2, kIndicatorRow = 4, kQuadraticRow = 8 };
enum ColumnFlag : uint8_t { kLowerGiven = 1, kUpperGiven = 2 };

struct QuadTerm {
  int i, j;
  double value;
};

struct QcBlock {
  int row;
  std::vector<QuadTerm> terms;
};

struct IndicatorLine {
  int row, column;
  int kind;  // 1 (IF), 2 (OI), 3 (FF); negative when triggered by 0
};

class Parser {
 public:
  Parser(Environment& env, LineSource& lines, Layout layout, const ReadOptions& options,
         MessageLog& log);
  // Reads the file; fills `out` only on success. Returns 0, a negated code
  // whose message is in the log, an error of the stream, or kNotFixedLayout.
  int run(ReaderArrays& out);
  // Fixed layout: a name field held a blank (the reason to read by columns).
  bool saw_blank_in_name() const { return blank_in_name_; }
  // Bytes of text the file is expected to hold (0: unknown); run() sizes
  // the column and coefficient arrays from it.
  void set_text_bytes(uint64_t bytes) { text_bytes_ = bytes; }

 private:
  // Driver and section order (mps_read_driver.cpp).
  void reserve_for_text(uint64_t bytes);
  int on_comment(std::string_view line);
  int on_header(std::string_view line);
  int on_data(std::string_view line);
  int enter(Section next, std::string_view word, std::string_view rest);
  int header_before_rows(Section next, std::string_view word, std::string_view rest);
  int order_error(Section next);
  int finish_file(bool saw_endata);
  int read_objective_line(std::string_view line);

  // Field helpers (mps_read_fields.cpp).
  std::string_view name_field(std::string_view field);
  int number_field(std::string_view field, double& value);
  int fixed_fields(std::string_view line, Fields& fields);
  int not_a_row(std::string_view name);
  int not_a_column(std::string_view name);
  // BOUNDS and the later sections usually name the columns in their file
  // order: the column after the last one found (or that one again) is
  // tried before the index. Names are unique once the index stands, so a
  // match is the column.
  int find_column(std::string_view name) const {
    if (columns_indexed_) {
      const int n = static_cast<int>(column_names_.size());
      const int next = last_found_column_ + 1;
      if (next < n && column_names_[next] == name) return last_found_column_ = next;
      if (next > 0 && next <= n && column_names_[next - 1] == name) return next - 1;
    }
    const int j = column_index_.find(name, column_names_);
    if (j >= 0) last_found_column_ = j;
    return j;
  }

  // ROWS, USERCUTS, LAZYCONS (mps_read_rows.cpp).
  int read_row(std::string_view line);
  int finish_rows();

  // COLUMNS (mps_read_columns.cpp).
  int read_column(std::string_view line);
  int read_marker(std::string_view column, std::string_view kind);
  int start_column(std::string_view name);
  int add_entry(std::string_view row_text, const NameIndex::Key& key,
                std::string_view value_text);
  int finish_columns();

  // RHS and RANGES (mps_read_rim.cpp).
  int read_rim(std::string_view line, bool ranges);
  int rim_value(bool ranges, std::string_view set, std::string_view row_text,
                std::string_view value_text);
  std::string_view blank_rhs_name();

  // BOUNDS (mps_read_bounds.cpp) and the rules applied afterwards
  // (mps_bound_rules.cpp).
  int read_bound(std::string_view line);
  void apply_bound_rules();

  // QMATRIX, QUADOBJ, QCMATRIX, SOS, INDICATORS (mps_read_parts.cpp).
  int read_quadratic(std::string_view line);
  int start_qcmatrix(std::string_view rest);
  int read_sos(std::string_view line);
  int read_indicator(std::string_view line);
  void check_indicator_columns();

  // Output (mps_assemble.cpp).
  void assemble(ReaderArrays& out);
  void assemble_rows(ReaderArrays& out, std::vector<int>& final_row);
  void assemble_matrix(ReaderArrays& out, const std::vector<int>& final_row);
  void assemble_quadratic(ReaderArrays& out);

  Environment& env_;
  Layout layout_;
  ReadOptions options_;
  MessageLog& log_;
  bool verbose_ = false;
  bool blank_in_name_ = false;
  uint64_t text_bytes_ = 0;

  LineSource& lines_;
  NameArena arena_;  // names kept beyond their line
  Section section_ = Section::Start;
  bool bounds_seen_ = false;
  bool late_seen_[5] = {};  // QMATRIX/QUADOBJ, SOS, INDICATORS seen (by late_slot)

  // Objective.
  int objsense_ = 1;
  bool objsense_given_ = false;
  bool maximize_comment_ = false;
  std::string_view objective_name_;  // OBJNAME
  std::string_view refrow_name_;     // REFROW
  int objective_row_ = -1;
  int refrow_ = -1;

  // Rows, in file order, with the USERCUTS and LAZYCONS rows among them.
  std::vector<std::string_view> row_names_;
  std::vector<char> row_type_;       // 'N', 'E', 'L', 'G'
  std::vector<uint8_t> row_pool_;    // 0 ROWS, 1 USERCUTS, 2 LAZYCONS
  std::vector<RowRole> row_role_;
  std::vector<uint8_t> row_flags_;
  std::vector<double> row_rhs_, row_range_;
  std::vector<int> repeated_rows_;
  NameIndex row_index_;

  // Columns and the matrix, column by column in file order.
  std::vector<std::string_view> column_names_;
  std::vector<double> obj_, lb_, ub_;
  std::vector<char> ctype_;
  std::vector<uint8_t> column_flags_;
  std::vector<int64_t> column_start_;
  std::vector<int> entry_row_;
  std::vector<double> entry_value_;
  NameIndex column_index_;
  bool columns_indexed_ = false;      // column_index_ complete, names unique
  mutable int last_found_column_ = -1;
  int current_ = -1;
  bool in_integers_ = false;
  bool in_sos_marker_ = false;

  // RHS, RANGES and BOUNDS sets: the first one named is used.
  std::string_view rhs_set_, range_set_, bound_set_;
  bool rhs_set_chosen_ = false, range_set_chosen_ = false, bound_set_chosen_ = false;
  bool blank_rhs_seen_ = false;
  std::string_view blank_rhs_replacement_;
  bool more_bound_sets_warned_ = false;
  bool empty_number_warned_ = false;

  // Optional parts.
  std::vector<QuadTerm> quad_terms_;
  bool quadobj_upper_ = false;  // QUADOBJ lists each off-diagonal pair once
  std::vector<QcBlock> qc_blocks_;
  bool skip_qcmatrix_ = false;
  bool skip_qcmatrix_warned_ = false;
  std::vector<ReaderSos> sos_;
  bool sos_header_seen_ = false;  // members before a set header are an error
  std::vector<IndicatorLine> indicators_;

  CappedWarning truncations_{"%lld truncation warning messages not printed.\n"};
  CappedWarning objective_in_rhs_{"%lld OBJ warnings not printed.\n"};
  CappedWarning unknown_sos_members_{"%lld warnings not printed.\n"};
};

}  // namespace korva::mps
