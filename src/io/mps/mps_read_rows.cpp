// ROWS, USERCUTS and LAZYCONS: the row names and types, and at the end of
// these sections the choice of the objective row.
#include <string>

#include "io/mps/mps_errors.h"
#include "io/mps/mps_parser.h"

namespace korva::mps {
namespace {

constexpr size_t kRepeatsShown = 20;

}  // namespace

int Parser::read_row(std::string_view line) {
  std::string_view type, name;
  if (layout_ == Layout::Free) {
    std::string_view tokens[2];
    const int count = split_blanks(line, tokens, 2);
    type = tokens[0];
    if (count > 1) name = tokens[1];
  } else {
    Fields fields;
    if (int status = fixed_fields(line, fields)) return status;
    type = fields.f[0];
    name = fields.f[1];
  }
  const long long number = lines_.number();
  if (type.size() != 1 || !has_class(type[0], kRowType))
    return log_.error(code::kNoRowSense, number);
  if (name.empty()) return log_.error(code::kNoRowName, number);
  const char sense = static_cast<char>(type[0] & ~0x20);  // upper case
  const uint8_t pool = section_ == Section::UserCuts ? 1 : section_ == Section::LazyCons ? 2 : 0;
  if (pool != 0 && sense == 'N') return log_.error(code::kBadCutRow, number);
  if (static_cast<long long>(row_names_.size()) >= kMaxCount)
    return log_.error(code::kSizeLimits);

  const int index = static_cast<int>(row_names_.size());
  row_names_.push_back(arena_.store(name_field(name)));
  if (row_index_.insert(index, row_names_) >= 0) repeated_rows_.push_back(index);
  row_type_.push_back(sense);
  row_pool_.push_back(pool);
  return 0;
}

int Parser::finish_rows() {
  if (!repeated_rows_.empty()) {
    for (size_t k = 0; k < repeated_rows_.size() && k < kRepeatsShown; ++k)
      log_.error(code::kRowRepeats, std::string(row_names_[repeated_rows_[k]]).c_str());
    if (repeated_rows_.size() > kRepeatsShown)
      log_.error(code::kRowRepeatsUnprinted,
                 static_cast<long long>(repeated_rows_.size() - kRepeatsShown));
    return -code::kRowRepeats;
  }

  const int rows = static_cast<int>(row_names_.size());
  auto is_objective_candidate = [&](int r) { return row_type_[r] == 'N' && row_pool_[r] == 0; };
  if (!objective_name_.empty()) {
    const int r = row_index_.find(objective_name_, row_names_);
    if (r >= 0 && is_objective_candidate(r))
      objective_row_ = r;
    else
      log_.warning("Warning:  Specified objective '%.255s' not found.\n",
                   std::string(objective_name_).c_str());
  }
  for (int r = 0; r < rows && objective_row_ < 0; ++r)
    if (is_objective_candidate(r)) objective_row_ = r;
  if (objective_row_ < 0) return log_.error(code::kNoObjective, lines_.number());
  if (verbose_)
    log_.info("Selected objective  name:  %.255s\n",
              std::string(row_names_[objective_row_]).c_str());

  row_role_.resize(rows);
  for (int r = 0; r < rows; ++r) {
    if (row_pool_[r] == 1)
      row_role_[r] = RowRole::UserCut;
    else if (row_pool_[r] == 2)
      row_role_[r] = RowRole::Lazy;
    else if (row_type_[r] != 'N')
      row_role_[r] = RowRole::Constraint;
    else
      row_role_[r] = r == objective_row_ ? RowRole::Objective : RowRole::Free;
  }
  row_flags_.assign(rows, 0);
  row_rhs_.assign(rows, 0.0);
  row_range_.assign(rows, 0.0);
  // Where the coefficients' lookups find them: each row's role in its
  // slot (the slot's mark, the last column seen, starts at -1).
  row_index_.for_each(
      [&](NameIndex::Slot& s) { s.data = static_cast<uint32_t>(row_role_[s.position]); });
  if (!refrow_name_.empty()) refrow_ = row_index_.find(refrow_name_, row_names_);
  return 0;
}

}  // namespace korva::mps
