#include "mip/domain.h"

#include <algorithm>
#include <cmath>

namespace korva::mip {

namespace {

// A continuous bound moves only when it improves by this share of its
// size: small moves buy nothing and cost the LP a bound change.
constexpr double kContinuousGain = 1e-3;
// Integer columns with ranges up to this take every implied tightening.
constexpr double kNarrowIntegerRange = 1000.0;
// Implied bounds beyond this magnitude are not worth having.
constexpr double kLargestImplied = 1e12;
// Share of the terms' size allowed for rounding in an activity bound.
constexpr double kActivityRounding = 1e-12;

double scale_of(double v) { return std::max(1.0, std::fabs(v)); }

}  // namespace

void Domain::init(const MipModel& model, double feasibility_tol, double integrality_tol) {
  model_ = &model;
  feas_tol_ = feasibility_tol;
  int_tol_ = integrality_tol;
  const int n = model.num_cols, rows = model.num_relaxation_rows;
  lower_ = model.lower;
  upper_ = model.upper;
  for (int j = 0; j < n; ++j) {
    if (model.kind[j] == ColKind::SemiContinuous || model.kind[j] == ColKind::SemiInteger) {
      lower_[j] = std::min(lower_[j], 0.0);
      upper_[j] = std::max(upper_[j], 0.0);
    }
    if (model.is_integer(j)) {
      lower_[j] = rounded_lower(j, lower_[j]);
      upper_[j] = rounded_upper(j, upper_[j]);
    }
  }
  active_.assign(static_cast<size_t>(rows), 0);
  for (int i = 0; i < model.num_rows; ++i) active_[i] = 1;
  infeasible_ = false;
  trail_.clear();
  col_changed_.assign(static_cast<size_t>(n), 0);
  row_changed_.assign(static_cast<size_t>(rows), 0);
  changed_cols_.clear();
  changed_rows_.clear();
  queued_.assign(static_cast<size_t>(rows), 0);
  queue_.clear();
  link_pending_.assign(static_cast<size_t>(n), 0);
  pending_links_.clear();
  indicator_of_col_.assign(static_cast<size_t>(n), {});
  sos_of_col_.assign(static_cast<size_t>(n), {});
  indicator_of_row_.assign(static_cast<size_t>(rows), -1);
  for (int k = 0; k < static_cast<int>(model.indicators.size()); ++k) {
    indicator_of_col_[model.indicators[k].indicator].push_back(k);
    indicator_of_row_[model.indicators[k].row] = k;
  }
  for (int s = 0; s < static_cast<int>(model.sos.size()); ++s)
    for (int j : model.sos[s].cols) sos_of_col_[j].push_back(s);
  // A few passes over the matrix per propagation at most.
  work_budget_ = 4 * static_cast<int64_t>(model.row_col.size()) + 1000;
  // Everything is examined once at the start.
  for (int i = 0; i < rows; ++i) {
    queue_.push_back(i);
    queued_[i] = 1;
  }
  for (int j = 0; j < n; ++j)
    if (!indicator_of_col_[j].empty() || !sos_of_col_[j].empty()) {
      pending_links_.push_back(j);
      link_pending_[j] = 1;
    }
}

double Domain::rounded_lower(int j, double v) const {
  if (!model_->is_integer(j) || std::isinf(v)) return v;
  return std::ceil(v - int_tol_);
}

double Domain::rounded_upper(int j, double v) const {
  if (!model_->is_integer(j) || std::isinf(v)) return v;
  return std::floor(v + int_tol_);
}

void Domain::record(int j) { trail_.push_back({j, lower_[j], upper_[j], infeasible_}); }

void Domain::touch_column(int j) {
  if (!col_changed_[j]) {
    col_changed_[j] = 1;
    changed_cols_.push_back(j);
  }
  queue_rows_of(j);
  if (!link_pending_[j] && (!indicator_of_col_[j].empty() || !sos_of_col_[j].empty())) {
    link_pending_[j] = 1;
    pending_links_.push_back(j);
  }
}

void Domain::queue_rows_of(int j) {
  const MipModel& m = *model_;
  for (int64_t k = m.col_begin[j]; k < m.col_begin[j + 1]; ++k) {
    const int row = m.col_row[k];
    if (!row_changed_[row]) {
      row_changed_[row] = 1;
      changed_rows_.push_back(row);
    }
    // Inactive rows matter only as indicator rows that may fix their indicator.
    if (!queued_[row] && (active_[row] || indicator_of_row_[row] >= 0)) {
      queued_[row] = 1;
      queue_.push_back(row);
    }
  }
}

// Propagation moves a bound only when the move is worth a bound change: a
// continuous column by a share of its range, an integer column with a wide
// range likewise (rows that pass tightenings back and forth would
// otherwise walk a range of a million in steps of one).
bool Domain::worth_moving(int j, double from, double to) const {
  if (!std::isfinite(from)) return true;
  const double range = upper_[j] - lower_[j];
  const double gain = std::fabs(to - from);
  if (model_->is_integer(j)) return range <= kNarrowIntegerRange || gain >= kContinuousGain * range;
  const ColKind k = model_->kind[j];
  if (k == ColKind::SemiContinuous) return true;
  return gain > kContinuousGain * std::max(scale_of(to), range);
}

void Domain::imply_lower(int j, double value) {
  const double v = rounded_lower(j, value);
  if (v > lower_[j] && (v > upper_[j] || worth_moving(j, lower_[j], std::min(v, upper_[j])))) tighten_lower(j, value);
}

void Domain::imply_upper(int j, double value) {
  const double v = rounded_upper(j, value);
  if (v < upper_[j] && (v < lower_[j] || worth_moving(j, upper_[j], std::max(v, lower_[j])))) tighten_upper(j, value);
}

void Domain::tighten_lower(int j, double value) {
  if (infeasible_) return;
  const MipModel& m = *model_;
  double v = rounded_lower(j, value);
  const bool semi = m.kind[j] == ColKind::SemiContinuous || m.kind[j] == ColKind::SemiInteger;
  // A semi-continuous column that cannot be 0 lies within its bounds.
  if (semi && v > feas_tol_ && v < m.lower[j]) v = m.lower[j];
  if (!(v > lower_[j])) return;
  if (v > upper_[j] + feas_tol_ * scale_of(upper_[j])) {
    record(j);
    infeasible_ = true;
    return;
  }
  v = std::min(v, upper_[j]);
  record(j);
  lower_[j] = v;
  touch_column(j);
}

void Domain::tighten_upper(int j, double value) {
  if (infeasible_) return;
  const MipModel& m = *model_;
  double v = rounded_upper(j, value);
  const bool semi = m.kind[j] == ColKind::SemiContinuous || m.kind[j] == ColKind::SemiInteger;
  // A semi-continuous column that cannot reach its lower bound is 0.
  if (semi && m.lower[j] > 0 && v < m.lower[j] - feas_tol_ && v >= -feas_tol_) v = 0.0;
  if (!(v < upper_[j])) return;
  if (v < lower_[j] - feas_tol_ * scale_of(lower_[j])) {
    record(j);
    infeasible_ = true;
    return;
  }
  v = std::max(v, lower_[j]);
  record(j);
  upper_[j] = v;
  touch_column(j);
}

void Domain::set_bounds(int j, double lower, double upper) {
  if (lower == lower_[j] && upper == upper_[j]) return;
  record(j);
  lower_[j] = lower;
  upper_[j] = upper;
  if (lower > upper) infeasible_ = true;
  touch_column(j);
}

void Domain::apply_global(const std::vector<int>& rows, const std::vector<BoundChange>& changes) {
  for (int r : rows) activate_row(r);
  for (const BoundChange& c : changes) {
    tighten_lower(c.col, c.lower);
    tighten_upper(c.col, c.upper);
  }
}

void Domain::activate_row(int row) {
  if (active_[row]) return;
  trail_.push_back({-(row + 1), 0.0, 0.0, infeasible_});
  active_[row] = 1;
  if (!row_changed_[row]) {
    row_changed_[row] = 1;
    changed_rows_.push_back(row);
  }
  if (!queued_[row]) {
    queued_[row] = 1;
    queue_.push_back(row);
  }
}

void Domain::undo(size_t mark) {
  while (trail_.size() > mark) {
    const Entry e = trail_.back();
    trail_.pop_back();
    infeasible_ = e.was_infeasible;
    if (e.what < 0) {
      const int row = -e.what - 1;
      active_[row] = 0;
      if (!row_changed_[row]) {
        row_changed_[row] = 1;
        changed_rows_.push_back(row);
      }
      continue;
    }
    const int j = e.what;
    lower_[j] = e.lower;
    upper_[j] = e.upper;
    if (!col_changed_[j]) {
      col_changed_[j] = 1;
      changed_cols_.push_back(j);
    }
  }
  // What was waiting to propagate belonged to the undone state.
  for (int row : queue_) queued_[row] = 0;
  queue_.clear();
  for (int j : pending_links_) link_pending_[j] = 0;
  pending_links_.clear();
}

void Domain::propagate_row(int row) {
  const MipModel& m = *model_;
  const int64_t begin = m.row_begin[row], end = m.row_begin[row + 1];
  double min_act = 0.0, max_act = 0.0, size = 0.0;
  int min_inf = 0, max_inf = 0;
  for (int64_t k = begin; k < end; ++k) {
    const int j = m.row_col[k];
    const double a = m.row_val[k];
    const double lo = lower_[j], hi = upper_[j];
    const double low_end = a > 0 ? lo : hi, high_end = a > 0 ? hi : lo;
    if (std::isinf(low_end)) ++min_inf;
    else min_act += a * low_end;
    if (std::isinf(high_end)) ++max_inf;
    else max_act += a * high_end;
    size += std::fabs(a) * std::max(std::isinf(lo) ? 0.0 : std::fabs(lo), std::isinf(hi) ? 0.0 : std::fabs(hi));
  }
  const double rlo = m.row_lo[row], rhi = m.row_hi[row];
  const double slack_hi = feas_tol_ * scale_of(rhi) + kActivityRounding * size;
  const double slack_lo = feas_tol_ * scale_of(rlo) + kActivityRounding * size;
  const bool cannot_hold = (min_inf == 0 && min_act > rhi + slack_hi) || (max_inf == 0 && max_act < rlo - slack_lo);
  if (!active_[row]) {
    // An indicator row that cannot hold forbids its indicator's active value.
    const int link = indicator_of_row_[row];
    if (link >= 0 && cannot_hold) {
      const IndicatorLink& ind = m.indicators[link];
      if (ind.active_value > 0.5) tighten_upper(ind.indicator, 0.0);
      else tighten_lower(ind.indicator, 1.0);
    }
    return;
  }
  if (cannot_hold) {
    infeasible_ = true;
    return;
  }
  if (min_inf > 1 && max_inf > 1) return;
  for (int64_t k = begin; k < end && !infeasible_; ++k) {
    const int j = m.row_col[k];
    const double a = m.row_val[k];
    const double lo = lower_[j], hi = upper_[j];
    // a·x_j <= rhi - (min activity of the others), and >= rlo - (max of the others).
    if (std::isfinite(rhi)) {
      const double own = a > 0 ? lo : hi;
      const bool own_inf = std::isinf(own);
      if (min_inf == 0 || (min_inf == 1 && own_inf)) {
        const double others = own_inf ? min_act : min_act - a * own;
        const double limit = (rhi - others + slack_hi) / a;
        if (std::fabs(limit) < kLargestImplied) {
          if (a > 0) imply_upper(j, limit);
          else imply_lower(j, limit);
        }
      }
    }
    if (std::isfinite(rlo) && !infeasible_) {
      const double own = a > 0 ? hi : lo;
      const bool own_inf = std::isinf(own);
      if (max_inf == 0 || (max_inf == 1 && own_inf)) {
        const double others = own_inf ? max_act : max_act - a * own;
        const double limit = (rlo - others - slack_lo) / a;
        if (std::fabs(limit) < kLargestImplied) {
          if (a > 0) imply_lower(j, limit);
          else imply_upper(j, limit);
        }
      }
    }
  }
}

void Domain::propagate_column_links(int j) {
  const MipModel& m = *model_;
  // An indicator at its active value switches its row on.
  if (lower_[j] == upper_[j]) {
    for (int k : indicator_of_col_[j]) {
      const IndicatorLink& ind = m.indicators[k];
      if (std::fabs(lower_[j] - ind.active_value) <= int_tol_) activate_row(ind.row);
    }
  }
  // A set member that cannot be 0 fixes the members it excludes at 0.
  const bool nonzero = lower_[j] > feas_tol_ || upper_[j] < -feas_tol_;
  if (!nonzero) return;
  for (int s : sos_of_col_[j]) {
    const SosConstraint& set = m.sos[s];
    const int size = static_cast<int>(set.cols.size());
    int first = size, last = -1;
    for (int p = 0; p < size; ++p) {
      const int c = set.cols[p];
      if (lower_[c] > feas_tol_ || upper_[c] < -feas_tol_) {
        first = std::min(first, p);
        last = std::max(last, p);
      }
    }
    const int span = set.type == 1 ? 0 : 1;
    if (last - first > span) {
      infeasible_ = true;
      return;
    }
    // Members allowed to be nonzero: within `span` of every nonzero one.
    const int allowed_first = last - span, allowed_last = first + span;
    for (int p = 0; p < size && !infeasible_; ++p) {
      if (p >= allowed_first && p <= allowed_last) continue;
      tighten_upper(set.cols[p], 0.0);
      tighten_lower(set.cols[p], 0.0);
    }
  }
}

bool Domain::propagate() {
  int64_t work = work_budget_;
  while (!infeasible_ && (!queue_.empty() || !pending_links_.empty()) && work > 0) {
    while (!pending_links_.empty() && !infeasible_) {
      const int j = pending_links_.back();
      pending_links_.pop_back();
      link_pending_[j] = 0;
      propagate_column_links(j);
    }
    if (queue_.empty() || infeasible_) continue;
    const int row = queue_.back();
    queue_.pop_back();
    queued_[row] = 0;
    work -= model_->row_begin[row + 1] - model_->row_begin[row] + 1;
    propagate_row(row);
  }
  work_done_ += work_budget_ - work;
  if (infeasible_ || work <= 0) {
    for (int row : queue_) queued_[row] = 0;
    queue_.clear();
    for (int j : pending_links_) link_pending_[j] = 0;
    pending_links_.clear();
  }
  return !infeasible_;
}

void Domain::changed_since(size_t mark, std::vector<int>& cols) const {
  cols.clear();
  for (size_t k = mark; k < trail_.size(); ++k)
    if (trail_[k].what >= 0) cols.push_back(trail_[k].what);
  std::sort(cols.begin(), cols.end());
  cols.erase(std::unique(cols.begin(), cols.end()), cols.end());
}

void Domain::take_changed_columns(std::vector<int>& out) {
  out.swap(changed_cols_);
  changed_cols_.clear();
  for (int j : out) col_changed_[j] = 0;
}

void Domain::take_changed_rows(std::vector<int>& out) {
  out.swap(changed_rows_);
  changed_rows_.clear();
  for (int r : out) row_changed_[r] = 0;
}

}  // namespace korva::mip
