#include "mip/probing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "env/channel.h"
#include "env/time_limit.h"
#include "mip/domain.h"

namespace korva::mip {

namespace {

constexpr double kProgressSeconds = 10.0;
// An informational callback hears from probing at most this often.
constexpr double kCallbackSeconds = 0.5;
// Work (entries read by propagation, and as much again by the row scans)
// allowed per probing level, as multiples of the matrix's entries:
// automatic, then levels 1 to 3.
constexpr int64_t kWorkShare[4] = {20, 20, 100, 1000};
// Implied bounds kept, per column of the model.
constexpr size_t kImpliedBoundsPerColumn = 4;
// What a row's reach must stay short of its side, relative to the side,
// before a coefficient shrinks; and how close it must come to count as
// held at the side.
constexpr double kReachMargin = 1e-7;
constexpr double kTightMargin = 1e-9;
// A row gains a binary when the side leaves it at least this share of its
// side short; entries added at most, as a share of the matrix's (and at
// least).
constexpr double kLiftShare = 1e-3;
constexpr int64_t kAddedShare = 20;
constexpr int64_t kLeastAdded = 100;

struct Side {
  bool feasible = false;
  std::vector<int> cols;
  std::vector<double> lower, upper;
  std::vector<int> tight_rows;  // rows of the binary held at their one side
};

bool finite(double v) { return std::isfinite(v); }

bool is_binary(const MipModel& m, const Domain& d, int j) {
  return m.kind[j] == ColKind::Integer && d.lower(j) == 0.0 && d.upper(j) == 1.0;
}

class Prober {
 public:
  Prober(Environment& env, MipModel& model, int rows, const SearchSettings& settings, CliqueTable& cliques)
      : env_(env), model_(model), rows_(rows), settings_(settings), cliques_(cliques) {}

  ProbingOutcome run();
  const std::function<bool()>* keep_going = nullptr;

 private:
  void probe_side(int j, double value, Side& side);
  void inspect_rows(int j, double value, Side& side);
  void lift_rows(int j, double value, const Side& side);
  // Row i with one finite side, as Σ a·x <= b (s = -1 for a >= side): its
  // least activity and the largest of its columns other than j on the
  // current bounds.
  struct RowReach {
    double s, b, least, rest_max;
  };
  bool row_reach(int i, int j, RowReach& r);
  void record_change(const CoefficientChange& change, bool adds);
  void keep_implied_bounds(int j);
  void keep_implications(int j);
  void note_equalities();
  void apply_row_changes();
  void progress_line(double started, size_t done, size_t all);
  void summary(double started) const;

  Environment& env_;
  MipModel& model_;
  const int rows_;
  const SearchSettings& settings_;
  CliqueTable& cliques_;
  Domain d_;
  ProbingOutcome out_;
  Side zero_, one_;
  int64_t scan_work_ = 0, scan_budget_ = 0;
  // Per row: what probing does to it (at most one change per row, so
  // each is derived from the row as the model has it).
  enum class RowFate : uint8_t { Keep, Coefficient, Equality };
  std::vector<RowFate> fate_;
  std::vector<CoefficientChange> changes_;
  std::vector<int> change_of_row_;
  std::vector<uint8_t> change_adds_;  // per change: an entry the row lacked
  std::vector<int> row_stamp_;  // rows seen while lifting one side
  int stamp_ = 0;
  int64_t added_ = 0, nonzero_allowance_ = 0;
};

void Prober::probe_side(int j, double value, Side& side) {
  const size_t mark = d_.mark();
  d_.tighten_lower(j, value);
  d_.tighten_upper(j, value);
  side.feasible = !d_.infeasible() && d_.propagate();
  side.cols.clear();
  side.lower.clear();
  side.upper.clear();
  side.tight_rows.clear();
  if (side.feasible) {
    d_.changed_since(mark, side.cols);
    std::sort(side.cols.begin(), side.cols.end());
    for (int k : side.cols) {
      side.lower.push_back(d_.lower(k));
      side.upper.push_back(d_.upper(k));
    }
    // The row scans have a budget of their own: probing goes on without them.
    if (scan_work_ < scan_budget_) {
      inspect_rows(j, value, side);
      lift_rows(j, value, side);
    }
  }
  d_.undo(mark);
}

// With x_j at `value` and the bounds propagated: the one-sided rows of j
// held at their side, and coefficients of j that may shrink. Written as
// Σ a·x <= b (a >= side negated), with R the rest of the row:
//  - at x_j = 0 with a_j > 0, R <= M0 < b: a_j and b both drop by
//    d = min(b - M0, a_j), which changes nothing at x_j = 1 and still
//    allows every R <= M0 at x_j = 0;
//  - at x_j = 1 with a_j < 0, R <= M1 < b - a_j: a_j rises by
//    d = min(b - a_j - M1, -a_j), which changes nothing at x_j = 0.
void Prober::inspect_rows(int j, double value, Side& side) {
  RowReach r;
  for (int64_t e = model_.col_begin[j]; e < model_.col_begin[j + 1]; ++e) {
    const int i = model_.col_row[e];
    if (i >= rows_ || fate_[i] == RowFate::Equality || !row_reach(i, j, r)) continue;
    if (finite(r.least) && r.least >= r.b - kTightMargin * std::max(1.0, std::fabs(r.b))) side.tight_rows.push_back(i);
    if (!finite(r.rest_max) || fate_[i] != RowFate::Keep) continue;
    const double a = r.s * model_.col_val[e];
    const double margin = kReachMargin * std::max({1.0, std::fabs(r.b), std::fabs(r.rest_max)});
    double d = 0.0, shift = 0.0;
    if (value == 0.0 && a > 0.0) {
      d = std::min(r.b - r.rest_max - margin, a);
      shift = -r.s * d;
    } else if (value == 1.0 && a < 0.0) {
      d = std::min(r.b - a - r.rest_max - margin, -a);
    }
    if (d <= 1e-6 * std::max(1.0, std::fabs(a))) continue;
    const double shrunk = d >= std::fabs(a) ? 0.0 : model_.col_val[e] - (a > 0 ? r.s * d : -r.s * d);
    record_change({i, j, shrunk, shift}, false);
  }
}

void Prober::record_change(const CoefficientChange& change, bool adds) {
  fate_[change.row] = RowFate::Coefficient;
  change_of_row_[change.row] = static_cast<int>(changes_.size());
  changes_.push_back(change);
  change_adds_.push_back(adds ? 1 : 0);
  ++out_.coefficients;
  if (adds) ++out_.nonzeros_added;
  else out_.nonzeros_removed += change.value == 0.0;
}

bool Prober::row_reach(int i, int j, RowReach& r) {
  const bool upper_side = std::isinf(model_.row_lo[i]);
  if (upper_side == std::isinf(model_.row_hi[i])) return false;  // ranged, equality or free
  r.s = upper_side ? 1.0 : -1.0;
  r.b = r.s * (upper_side ? model_.row_hi[i] : model_.row_lo[i]);
  r.least = r.rest_max = 0.0;
  for (int64_t k = model_.row_begin[i]; k < model_.row_begin[i + 1]; ++k) {
    const int c = model_.row_col[k];
    const double v = r.s * model_.row_val[k];
    r.least += v > 0 ? v * d_.lower(c) : v * d_.upper(c);
    if (c != j) r.rest_max += v > 0 ? v * d_.upper(c) : v * d_.lower(c);
  }
  scan_work_ += model_.row_begin[i + 1] - model_.row_begin[i];
  return true;
}

// Rows without x_j whose columns x_j = value bounds so that the row cannot
// reach its side (R <= M < b) get x_j as a new entry:
//   at x_j = 0:  R - (b - M)·x_j <= M
//   at x_j = 1:  R + (b - M)·x_j <= b
// both exactly the row at the other value and R <= M at this one.
void Prober::lift_rows(int j, double value, const Side& side) {
  if (added_ >= nonzero_allowance_) return;
  RowReach r;
  ++stamp_;
  for (int64_t e = model_.col_begin[j]; e < model_.col_begin[j + 1]; ++e)
    if (model_.col_row[e] < rows_) row_stamp_[model_.col_row[e]] = stamp_;
  for (int k : side.cols) {
    for (int64_t e = model_.col_begin[k]; e < model_.col_begin[k + 1]; ++e) {
      const int i = model_.col_row[e];
      if (i >= rows_ || row_stamp_[i] == stamp_ || fate_[i] != RowFate::Keep) continue;
      row_stamp_[i] = stamp_;
      if (!row_reach(i, -1, r) || !finite(r.rest_max)) continue;
      const double gap = r.b - r.rest_max - kReachMargin * std::max({1.0, std::fabs(r.b), std::fabs(r.rest_max)});
      if (gap <= kLiftShare * std::max(1.0, std::fabs(r.b))) continue;
      if (value == 0.0) record_change({i, j, -r.s * gap, -r.s * gap}, true);
      else record_change({i, j, r.s * gap, 0.0}, true);
      ++added_;
      if (added_ >= nonzero_allowance_) return;
    }
  }
}

// Bounds one side implies on columns other than binaries (those are the
// clique table's), for implied bound cuts.
void Prober::keep_implied_bounds(int j) {
  const size_t cap = kImpliedBoundsPerColumn * static_cast<size_t>(model_.num_cols);
  for (const Side* side : {&zero_, &one_}) {
    for (size_t a = 0; a < side->cols.size() && out_.implied_bounds.size() < cap; ++a) {
      const int k = side->cols[a];
      if (k == j || is_binary(model_, d_, k)) continue;
      if (side->upper[a] < d_.upper(k)) out_.implied_bounds.push_back({j, side == &one_, k, side->upper[a], true});
      if (side->lower[a] > d_.lower(k)) out_.implied_bounds.push_back({j, side == &one_, k, side->lower[a], false});
    }
  }
}

void Prober::keep_implications(int j) {
  for (const Side* side : {&zero_, &one_}) {
    const bool j_value = side == &one_;
    for (size_t a = 0; a < side->cols.size(); ++a) {
      const int k = side->cols[a];
      if (k == j || model_.kind[k] != ColKind::Integer || model_.lower[k] != 0.0 || model_.upper[k] != 1.0) continue;
      if (side->lower[a] != side->upper[a]) continue;
      // (x_j = j_value) implies (x_k = v): the literal "x_j is j_value"
      // and the literal "x_k is 1 - v" cannot both be true.
      const bool k_value = side->lower[a] == 1.0;
      cliques_.add({literal_of(j, !j_value), literal_of(k, k_value)});
      ++out_.implications;
    }
  }
}

// A row held at its side whichever value the binary takes is an equality.
void Prober::note_equalities() {
  for (int i : zero_.tight_rows) {
    if (std::find(one_.tight_rows.begin(), one_.tight_rows.end(), i) == one_.tight_rows.end()) continue;
    if (fate_[i] == RowFate::Equality) continue;
    if (fate_[i] == RowFate::Coefficient) {
      // The equality says more; the shrunk coefficient is dropped.
      CoefficientChange& c = changes_[change_of_row_[i]];
      --out_.coefficients;
      if (change_adds_[change_of_row_[i]]) --out_.nonzeros_added;
      else out_.nonzeros_removed -= c.value == 0.0;
      c.row = -1;
    }
    fate_[i] = RowFate::Equality;
    ++out_.senses_changed;
  }
}

void Prober::apply_row_changes() {
  std::vector<CoefficientChange> kept;
  for (const CoefficientChange& c : changes_)
    if (c.row >= 0) kept.push_back(c);
  change_coefficients(model_, kept);
  for (int i = 0; i < rows_; ++i) {
    if (fate_[i] != RowFate::Equality) continue;
    if (std::isinf(model_.row_lo[i])) model_.row_lo[i] = model_.row_hi[i];
    else model_.row_hi[i] = model_.row_lo[i];
  }
}

void Prober::progress_line(double started, size_t done, size_t all) {
  msg(env_.results(), "Elapsed time %5.2f sec. for %.0f%% of probing", current_time(env_) - started,
      100.0 * static_cast<double>(done) / static_cast<double>(all));
  const int64_t grown = out_.nonzeros_added - out_.nonzeros_removed;
  if (out_.fixed == 0 && grown == 0) {
    msg(env_.results(), ".\n");
    return;
  }
  msg(env_.results(), " (");
  if (out_.fixed > 0) msg(env_.results(), "%lld vars fixed", static_cast<long long>(out_.fixed));
  if (out_.fixed > 0 && grown != 0) msg(env_.results(), ", ");
  if (grown > 0) msg(env_.results(), "%lld nz added", static_cast<long long>(grown));
  if (grown < 0) msg(env_.results(), "%lld nz removed", static_cast<long long>(-grown));
  msg(env_.results(), ").\n");
}

void Prober::summary(double started) const {
  if (settings_.display < 1) return;
  if (out_.fixed > 0 || out_.tightened > 0)
    msg(env_.results(), "Probing fixed %lld vars, tightened %lld bounds.\n", static_cast<long long>(out_.fixed),
        static_cast<long long>(out_.tightened));
  const int64_t grown = out_.nonzeros_added - out_.nonzeros_removed;
  if (grown > 0) msg(env_.results(), "Probing added %lld nonzeros.\n", static_cast<long long>(grown));
  if (grown < 0) msg(env_.results(), "Probing removed %lld nonzeros.\n", static_cast<long long>(-grown));
  if (out_.senses_changed > 0)
    msg(env_.results(), "Probing changed sense of %lld constraints.\n", static_cast<long long>(out_.senses_changed));
  msg(env_.results(), "Probing time = %7.2f sec.\n", current_time(env_) - started);
}

ProbingOutcome Prober::run() {
  if (settings_.probe < 0) return out_;
  const double started = current_time(env_);
  d_.init(model_, settings_.feasibility, settings_.integrality);
  if (d_.infeasible() || !d_.propagate()) return out_;  // the search finds out itself
  std::vector<int> binaries;
  for (int j = 0; j < model_.num_cols; ++j)
    if (is_binary(model_, d_, j)) binaries.push_back(j);
  if (binaries.empty()) return out_;
  fate_.assign(static_cast<size_t>(rows_), RowFate::Keep);
  row_stamp_.assign(static_cast<size_t>(rows_), 0);
  nonzero_allowance_ = std::max<int64_t>(kLeastAdded, static_cast<int64_t>(model_.row_col.size()) / kAddedShare);
  change_of_row_.assign(static_cast<size_t>(rows_), -1);
  const int level = std::clamp(settings_.probe, 0, 3);
  const uint64_t budget =
      static_cast<uint64_t>(kWorkShare[level]) * static_cast<uint64_t>(model_.row_col.size() + model_.num_cols);
  scan_budget_ = static_cast<int64_t>(budget);
  double last_line = started, last_call = started;
  for (size_t p = 0; p < binaries.size(); ++p) {
    const int j = binaries[p];
    if (keep_going && current_time(env_) - last_call >= kCallbackSeconds) {
      last_call = current_time(env_);
      if (!(*keep_going)()) {
        out_.aborted = true;
        break;
      }
    }
    if (static_cast<uint64_t>(d_.work_done()) > budget ||
        current_time(env_) - started > settings_.probe_time || env_.terminate_requested() || time_limit_reached(env_))
      break;
    if (settings_.display >= 1 && current_time(env_) - last_line >= kProgressSeconds) {
      last_line = current_time(env_);
      progress_line(started, p, binaries.size());
    }
    if (!is_binary(model_, d_, j)) continue;  // fixed by an earlier probe
    probe_side(j, 0.0, zero_);
    probe_side(j, 1.0, one_);
    if (!zero_.feasible && !one_.feasible) break;  // no solution at all: the search proves it
    if (!zero_.feasible || !one_.feasible) {
      const double value = zero_.feasible ? 0.0 : 1.0;
      d_.tighten_lower(j, value);
      d_.tighten_upper(j, value);
      if (d_.infeasible() || !d_.propagate()) break;
      ++out_.fixed;
      continue;
    }
    note_equalities();
    // Bounds that both sides imply; binaries one side fixes.
    for (size_t a = 0; a < zero_.cols.size(); ++a) {
      const int k = zero_.cols[a];
      const auto it = std::lower_bound(one_.cols.begin(), one_.cols.end(), k);
      if (it != one_.cols.end() && *it == k) {
        const size_t b = static_cast<size_t>(it - one_.cols.begin());
        const double lo = std::min(zero_.lower[a], one_.lower[b]), hi = std::max(zero_.upper[a], one_.upper[b]);
        if (lo > d_.lower(k) || hi < d_.upper(k)) {
          d_.tighten_lower(k, lo);
          d_.tighten_upper(k, hi);
          ++(lo == hi ? out_.fixed : out_.tightened);
        }
      }
    }
    if (d_.infeasible() || !d_.propagate()) break;
    keep_implications(j);
    keep_implied_bounds(j);
  }
  env_.ticks.charge(static_cast<uint64_t>(d_.work_done() + scan_work_));
  // What holds globally goes into the search's model.
  for (int k = 0; k < model_.num_cols; ++k) {
    model_.lower[k] = std::max(model_.lower[k], d_.lower(k));
    model_.upper[k] = std::min(model_.upper[k], d_.upper(k));
  }
  apply_row_changes();
  summary(started);
  return std::move(out_);
}

}  // namespace

ProbingOutcome probe(Environment& env, MipModel& model, int rows, const SearchSettings& settings,
                     CliqueTable& cliques, const std::function<bool()>& keep_going) {
  Prober prober(env, model, rows, settings, cliques);
  prober.keep_going = keep_going ? &keep_going : nullptr;
  return prober.run();
}

}  // namespace korva::mip
