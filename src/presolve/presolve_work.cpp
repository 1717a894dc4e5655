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

namespace {

void freeze_pool(const RowPool* pool, std::vector<uint8_t>& frozen) {
  if (!pool) return;
  for (int j : pool->index) frozen[j] = 1;
}

}  // namespace

void PresolveWork::load_integrality(const Problem& p) {
  integer.assign(n, 0);
  frozen.assign(n, 0);
  mip = p.is_mip();
  if (!mip) return;
  for (int j = 0; j < n; ++j) {
    const char t = p.ctype(j);
    integer[j] = t == 'B' || t == 'I';
    if (t == 'S' || t == 'N') {
      frozen[j] = 1;
      // 0 or a value within [lb, ub]: the rows see the whole span.
      lb[j] = std::min(lb[j], 0.0);
      ub[j] = std::max(ub[j], 0.0);
    }
  }
  for (const SosSet& s : p.mip->sos)
    for (int j : s.indices) frozen[j] = 1;
  for (const IndicatorConstraint& ic : p.mip->indicators) {
    frozen[ic.indicator] = 1;
    for (int j : ic.linind) frozen[j] = 1;
  }
  // Lazy constraints are the model's rows: their columns stay as they are.
  // User cuts only strengthen; they follow the reductions or are dropped.
  freeze_pool(p.lazy_constraints.get(), frozen);
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
  load_integrality(p);
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

namespace {

// Rewrites one orientation of the matrix without the entries of removed
// lines and items, each live line followed by `spare` free slots.
void compact(int lines, const std::vector<uint8_t>& line_alive, const std::vector<uint8_t>& item_alive,
             int spare, std::vector<int64_t>& beg, std::vector<int64_t>& end, std::vector<int64_t>& cap,
             std::vector<int>& index, std::vector<double>& value) {
  std::vector<int> idx;
  std::vector<double> val;
  idx.reserve(index.size());
  val.reserve(index.size());
  for (int l = 0; l < lines; ++l) {
    const int64_t start = static_cast<int64_t>(idx.size());
    if (line_alive[l])
      for (int64_t k = beg[l]; k < end[l]; ++k)
        if (item_alive[index[k]]) {
          idx.push_back(index[k]);
          val.push_back(value[k]);
        }
    beg[l] = start;
    end[l] = static_cast<int64_t>(idx.size());
    if (spare > 0 && line_alive[l]) {
      idx.resize(idx.size() + spare);
      val.resize(idx.size());
    }
    cap[l] = static_cast<int64_t>(idx.size());
  }
  beg[lines] = static_cast<int64_t>(idx.size());
  index = std::move(idx);
  value = std::move(val);
}

}  // namespace

void PresolveWork::compact_columns(bool room) {
  compact(n, col_alive, row_alive, room ? 2 : 0, cbeg, cend, ccap, cidx, cval);
}

void PresolveWork::compact_rows(bool room) {
  compact(m, row_alive, col_alive, room ? 2 : 0, rbeg, rend, rcap, ridx, rval);
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
