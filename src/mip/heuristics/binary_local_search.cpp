#include "mip/heuristics/binary_local_search.h"

#include <algorithm>
#include <cmath>

#include "mip/heuristics/heuristic_support.h"

namespace korva::mip {

namespace {

// Flips allowed: this many per column plus a base.
constexpr int64_t kFlipsPerColumn = 20;
constexpr int64_t kFlipBase = 1000;
// Matrix entries read at most, per model entry.
constexpr int64_t kWorkFactor = 200;
// A flipped column stays put for this many flips (plus a random part).
constexpr int64_t kTabuTenure = 7;
// Share of flips chosen at random among those that help the row.
constexpr double kRandomWalk = 0.1;

class LocalSearch {
 public:
  explicit LocalSearch(HeuristicContext& ctx) : ctx_(ctx), m_(ctx.model) {}

  bool run(std::vector<double>& x) {
    const int n = m_.num_cols, rows = m_.num_rows;
    x_.assign(static_cast<size_t>(n), 0.0);
    for (int j = 0; j < n; ++j) x_[j] = rounded_value(ctx_, j, ctx_.lp_x[j], 0);
    activity_.assign(static_cast<size_t>(rows), 0.0);
    position_.assign(static_cast<size_t>(rows), -1);
    violated_.clear();
    for (int r = 0; r < rows; ++r) {
      activity_[r] = row_activity(m_, r, x_.data());
      update_violated(r);
    }
    tabu_until_.assign(static_cast<size_t>(n), -1);
    work_ = kWorkFactor * static_cast<int64_t>(m_.row_col.size()) + kFlipBase;
    const int64_t flips = kFlipsPerColumn * n + kFlipBase;
    for (int64_t step = 0; step < flips && !violated_.empty() && work_ > 0; ++step) {
      const int r = violated_[static_cast<size_t>(ctx_.state.random.next() * static_cast<double>(violated_.size()))];
      const int j = pick_flip(r, step);
      if (j < 0) continue;
      flip(j);
      tabu_until_[j] = step + kTabuTenure + static_cast<int64_t>(ctx_.state.random.next() * kTabuTenure);
    }
    if (!violated_.empty()) return false;
    improve();
    x.swap(x_);
    return true;
  }

 private:
  double violation(int r, double a) const {
    const double lo = m_.row_lo[r], hi = m_.row_hi[r], tol = ctx_.settings.feasibility;
    if (a < lo - tol) return lo - a;
    if (a > hi + tol) return a - hi;
    return 0.0;
  }

  void update_violated(int r) {
    const bool now = violation(r, activity_[r]) > 0.0;
    if (now && position_[r] < 0) {
      position_[r] = static_cast<int>(violated_.size());
      violated_.push_back(r);
    } else if (!now && position_[r] >= 0) {
      const int last = violated_.back();
      violated_[position_[r]] = last;
      position_[last] = position_[r];
      violated_.pop_back();
      position_[r] = -1;
    }
  }

  bool free_to_flip(int j) const { return ctx_.domain.lower(j) < ctx_.domain.upper(j); }

  double flip_change(int j) {
    const double delta = 1.0 - 2.0 * x_[j];
    double change = 0.0;
    for (int64_t k = m_.col_begin[j]; k < m_.col_begin[j + 1]; ++k) {
      const int r = m_.col_row[k];
      if (r >= m_.num_rows) continue;
      change += violation(r, activity_[r] + m_.col_val[k] * delta) - violation(r, activity_[r]);
    }
    work_ -= m_.col_begin[j + 1] - m_.col_begin[j];
    return change;
  }

  // The flip in row r that lowers the violation most (ties: the cheaper),
  // tabu columns only when they lower it below the best so far; now and
  // then a random one of those that help row r.
  int pick_flip(int r, int64_t step) {
    int best = -1;
    double best_change = kInf, best_cost = kInf;
    helpful_.clear();
    const double before = violation(r, activity_[r]);
    for (int64_t k = m_.row_begin[r]; k < m_.row_begin[r + 1]; ++k) {
      const int j = m_.row_col[k];
      if (!free_to_flip(j)) continue;
      const double delta = 1.0 - 2.0 * x_[j];
      if (violation(r, activity_[r] + m_.row_val[k] * delta) < before) helpful_.push_back(j);
      const double change = flip_change(j);
      if (tabu_until_[j] > step && change >= 0.0) continue;
      const double cost = m_.cost[j] * delta;
      if (change < best_change - 1e-12 || (change <= best_change + 1e-12 && cost < best_cost)) {
        best = j;
        best_change = change;
        best_cost = cost;
      }
    }
    if (!helpful_.empty() && (best < 0 || best_change >= 0.0 || ctx_.state.random.next() < kRandomWalk))
      return helpful_[static_cast<size_t>(ctx_.state.random.next() * static_cast<double>(helpful_.size()))];
    return best;
  }

  void flip(int j) {
    const double delta = 1.0 - 2.0 * x_[j];
    x_[j] += delta;
    for (int64_t k = m_.col_begin[j]; k < m_.col_begin[j + 1]; ++k) {
      const int r = m_.col_row[k];
      if (r >= m_.num_rows) continue;
      activity_[r] += m_.col_val[k] * delta;
      update_violated(r);
    }
  }

  // Flips that lower the objective and break no row, while any is left.
  void improve() {
    for (bool moved = true; moved && work_ > 0;) {
      moved = false;
      for (int j = 0; j < m_.num_cols; ++j) {
        const double delta = 1.0 - 2.0 * x_[j];
        if (!free_to_flip(j) || m_.cost[j] * delta >= 0.0) continue;
        if (flip_change(j) > 0.0 || breaks_a_row(j, delta)) continue;
        flip(j);
        moved = true;
      }
    }
  }

  bool breaks_a_row(int j, double delta) const {
    for (int64_t k = m_.col_begin[j]; k < m_.col_begin[j + 1]; ++k) {
      const int r = m_.col_row[k];
      if (r < m_.num_rows && violation(r, activity_[r] + m_.col_val[k] * delta) > 0.0) return true;
    }
    return false;
  }

  HeuristicContext& ctx_;
  const MipModel& m_;
  std::vector<double> x_, activity_;
  std::vector<int> violated_, position_, helpful_;
  std::vector<int64_t> tabu_until_;
  int64_t work_ = 0;
};

}  // namespace

int binary_local_search(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found) {
  *found = false;
  if (!pure_binary(ctx.model)) return 0;
  LocalSearch search(ctx);
  if (!search.run(x)) return 0;
  *found = settle_candidate(ctx, x, objective);
  return 0;
}

}  // namespace korva::mip
