// COLUMNS: the columns in file order, their coefficients and the integer
// and SOS marker lines. This is where a large file spends its time: one
// split, one hash lookup and one number conversion per coefficient.
#include <string>

#include "io/mps/mps_errors.h"
#include "io/mps/mps_parser.h"

namespace korva::mps {
namespace {

constexpr std::string_view kMarker = "'MARKER'";
constexpr size_t kRepeatsShown = 20;

}  // namespace

int Parser::read_column(std::string_view line) {
  std::string_view column, row1, value1, row2, value2;
  if (layout_ == Layout::Free) {
    std::string_view tokens[5];
    const int count = split_blanks(line, tokens, 5);
    column = tokens[0];
    if (count > 1) row1 = tokens[1];
    if (count > 2) value1 = tokens[2];
    if (count > 3) row2 = tokens[3];
    if (count > 4) value2 = tokens[4];
    if (row1 == kMarker) return read_marker(column, value1);
  } else {
    Fields fields;
    if (int status = fixed_fields(line, fields)) return status;
    if (!fields.f[0].empty()) return kNotFixedLayout;
    column = fields.f[1];
    row1 = fields.f[2];
    value1 = fields.f[3];
    row2 = fields.f[4];
    value2 = fields.f[5];
    if (row1 == kMarker) return read_marker(column, row2);
    if (column.empty()) return kNotFixedLayout;
  }

  // Both row lookups usually miss the cache on a large model: start
  // loading their slots before anything else is done with the line.
  NameIndex::Key key1{}, key2{};
  if (!row1.empty()) {
    key1 = NameIndex::key(row1);
    row_index_.prefetch(key1);
  }
  if (!row2.empty()) {
    key2 = NameIndex::key(row2);
    row_index_.prefetch(key2);
  }
  column = name_field(column);
  if (current_ < 0 || column != column_names_[current_])
    if (int status = start_column(column)) return status;
  // A line with a column name alone declares the column.
  if (!row1.empty())
    if (int status = add_entry(row1, key1, value1)) return status;
  if (!row2.empty())
    if (int status = add_entry(row2, key2, value2)) return status;
  return 0;
}

int Parser::read_marker(std::string_view column, std::string_view kind) {
  const long long line = lines_.number();
  if (kind == "'INTORG'") {
    if (in_integers_) return log_.error(code::kIntorgInside, line);
    in_integers_ = true;
  } else if (kind == "'INTEND'") {
    if (!in_integers_) return log_.error(code::kIntendOutside, line);
    in_integers_ = false;
  } else if (kind == "'SOSORG'") {
    if (in_sos_marker_) return log_.error(code::kSosorgInside, line);
    in_sos_marker_ = true;
    // The columns up to 'SOSEND' form one set; the marker's name gives its
    // type when it begins with S1 or S2, and its name.
    ReaderSos set;
    set.type = starts_with_upper(column, "S2") ? '2' : '1';
    set.name = std::string(name_field(column));
    sos_.push_back(std::move(set));
  } else if (kind == "'SOSEND'") {
    if (!in_sos_marker_) return log_.error(code::kSosendOutside, line);
    in_sos_marker_ = false;
  } else {
    log_.warning("Line %lld:  Unidentified MARKER found. Ignored.\n", line);
  }
  return 0;
}

int Parser::start_column(std::string_view name) {
  if (static_cast<long long>(column_names_.size()) >= kMaxCount)
    return log_.error(code::kSizeLimits);
  if (column_names_.size() == column_names_.capacity()) {
    make_room(column_names_);
    for (auto* v : {&obj_, &lb_, &ub_}) v->reserve(column_names_.capacity());
    ctype_.reserve(column_names_.capacity());
    column_flags_.reserve(column_names_.capacity());
    column_start_.reserve(column_names_.capacity() + 1);
  }
  current_ = static_cast<int>(column_names_.size());
  column_names_.push_back(arena_.store(name));
  obj_.push_back(0.0);
  lb_.push_back(0.0);
  ub_.push_back(1e20);
  ctype_.push_back(in_integers_ ? 'B' : 'C');
  column_flags_.push_back(0);
  column_start_.push_back(static_cast<int64_t>(entry_row_.size()));
  if (in_sos_marker_) {
    // Weight: the position in the set, unless the reference row gives one.
    ReaderSos& set = sos_.back();
    set.indices.push_back(current_);
    set.weights.push_back(static_cast<double>(set.indices.size()));
  }
  return 0;
}

int Parser::add_entry(std::string_view row_text, const NameIndex::Key& key,
                      std::string_view value_text) {
  const std::string_view name = name_field(row_text);
  // A truncated name is looked up as truncated.
  NameIndex::Slot* slot = row_index_.find_slot(
      name.size() == row_text.size() ? key : NameIndex::key(name), row_names_);
  if (!slot) return not_a_row(name);
  const int row = slot->position;
  double value;
  if (int status = number_field(value_text, value)) return status;
  // The slot's mark is the last column that gave the row a value, its data
  // the row's role (see finish_rows).
  if (slot->mark == current_)
    return log_.error(code::kColumnRepeatsRow, std::string(column_names_[current_]).c_str(),
                      std::string(name).c_str());
  slot->mark = current_;

  switch (static_cast<RowRole>(slot->data)) {
    case RowRole::Objective:
      obj_[current_] = value;
      break;
    case RowRole::Free:
      break;  // free rows are dropped from the model
    default:
      if (entry_row_.size() == entry_row_.capacity()) {
        make_room(entry_row_);
        entry_value_.reserve(entry_row_.capacity());
      }
      entry_row_.push_back(row);
      entry_value_.push_back(value);
  }
  if (row == refrow_ && in_sos_marker_) {
    ReaderSos& set = sos_.back();
    if (!set.indices.empty() && set.indices.back() == current_) set.weights.back() = value;
  }
  return 0;
}

int Parser::finish_columns() {
  column_start_.push_back(static_cast<int64_t>(entry_row_.size()));
  const int columns = static_cast<int>(column_names_.size());
  column_index_.reserve(static_cast<size_t>(columns), column_names_);
  std::vector<int> repeats;
  // Each insertion misses the cache on a large model: the slots of the
  // next few names are loaded while one is inserted.
  constexpr int kAhead = 8;
  NameIndex::Key ahead[kAhead];
  for (int j = 0; j < columns && j < kAhead; ++j) {
    ahead[j] = NameIndex::key(column_names_[j]);
    column_index_.prefetch(ahead[j]);
  }
  for (int j = 0; j < columns; ++j) {
    const NameIndex::Key key = ahead[j % kAhead];
    if (j + kAhead < columns) {
      ahead[j % kAhead] = NameIndex::key(column_names_[j + kAhead]);
      column_index_.prefetch(ahead[j % kAhead]);
    }
    if (column_index_.insert(j, key, column_names_) >= 0) repeats.push_back(j);
  }
  columns_indexed_ = repeats.empty();
  if (repeats.empty()) return 0;
  for (size_t k = 0; k < repeats.size() && k < kRepeatsShown; ++k)
    log_.error(code::kColumnRepeats, std::string(column_names_[repeats[k]]).c_str());
  if (repeats.size() > kRepeatsShown)
    log_.error(code::kColumnRepeatsUnprinted,
               static_cast<long long>(repeats.size() - kRepeatsShown));
  return -code::kColumnRepeats;
}

}  // namespace korva::mps
