// RHS and RANGES: right-hand sides and ranges of the rows, from the first
// set named in each section.
#include <string>

#include "io/mps/mps_errors.h"
#include "io/mps/mps_parser.h"

namespace korva::mps {

int Parser::read_rim(std::string_view line, bool ranges) {
  std::string_view set, row1, value1, row2, value2;
  if (layout_ == Layout::Free) {
    std::string_view tokens[6];
    const int count = split_blanks(line, tokens, 6);
    // set row value [row value]; without a set name the count is even.
    const int first = (count % 2 == 1 || count > 5) ? 1 : 0;
    if (first) set = tokens[0];
    if (count > first) row1 = tokens[first];
    if (count > first + 1) value1 = tokens[first + 1];
    if (count > first + 2) row2 = tokens[first + 2];
    if (count > first + 3) value2 = tokens[first + 3];
  } else {
    Fields fields;
    if (int status = fixed_fields(line, fields)) return status;
    if (!fields.f[0].empty()) return kNotFixedLayout;
    set = fields.f[1];
    row1 = fields.f[2];
    value1 = fields.f[3];
    row2 = fields.f[4];
    value2 = fields.f[5];
  }

  set = name_field(set);
  if (set.empty() && !ranges) set = blank_rhs_name();
  std::string_view& chosen = ranges ? range_set_ : rhs_set_;
  bool& is_chosen = ranges ? range_set_chosen_ : rhs_set_chosen_;
  if (!is_chosen) {
    chosen = arena_.store(set);
    is_chosen = true;
    if (verbose_)
      log_.info("Selected %-10s name:  %.255s\n", ranges ? "RANGES" : "RHS",
                std::string(set).c_str());
  } else if (set != chosen) {
    return 0;  // only the first set counts
  }
  if (!row1.empty())
    if (int status = rim_value(ranges, set, row1, value1)) return status;
  if (!row2.empty())
    if (int status = rim_value(ranges, set, row2, value2)) return status;
  return 0;
}

std::string_view Parser::blank_rhs_name() {
  if (!blank_rhs_seen_) {
    blank_rhs_seen_ = true;
    // The replacement is not taken when a column already has that name, so
    // that messages naming the set cannot be mistaken for the column.
    if (find_column("rhs") >= 0) {
      log_.warning("Warning:  Blank RHS name unchanged.  Column with "
                   "name 'rhs' already exists.\n");
      blank_rhs_replacement_ = std::string_view();
    } else {
      log_.warning("Warning:  Blank RHS name changed to 'rhs'.\n");
      blank_rhs_replacement_ = "rhs";
    }
  }
  return blank_rhs_replacement_;
}

int Parser::rim_value(bool ranges, std::string_view set, std::string_view row_text,
                      std::string_view value_text) {
  const std::string_view name = name_field(row_text);
  const int row = row_index_.find(name, row_names_);
  if (row < 0) return not_a_row(name);
  double value;
  if (int status = number_field(value_text, value)) return status;
  const char* section = ranges ? "RANGES" : "RHS";

  switch (row_role_[row]) {
    case RowRole::Objective:
      if (ranges)
        log_.warning("Warning:  Objective coefficient in %s section ignored.\n", section);
      else if (objective_in_rhs_.admit())
        log_.warning("Warning, line %lld:  OBJ coefficient in %s section ignored.\n",
                     lines_.number(), section);
      return 0;
    case RowRole::Free:
      log_.warning("Warning:  %s '%.255s' value for free row '%.255s' ignored.\n", section,
                   std::string(set).c_str(), std::string(name).c_str());
      return 0;
    case RowRole::UserCut:
    case RowRole::Lazy:
      // Cuts and lazy constraints are plain inequalities or equations.
      if (ranges) return log_.error(code::kBadCutRow, lines_.number());
      break;
    case RowRole::Constraint:
      break;
  }
  const uint8_t flag = ranges ? kHasRange : kHasRhs;
  if (row_flags_[row] & flag)
    return log_.error(code::kSetRepeatsRow, section, std::string(set).c_str(),
                      std::string(name).c_str());
  row_flags_[row] |= flag;
  (ranges ? row_range_ : row_rhs_)[row] = value;
  return 0;
}

}  // namespace korva::mps
