// Adding and deleting rows.
#include "env/errors.h"
#include "model/append.h"
#include "model/datacheck.h"

namespace korva::model {
namespace detail {

void RowAppend::plan(Problem& lp, const RowBatch& b, int num_cols_after) {
  LpData& d = lp.lp;
  const int r = b.count;
  reserve_more(d.rhs, r);
  reserve_more(d.sense, r);
  reserve_more(d.range, r);
  names_.plan(d.row_names, d.num_rows, r, b.names, 'c');
  if (lp.derived.basis) reserve_more(lp.derived.basis->rstat, r);
  if (!b.beg) return;

  // Count the new entries of every column to give each column its room at
  // once. Existing columns count in the matrix's scratch (no allocation per
  // call); a counted column is marked by negating its count.
  ColumnMatrix& a = d.matrix;
  old_cols_ = a.num_cols();
  new_column_entries_.assign(static_cast<size_t>(num_cols_after - old_cols_), 0);
  std::vector<int>& scratch = a.column_scratch();
  const int64_t first = r > 0 ? b.beg[0] : b.nzcnt;  // no rows: no entries
  for (int64_t p = first; p < b.nzcnt; ++p) {
    const int j = b.ind[p];
    if (j < old_cols_)
      ++scratch[j];
    else
      ++new_column_entries_[j - old_cols_];
  }
  int64_t room = 0;
  for (int64_t p = first; p < b.nzcnt; ++p) {
    const int j = b.ind[p];
    if (j >= old_cols_ || scratch[j] <= 0) continue;
    room += a.room_needed(j, scratch[j]);
    scratch[j] = -scratch[j];
  }
  for (int entries : new_column_entries_) room += ColumnMatrix::room_for_new_column(entries);
  try {
    a.ensure_free(room);
  } catch (...) {
    clear_scratch(lp, b);
    throw;
  }
}

void RowAppend::clear_scratch(Problem& lp, const RowBatch& b) noexcept {
  std::vector<int>& scratch = lp.lp.matrix.column_scratch();
  for (int64_t p = b.count > 0 ? b.beg[0] : b.nzcnt; p < b.nzcnt; ++p)
    if (b.ind[p] < old_cols_) scratch[b.ind[p]] = 0;
}

void RowAppend::write(Problem& lp, const RowBatch& b) {
  LpData& d = lp.lp;
  const int first_row = d.num_rows;
  if (b.beg) {
    ColumnMatrix& a = d.matrix;
    std::vector<int>& scratch = a.column_scratch();
    const int64_t first = b.count > 0 ? b.beg[0] : b.nzcnt;
    for (int64_t p = first; p < b.nzcnt; ++p) {
      const int j = b.ind[p];
      if (j >= old_cols_ || scratch[j] >= 0) continue;
      a.make_room(j, -scratch[j]);
      scratch[j] = 0;
    }
    for (size_t k = 0; k < new_column_entries_.size(); ++k)
      if (new_column_entries_[k] > 0) a.make_room(old_cols_ + static_cast<int>(k), new_column_entries_[k]);
    for (int k = 0; k < b.count; ++k) {
      const int64_t end = k + 1 < b.count ? b.beg[k + 1] : b.nzcnt;
      for (int64_t p = b.beg[k]; p < end; ++p) a.push(b.ind[p], first_row + k, b.val[p]);
    }
  }
  for (int k = 0; k < b.count; ++k) {
    d.rhs.push_back(b.rhs ? b.rhs[k] : 0.0);
    d.sense.push_back(b.sense ? b.sense[k] : 'E');
    d.range.push_back(b.rngval ? b.rngval[k] : 0.0);
  }
  if (b.rngval && b.count > 0) d.has_range = true;
  names_.write(d.row_names, first_row, b.count, b.names, 'c');
  if (Basis* basis = lp.derived.basis.get()) {
    // New rows start with their slacks basic. Their activities are not
    // known without the basic columns' values.
    basis->rstat.insert(basis->rstat.end(), static_cast<size_t>(b.count), KRV_BASIC);
    basis->row_activity.clear();
  }
  d.num_rows += b.count;
}

namespace {

// Removes the flagged rows from the model. Allocates only the map.
void remove_rows(Problem& lp, const std::vector<char>& deleted, std::vector<int>& map) {
  const int kept = build_map(deleted, map);
  const int* m = map.data();
  LpData& d = lp.lp;
  d.matrix.renumber_rows(m);
  compact_by_map(d.rhs, m);
  compact_by_map(d.sense, m);
  compact_by_map(d.range, m);
  if (d.row_names.present()) d.row_names.renumber(m);
  if (Basis* basis = lp.derived.basis.get()) {
    compact_by_map(basis->rstat, m);
    if (!basis->row_activity.empty()) compact_by_map(basis->row_activity, m);
  }
  d.num_rows = kept;
}

}  // namespace
}  // namespace detail

int new_rows(Environment& env, Problem& lp, int rcnt, const double* rhs, const char* sense,
             const double* rngval, const char* const* rownames) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (rcnt < 0) return err::kBadArgument;
  if (check::enabled(env)) {
    if (int s = check::doubles(env, rhs, rcnt)) return s;
    if (int s = check::doubles(env, rngval, rcnt)) return s;
    if (int s = check::senses(env, sense, rcnt)) return s;
    if (int s = check::ranged_rows(sense, rcnt, rngval)) return s;
    if (int s = check::names(env, rownames, rcnt)) return s;
  }
  detail::RowBatch b;
  b.count = rcnt;
  b.rhs = rhs;
  b.sense = sense;
  b.rngval = rngval;
  b.names = rownames;
  detail::RowAppend append;
  append.plan(lp, b, lp.num_cols());
  append.write(lp, b);
  raise_event(lp, ChangeEvent::AddRows);
  return 0;
}

int add_rows(Environment& env, Problem& lp, int ccnt, int rcnt, int64_t nzcnt,
             const double* rhs, const char* sense, const int64_t* rmatbeg, const int* rmatind,
             const double* rmatval, const char* const* colnames, const char* const* rownames) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (ccnt < 0 || rcnt < 0 || nzcnt < 0) return err::kBadArgument;
  if ((rcnt > 0 && !rmatbeg) || (nzcnt > 0 && (!rmatind || !rmatval))) return err::kNullPointer;
  check::Packed m;
  m.vectors = rcnt;
  m.begin = rmatbeg;
  m.nzcnt = nzcnt;
  m.index = rmatind;
  m.value = rmatval;
  m.other_dim = lp.num_cols() + ccnt;
  m.column_major = false;
  if (check::enabled(env)) {
    if (int s = check::doubles(env, rhs, rcnt)) return s;
    if (int s = check::senses(env, sense, rcnt)) return s;
    if (int s = check::ranged_rows(sense, rcnt, nullptr)) return s;
    if (int s = check::matrix(env, m)) return s;
    if (int s = check::names(env, colnames, ccnt)) return s;
    if (int s = check::names(env, rownames, rcnt)) return s;
  } else if (int s = check::matrix_bounds(m)) {
    return s;
  }

  detail::ColumnBatch cols;
  cols.count = ccnt;
  cols.names = colnames;
  detail::RowBatch rows;
  rows.count = rcnt;
  rows.rhs = rhs;
  rows.sense = sense;
  rows.names = rownames;
  rows.nzcnt = nzcnt;
  rows.beg = rmatbeg;
  rows.ind = rmatind;
  rows.val = rmatval;
  detail::ColumnAppend col_append;
  detail::RowAppend row_append;
  col_append.plan(lp, cols);
  row_append.plan(lp, rows, lp.num_cols() + ccnt);
  col_append.write(lp, cols);
  row_append.write(lp, rows);
  if (ccnt > 0) raise_event(lp, ChangeEvent::AddCols);
  raise_event(lp, ChangeEvent::AddRows);
  return 0;
}

int del_rows(Environment& env, Problem& lp, const char* fname, int begin, int end) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (int status = check_range(&env, fname, begin, end, lp.num_rows())) return status;
  if (begin > end) return 0;
  std::vector<char> deleted(static_cast<size_t>(lp.num_rows()), 0);
  std::fill(deleted.begin() + begin, deleted.begin() + end + 1, 1);
  std::vector<int> map;
  detail::remove_rows(lp, deleted, map);
  raise_event(lp, ChangeEvent::DelRows);
  return 0;
}

int del_set_rows(Environment& env, Problem& lp, int* delstat) {
  if (!delstat) return err::kNullPointer;
  if (int status = detail::begin_edit(env, lp)) return status;
  const int m = lp.num_rows();
  std::vector<char> deleted(static_cast<size_t>(m));
  for (int i = 0; i < m; ++i) deleted[i] = delstat[i] == 1;
  std::vector<int> map;
  detail::remove_rows(lp, deleted, map);
  std::copy(map.begin(), map.end(), delstat);
  raise_event(lp, ChangeEvent::DelSetRows);
  return 0;
}

}  // namespace korva::model
