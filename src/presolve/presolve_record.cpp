#include "presolve/presolve_record.h"

#include <unordered_map>

#include "model/model.h"
#include "presolve/presolve_driver.h"
#include "presolve/presolve_work.h"

namespace korva::presolve {

namespace {

void destroy_owned(ObjectHeader* header) {
  auto* p = static_cast<Problem*>(header);
  p->self = nullptr;
  delete p;
}

}  // namespace

PresolveRecord::~PresolveRecord() { free_owned_problem(reduced); }

PresolveRecord* find_record(Problem& p) { return dynamic_cast<PresolveRecord*>(p.derived.presolve.get()); }

// The handle passes the calling frame (same root environment), so the
// caller can read the reduced problem through the ordinary functions; it is
// freed with the record, not with the environment.
Problem* new_owned_problem(Environment& env) {
  auto* p = new Problem;
  p->self = p;
  p->root_env = env.root();
  p->created_in = nullptr;
  p->destroy = destroy_owned;
  return p;
}

void free_owned_problem(Problem* p) {
  if (p) destroy_owned(p);
}

namespace {

bool same_bound(double a, double b) { return to_work_bound(a) == to_work_bound(b); }

}  // namespace

// A bound of column j enters presolve's decisions only through the rows of
// j and the columns that share them: redundant, forcing and singleton rows,
// the implied bounds that made a neighbour free or tightened it, a
// parallel neighbour fixed because j could take its part, columns merged
// with j. Substituting a neighbour out through an equality row does not
// look at bounds (the row keeps the neighbour's bounds as its range), nor
// does fixing a neighbour by its own cost and rows. The change is carried
// when nothing else happened around j: j is in the reduced problem with
// the bounds it has in the original and was merged with no column, its
// rows are all there and took no substitution, and every column sharing a
// row with j (in the original or in the reduced problem) kept its bounds,
// was substituted out that way, or was fixed without being parallel to j.
// Then the reduced problem with the new bounds is again equivalent to the
// original one.
bool carry_bound_changes(PresolveRecord& rec, const Problem& owner, int count, const int* cols, const double* old_lb,
                         const double* old_ub) {
  if (!rec.valid || rec.dual_formulation || !rec.reduced) return false;
  if (owner.num_cols() != rec.orig_cols || owner.num_rows() != rec.orig_rows) return false;
  Problem& red = *rec.reduced;
  // The bounds before the call of each changed column (its first entry).
  std::unordered_map<int, int> first;
  for (int k = 0; k < count; ++k) first.emplace(cols[k], k);
  const auto bounds_before = [&](int j, double* lb, double* ub) {
    const auto it = first.find(j);
    *lb = it == first.end() ? owner.lower(j) : old_lb[it->second];
    *ub = it == first.end() ? owner.upper(j) : old_ub[it->second];
  };
  const auto kept_bounds = [&](int j) {
    const int rj = rec.col_map[j];
    double lb, ub;
    bounds_before(j, &lb, &ub);
    return rj >= 0 && same_bound(red.lower(rj), lb) && same_bound(red.upper(rj), ub);
  };
  std::vector<int> changed;
  for (const auto& [j, k] : first) {
    if (same_bound(owner.lower(j), old_lb[k]) && same_bound(owner.upper(j), old_ub[k])) continue;
    if (!kept_bounds(j)) return false;
    changed.push_back(j);
  }
  if (changed.empty()) return true;

  // What the reductions did to columns and rows: 1 substituted through an
  // equality row, 2 merged with a parallel column; rows that substituted.
  const int n = rec.orig_cols, m = rec.orig_rows;
  std::vector<uint8_t> col_fate(n, 0), agg_row(m, 0);
  for (const Reduction& r : rec.stack) {
    if (r.kind == ReductionKind::Aggregate) {
      if (r.col >= 0 && r.col < n) col_fate[r.col] = 1;
      if (r.row >= 0 && r.row < m) agg_row[r.row] = 1;
    } else if (r.kind == ReductionKind::DuplicateColumn) {
      if (r.col >= 0 && r.col < n) col_fate[r.col] = 2;
      if (r.other >= 0 && r.other < n) col_fate[r.other] = 2;
    }
  }
  const RowCopy& rows = owner.row_copy();
  const RowCopy& red_rows = red.row_copy();
  std::vector<int> mark(m, -1);
  for (int j : changed) {
    if (col_fate[j] != 0) return false;
    const SparseSpan col = owner.column(j);
    for (int e = 0; e < col.size(); ++e) {
      const int i = col.index[e];
      if (rec.row_map[i] < 0 || agg_row[i]) return false;
      mark[i] = j;
    }
    // A fixed neighbour may have been parallel to j: all rows of j, and
    // no other row that survived.
    const auto maybe_parallel = [&](int k) {
      const SparseSpan kc = owner.column(k);
      int shared = 0;
      for (int e = 0; e < kc.size(); ++e) {
        const int i = kc.index[e];
        if (agg_row[i]) return true;
        if (mark[i] == j)
          ++shared;
        else if (rec.row_map[i] >= 0)
          return false;
      }
      return shared == col.size();
    };
    for (int e = 0; e < col.size(); ++e) {
      const int i = col.index[e];
      for (int64_t f = rows.begin[i]; f < rows.begin[i + 1]; ++f) {
        const int k = rows.index[f];
        if (k == j || col_fate[k] == 1 || kept_bounds(k)) continue;
        if (col_fate[k] != 0 || rec.col_map[k] != kRemoved) return false;
        if (!same_bound(owner.lower(k), owner.upper(k)) && maybe_parallel(k)) return false;
      }
    }
    const SparseSpan red_col = red.column(rec.col_map[j]);
    for (int e = 0; e < red_col.size(); ++e) {
      const int i = red_col.index[e];
      for (int64_t f = red_rows.begin[i]; f < red_rows.begin[i + 1]; ++f)
        if (!kept_bounds(rec.orig_col[red_rows.index[f]])) return false;
    }
  }
  Basis* basis = red.derived.basis.get();
  for (int j : changed) {
    const int rc = rec.col_map[j];
    red.lp.lb[rc] = owner.lower(j);
    red.lp.ub[rc] = owner.upper(j);
    // A nonbasic status at a bound that is now infinite moves to the other one.
    if (basis && rc < static_cast<int>(basis->cstat.size())) {
      int& st = basis->cstat[rc];
      const bool lb_finite = red.lp.lb[rc] > -kInfinity, ub_finite = red.lp.ub[rc] < kInfinity;
      if (st == KRV_AT_UPPER && !ub_finite) st = lb_finite ? KRV_AT_LOWER : KRV_FREE_SUPER;
      if (st == KRV_AT_LOWER && !lb_finite) st = ub_finite ? KRV_AT_UPPER : KRV_FREE_SUPER;
    }
  }
  model::raise_event(red, ChangeEvent::Bounds);
  return true;
}

}  // namespace korva::presolve
