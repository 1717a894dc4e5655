#include "presolve/presolve_work.h"

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
  row_alive.assign(m, 1);
  col_alive.assign(n, 1);
  offset = 0.0;
  stack.clear();
  counters = PresolveCounters{};
}

void PresolveWork::drop_column(int j) {
  col_alive[j] = 0;
  for (int64_t k = cbeg[j]; k < cbeg[j + 1]; ++k)
    if (row_alive[cidx[k]]) --row_len[cidx[k]];
  ++counters.cols_removed;
}

void PresolveWork::drop_row(int i) {
  row_alive[i] = 0;
  for (int64_t k = rbeg[i]; k < rbeg[i + 1]; ++k)
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
    for (int64_t k = cbeg[j]; k < cbeg[j + 1]; ++k) {
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

}  // namespace korva::presolve
