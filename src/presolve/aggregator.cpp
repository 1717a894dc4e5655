// The aggregator: an equality row a·x_j + Σ a_k·x_k = b defines x_j, which
// then leaves every other row and the cost. Entries of column j in other
// rows merge into the columns of the defining row (fill). The defining row
// stays with x_j's bounds as its range; for a doubleton that range is a
// singleton row, i.e. bounds of the other column, and when x_j is
// (implied) free the row goes at once.
#include <climits>

#include "presolve/reducer.h"

namespace korva::presolve {

int Reducer::next_stamp() {
  if (col_mark_.size() != static_cast<size_t>(w_.n)) {
    col_mark_.assign(w_.n, 0);
    col_slot_.assign(w_.n, 0);
    col_value_.assign(w_.n, 0.0);
  }
  if (row_mark_.size() != static_cast<size_t>(w_.m)) {
    row_mark_.assign(w_.m, 0);
    row_slot_.assign(w_.m, 0);
    row_value_.assign(w_.m, 0.0);
  }
  if (stamp_ == INT_MAX) {
    std::fill(col_mark_.begin(), col_mark_.end(), 0);
    std::fill(row_mark_.begin(), row_mark_.end(), 0);
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 0;
  }
  return ++stamp_;
}

namespace {

// old - delta, or 0 when that is cancellation noise.
double combined(double old, double delta) {
  const double v = old - delta;
  const double size = std::fabs(v);
  if (size < kDropTol || size <= kCancelTol * std::max(std::fabs(old), std::fabs(delta))) return 0.0;
  return v;
}

}  // namespace

void Reducer::aggregate_pass(bool& changed) {
  if (s_.aggregate > 0 && aggregator_runs_ >= s_.aggregate) return;
  ++aggregator_runs_;
  w_.counters.aggregator_passes = aggregator_runs_;
  int64_t work = 0;
  for (int i = 0; i < w_.m; ++i) {
    if (!w_.row_alive[i] || w_.rlo[i] != w_.rhi[i] || std::isinf(w_.rlo[i])) continue;
    const int len = w_.row_len[i];
    if (len < 2 || len > kAggMaxRow) continue;
    work += len;
    double a = 0.0;
    const int j = aggregate_column(i, &a);
    if (j < 0) continue;
    const int64_t fill = fill_of(i, j);
    work += fill;
    if (fill > s_.agg_fill) continue;
    aggregate(i, j, a, implied_free(i, j, a) || implied_by_rows(j));
    work += static_cast<int64_t>(len) * w_.col_len[j];
    changed = true;
  }
  env_.ticks.charge(static_cast<uint64_t>(work + w_.m));
}

// The column of row i to substitute out: a pivot large in its row and its
// column, the fewest products of other entries (Markowitz), and, for rows
// longer than two, a column that the row leaves free anyway so that the
// row goes with it. -1 when there is none.
int Reducer::aggregate_column(int i, double* pivot) {
  double largest = 0.0;
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k)
    if (w_.col_alive[w_.ridx[k]]) largest = std::max(largest, std::fabs(w_.rval[k]));
  const int len = w_.row_len[i];
  int best = -1;
  int64_t best_score = INT64_MAX;
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
    const int j = w_.ridx[k];
    if (!w_.col_alive[j]) continue;
    const double a = w_.rval[k];
    if (std::fabs(a) < kAggPivotRow * largest) continue;
    const int clen = w_.col_len[j];
    if (clen < 2 || clen > kAggMaxCol || !w_.substitutable(j)) continue;
    const int64_t score = static_cast<int64_t>(len - 1) * (clen - 1);
    if (score >= best_score) continue;
    double col_largest = 0.0;
    for (int64_t e = w_.cbeg[j]; e < w_.cend[j]; ++e)
      if (w_.row_alive[w_.cidx[e]]) col_largest = std::max(col_largest, std::fabs(w_.cval[e]));
    if (std::fabs(a) < kAggPivotCol * col_largest) continue;
    if (len > 2 && !implied_free(i, j, a) && !implied_by_rows(j)) continue;
    best = j;
    best_score = score;
    *pivot = a;
  }
  return best;
}

// x_j's bounds follow from its rows and the other columns' bounds, each
// bound from some row: dropping them changes nothing. Only short columns
// of short rows are looked at.
bool Reducer::implied_by_rows(int j) const {
  if (w_.col_len[j] > kImpliedMaxCol) return false;
  bool lb_implied = w_.lb[j] == -kInf, ub_implied = w_.ub[j] == kInf;
  int64_t read = 0;
  for (int64_t e = w_.cbeg[j]; e < w_.cend[j] && !(lb_implied && ub_implied); ++e) {
    const int r = w_.cidx[e];
    if (!w_.row_alive[r]) continue;
    read += w_.rend[r] - w_.rbeg[r];
    if (read > kImpliedMaxRead) return false;
    const double a = w_.cval[e];
    // rest.max bounds a·x_j from below when rlo is finite, rest.min from
    // above when rhi is: only the sides that can still imply a bound count.
    const bool want_max = w_.rlo[r] != -kInf && (a > 0 ? !lb_implied : !ub_implied);
    const bool want_min = w_.rhi[r] != kInf && (a > 0 ? !ub_implied : !lb_implied);
    if (!want_min && !want_max) continue;
    const Activity rest = activity(r, j, want_min, want_max);
    // a·x_j within [rlo - rest.max, rhi - rest.min].
    const double low = w_.rlo[r] == -kInf || rest.inf_max ? -kInf : w_.rlo[r] - rest.max;
    const double high = w_.rhi[r] == kInf || rest.inf_min ? kInf : w_.rhi[r] - rest.min;
    const double lo = a > 0 ? low / a : high / a;
    const double hi = a > 0 ? high / a : low / a;
    if (!lb_implied && lo > -kInf && lo >= w_.lb[j] - redundant_tol(w_.lb[j])) lb_implied = true;
    if (!ub_implied && hi < kInf && hi <= w_.ub[j] + redundant_tol(w_.ub[j])) ub_implied = true;
  }
  return lb_implied && ub_implied;
}

int64_t Reducer::fill_of(int i, int j) {
  const int stamp = next_stamp();
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
    const int col = w_.ridx[k];
    if (w_.col_alive[col] && col != j) col_mark_[col] = stamp;
  }
  const int64_t others = w_.row_len[i] - 1;
  int64_t created = 0, removed = 0, scanned = 0;
  for (int64_t e = w_.cbeg[j]; e < w_.cend[j]; ++e) {
    const int r = w_.cidx[e];
    if (!w_.row_alive[r] || r == i) continue;
    ++removed;
    int64_t shared = 0;
    for (int64_t k = w_.rbeg[r]; k < w_.rend[r]; ++k) shared += col_mark_[w_.ridx[k]] == stamp && w_.col_alive[w_.ridx[k]];
    scanned += w_.rend[r] - w_.rbeg[r];
    if (scanned > kAggScanLimit) return INT64_MAX / 2;
    created += others - shared;
  }
  return created - removed;
}

void Reducer::aggregate(int i, int j, double a, bool free_row) {
  const double b = w_.rlo[i];
  row_items_.clear();
  col_items_.clear();
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
    const int col = w_.ridx[k];
    if (w_.col_alive[col] && col != j) row_items_.push_back({col, w_.rval[k]});
  }
  for (int64_t e = w_.cbeg[j]; e < w_.cend[j]; ++e) {
    const int r = w_.cidx[e];
    if (w_.row_alive[r] && r != i) col_items_.push_back({r, w_.cval[e]});
  }
  Reduction red;
  red.kind = ReductionKind::Aggregate;
  red.row = i;
  red.col = j;
  red.a = a;
  red.value = b;
  red.cost = w_.cost[j];
  red.lb = w_.lb[j];
  red.ub = w_.ub[j];
  red.count = static_cast<int>(row_items_.size());
  red.count2 = static_cast<int>(col_items_.size());
  w_.stack.push_back(red);
  for (const Item& it : row_items_) w_.push_entry(-1, it.index, it.value);
  for (const Item& it : col_items_) w_.push_entry(it.index, -1, it.value);

  // The cost of x_j moves onto the other columns of the row.
  const double ratio = w_.cost[j] / a;
  if (ratio != 0.0) {
    for (const Item& it : row_items_) w_.cost[it.index] = combined(w_.cost[it.index], ratio * it.value);
    w_.offset += ratio * b;
  }
  if (!col_items_.empty()) {
    multiplier_.resize(col_items_.size());
    for (size_t t = 0; t < col_items_.size(); ++t) {
      const int r = col_items_[t].index;
      const double mult = col_items_[t].value / a;
      multiplier_[t] = mult;
      const double shift = mult * b;
      if (w_.rlo[r] == w_.rhi[r]) {
        w_.rlo[r] = w_.rhi[r] = w_.rlo[r] - shift;
      } else {
        if (w_.rlo[r] > -kInf) w_.rlo[r] -= shift;
        if (w_.rhi[r] < kInf) w_.rhi[r] -= shift;
      }
      w_.row_changed[r] = 1;
    }
    combine_rows();
    combine_columns();
    for (const Item& it : row_items_) w_.col_changed[it.index] = 1;
  }
  if (free_row) {
    w_.drop_column(j);
    w_.remove_row(i);
  } else {
    const double from_lb = b - a * w_.lb[j], from_ub = b - a * w_.ub[j];
    w_.rlo[i] = std::min(from_lb, from_ub);
    w_.rhi[i] = std::max(from_lb, from_ub);
    w_.drop_column(j);
  }
  ++w_.counters.substitutions;
}

// Row r -= multiplier·(pivot row), in the row storage.
void Reducer::combine_rows() {
  const int nitems = static_cast<int>(row_items_.size());
  if (seen_.size() < static_cast<size_t>(nitems)) seen_.resize(nitems, 0);
  for (size_t t = 0; t < col_items_.size(); ++t) {
    const int r = col_items_[t].index;
    const double mult = multiplier_[t];
    const int stamp = next_stamp();
    for (int q = 0; q < nitems; ++q) {
      col_mark_[row_items_[q].index] = stamp;
      col_slot_[row_items_[q].index] = q;
    }
    for (int64_t k = w_.rbeg[r]; k < w_.rend[r];) {
      const int col = w_.ridx[k];
      if (!w_.col_alive[col] || col_mark_[col] != stamp) {
        ++k;
        continue;
      }
      const int q = col_slot_[col];
      seen_[q] = stamp;
      const double v = combined(w_.rval[k], mult * row_items_[q].value);
      if (v != 0.0) {
        w_.rval[k++] = v;
        continue;
      }
      const int64_t last = --w_.rend[r];
      w_.ridx[k] = w_.ridx[last];
      w_.rval[k] = w_.rval[last];
      --w_.row_len[r];
    }
    for (int q = 0; q < nitems; ++q) {
      if (seen_[q] == stamp) continue;
      const double v = combined(0.0, mult * row_items_[q].value);
      if (v == 0.0) continue;
      if (w_.rend[r] == w_.rcap[r]) w_.grow_row(r, nitems);
      w_.ridx[w_.rend[r]] = row_items_[q].index;
      w_.rval[w_.rend[r]++] = v;
      ++w_.row_len[r];
    }
  }
}

// Column k -= a_ik·multiplier_r in every row r of the pivot column, in the
// column storage; the same arithmetic as the rows, so both agree on what
// cancels.
void Reducer::combine_columns() {
  const int nitems = static_cast<int>(col_items_.size());
  if (seen_.size() < static_cast<size_t>(nitems)) seen_.resize(nitems, 0);
  for (const Item& item : row_items_) {
    const int k = item.index;
    const int stamp = next_stamp();
    for (int q = 0; q < nitems; ++q) {
      row_mark_[col_items_[q].index] = stamp;
      row_slot_[col_items_[q].index] = q;
    }
    for (int64_t e = w_.cbeg[k]; e < w_.cend[k];) {
      const int r = w_.cidx[e];
      if (!w_.row_alive[r] || row_mark_[r] != stamp) {
        ++e;
        continue;
      }
      const int q = row_slot_[r];
      seen_[q] = stamp;
      const double v = combined(w_.cval[e], multiplier_[q] * item.value);
      if (v != 0.0) {
        w_.cval[e++] = v;
        continue;
      }
      const int64_t last = --w_.cend[k];
      w_.cidx[e] = w_.cidx[last];
      w_.cval[e] = w_.cval[last];
      --w_.col_len[k];
    }
    for (int q = 0; q < nitems; ++q) {
      if (seen_[q] == stamp) continue;
      const double v = combined(0.0, multiplier_[q] * item.value);
      if (v == 0.0) continue;
      if (w_.cend[k] == w_.ccap[k]) w_.grow_column(k, nitems);
      w_.cidx[w_.cend[k]] = col_items_[q].index;
      w_.cval[w_.cend[k]++] = v;
      ++w_.col_len[k];
    }
  }
}

}  // namespace korva::presolve
