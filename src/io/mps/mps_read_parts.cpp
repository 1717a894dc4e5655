// The optional sections after BOUNDS: the quadratic objective (QMATRIX,
// QUADOBJ), quadratic constraints (QCMATRIX), special ordered sets (SOS)
// and indicator constraints (INDICATORS).
#include <cmath>
#include <string>

#include "io/indicator_kind.h"
#include "io/mps/mps_errors.h"
#include "io/mps/mps_parser.h"

namespace korva::mps {
namespace {

constexpr double kTolerance = 1e-10;

}  // namespace

int Parser::read_quadratic(std::string_view line) {
  const bool constraint = section_ == Section::QcMatrix;
  if (constraint ? skip_qcmatrix_ : !options_.quadratic_objective) return 0;
  std::string_view first, second, value_text;
  if (layout_ == Layout::Free) {
    std::string_view t[3];
    const int count = split_blanks(line, t, 3);
    first = t[0];
    if (count > 1) second = t[1];
    if (count > 2) value_text = t[2];
  } else {
    Fields fields;
    if (int status = fixed_fields(line, fields)) return status;
    first = fields.f[1];
    second = fields.f[2];
    value_text = fields.f[3];
  }
  first = name_field(first);
  const int i = find_column(first);
  if (i < 0) return not_a_column(first);
  second = name_field(second);
  const int j = find_column(second);
  if (j < 0) return not_a_column(second);
  double value;
  if (int status = number_field(value_text, value)) return status;
  (constraint ? qc_blocks_.back().terms : quad_terms_).push_back(QuadTerm{i, j, value});
  return 0;
}

int Parser::start_qcmatrix(std::string_view rest) {
  if (!options_.quadratic_constraints) {
    if (!skip_qcmatrix_warned_) log_.warning("Warning:  Quadratic constraints ignored.\n");
    skip_qcmatrix_warned_ = true;
    skip_qcmatrix_ = true;
    return 0;
  }
  const long long number = lines_.number();
  const std::string_view name = name_field(first_word(rest));
  const int row = row_index_.find(name, row_names_);
  if (row < 0) return not_a_row(name);
  // A quadratic constraint is an inequality of the model's rows.
  if (row_role_[row] != RowRole::Constraint || row_type_[row] == 'E' ||
      (row_flags_[row] & kHasRange))
    return log_.error(code::kQuadSense, number);
  if (row_flags_[row] & kQuadraticRow)
    return log_.error(code::kLineRepeats, number, "QCMATRIX", std::string(name).c_str());
  if (row_flags_[row] & kIndicatorRow) return log_.error(code::kQuadInConstraint, number);
  row_flags_[row] |= kQuadraticRow;
  qc_blocks_.push_back(QcBlock{row, {}});
  return 0;
}

int Parser::read_sos(std::string_view line) {
  const long long number = lines_.number();
  // A set header has a non-blank second character: " S1 name".
  if (line.size() >= 2 && line[1] != ' ' && line[1] != '\t') {
    if (line.size() < 3) return log_.error(code::kMissingSosType, number);
    if (line[1] != 'S' || (line[2] != '1' && line[2] != '2'))
      return log_.error(code::kBadSosType, number, line[1], line[2]);
    ReaderSos set;
    set.type = line[2];
    set.name = std::string(name_field(first_word(line.substr(3))));
    sos_.push_back(std::move(set));
    sos_header_seen_ = true;
    return 0;
  }
  if (!sos_header_seen_)
    return log_.error(code::kMissingSosType, number);
  std::string_view t[2];
  const int count = split_blanks(line, t, 2);
  const std::string_view name = name_field(t[0]);
  const int j = find_column(name);
  if (j < 0) {
    if (unknown_sos_members_.admit())
      log_.warning("Warning, line %lld: '%.255s' is not a variable.\n", number,
                   std::string(name).c_str());
    return 0;
  }
  double weight;
  if (int status = number_field(count > 1 ? t[1] : std::string_view(), weight)) return status;
  sos_.back().indices.push_back(j);
  sos_.back().weights.push_back(weight);
  return 0;
}

int Parser::read_indicator(std::string_view line) {
  const long long number = lines_.number();
  std::string_view kind, row_text, column_text, value_text;
  if (layout_ == Layout::Free) {
    std::string_view t[4];
    const int count = split_blanks(line, t, 4);
    kind = t[0];
    if (count > 1) row_text = t[1];
    if (count > 2) column_text = t[2];
    if (count > 3) value_text = t[3];
  } else {
    Fields fields;
    if (int status = fixed_fields(line, fields)) return status;
    kind = fields.f[0];
    row_text = fields.f[1];
    column_text = fields.f[2];
    value_text = fields.f[3];
  }
  const int code = equals_upper(kind, "IF")   ? 1
                   : equals_upper(kind, "OI") ? 2
                   : equals_upper(kind, "FF") ? 3
                                              : 0;
  if (code == 0) return log_.error(code::kBadIndicator, number);
  const std::string_view row_name = name_field(row_text);
  const int row = row_index_.find(row_name, row_names_);
  if (row < 0) return not_a_row(row_name);
  // The controlled constraint is a plain E, L or G row of the model.
  if (row_role_[row] != RowRole::Constraint || (row_flags_[row] & kHasRange))
    return log_.error(code::kBadIndicator, number);
  if (row_flags_[row] & kQuadraticRow) return log_.error(code::kQuadInConstraint, number);
  if (row_flags_[row] & kIndicatorRow)
    return log_.error(code::kRowRepeats, std::string(row_name).c_str());
  const std::string_view column_name = name_field(column_text);
  const int column = find_column(column_name);
  if (column < 0) return not_a_column(column_name);
  double value;
  if (int status = number_field(value_text, value)) return status;
  const bool zero = std::fabs(value) <= kTolerance;
  if (!zero && std::fabs(value - 1.0) > kTolerance) return log_.error(code::kBadIndicator, number);
  row_flags_[row] |= kIndicatorRow;
  indicators_.push_back(IndicatorLine{row, column, zero ? -code : code});
  return 0;
}

void Parser::check_indicator_columns() {
  CappedWarning warnings("%lld indicator variable warnings not printed.\n");
  for (const IndicatorLine& ind : indicators_) {
    const double lb = lb_[ind.column];
    const double ub = ub_[ind.column];
    const std::string name(column_names_[ind.column]);
    if (lb == ub) {
      if (lb != 0.0 && lb != 1.0 && warnings.admit())
        log_.warning("Warning: indicator variable '%.255s' is fixed to other than 0.0 or 1.0.\n",
                     name.c_str());
      continue;
    }
    if (ub != 1.0 && warnings.admit())
      log_.warning("Warning: indicator variable '%.255s' has upper bound other than 1.0.\n",
                   name.c_str());
    if (lb != 0.0 && warnings.admit())
      log_.warning("Warning: indicator variable '%.255s' has lower bound other than 0.0.\n",
                   name.c_str());
  }
  warnings.finish(log_);
}

}  // namespace korva::mps
