// Adding and deleting columns.
#include "env/errors.h"
#include "model/append.h"
#include "model/datacheck.h"

namespace korva::model {
namespace detail {

void ColumnAppend::plan(Problem& lp, const ColumnBatch& b) {
  const int c = b.count;
  LpData& d = lp.lp;
  reserve_more(d.obj, c);
  reserve_more(d.lb, c);
  reserve_more(d.ub, c);
  d.matrix.reserve_columns(c);
  if (b.beg) d.matrix.ensure_free(b.nzcnt);
  names_.plan(d.col_names, d.num_cols, c, b.names, 'x');
  if (b.ctype && !lp.mip) {
    fresh_mip_ = new_mip_data(d.num_cols);
    reserve_more(fresh_mip_->ctype, c);
  } else if (lp.mip) {
    reserve_more(lp.mip->ctype, c);
  }
  if (lp.quad) lp.quad->q.reserve_columns(c);
  if (lp.derived.basis) reserve_more(lp.derived.basis->cstat, c);
}

void ColumnAppend::write(Problem& lp, const ColumnBatch& b) {
  LpData& d = lp.lp;
  const int first = d.num_cols;
  if (fresh_mip_) lp.mip = std::move(fresh_mip_);
  for (int k = 0; k < b.count; ++k) {
    const char type = b.ctype ? b.ctype[k] : 'C';
    const double lb = b.lb ? b.lb[k] : 0.0;
    const double ub = b.ub ? b.ub[k] : default_upper(type);
    d.obj.push_back(b.obj ? b.obj[k] : 0.0);
    d.lb.push_back(lb);
    d.ub.push_back(ub);
    if (b.beg) {
      const int64_t end = k + 1 < b.count ? b.beg[k + 1] : b.nzcnt;
      const int64_t at = b.beg[k];
      d.matrix.append_column(b.ind + at, b.val + at, static_cast<int>(end - at));
    } else {
      d.matrix.append_empty_columns(1);
    }
    if (lp.mip) lp.mip->ctype.push_back(type);
    if (lp.derived.basis) lp.derived.basis->cstat.push_back(column_status(lb, ub));
  }
  if (lp.quad) lp.quad->q.append_empty_columns(b.count);
  names_.write(d.col_names, first, b.count, b.names, 'x');
  d.num_cols += b.count;
}

namespace {

void remap_sparse(std::vector<int>& ind, std::vector<double>& val, const int* map) {
  size_t kept = 0;
  for (size_t k = 0; k < ind.size(); ++k) {
    if (map[ind[k]] < 0) continue;
    ind[kept] = map[ind[k]];
    val[kept] = val[k];
    ++kept;
  }
  ind.resize(kept);
  val.resize(kept);
}

void remap_pool(RowPool& pool, const int* map) {
  int64_t kept = 0, first = 0;
  for (int r = 0; r < pool.num_rows(); ++r) {
    const int64_t last = pool.begin[r + 1];
    pool.begin[r] = kept;
    for (int64_t p = first; p < last; ++p) {
      if (map[pool.index[p]] < 0) continue;
      pool.index[kept] = map[pool.index[p]];
      pool.value[kept] = pool.value[p];
      ++kept;
    }
    first = last;
  }
  pool.begin.back() = kept;
  pool.index.resize(kept);
  pool.value.resize(kept);
}

void remap_mip(MipData& mip, const int* map) {
  compact_by_map(mip.ctype, map);
  for (SosSet& s : mip.sos) remap_sparse(s.indices, s.weights, map);
  // An indicator constraint goes with its indicator column.
  size_t kept = 0;
  for (size_t k = 0; k < mip.indicators.size(); ++k) {
    IndicatorConstraint& ic = mip.indicators[k];
    if (map[ic.indicator] < 0) continue;
    ic.indicator = map[ic.indicator];
    remap_sparse(ic.linind, ic.linval, map);
    if (kept != k) mip.indicators[kept] = std::move(ic);
    ++kept;
  }
  mip.indicators.resize(kept);
  if (mip.order) {
    PriorityOrder& o = *mip.order;
    size_t n = 0;
    for (size_t k = 0; k < o.indices.size(); ++k) {
      if (map[o.indices[k]] < 0) continue;
      o.indices[n] = map[o.indices[k]];
      o.priority[n] = o.priority[k];
      o.direction[n] = o.direction[k];
      ++n;
    }
    o.indices.resize(n);
    o.priority.resize(n);
    o.direction.resize(n);
  }
  if (mip.starts && !mip.starts->renumber_columns(map)) mip.starts.reset();
  if (mip.pool && !mip.pool->renumber_columns(map)) mip.pool.reset();
}

void remap_qconstraint(QuadConstraint& qc, const int* map) {
  remap_sparse(qc.linind, qc.linval, map);
  size_t kept = 0;
  for (size_t k = 0; k < qc.quadval.size(); ++k) {
    const int r = map[qc.quadrow[k]], c = map[qc.quadcol[k]];
    if (r < 0 || c < 0) continue;
    qc.quadrow[kept] = r;
    qc.quadcol[kept] = c;
    qc.quadval[kept] = qc.quadval[k];
    ++kept;
  }
  qc.quadrow.resize(kept);
  qc.quadcol.resize(kept);
  qc.quadval.resize(kept);
}

// Removes the flagged columns from the model and from every part that
// refers to columns. Allocates only the map.
void remove_columns(Problem& lp, const std::vector<char>& deleted, std::vector<int>& map) {
  const int kept = build_map(deleted, map);
  const int* m = map.data();
  LpData& d = lp.lp;
  d.matrix.remove_columns(m);
  d.matrix.reclaim();
  compact_by_map(d.obj, m);
  compact_by_map(d.lb, m);
  compact_by_map(d.ub, m);
  if (d.col_names.present()) d.col_names.renumber(m);
  if (lp.mip) remap_mip(*lp.mip, m);
  if (lp.quad) {
    lp.quad->q.remove_columns(m);
    lp.quad->q.renumber_rows(m);
    lp.quad->q.reclaim();
  }
  if (lp.qcons)
    for (QuadConstraint& qc : lp.qcons->list) remap_qconstraint(qc, m);
  if (lp.user_cuts) remap_pool(*lp.user_cuts, m);
  if (lp.lazy_constraints) remap_pool(*lp.lazy_constraints, m);
  if (lp.derived.basis) compact_by_map(lp.derived.basis->cstat, m);
  d.num_cols = kept;
}

}  // namespace
}  // namespace detail

int new_cols(Environment& env, Problem& lp, int ccnt, const double* obj, const double* lb,
             const double* ub, const char* ctype, const char* const* colnames) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (ccnt < 0) return err::kBadArgument;
  if (check::enabled(env)) {
    if (int s = check::doubles(env, obj, ccnt)) return s;
    if (int s = check::doubles(env, lb, ccnt)) return s;
    if (int s = check::doubles(env, ub, ccnt)) return s;
  }
  if (int s = detail::check_column_types(env, ctype, ccnt)) return s;
  if (check::enabled(env))
    if (int s = check::names(env, colnames, ccnt)) return s;

  detail::ColumnBatch b;
  b.count = ccnt;
  b.obj = obj;
  b.lb = lb;
  b.ub = ub;
  b.ctype = ctype;
  b.names = colnames;
  detail::ColumnAppend append;
  append.plan(lp, b);
  append.write(lp, b);
  raise_event(lp, ChangeEvent::AddCols);
  if (ctype) {
    raise_event(lp, ChangeEvent::ColumnTypes);
    detail::follow_parts(lp);
  }
  return 0;
}

int add_cols(Environment& env, Problem& lp, int ccnt, int64_t nzcnt, const double* obj,
             const int64_t* cmatbeg, const int* cmatind, const double* cmatval, const double* lb,
             const double* ub, const char* const* colnames) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (ccnt < 0 || nzcnt < 0) return err::kBadArgument;
  if ((ccnt > 0 && !cmatbeg) || (nzcnt > 0 && (!cmatind || !cmatval))) return err::kNullPointer;
  check::Packed m;
  m.vectors = ccnt;
  m.begin = cmatbeg;
  m.nzcnt = nzcnt;
  m.index = cmatind;
  m.value = cmatval;
  m.other_dim = lp.num_rows();
  m.column_major = true;
  if (check::enabled(env)) {
    if (int s = check::doubles(env, obj, ccnt)) return s;
    if (int s = check::doubles(env, lb, ccnt)) return s;
    if (int s = check::doubles(env, ub, ccnt)) return s;
    if (int s = check::matrix(env, m)) return s;
    if (int s = check::names(env, colnames, ccnt)) return s;
  } else if (int s = check::matrix_bounds(m)) {
    return s;
  }

  detail::ColumnBatch b;
  b.count = ccnt;
  b.obj = obj;
  b.lb = lb;
  b.ub = ub;
  b.names = colnames;
  b.nzcnt = nzcnt;
  b.beg = cmatbeg;
  b.ind = cmatind;
  b.val = cmatval;
  detail::ColumnAppend append;
  append.plan(lp, b);
  append.write(lp, b);
  raise_event(lp, ChangeEvent::AddCols);
  return 0;
}

int del_cols(Environment& env, Problem& lp, const char* fname, int begin, int end) {
  if (int status = detail::begin_edit(env, lp)) return status;
  if (int status = check_range(&env, fname, begin, end, lp.num_cols())) return status;
  if (begin > end) return 0;
  std::vector<char> deleted(static_cast<size_t>(lp.num_cols()), 0);
  std::fill(deleted.begin() + begin, deleted.begin() + end + 1, 1);
  std::vector<int> map;
  detail::remove_columns(lp, deleted, map);
  raise_event(lp, ChangeEvent::DelCols);
  return 0;
}

int del_set_cols(Environment& env, Problem& lp, int* delstat) {
  if (!delstat) return err::kNullPointer;
  if (int status = detail::begin_edit(env, lp)) return status;
  const int n = lp.num_cols();
  std::vector<char> deleted(static_cast<size_t>(n));
  for (int j = 0; j < n; ++j) deleted[j] = delstat[j] == 1;
  std::vector<int> map;
  detail::remove_columns(lp, deleted, map);
  std::copy(map.begin(), map.end(), delstat);
  raise_event(lp, ChangeEvent::DelSetCols);
  return 0;
}

}  // namespace korva::model
