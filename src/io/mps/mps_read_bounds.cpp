// BOUNDS: the ten bound types, the prior-bound errors and the first-set
// rule. What the bounds imply for column types is settled afterwards
// (mps_bound_rules.cpp), once every bound of a column is known.
#include <string>

#include "io/mps/mps_errors.h"
#include "io/mps/mps_parser.h"

namespace korva::mps {
namespace {

enum class BoundAction : uint8_t {
  Upper, Lower, Fixed, Free, MinusInfinity, PlusInfinity, Binary, UpperInteger, LowerInteger,
  SemiContinuous
};

struct BoundType {
  std::string_view name;
  bool needs_value;
  uint8_t conflicts;  // prior bounds that make the line an error
  int error;
  uint8_t sets;       // bounds the line gives
  BoundAction action;
};

constexpr uint8_t kBoth = kLowerGiven | kUpperGiven;
constexpr BoundType kBoundTypes[] = {
    {"UP", true, kUpperGiven, code::kRepeatedUpper, kUpperGiven, BoundAction::Upper},
    {"LO", true, kLowerGiven, code::kRepeatedLower, kLowerGiven, BoundAction::Lower},
    {"FX", true, kBoth, code::kFxAfterBound, kBoth, BoundAction::Fixed},
    {"FR", false, kBoth, code::kFrAfterBound, kBoth, BoundAction::Free},
    {"MI", false, kLowerGiven, code::kRepeatedLower, kLowerGiven, BoundAction::MinusInfinity},
    {"PL", false, kUpperGiven, code::kRepeatedUpper, kUpperGiven, BoundAction::PlusInfinity},
    {"BV", false, kBoth, code::kBvAfterBound, kBoth, BoundAction::Binary},
    {"UI", true, kUpperGiven, code::kRepeatedUpper, kUpperGiven, BoundAction::UpperInteger},
    {"LI", true, kLowerGiven, code::kRepeatedLower, kLowerGiven, BoundAction::LowerInteger},
    {"SC", true, kUpperGiven, code::kRepeatedUpper, kUpperGiven, BoundAction::SemiContinuous},
};

const BoundType* find_bound_type(std::string_view name) {
  for (const BoundType& t : kBoundTypes)
    if (equals_upper(name, t.name)) return &t;
  return nullptr;
}

constexpr double kInf = 1e20;

}  // namespace

int Parser::read_bound(std::string_view line) {
  const long long number = lines_.number();
  std::string_view type_text, set, column, value_text;
  const BoundType* type = nullptr;
  if (layout_ == Layout::Free) {
    std::string_view t[4];
    const int count = split_blanks(line, t, 4);
    if (count < 2) return log_.error(code::kNoBoundType, number);
    type_text = t[0];
    type = find_bound_type(type_text);
    if (!type) return log_.error(code::kBadBoundType, number, std::string(type_text).c_str());
    // Three words are either "type set column" or, with a blank set name,
    // "type column value": whichever reading names a column wins.
    auto is_column = [&](std::string_view s) {
      return s.size() <= static_cast<size_t>(kMaxNameLength) && find_column(s) >= 0;
    };
    if (count >= 4) {
      set = t[1];
      column = t[2];
      value_text = t[3];
    } else if (count == 2) {
      column = t[1];
    } else if (is_column(t[2]) || !is_column(t[1])) {
      set = t[1];
      column = t[2];
    } else {
      column = t[1];
      value_text = t[2];
    }
  } else {
    Fields fields;
    if (int status = fixed_fields(line, fields)) return status;
    type_text = fields.f[0];
    if (type_text.empty()) return log_.error(code::kNoBoundType, number);
    type = find_bound_type(type_text);
    if (!type) return log_.error(code::kBadBoundType, number, std::string(type_text).c_str());
    set = fields.f[1];
    column = fields.f[2];
    value_text = fields.f[3];
  }

  set = name_field(set);
  if (!bound_set_chosen_) {
    bound_set_ = arena_.store(set);
    bound_set_chosen_ = true;
    if (verbose_)
      log_.info("Selected %-10s name:  %.255s\n", "BOUNDS", std::string(set).c_str());
  } else if (set != bound_set_) {
    if (!more_bound_sets_warned_)
      log_.warning("Warning:  More than one bound set specified. "
                   "Only the first set is used.\n");
    more_bound_sets_warned_ = true;
    return 0;
  }

  column = name_field(column);
  const int j = find_column(column);
  if (j < 0) return not_a_column(column);
  double value = 0.0;
  if (type->needs_value)
    if (int status = number_field(value_text, value)) return status;
  if (column_flags_[j] & type->conflicts) return log_.error(type->error, number);
  column_flags_[j] |= type->sets;

  char& ctype = ctype_[j];
  switch (type->action) {
    case BoundAction::Upper: ub_[j] = value; break;
    case BoundAction::Lower: lb_[j] = value; break;
    case BoundAction::Fixed: lb_[j] = ub_[j] = value; break;
    case BoundAction::Free: lb_[j] = -kInf; ub_[j] = kInf; break;
    case BoundAction::MinusInfinity: lb_[j] = -kInf; break;
    case BoundAction::PlusInfinity: ub_[j] = kInf; break;
    case BoundAction::Binary:
      lb_[j] = 0.0;
      ub_[j] = 1.0;
      ctype = 'B';
      break;
    case BoundAction::UpperInteger:
      ub_[j] = value;
      ctype = 'I';
      break;
    case BoundAction::LowerInteger:
      lb_[j] = value;
      ctype = (ctype == 'S' || ctype == 'N') ? 'N' : 'I';
      break;
    case BoundAction::SemiContinuous:
      ub_[j] = value;
      ctype = (ctype == 'C' || ctype == 'S') ? 'S' : 'N';
      break;
  }
  return 0;
}

}  // namespace korva::mps
