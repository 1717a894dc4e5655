// The MPS writer's header, ROWS, COLUMNS, RHS and RANGES sections.
#include <cstdio>

#include "io/mps/mps_parser.h"
#include "io/mps/mps_writer.h"

namespace korva::mps {

Writer::Writer(const ModelView& view, Output& out) : view_(view), out_(out) {}

void Writer::write(const std::string& encoding) {
  resolve_names();
  objective_sign_ = view_.objsense() < 0 ? -1.0 : 1.0;
  out_.text("* ENCODING=").text(encoding).end_line();
  out_.text("NAME          ").text(writable_name(view_.problem_name())).end_line();
  if (objective_sign_ < 0) out_.text(kMaximizeComment).end_line();
  write_rows();
  write_columns();
  write_rhs_and_ranges();
  write_bounds();
  write_quadratic();
  write_qconstraints();
  write_sos();
  write_indicators();
  out_.text("ENDATA").end_line();
}

void Writer::write_rows() {
  auto row_line = [&](char sense, std::string_view name) {
    const char text[5] = {' ', sense, ' ', ' ', '\0'};
    out_.text(text).text(writable_name(name)).end_line();
  };
  out_.text("ROWS").end_line();
  row_line('N', objective_);
  for (int i = 0; i < view_.num_rows(); ++i) {
    // A ranged row is an E row with its range in RANGES: the range's sign
    // then gives the direction, exactly as the problem stores it.
    const char sense = view_.sense(i) == 'R' ? 'E' : view_.sense(i);
    row_line(sense, row(i));
  }
  for (const auto* list : {&qc_rows_, &indicator_rows_})
    for (const ExtraRow& r : *list) row_line(r.sense, r.name);
  if (!cut_rows_.empty()) {
    out_.text("USERCUTS").end_line();
    for (const ExtraRow& r : cut_rows_) row_line(r.sense, r.name);
  }
  if (!lazy_rows_.empty()) {
    out_.text("LAZYCONS").end_line();
    for (const ExtraRow& r : lazy_rows_) row_line(r.sense, r.name);
  }
}

bool Writer::is_integer(int j) const {
  const char t = view_.ctype(j);
  return t == 'B' || t == 'I' || t == 'N';
}

void Writer::marker(const char* kind) {
  char text[64];
  std::snprintf(text, sizeof text, "    MARK%04lld  'MARKER'                 '%s'", marker_count_,
                kind);
  marker_count_ = marker_count_ == 9999 ? 0 : marker_count_ + 1;
  out_.text(text).end_line();
}

void Writer::pair(std::string_view first, std::string_view label, double value) {
  if (pairs_in_line_ == 0) {
    out_.text("    ").padded(first, column_width_).text("  ");
  } else {
    out_.text("   ");
  }
  out_.padded(label, row_width_).text("  ").number(value);
  if (++pairs_in_line_ == pairs_per_line_) end_pairs();
}

void Writer::end_pairs() {
  if (pairs_in_line_ == 0) return;
  out_.end_line();
  pairs_in_line_ = 0;
}

void Writer::write_columns() {
  out_.text("COLUMNS").end_line();
  bool in_integers = false;
  for (int j = 0; j < view_.num_cols(); ++j) {
    if (is_integer(j) != in_integers) {
      in_integers = !in_integers;
      marker(in_integers ? "INTORG" : "INTEND");
    }
    const std::string_view name = column(j);
    const double c = view_.obj(j);
    const SparseSpan entries = view_.column(j);
    const bool empty = entries.size() == 0 && extra_begin_[j] == extra_begin_[j + 1];
    // A column without coefficients still has to be declared.
    if (c != 0.0 || empty) pair(name, objective_, objective_sign_ * c);
    for (int k = 0; k < entries.size(); ++k) pair(name, row(entries.index[k]), entries.value[k]);
    for (int64_t k = extra_begin_[j]; k < extra_begin_[j + 1]; ++k)
      pair(name, *extra_label_[k], extra_value_[k]);
    end_pairs();
  }
  if (in_integers) marker("INTEND");
}

void Writer::write_rhs_and_ranges() {
  out_.text("RHS").end_line();
  for (int i = 0; i < view_.num_rows(); ++i)
    if (view_.rhs(i) != 0.0) pair("rhs", row(i), view_.rhs(i));
  for (const auto* list : {&qc_rows_, &indicator_rows_, &cut_rows_, &lazy_rows_})
    for (const ExtraRow& r : *list)
      if (r.rhs != 0.0) pair("rhs", r.name, r.rhs);
  end_pairs();

  bool ranged = false;
  for (int i = 0; i < view_.num_rows() && !ranged; ++i) ranged = view_.sense(i) == 'R';
  if (!ranged) return;
  out_.text("RANGES").end_line();
  for (int i = 0; i < view_.num_rows(); ++i)
    if (view_.sense(i) == 'R') pair("rng", row(i), view_.range(i));
  end_pairs();
}

}  // namespace korva::mps
