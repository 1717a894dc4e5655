#include "presolve/presolve_work.h"

#include <algorithm>

namespace korva::presolve {

void row_bounds(const Problem& p, int i, double* lo, double* hi) {
  const double rhs = p.rhs(i);
  switch (p.sense(i)) {
    case 'L':
      *lo = -kInf;
      *hi = to_work_bound(rhs);
      break;
    case 'G':
      *lo = to_work_bound(rhs);
      *hi = kInf;
      break;
    case 'R': {
      const double r = p.range(i);
      *lo = to_work_bound(r >= 0 ? rhs : rhs + r);
      *hi = to_work_bound(r >= 0 ? rhs + r : rhs);
      break;
    }
    default:
      *lo = *hi = rhs;
      break;
  }
}

void PresolveWork::load(const Problem& p) {
  m = p.num_rows();
  n = p.num_cols();
  objsense = p.objsense();
  cost.resize(n);
  lb.resize(n);
  ub.resize(n);
  for (int j = 0; j < n; ++j) {
    cost[j] = objsense * p.obj(j);
    lb[j] = to_work_bound(p.lower(j));
    ub[j] = to_work_bound(p.upper(j));
  }
  rlo.resize(m);
  rhi.resize(m);
  for (int i = 0; i < m; ++i) row_bounds(p, i, &rlo[i], &rhi[i]);

  cbeg.assign(n + 1, 0);
  cidx.clear();
  cval.clear();
  cidx.reserve(static_cast<size_t>(p.num_nonzeros()));
  cval.reserve(static_cast<size_t>(p.num_nonzeros()));
  row_len.assign(m, 0);
  col_len.assign(n, 0);
  for (int j = 0; j < n; ++j) {
    const SparseSpan c = p.column(j);
    for (int k = 0; k < c.size(); ++k) {
      if (c.value[k] == 0.0) continue;
      cidx.push_back(c.index[k]);
      cval.push_back(c.value[k]);
      ++row_len[c.index[k]];
    }
    cbeg[j + 1] = static_cast<int64_t>(cidx.size());
    col_len[j] = static_cast<int>(cbeg[j + 1] - cbeg[j]);
  }
  rbeg.assign(m + 1, 0);
  for (int i = 0; i < m; ++i) rbeg[i + 1] = rbeg[i] + row_len[i];
  ridx.resize(cidx.size());
  rval.resize(cidx.size());
  std::vector<int64_t> fill(rbeg.begin(), rbeg.end() - 1);
  for (int j = 0; j < n; ++j)
    for (int64_t k = cbeg[j]; k < cbeg[j + 1]; ++k) {
      const int64_t pos = fill[cidx[k]]++;
      ridx[pos] = j;
      rval[pos] = cval[k];
    }
  cend.assign(cbeg.begin() + 1, cbeg.end());
  ccap = cend;
  rend.assign(rbeg.begin() + 1, rbeg.end());
  rcap = rend;
  row_alive.assign(m, 1);
  col_alive.assign(n, 1);
  row_changed.assign(m, 0);
  col_changed.assign(n, 0);
  offset = 0.0;
  stack.clear();
  counters = PresolveCounters{};
}

void PresolveWork::drop_column(int j) {
  col_alive[j] = 0;
  for (int64_t k = cbeg[j]; k < cend[j]; ++k)
    if (row_alive[cidx[k]]) --row_len[cidx[k]];
  ++counters.cols_removed;
}

void PresolveWork::drop_row(int i) {
  row_alive[i] = 0;
  for (int64_t k = rbeg[i]; k < rend[i]; ++k)
    if (col_alive[ridx[k]]) --col_len[ridx[k]];
  ++counters.rows_removed;
}

void PresolveWork::fix_column(int j, double value) {
  Reduction r;
  r.kind = ReductionKind::FixColumn;
  r.col = j;
  r.value = value;
  r.cost = cost[j];
  r.lb = lb[j];
  r.ub = ub[j];
  stack.push_back(r);
  if (value != 0.0) {
    for (int64_t k = cbeg[j]; k < cend[j]; ++k) {
      const int i = cidx[k];
      if (!row_alive[i]) continue;
      const double shift = cval[k] * value;
      if (rlo[i] > -kInf) rlo[i] -= shift;
      if (rhi[i] < kInf) rhi[i] -= shift;
    }
    offset += cost[j] * value;
  }
  drop_column(j);
}

void PresolveWork::remove_row(int i) {
  Reduction r;
  r.kind = ReductionKind::RemoveRow;
  r.row = i;
  stack.push_back(r);
  drop_row(i);
}

namespace {

// Room for an item that has to move: its entries and as many again.
int64_t room_for(int len) { return 2 * static_cast<int64_t>(len) + 4; }

}  // namespace

void PresolveWork::grow_column(int j, int extra) {
  const int64_t start = static_cast<int64_t>(cidx.size());
  cidx.resize(static_cast<size_t>(start + room_for(col_len[j] + extra)));
  cval.resize(cidx.size());
  int64_t pos = start;
  for (int64_t k = cbeg[j]; k < cend[j]; ++k)
    if (row_alive[cidx[k]]) {
      cidx[pos] = cidx[k];
      cval[pos++] = cval[k];
    }
  cbeg[j] = start;
  cend[j] = pos;
  ccap[j] = static_cast<int64_t>(cidx.size());
}

void PresolveWork::grow_row(int i, int extra) {
  const int64_t start = static_cast<int64_t>(ridx.size());
  ridx.resize(static_cast<size_t>(start + room_for(row_len[i] + extra)));
  rval.resize(ridx.size());
  int64_t pos = start;
  for (int64_t k = rbeg[i]; k < rend[i]; ++k)
    if (col_alive[ridx[k]]) {
      ridx[pos] = ridx[k];
      rval[pos++] = rval[k];
    }
  rbeg[i] = start;
  rend[i] = pos;
  rcap[i] = static_cast<int64_t>(ridx.size());
}

void PresolveWork::compact_columns(bool room) {
  std::vector<int> idx;
  std::vector<double> val;
  idx.reserve(cidx.size());
  val.reserve(cidx.size());
  for (int j = 0; j < n; ++j) {
    const int64_t start = static_cast<int64_t>(idx.size());
    if (col_alive[j])
      for (int64_t k = cbeg[j]; k < cend[j]; ++k)
        if (row_alive[cidx[k]]) {
          idx.push_back(cidx[k]);
          val.push_back(cval[k]);
        }
    cbeg[j] = start;
    cend[j] = static_cast<int64_t>(idx.size());
    if (room && col_alive[j]) {
      idx.resize(idx.size() + 2);
      val.resize(idx.size());
    }
    ccap[j] = static_cast<int64_t>(idx.size());
  }
  cbeg[n] = static_cast<int64_t>(idx.size());
  cidx = std::move(idx);
  cval = std::move(val);
}

void PresolveWork::compact_rows(bool room) {
  std::vector<int> idx;
  std::vector<double> val;
  idx.reserve(ridx.size());
  val.reserve(ridx.size());
  for (int i = 0; i < m; ++i) {
    const int64_t start = static_cast<int64_t>(idx.size());
    if (row_alive[i])
      for (int64_t k = rbeg[i]; k < rend[i]; ++k)
        if (col_alive[ridx[k]]) {
          idx.push_back(ridx[k]);
          val.push_back(rval[k]);
        }
    rbeg[i] = start;
    rend[i] = static_cast<int64_t>(idx.size());
    if (room && row_alive[i]) {
      idx.resize(idx.size() + 2);
      val.resize(idx.size());
    }
    rcap[i] = static_cast<int64_t>(idx.size());
  }
  rbeg[m] = static_cast<int64_t>(idx.size());
  ridx = std::move(idx);
  rval = std::move(val);
}

void PresolveWork::maybe_compact() {
  int64_t active = 0;
  for (int j = 0; j < n; ++j)
    if (col_alive[j]) active += col_len[j] + 2;
  const int64_t limit = 2 * active + 1024;
  if (static_cast<int64_t>(cidx.size()) > limit) compact_columns(true);
  if (static_cast<int64_t>(ridx.size()) > limit) compact_rows(true);
}

void PresolveWork::finish() {
  compact_columns(false);
  compact_rows(false);
}

}  // namespace korva::presolve
