#include "presolve/postsolve.h"

#include <algorithm>
#include <cmath>

#include "presolve/presolve_work.h"

namespace korva::presolve {

namespace {

constexpr double kAtBoundTol = 1e-9;
constexpr double kPrimalTol = 1e-6;
constexpr double kDualTol = 1e-6;

bool near(double x, double b) { return std::fabs(x - b) <= kAtBoundTol * std::max(1.0, std::fabs(b)); }

class Replay {
 public:
  Replay(const Problem& p, const PresolveRecord& rec, const ReducedSolution& red)
      : p_(p), rec_(rec), red_(red), rows_(p.row_copy()) {
    const int m = rec.orig_rows, n = rec.orig_cols;
    x.assign(n, 0.0);
    pi.assign(m, 0.0);
    col_basic.assign(n, 0);
    row_basic.assign(m, 1);
    col_done.assign(n, 0);
    row_done.assign(m, 0);
    col_cost.assign(n, 0.0);
    fixed_at_time.assign(n, 0);
    const double s = p.objsense();
    for (size_t k = 0; k < rec.orig_col.size(); ++k) {
      const int j = rec.orig_col[k];
      x[j] = red.x ? red.x[k] : 0.0;
      col_basic[j] = red.cstat && red.cstat[k] == KRV_BASIC;
      col_done[j] = 1;
      col_cost[j] = rec.reduced_cost[k];
    }
    for (size_t k = 0; k < rec.orig_row.size(); ++k) {
      const int i = rec.orig_row[k];
      pi[i] = red.pi ? s * red.pi[k] : 0.0;
      row_basic[i] = red.rstat ? red.rstat[k] == KRV_BASIC : 1;
      row_done[i] = 1;
    }
  }

  void run() {
    for (size_t pos = rec_.stack.size(); pos-- > 0;) {
      const Reduction& r = rec_.stack[pos];
      switch (r.kind) {
        case ReductionKind::Entry:
          break;  // read by the reduction it belongs to
        case ReductionKind::Aggregate:
          aggregate(r, &rec_.stack[pos + 1]);
          break;
        case ReductionKind::DuplicateRow:
          duplicate_row(r);
          break;
        case ReductionKind::DuplicateColumn:
          split_column(r);
          break;
        case ReductionKind::RemoveRow:
          restore_row(r.row);
          break;
        case ReductionKind::FixColumn:
          x[r.col] = r.value;
          col_done[r.col] = 1;
          col_basic[r.col] = 0;
          col_cost[r.col] = r.cost;
          fixed_at_time[r.col] = r.ub - r.lb < 1e-10;
          break;
        case ReductionKind::SingletonRow:
          singleton_row(r, r.snapshot ? &rec_.stack[pos + 1] : nullptr);
          break;
        case ReductionKind::ForcingRow:
          forcing_row(r);
          break;
        case ReductionKind::FreeSingleton:
          free_singleton(r);
          break;
        case ReductionKind::SlackSingleton:
          slack_singleton(r);
          break;
      }
    }
  }

  std::vector<double> x, pi;  // pi in the minimisation sense
  std::vector<uint8_t> col_basic, row_basic;
  // Parallel rows whose kept row was nonbasic with dual 0: which of the two
  // is the tight one is decided on the final activities.
  std::vector<const Reduction*> undecided;

  // A nonbasic kept row that is not at a bound of its own hands the
  // nonbasic place to its partner.
  void settle_duplicates(const std::vector<double>& activity) {
    for (auto it = undecided.rbegin(); it != undecided.rend(); ++it) {
      const Reduction& r = **it;
      const int keep = r.other, other = r.row;
      if (row_basic[keep] || !row_basic[other]) continue;
      double lo, hi;
      row_bounds(p_, keep, &lo, &hi);
      const double act = activity[keep];
      if ((lo > -kInf && near(act, lo)) || (hi < kInf && near(act, hi))) continue;
      row_basic[keep] = 1;
      row_basic[other] = 0;
    }
  }

 private:
  void restore_row(int i) {
    row_done[i] = 1;
    row_basic[i] = 1;
    pi[i] = 0.0;
  }

  // Reduced cost of column j in the problem as it was when the reduction
  // being undone was made: its cost then, less the duals of the rows that
  // existed then (exactly the rows restored so far).
  double reduced_cost_now(int j, double cost) const {
    const SparseSpan c = p_.column(j);
    double d = cost;
    for (int k = 0; k < c.size(); ++k)
      if (row_done[c.index[k]]) d -= c.value[k] * pi[c.index[k]];
    return d;
  }

  // A column left nonbasic at a bound the row gave it hands that bound
  // back to the row: the column turns basic and the row takes its dual.
  void singleton_row(const Reduction& r, const Reduction* column) {
    restore_row(r.row);
    const int j = r.col;
    if (col_basic[j] || !red_.pi) return;
    double d = r.cost;
    if (column) {
      for (int k = 0; k < r.count2; ++k) d -= column[k].a * pi[column[k].row];
    } else {
      d = reduced_cost_now(j, r.cost);
    }
    if (!red_.x) {
      // Duals alone: the row takes over whatever the tightened bound carries.
      if ((r.lb > r.old_lb && d > 0) || (r.ub < r.old_ub && d < 0)) pi[r.row] = d / r.a;
      return;
    }
    const bool at_new_lb = r.lb > r.old_lb && near(x[j], r.lb) && !(d < 0 && near(x[j], r.old_ub));
    const bool at_new_ub = r.ub < r.old_ub && near(x[j], r.ub) && !(d > 0 && near(x[j], r.old_lb));
    if (!at_new_lb && !at_new_ub) return;
    pi[r.row] = d / r.a;
    col_basic[j] = 1;
    row_basic[r.row] = 0;
  }

  // The row's dual is the largest (side +1: smallest) that keeps every
  // forced column's reduced cost of the right sign; the column that limits
  // it turns basic.
  void forcing_row(const Reduction& r) {
    const int i = r.row;
    restore_row(i);
    if (!red_.pi) return;
    double best = 0.0;
    int best_col = -1;
    for (int64_t k = rows_.begin[i]; k < rows_.begin[i + 1]; ++k) {
      const int j = rows_.index[k];
      const double a = rows_.value[k];
      if (!col_done[j] || col_basic[j] || fixed_at_time[j] || a == 0.0) continue;
      const double ratio = reduced_cost_now(j, col_cost[j]) / a;
      if ((r.side < 0 && ratio < best) || (r.side > 0 && ratio > best)) {
        best = ratio;
        best_col = j;
      }
    }
    if (best_col < 0) return;
    pi[i] = best;
    col_basic[best_col] = 1;
    row_basic[i] = 0;
  }

  // x_j from its defining row over the columns that existed then.
  double defined_value(const Reduction& r) const {
    double rest = 0.0;
    for (int64_t k = rows_.begin[r.row]; k < rows_.begin[r.row + 1]; ++k) {
      const int col = rows_.index[k];
      if (col != r.col && col_done[col]) rest += rows_.value[k] * x[col];
    }
    return (r.value - rest) / r.a;
  }

  // The row's range was the slack column's: a basic row hands its basic
  // place to the column; the row's dual takes back the column's cost.
  void slack_singleton(const Reduction& r) {
    const int i = r.row, j = r.col;
    x[j] = red_.x ? defined_value(r) : 0.0;
    col_done[j] = 1;
    pi[i] += r.cost / r.a;
    col_basic[j] = row_basic[i];
    row_basic[i] = 0;
  }

  // x_j from the row as it was; the row's dual takes what makes x_j's
  // reduced cost 0 on top of the dual of the row that held x_j's bounds.
  // Basic row (or one removed since): x_j basic; else x_j sits at the
  // bound the row's end stands for.
  void aggregate(const Reduction& r, const Reduction* items) {
    const int i = r.row, j = r.col;
    const Reduction* row_items = items;
    const Reduction* col_items = items + r.count;
    if (red_.x) {
      double rest = 0.0;
      for (int k = 0; k < r.count; ++k) rest += row_items[k].a * x[row_items[k].col];
      x[j] = (r.value - rest) / r.a;
    } else {
      x[j] = 0.0;
    }
    double priced = r.cost;
    for (int k = 0; k < r.count2; ++k) priced -= col_items[k].a * pi[col_items[k].row];
    pi[i] += priced / r.a;
    col_done[j] = 1;
    col_cost[j] = r.cost;
    col_basic[j] = row_basic[i];
    row_basic[i] = 0;
  }

  // z = x_j + t·x_k splits with x_k at a bound where x_j can take the
  // rest, else x_j at a bound and x_k between its bounds; the one between
  // its bounds is basic when z was. Both have the reduced cost of z (times t).
  void split_column(const Reduction& r) {
    const int j = r.other, k = r.col;
    const double t = r.a, z = x[j];
    const double lj = r.old_lb, uj = r.old_ub, lk = r.lb, uk = r.ub;
    auto inside = [](double v, double lo, double hi) {
      return v >= lo - kAtBoundTol * std::max(1.0, std::fabs(lo)) &&
             v <= hi + kAtBoundTol * std::max(1.0, std::fabs(hi));
    };
    col_done[k] = 1;
    col_cost[k] = r.cost;
    col_basic[k] = 0;
    if (!red_.x) {
      x[k] = 0.0;
      return;
    }
    const double k_candidates[3] = {lk, uk, std::clamp(0.0, lk, uk)};
    for (double v : k_candidates) {
      if (std::isinf(v)) continue;
      const double xj = z - t * v;
      if (!inside(xj, lj, uj)) continue;
      x[k] = v;
      x[j] = xj;
      return;
    }
    const double j_candidates[3] = {lj, uj, std::clamp(0.0, lj, uj)};
    for (double v : j_candidates) {
      if (std::isinf(v)) continue;
      const double xk = (z - v) / t;
      if (!inside(xk, lk, uk)) continue;
      x[j] = v;
      x[k] = xk;
      col_basic[k] = col_basic[j];
      col_basic[j] = 0;
      return;
    }
    x[k] = std::isinf(lk) ? (std::isinf(uk) ? 0.0 : uk) : lk;
    x[j] = z - t * x[k];
  }

  // The kept row's dual moves to the row that gave the end it sits at.
  void duplicate_row(const Reduction& r) {
    const int keep = r.other, other = r.row;
    restore_row(other);
    if (!red_.pi) return;
    const double y = pi[keep];
    const bool basis = red_.rstat != nullptr;
    if (basis && row_basic[keep]) return;
    bool moves = false;
    if (y > 0) {
      moves = (r.side & 1) != 0;
    } else if (y < 0) {
      moves = (r.side & 2) != 0;
    } else if (basis) {
      undecided.push_back(&r);
      return;
    }
    if (!moves) return;
    pi[other] = y / r.a;
    pi[keep] = 0.0;
    if (basis) {
      row_basic[other] = 0;
      row_basic[keep] = 1;
    }
  }

  void free_singleton(const Reduction& r) {
    const int i = r.row, j = r.col;
    x[j] = defined_value(r);
    col_done[j] = 1;
    col_basic[j] = 1;
    row_done[i] = 1;
    row_basic[i] = 0;
    pi[i] = r.cost / r.a;
  }

  const Problem& p_;
  const PresolveRecord& rec_;
  const ReducedSolution& red_;
  const RowCopy& rows_;
  std::vector<uint8_t> col_done, row_done, fixed_at_time;
  std::vector<double> col_cost;
};

double tol(double base, double b) { return base * std::max(1.0, std::isinf(b) ? 1.0 : std::fabs(b)); }

void basis_and_checks(const Problem& p, const Replay& rp, OriginalSolution& out) {
  const int m = p.num_rows(), n = p.num_cols();
  const double s = p.objsense();
  out.cstat.resize(n);
  out.rstat.resize(m);
  int basics = 0;
  bool dual_ok = true;
  for (int j = 0; j < n; ++j) {
    const double lb = to_work_bound(p.lower(j)), ub = to_work_bound(p.upper(j));
    const double d = s * out.dj[j];  // minimisation sense
    int st;
    if (rp.col_basic[j]) {
      st = KRV_BASIC;
      ++basics;
      dual_ok &= std::fabs(d) <= kDualTol;
    } else if (lb == ub) {
      st = d < 0 ? KRV_AT_UPPER : KRV_AT_LOWER;
    } else if (lb > -kInf && std::fabs(out.x[j] - lb) <= tol(kPrimalTol, lb)) {
      st = KRV_AT_LOWER;
      dual_ok &= d >= -kDualTol;
    } else if (ub < kInf && std::fabs(out.x[j] - ub) <= tol(kPrimalTol, ub)) {
      st = KRV_AT_UPPER;
      dual_ok &= d <= kDualTol;
    } else {
      st = KRV_FREE_SUPER;
      dual_ok &= std::fabs(d) <= kDualTol;
    }
    out.cstat[j] = st;
  }
  for (int i = 0; i < m; ++i) {
    const double y = s * out.pi[i];
    if (rp.row_basic[i]) {
      out.rstat[i] = KRV_BASIC;
      ++basics;
      dual_ok &= std::fabs(y) <= kDualTol;
      continue;
    }
    double lo, hi;
    row_bounds(p, i, &lo, &hi);
    bool at_lower_side;
    if (lo == hi) {
      at_lower_side = y >= 0;
    } else if (lo > -kInf && hi < kInf) {
      at_lower_side = std::fabs(out.activity[i] - lo) <= std::fabs(out.activity[i] - hi);
    } else {
      at_lower_side = lo > -kInf;
    }
    if (lo != hi) dual_ok &= at_lower_side ? y >= -kDualTol : y <= kDualTol;
    // Nonbasic rows are told by the end they sit at: 0 the rhs end, 2 the far end of a range.
    int st = KRV_AT_LOWER;
    if (p.sense(i) == 'R' && lo != hi) {
      const bool rhs_is_lower = p.range(i) >= 0;
      st = at_lower_side == rhs_is_lower ? KRV_AT_LOWER : KRV_AT_UPPER;
    }
    out.rstat[i] = st;
  }
  out.basis_complete = basics == m;
  out.dual_feasible = dual_ok;
}

}  // namespace

void postsolve(const Problem& p, const PresolveRecord& rec, const ReducedSolution& red, OriginalSolution& out) {
  Replay rp(p, rec, red);
  rp.run();
  const int m = p.num_rows(), n = p.num_cols();
  const double s = p.objsense();
  out.x = rp.x;
  out.activity.assign(m, 0.0);
  out.dj.assign(n, 0.0);
  out.pi.resize(m);
  for (int i = 0; i < m; ++i) out.pi[i] = s * rp.pi[i];
  double obj = 0.0;
  bool primal_ok = true;
  for (int j = 0; j < n; ++j) {
    const SparseSpan c = p.column(j);
    double d = p.obj(j);
    for (int k = 0; k < c.size(); ++k) {
      out.activity[c.index[k]] += c.value[k] * out.x[j];
      d -= c.value[k] * out.pi[c.index[k]];
    }
    out.dj[j] = d;
    obj += p.obj(j) * out.x[j];
    const double lb = to_work_bound(p.lower(j)), ub = to_work_bound(p.upper(j));
    primal_ok &= out.x[j] >= lb - tol(kPrimalTol, lb) && out.x[j] <= ub + tol(kPrimalTol, ub);
  }
  for (int i = 0; i < m; ++i) {
    double lo, hi;
    row_bounds(p, i, &lo, &hi);
    primal_ok &= out.activity[i] >= lo - tol(kPrimalTol, lo) && out.activity[i] <= hi + tol(kPrimalTol, hi);
  }
  rp.settle_duplicates(out.activity);
  out.objective = obj;
  out.primal_feasible = primal_ok;
  out.dual_feasible = false;
  out.basis_complete = false;
  if (red.pi && red.cstat && red.rstat) basis_and_checks(p, rp, out);
}

}  // namespace korva::presolve
