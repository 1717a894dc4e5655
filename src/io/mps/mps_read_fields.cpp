// Field-level helpers of the MPS reader: names (with their length limit),
// numbers, the fixed layout and the not-found errors.
#include <string>

#include "io/mps/mps_errors.h"
#include "io/mps/mps_number.h"
#include "io/mps/mps_parser.h"

namespace korva::mps {

std::string_view Parser::name_field(std::string_view field) {
  if (field.size() <= static_cast<size_t>(kMaxNameLength)) return field;
  // Cut before the UTF-8 character that would straddle the limit.
  size_t length = kMaxNameLength;
  while (length > 0 && (static_cast<unsigned char>(field[length]) & 0xC0) == 0x80) --length;
  const std::string_view cut = field.substr(0, length);
  if (truncations_.admit())
    log_.warning("Warning, line %lld:  '%s' truncated.\n", lines_.number(),
                 std::string(cut).c_str());
  return cut;
}

int Parser::number_field(std::string_view field, double& value) {
  if (field.empty()) {
    value = 0.0;
    if (!empty_number_warned_) log_.warning("Warning:  Empty numeric fields read as zeros.\n");
    empty_number_warned_ = true;
    return 0;
  }
  if (parse_number(field, value)) return 0;
  return log_.error(code::kBadNumber, lines_.number(), std::string(field).c_str());
}

int Parser::fixed_fields(std::string_view line, Fields& fields) {
  return split_fixed(line, fields, blank_in_name_) ? 0 : kNotFixedLayout;
}

int Parser::not_a_row(std::string_view name) {
  return log_.error(code::kNotRow, lines_.number(), std::string(name).c_str());
}

int Parser::not_a_column(std::string_view name) {
  return log_.error(code::kNotColumn, lines_.number(), std::string(name).c_str());
}

}  // namespace korva::mps
