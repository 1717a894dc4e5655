// The MPS writer's header, ROWS, COLUMNS, RHS and RANGES sections.
#include <cstdio>

#include "io/mps/mps_parser.h"
#include "io/mps/mps_writer.h"

namespace korva::mps {

Writer::Writer(const ModelView& view, Output& out, const DualHeader* dual)
    : view_(view), out_(out), dual_(dual) {}

void Writer::write(const std::string& encoding) {
  resolve_names();
  objective_sign_ = view_.objsense() < 0 ? -1.0 : 1.0;
  write_header(encoding);
  write_rows();
  write_columns();
  write_rhs_and_ranges();
  write_bounds();
  write_quadratic();
  write_qconstraints();
  write_sos();
  write_indicators();
  out_.format("ENDATA\n");
}

void Writer::write_header(const std::string& encoding) {
  out_.format("* ENCODING=%s\n", encoding.c_str());
  if (!dual_) {
    out_.format("NAME          %.255s\n", name1_(view_.problem_name()));
  } else if (dual_->shift == 0.0) {
    out_.format("NAME          %s.dual\n", dual_->primal_name.c_str());
  } else {
    out_.format("NAME          %s.dual (objshift = ", dual_->primal_name.c_str());
    out_.format("%s)\n", out_.bare(dual_->shift).c_str());
  }
  if (objective_sign_ < 0)
    out_.format("%.*s\n", static_cast<int>(kMaximizeComment.size()), kMaximizeComment.data());
}

void Writer::write_rows() {
  out_.format("ROWS\n");
  out_.format(" N  %.255s\n", name1_(objective_));
  for (int i = 0; i < view_.num_rows(); ++i) {
    // A ranged row is an E row with its range in RANGES: the range's sign
    // then gives the direction, exactly as the problem stores it.
    const char sense = view_.sense(i) == 'R' ? 'E' : view_.sense(i);
    out_.format(" %c  %.255s\n", sense, name1_(row(i)));
  }
  for (const auto* list : {&qc_rows_, &indicator_rows_})
    for (const ExtraRow& r : *list) out_.format(" %c  %.255s\n", r.sense, name1_(r.name));
  if (!cut_rows_.empty()) {
    out_.format("USERCUTS\n");
    for (const ExtraRow& r : cut_rows_) out_.format(" %c  %.255s\n", r.sense, name1_(r.name));
  }
  if (!lazy_rows_.empty()) {
    out_.format("LAZYCONS\n");
    for (const ExtraRow& r : lazy_rows_) out_.format(" %c  %.255s\n", r.sense, name1_(r.name));
  }
}

bool Writer::is_integer(int j) const {
  const char t = view_.ctype(j);
  return t == 'B' || t == 'I' || t == 'N';
}

void Writer::marker(bool integers_begin) {
  if (integers_begin)
    out_.format("    MARK%04lld  'MARKER'                 'INTORG'\n", marker_count_);
  else
    out_.format("    MARK%04lld  'MARKER'                 'INTEND'\n", marker_count_);
  marker_count_ = marker_count_ == 9999 ? 0 : marker_count_ + 1;
}

void Writer::pair(std::string_view first, std::string_view label, double value) {
  if (pairs_in_line_ == 0)
    out_.format("    %.255s  %.255s  %s", name1_(first, column_width_),
                name2_(label, row_width_), out_.field(value).c_str());
  else
    out_.format("   %.255s  %s\n", name2_(label, row_width_), out_.field(value).c_str());
  if (++pairs_in_line_ == pairs_per_line_) end_pairs();
}

void Writer::end_pairs() {
  if (pairs_in_line_ == 0) return;
  // A line with its second pair ends with that pair's format.
  if (pairs_in_line_ == 1) out_.format("\n");
  pairs_in_line_ = 0;
}

void Writer::write_columns() {
  out_.format("COLUMNS\n");
  bool in_integers = false;
  for (int j = 0; j < view_.num_cols(); ++j) {
    if (is_integer(j) != in_integers) {
      in_integers = !in_integers;
      marker(in_integers);
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
  if (in_integers) marker(false);
}

void Writer::write_rhs_and_ranges() {
  out_.format("RHS\n");
  for (int i = 0; i < view_.num_rows(); ++i)
    if (view_.rhs(i) != 0.0) pair("rhs", row(i), view_.rhs(i));
  for (const auto* list : {&qc_rows_, &indicator_rows_, &cut_rows_, &lazy_rows_})
    for (const ExtraRow& r : *list)
      if (r.rhs != 0.0) pair("rhs", r.name, r.rhs);
  end_pairs();

  bool ranged = false;
  for (int i = 0; i < view_.num_rows() && !ranged; ++i) ranged = view_.sense(i) == 'R';
  if (!ranged) return;
  out_.format("RANGES\n");
  for (int i = 0; i < view_.num_rows(); ++i)
    if (view_.sense(i) == 'R') pair("rng", row(i), view_.range(i));
  end_pairs();
}

}  // namespace korva::mps
