// The modification buffer: additions a modelling layer makes in many small
// pieces are collected here and applied in one step before anything reads
// the model, which keeps the per-addition cost at copying the data.
#include <new>
#include <string>

#include "env/errors.h"
#include "model/append.h"
#include "model/datacheck.h"

namespace korva::model {
namespace {

// Sets the in-use flag for the duration of an application: a reader of the
// model called while the buffer is applied must not start again.
class InUse {
 public:
  explicit InUse(bool& flag) : flag_(flag) { flag_ = true; }
  ~InUse() { flag_ = false; }
  InUse(const InUse&) = delete;
  InUse& operator=(const InUse&) = delete;

 private:
  bool& flag_;
};

// Name pointers of pending items: null for items given without a name, or
// no array at all when no item has one.
std::vector<const char*> name_pointers(const std::vector<std::string>& names,
                                       const std::vector<char>& named) {
  std::vector<const char*> ptrs;
  bool any = false;
  for (char n : named) any = any || n;
  if (!any) return ptrs;
  ptrs.resize(names.size());
  for (size_t k = 0; k < names.size(); ++k) ptrs[k] = named[k] ? names[k].c_str() : nullptr;
  return ptrs;
}

template <class Step>
int guarded_step(Step step) {
  try {
    step();
    return 0;
  } catch (const std::bad_alloc&) {
    return err::kNoMemory;
  }
}

void apply_columns(Problem& lp) {
  ModificationBuffer& buf = lp.buffer;
  const std::vector<const char*> names = name_pointers(buf.col_names, buf.col_named);
  detail::ColumnBatch b;
  b.count = buf.num_cols;
  b.obj = buf.obj.data();
  b.lb = buf.lb.data();
  b.ub = buf.ub.data();
  b.ctype = buf.ctype.empty() ? nullptr : buf.ctype.data();
  b.names = names.empty() ? nullptr : names.data();
  detail::ColumnAppend append;
  append.plan(lp, b);
  append.write(lp, b);
  const bool typed = b.ctype != nullptr;
  buf.num_cols = 0;
  buf.obj.clear();
  buf.lb.clear();
  buf.ub.clear();
  buf.ctype.clear();
  buf.col_names.clear();
  buf.col_named.clear();
  raise_event(lp, ChangeEvent::BufferedCols);
  if (typed) {
    raise_event(lp, ChangeEvent::ColumnTypes);
    detail::follow_parts(lp);
  }
}

void apply_rows(Problem& lp) {
  ModificationBuffer& buf = lp.buffer;
  const std::vector<const char*> names = name_pointers(buf.row_names, buf.row_named);
  detail::RowBatch b;
  b.count = buf.num_rows;
  b.rhs = buf.rhs.data();
  b.sense = buf.sense.data();
  b.rngval = buf.has_range ? buf.range.data() : nullptr;
  b.names = names.empty() ? nullptr : names.data();
  detail::RowAppend append;
  append.plan(lp, b, lp.num_cols());
  append.write(lp, b);
  buf.num_rows = 0;
  buf.rhs.clear();
  buf.range.clear();
  buf.sense.clear();
  buf.has_range = false;
  buf.row_names.clear();
  buf.row_named.clear();
  raise_event(lp, ChangeEvent::AddRows);
}

void apply_nonzeros(Problem& lp) {
  ModificationBuffer& buf = lp.buffer;
  ColumnMatrix& a = lp.lp.matrix;
  for (size_t k = 0; k < buf.nz_val.size(); ++k) {
    a.ensure_free(a.room_needed(buf.nz_col[k], 1));
    a.set(buf.nz_row[k], buf.nz_col[k], buf.nz_val[k]);
  }
  const bool by_coordinates = buf.layout == ModificationBuffer::Layout::Coordinates;
  buf.nz_row.clear();
  buf.nz_col.clear();
  buf.nz_val.clear();
  raise_event(lp, by_coordinates ? ChangeEvent::MatrixNonbasic : ChangeEvent::Pattern);
}

}  // namespace

int complete(Environment& env, Problem& lp) {
  ModificationBuffer& buf = lp.buffer;
  if (buf.in_use) return 0;
  if (!buf.empty()) {
    InUse in_use(buf.in_use);
    if (buf.num_cols > 0)
      if (int status = guarded_step([&] { apply_columns(lp); })) return status;
    if (buf.num_rows > 0)
      if (int status = guarded_step([&] { apply_rows(lp); })) return status;
    if (!buf.nz_val.empty())
      if (int status = guarded_step([&] { apply_nonzeros(lp); })) return status;
  }
  // Additions made to the presolved problem (reached through KRVgetredlp)
  // take effect with the original's. Additions to the original have
  // already dropped the presolve record above.
  if (lp.derived.presolve)
    if (Problem* reduced = lp.derived.presolve->owned_problem()) return complete(env, *reduced);
  return 0;
}

void cache_counts(const Problem& lp, int* cols, int* rows, int64_t* nonzeros) {
  if (cols) *cols = lp.buffer.num_cols;
  if (rows) *rows = lp.buffer.num_rows;
  if (nonzeros) *nonzeros = static_cast<int64_t>(lp.buffer.nz_val.size());
}

int cache_new_cols(Environment& env, Problem& lp, int ccnt, const double* obj, const double* lb,
                   const double* ub, const char* ctype, const char* const* colnames) {
  if (int status = check_modifiable(lp)) return status;
  if (ccnt < 0) return err::kBadArgument;
  if (check::enabled(env)) {
    if (int s = check::doubles(env, obj, ccnt)) return s;
    if (int s = check::doubles(env, lb, ccnt)) return s;
    if (int s = check::doubles(env, ub, ccnt)) return s;
  }
  if (int s = detail::check_column_types(env, ctype, ccnt)) return s;
  if (check::enabled(env))
    if (int s = check::names(env, colnames, ccnt)) return s;

  ModificationBuffer& buf = lp.buffer;
  const bool typed = ctype || !buf.ctype.empty();
  reserve_more(buf.obj, ccnt);
  reserve_more(buf.lb, ccnt);
  reserve_more(buf.ub, ccnt);
  reserve_more(buf.col_names, ccnt);
  reserve_more(buf.col_named, ccnt);
  if (typed) {
    if (buf.ctype.empty()) buf.ctype.assign(static_cast<size_t>(buf.num_cols), 'C');
    reserve_more(buf.ctype, ccnt);
  }
  std::vector<std::string> names(static_cast<size_t>(ccnt));
  for (int k = 0; k < ccnt; ++k)
    if (colnames && colnames[k]) names[k] = colnames[k];
  for (int k = 0; k < ccnt; ++k) {
    const char type = ctype ? ctype[k] : 'C';
    buf.obj.push_back(obj ? obj[k] : 0.0);
    buf.lb.push_back(lb ? lb[k] : 0.0);
    buf.ub.push_back(ub ? ub[k] : detail::default_upper(type));
    if (typed) buf.ctype.push_back(type);
    buf.col_names.push_back(std::move(names[k]));
    buf.col_named.push_back(colnames && colnames[k]);
  }
  buf.num_cols += ccnt;
  return 0;
}

int cache_new_rows(Environment& env, Problem& lp, int rcnt, const double* rhs,
                   const char* sense, const double* rngval, const char* const* rownames) {
  if (int status = check_modifiable(lp)) return status;
  if (rcnt < 0) return err::kBadArgument;
  if (check::enabled(env)) {
    if (int s = check::doubles(env, rhs, rcnt)) return s;
    if (int s = check::doubles(env, rngval, rcnt)) return s;
    if (int s = check::senses(env, sense, rcnt)) return s;
    if (int s = check::ranged_rows(sense, rcnt, rngval)) return s;
    if (int s = check::names(env, rownames, rcnt)) return s;
  }
  ModificationBuffer& buf = lp.buffer;
  reserve_more(buf.rhs, rcnt);
  reserve_more(buf.range, rcnt);
  reserve_more(buf.sense, rcnt);
  reserve_more(buf.row_names, rcnt);
  reserve_more(buf.row_named, rcnt);
  std::vector<std::string> names(static_cast<size_t>(rcnt));
  for (int k = 0; k < rcnt; ++k)
    if (rownames && rownames[k]) names[k] = rownames[k];
  for (int k = 0; k < rcnt; ++k) {
    buf.rhs.push_back(rhs ? rhs[k] : 0.0);
    buf.range.push_back(rngval ? rngval[k] : 0.0);
    buf.sense.push_back(sense ? sense[k] : 'E');
    buf.row_names.push_back(std::move(names[k]));
    buf.row_named.push_back(rownames && rownames[k]);
  }
  if (rngval && rcnt > 0) buf.has_range = true;
  buf.num_rows += rcnt;
  return 0;
}

int cache_new_nonzeros(Environment& env, Problem& lp, int64_t nzcnt, const int* rows,
                       const int* cols, const double* values) {
  if (int status = check_modifiable(lp)) return status;
  if (nzcnt < 0) return err::kBadArgument;
  if (nzcnt > 0 && (!rows || !cols || !values)) return err::kNullPointer;
  ModificationBuffer& buf = lp.buffer;
  const int num_rows = lp.num_rows() + buf.num_rows, num_cols = lp.num_cols() + buf.num_cols;
  if (int s = check::index_list(env, rows, nzcnt, num_rows, true)) return s;
  if (int s = check::index_list(env, cols, nzcnt, num_cols, false)) return s;
  if (check::enabled(env))
    if (int s = check::doubles(env, values, nzcnt)) return s;
  reserve_more(buf.nz_row, static_cast<size_t>(nzcnt));
  reserve_more(buf.nz_col, static_cast<size_t>(nzcnt));
  reserve_more(buf.nz_val, static_cast<size_t>(nzcnt));
  buf.nz_row.insert(buf.nz_row.end(), rows, rows + nzcnt);
  buf.nz_col.insert(buf.nz_col.end(), cols, cols + nzcnt);
  buf.nz_val.insert(buf.nz_val.end(), values, values + nzcnt);
  buf.layout = ModificationBuffer::Layout::Coordinates;
  return 0;
}

namespace detail {

int cache_coefficient(Environment&, Problem& lp, int i, int j, double value) {
  ModificationBuffer& buf = lp.buffer;
  const int m = lp.num_rows(), n = lp.num_cols();
  if (i == -1) {
    buf.obj[j - n] = value;
  } else if (j == -1) {
    buf.rhs[i - m] = value;
  } else if (j == -2) {
    buf.range[i - m] = value;
    buf.has_range = true;
  } else {
    reserve_more(buf.nz_row, 1);
    reserve_more(buf.nz_col, 1);
    reserve_more(buf.nz_val, 1);
    buf.nz_row.push_back(i);
    buf.nz_col.push_back(j);
    buf.nz_val.push_back(value);
  }
  return 0;
}

}  // namespace detail
}  // namespace korva::model
