// The MPS writer. Names are resolved once (the problem's own, or default
// names in generic mode); quadratic and indicator constraints, user cuts
// and lazy constraints are written as rows of their own, whose
// coefficients appear in COLUMNS next to those of the model rows.
//
// A maximisation is recorded by the comment kMaximizeComment after the
// NAME line and a negated objective (linear and quadratic): files carry no
// OBJSENSE section, so other readers see the equivalent minimisation and
// this library's reader restores the sense and the signs.
#pragma once
#include <string>
#include <vector>

#include "io/model_view.h"
#include "io/mps/mps_output.h"

namespace korva::mps {

// The NAME line of a dual written by KRVdualwrite: the primal's name with
// ".dual", and the objective shift when it is nonzero.
struct DualHeader {
  std::string primal_name;
  double shift = 0.0;
};

// A row of the file that is not a row of the model.
struct ExtraRow {
  std::string name;
  char sense;
  double rhs;
};

class Writer {
 public:
  Writer(const ModelView& view, Output& out, const DualHeader* dual = nullptr);
  void write(const std::string& encoding);

  // Whether some name holds a blank while all fit the classical 8
  // characters: such a model is written in the column layout, the only
  // one in which it reads back.
  static bool needs_columns(const ModelView& view);

 private:
  // Names and the extra rows (mps_write_names.cpp).
  void resolve_names();
  void collect_extra_rows();
  // Sections (mps_write_sections.cpp, mps_write_bounds.cpp, mps_write_parts.cpp).
  void write_rows();
  void write_columns();
  void write_rhs_and_ranges();
  void write_bounds();
  void write_quadratic();
  void write_qconstraints();
  void write_sos();
  void write_indicators();

  void write_header(const std::string& encoding);
  // A line of "first-name  label  value" pairs, two per line when the
  // line stays below 75 characters.
  void pair(std::string_view first, std::string_view label, double value);
  void end_pairs();
  void marker(bool integers_begin);

  bool is_integer(int j) const;
  std::string_view column(int j) const { return view_.col_name(j); }
  std::string_view row(int i) const { return view_.row_name(i); }

  const ModelView& view_;
  Output& out_;
  const DualHeader* dual_;
  NameText name1_, name2_, name3_;
  double objective_sign_ = 1.0;

  std::string objective_;
  std::vector<std::string> sos_names_;
  std::vector<ExtraRow> qc_rows_, indicator_rows_, cut_rows_, lazy_rows_;
  // Coefficients of the extra rows by column: entries extra_begin_[j] ..
  // extra_begin_[j + 1] - 1, naming the row through extra_label_.
  std::vector<int64_t> extra_begin_;
  std::vector<const std::string*> extra_label_;
  std::vector<double> extra_value_;

  size_t column_width_ = 8, row_width_ = 8;
  int pairs_per_line_ = 1;
  int pairs_in_line_ = 0;
  long long marker_count_ = 0;
};

// Writes `view` to `filename`; `dual` (may be null) gives the NAME line of
// a dual.
int write_mps_view(Environment& env, const ModelView& view, const char* filename,
                   const DualHeader* dual);

}  // namespace korva::mps
