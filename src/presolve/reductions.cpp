#include "presolve/reductions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "env/time_limit.h"

namespace korva::presolve {

namespace {

constexpr int kInfeasible = 1117;
constexpr int kInfeasibleOrUnbounded = 1101;
constexpr int kAborted = 1106;
constexpr int kTimeLimit = 1123;
constexpr int kDetTimeLimit = 1124;

constexpr uint64_t kProgressWork = 10000000;
constexpr double kProgressSeconds = 5.0;

constexpr double kFixedGap = 1e-10;     // a column whose bounds are closer is fixed
constexpr double kFeasTol = 1e-6;       // violations beyond this prove infeasibility
constexpr double kRedundantTol = 1e-9;  // implied activity this close to a bound makes it redundant
constexpr double kPivotRatio = 1e-2;    // smallest substitution pivot relative to its row
constexpr int kAutomaticPasses = 200;

// Tolerances relative to a bound; an infinite bound gets none (inf - inf is no number).
double feas_tol(double b) { return std::isinf(b) ? 0.0 : kFeasTol * std::max(1.0, std::fabs(b)); }
double redundant_tol(double b) { return std::isinf(b) ? 0.0 : kRedundantTol * std::max(1.0, std::fabs(b)); }

// Bounds of a row's activity over its active entries, with the number of
// infinite contributions on each side.
struct Activity {
  double min = 0.0, max = 0.0;
  int inf_min = 0, inf_max = 0;
};

class Reducer {
 public:
  Reducer(Environment& env, const Problem& p, PresolveWork& w, const PresolveSettings& s)
      : env_(env), p_(p), w_(w), s_(s) {}

  int run() {
    if (!primal_ok() && !dual_ok()) return 0;
    const int limit = s_.passes < 0 ? kAutomaticPasses : s_.passes;
    if (s_.aggregate != 0 && primal_ok()) w_.counters.aggregator_passes = 1;
    for (int pass = 0; pass < limit; ++pass) {
      bool changed = false;
      if (int code = column_pass(changed)) return code;
      if (int code = row_pass(changed)) return code;
      if (primal_ok())
        if (int code = activity_pass(changed)) return code;
      if (primal_ok() && s_.dependent != 0)
        if (int code = dependent_row_pass(changed)) return code;
      if (dual_ok()) dual_fix_pass(changed);
      if (dual_ok())
        if (int code = dual_bound_pass()) return code;
      if (primal_ok() && s_.aggregate != 0) free_singleton_pass(changed);
      // Each pass reads every entry a few times.
      env_.ticks.charge(static_cast<uint64_t>(3 * w_.cidx.size() + w_.m + w_.n));
      if (int code = limits()) return code;
      progress();
      if (!changed) break;
    }
    // Last look: columns fixed or emptied and rows emptied by the final pass.
    for (bool changed = true; changed;) {
      changed = false;
      if (int code = column_pass(changed)) return code;
      if (int code = row_pass(changed)) return code;
    }
    return 0;
  }

 private:
  // Abort and the two time limits end presolve between passes.
  int limits() const {
    if (env_.terminate_requested()) return kAborted;
    if (time_limit_reached(env_)) return kTimeLimit;
    if (tick_limit_reached(env_)) return kDetTimeLimit;
    return 0;
  }

  // A line now and then during long presolves.
  void progress() {
    const uint64_t ticks = env_.ticks.now();
    const double now = current_time(env_);
    if (last_ticks_ == 0 && last_time_ == 0.0) {
      last_ticks_ = ticks;
      last_time_ = now;
      return;
    }
    if (ticks - last_ticks_ <= kProgressWork || now - last_time_ <= kProgressSeconds) return;
    last_ticks_ = ticks;
    last_time_ = now;
    const bool aggregating = w_.counters.substitutions > last_substitutions_;
    last_substitutions_ = w_.counters.substitutions;
    if (!s_.messages) return;
    if (aggregating)
      msg(env_.results(), "Aggregator has done %lld substitutions...\n", w_.counters.substitutions);
    else
      msg(env_.results(), "Presolve has eliminated %lld rows and %lld columns...\n", w_.counters.rows_removed,
          w_.counters.cols_removed);
  }

  bool primal_ok() const { return s_.reduce == 1 || s_.reduce == 3; }
  bool dual_ok() const { return s_.reduce >= 2; }

  const char* row_name(int i) const { return s_.messages ? p_.row_name(i) : nullptr; }
  const char* col_name(int j) const { return s_.messages ? p_.col_name(j) : nullptr; }

  Activity activity(int i, int skip = -1) const {
    Activity act;
    for (int64_t k = w_.rbeg[i]; k < w_.rbeg[i + 1]; ++k) {
      const int j = w_.ridx[k];
      if (!w_.col_alive[j] || j == skip) continue;
      const double a = w_.rval[k];
      const double lo = a > 0 ? w_.lb[j] : w_.ub[j];
      const double hi = a > 0 ? w_.ub[j] : w_.lb[j];
      if (std::isinf(lo)) ++act.inf_min; else act.min += a * lo;
      if (std::isinf(hi)) ++act.inf_max; else act.max += a * hi;
    }
    return act;
  }

  int bound_infeasible(int j) {
    if (const char* name = col_name(j)) msg(env_.results(), "Bound infeasibility column '%.255s'.\n", name);
    return kInfeasible;
  }

  int column_pass(bool& changed) {
    for (int j = 0; j < w_.n; ++j) {
      if (!w_.col_alive[j]) continue;
      double& lb = w_.lb[j];
      double& ub = w_.ub[j];
      if (lb > ub + feas_tol(lb)) return bound_infeasible(j);
      if (ub - lb < kFixedGap) {
        w_.fix_column(j, lb <= ub ? lb : ub);
        changed = true;
      } else if (w_.col_len[j] == 0) {
        if (int code = empty_column(j)) return code;
        changed = true;
      }
    }
    return 0;
  }

  // An empty column goes to the bound its cost prefers; with no cost it
  // takes 0 clipped into its bounds.
  int empty_column(int j) {
    const double c = w_.cost[j];
    double value = 0.0;
    if (c > 0) {
      if (std::isinf(w_.lb[j])) return dual_infeasible_column(j);
      value = w_.lb[j];
    } else if (c < 0) {
      if (std::isinf(w_.ub[j])) return dual_infeasible_column(j);
      value = w_.ub[j];
    } else {
      value = std::clamp(0.0, w_.lb[j], w_.ub[j]);
    }
    w_.fix_column(j, value);
    return 0;
  }

  int dual_infeasible_column(int j) {
    if (const char* name = col_name(j)) msg(env_.results(), "Dual infeasible due to empty column '%.255s'.\n", name);
    return kInfeasibleOrUnbounded;
  }

  int row_pass(bool& changed) {
    for (int i = 0; i < w_.m; ++i) {
      if (!w_.row_alive[i]) continue;
      if (w_.row_len[i] == 0) {
        if (int code = empty_row(i)) return code;
        changed = true;
      } else if (w_.row_len[i] == 1 && primal_ok()) {
        if (int code = singleton_row(i)) return code;
        changed = true;
      }
    }
    return 0;
  }

  int empty_row(int i) {
    const double lo = w_.rlo[i], hi = w_.rhi[i];
    if (lo > feas_tol(lo) || hi < -feas_tol(hi)) {
      if (const char* name = row_name(i)) {
        const char relation = lo == hi ? '=' : (lo > 0 ? '>' : '<');
        msg(env_.results(), "Infeasibility row '%.255s':  0 %c= %g.\n", name, relation, lo > 0 ? lo : hi);
      }
      return kInfeasible;
    }
    w_.remove_row(i);
    return 0;
  }

  // a·x_j within [rlo, rhi] becomes bounds of x_j.
  int singleton_row(int i) {
    int j = -1;
    double a = 0.0;
    for (int64_t k = w_.rbeg[i]; k < w_.rbeg[i + 1]; ++k)
      if (w_.col_alive[w_.ridx[k]]) {
        j = w_.ridx[k];
        a = w_.rval[k];
        break;
      }
    const double implied_lo = a > 0 ? w_.rlo[i] / a : w_.rhi[i] / a;
    const double implied_hi = a > 0 ? w_.rhi[i] / a : w_.rlo[i] / a;
    Reduction r;
    r.kind = ReductionKind::SingletonRow;
    r.row = i;
    r.col = j;
    r.a = a;
    r.cost = w_.cost[j];
    r.old_lb = w_.lb[j];
    r.old_ub = w_.ub[j];
    double lb = w_.lb[j], ub = w_.ub[j];
    if (implied_lo > lb + redundant_tol(lb)) {
      lb = implied_lo;
      ++w_.counters.bound_improvements;
    }
    if (implied_hi < ub - redundant_tol(ub)) {
      ub = implied_hi;
      ++w_.counters.bound_improvements;
    }
    if (lb > ub + feas_tol(lb)) return bound_infeasible(j);
    if (lb > ub) {
      // Crossed within the tolerance: meet at an original bound when one is involved.
      if (lb == r.old_lb) ub = lb; else lb = ub;
    }
    w_.lb[j] = r.lb = lb;
    w_.ub[j] = r.ub = ub;
    w_.stack.push_back(r);
    w_.drop_row(i);
    return 0;
  }

  int implied_infeasible(int i) {
    if (const char* name = row_name(i)) msg(env_.results(), "Implied bounds make row '%.255s' infeasible.\n", name);
    return kInfeasible;
  }

  int activity_pass(bool& changed) {
    for (int i = 0; i < w_.m; ++i) {
      if (!w_.row_alive[i] || w_.row_len[i] < 2) continue;
      const Activity act = activity(i);
      double& lo = w_.rlo[i];
      double& hi = w_.rhi[i];
      const bool min_finite = act.inf_min == 0, max_finite = act.inf_max == 0;
      if (min_finite && hi < kInf && act.min > hi + feas_tol(hi)) return implied_infeasible(i);
      if (max_finite && lo > -kInf && act.max < lo - feas_tol(lo)) return implied_infeasible(i);
      const bool lo_redundant = lo == -kInf || (min_finite && act.min >= lo - redundant_tol(lo));
      const bool hi_redundant = hi == kInf || (max_finite && act.max <= hi + redundant_tol(hi));
      if (lo_redundant && hi_redundant) {
        w_.remove_row(i);
        changed = true;
      } else if (min_finite && hi < kInf && act.min >= hi - redundant_tol(hi)) {
        forcing_row(i, -1);
        changed = true;
      } else if (max_finite && lo > -kInf && act.max <= lo + redundant_tol(lo)) {
        forcing_row(i, +1);
        changed = true;
      } else {
        // A side the row can never reach is dropped; its dual would be 0.
        if (lo_redundant && lo > -kInf) lo = -kInf;
        if (hi_redundant && hi < kInf) hi = kInf;
      }
    }
    return 0;
  }

  // Every column of the row sits at the bound that gives the row its
  // extreme activity (side -1: minimum, +1: maximum).
  void forcing_row(int i, int side) {
    Reduction r;
    r.kind = ReductionKind::ForcingRow;
    r.row = i;
    r.side = side;
    w_.stack.push_back(r);
    for (int64_t k = w_.rbeg[i]; k < w_.rbeg[i + 1]; ++k) {
      const int j = w_.ridx[k];
      if (!w_.col_alive[j]) continue;
      const bool at_lower = (w_.rval[k] > 0) == (side < 0);
      w_.fix_column(j, at_lower ? w_.lb[j] : w_.ub[j]);
    }
    w_.drop_row(i);
  }

  // Hash of a row's pattern and its coefficients relative to the first, so
  // that multiples of one row meet in one bucket.
  uint64_t row_key(int i) const {
    uint64_t h = 1469598103934665603ull;
    double first = 0.0;
    for (int64_t k = w_.rbeg[i]; k < w_.rbeg[i + 1]; ++k) {
      const int j = w_.ridx[k];
      if (!w_.col_alive[j]) continue;
      if (first == 0.0) first = w_.rval[k];
      const long long scaled = std::llround(w_.rval[k] / first * 1e6);
      h = (h ^ static_cast<uint64_t>(j)) * 1099511628211ull;
      h = (h ^ static_cast<uint64_t>(scaled)) * 1099511628211ull;
    }
    return h;
  }

  // Ratio r with row(other) = r·row(eq) over the active entries, or 0.
  double multiple_of(int eq, int other) const {
    if (w_.row_len[eq] != w_.row_len[other]) return 0.0;
    int64_t a = w_.rbeg[eq], b = w_.rbeg[other];
    double ratio = 0.0;
    for (;;) {
      while (a < w_.rbeg[eq + 1] && !w_.col_alive[w_.ridx[a]]) ++a;
      while (b < w_.rbeg[other + 1] && !w_.col_alive[w_.ridx[b]]) ++b;
      const bool end_a = a == w_.rbeg[eq + 1], end_b = b == w_.rbeg[other + 1];
      if (end_a || end_b) return end_a && end_b ? ratio : 0.0;
      if (w_.ridx[a] != w_.ridx[b]) return 0.0;
      const double r = w_.rval[b] / w_.rval[a];
      if (ratio == 0.0)
        ratio = r;
      else if (std::fabs(r - ratio) > 1e-12 * std::fabs(ratio))
        return 0.0;
      ++a;
      ++b;
    }
  }

  // A row that is a multiple of an equality row either always holds (it
  // goes) or never does.
  int dependent_row_pass(bool& changed) {
    std::unordered_map<uint64_t, std::vector<int>> buckets;
    for (int i = 0; i < w_.m; ++i)
      if (w_.row_alive[i] && w_.row_len[i] >= 2) buckets[row_key(i)].push_back(i);
    for (auto& [key, rows] : buckets) {
      if (rows.size() < 2) continue;
      for (size_t p = 0; p < rows.size(); ++p) {
        const int eq = rows[p];
        if (!w_.row_alive[eq] || w_.rlo[eq] != w_.rhi[eq]) continue;
        for (size_t q = 0; q < rows.size(); ++q) {
          const int other = rows[q];
          if (other == eq || !w_.row_alive[other]) continue;
          const double ratio = multiple_of(eq, other);
          if (ratio == 0.0) continue;
          const double value = ratio * w_.rlo[eq];
          const double lo = w_.rlo[other], hi = w_.rhi[other];
          if (value < lo - feas_tol(lo) || value > hi + feas_tol(hi)) {
            if (const char* name = row_name(other))
              msg(env_.results(), "Row '%.255s' is dependent and infeasible.\n", name);
            return kInfeasible;
          }
          w_.remove_row(other);
          changed = true;
        }
      }
    }
    return 0;
  }

  // A column that no row stops from moving in the direction its cost
  // prefers goes to that bound.
  void dual_fix_pass(bool& changed) {
    for (int j = 0; j < w_.n; ++j) {
      if (!w_.col_alive[j] || w_.col_len[j] == 0) continue;
      bool down_locked = false, up_locked = false;
      for (int64_t k = w_.cbeg[j]; k < w_.cbeg[j + 1]; ++k) {
        const int i = w_.cidx[k];
        if (!w_.row_alive[i]) continue;
        const bool lo = w_.rlo[i] > -kInf, hi = w_.rhi[i] < kInf;
        if (w_.cval[k] > 0) {
          up_locked |= hi;
          down_locked |= lo;
        } else {
          up_locked |= lo;
          down_locked |= hi;
        }
        if (up_locked && down_locked) break;
      }
      const double c = w_.cost[j];
      if (c >= 0 && !down_locked && w_.lb[j] > -kInf) {
        w_.fix_column(j, w_.lb[j]);
        changed = true;
      } else if (c <= 0 && !up_locked && w_.ub[j] < kInf) {
        w_.fix_column(j, w_.ub[j]);
        changed = true;
      }
    }
  }

  // A free column alone in a one-sided row fixes that row's dual at
  // cost / a; a dual of the sign the row cannot take proves the problem
  // dual infeasible.
  int dual_bound_pass() {
    for (int j = 0; j < w_.n; ++j) {
      if (!w_.col_alive[j] || w_.col_len[j] != 1 || w_.lb[j] > -kInf || w_.ub[j] < kInf) continue;
      int i = -1;
      double a = 0.0;
      for (int64_t k = w_.cbeg[j]; k < w_.cbeg[j + 1]; ++k)
        if (w_.row_alive[w_.cidx[k]]) {
          i = w_.cidx[k];
          a = w_.cval[k];
          break;
        }
      const double dual = w_.cost[j] / a;
      const bool only_upper = w_.rlo[i] == -kInf && w_.rhi[i] < kInf;
      const bool only_lower = w_.rhi[i] == kInf && w_.rlo[i] > -kInf;
      if ((only_upper && dual > 0) || (only_lower && dual < 0)) {
        if (const char* name = row_name(i))
          msg(env_.results(), "Dual infeasible due to dual bounds, row '%.255s'.\n", name);
        return kInfeasibleOrUnbounded;
      }
    }
    return 0;
  }

  // A column alone in an equality row whose bounds the row implies anyway
  // is substituted out: the row defines it.
  void free_singleton_pass(bool& changed) {
    for (int j = 0; j < w_.n; ++j) {
      if (!w_.col_alive[j] || w_.col_len[j] != 1) continue;
      int i = -1;
      double a = 0.0;
      for (int64_t k = w_.cbeg[j]; k < w_.cbeg[j + 1]; ++k)
        if (w_.row_alive[w_.cidx[k]]) {
          i = w_.cidx[k];
          a = w_.cval[k];
          break;
        }
      if (w_.rlo[i] != w_.rhi[i] || w_.row_len[i] < 2) continue;
      double largest = 0.0;
      for (int64_t k = w_.rbeg[i]; k < w_.rbeg[i + 1]; ++k)
        if (w_.col_alive[w_.ridx[k]]) largest = std::max(largest, std::fabs(w_.rval[k]));
      if (std::fabs(a) < kPivotRatio * largest) continue;
      if (implied_free(i, j, a))
        substitute(i, j, a);
      else
        absorb_slack(i, j, a);
      changed = true;
    }
  }

  bool implied_free(int i, int j, double a) const {
    const bool lb_free = w_.lb[j] == -kInf, ub_free = w_.ub[j] == kInf;
    if (lb_free && ub_free) return true;
    const Activity rest = activity(i, j);
    const double b = w_.rlo[i];
    // x_j = (b - rest) / a.
    double lo, hi;
    if (a > 0) {
      lo = rest.inf_max ? -kInf : (b - rest.max) / a;
      hi = rest.inf_min ? kInf : (b - rest.min) / a;
    } else {
      lo = rest.inf_min ? -kInf : (b - rest.min) / a;
      hi = rest.inf_max ? kInf : (b - rest.max) / a;
    }
    const bool lb_implied = lb_free || lo >= w_.lb[j] - redundant_tol(w_.lb[j]);
    const bool ub_implied = ub_free || hi <= w_.ub[j] + redundant_tol(w_.ub[j]);
    return lb_implied && ub_implied;
  }

  // b = a_i·x + a·x_j with x_j in [l, u]: the column acts as the row's
  // slack, so the row keeps a_i·x between b - a·u and b - a·l instead.
  void absorb_slack(int i, int j, double a) {
    Reduction r;
    r.kind = ReductionKind::SlackSingleton;
    r.row = i;
    r.col = j;
    r.a = a;
    r.value = w_.rlo[i];
    r.cost = w_.cost[j];
    r.lb = w_.lb[j];
    r.ub = w_.ub[j];
    w_.stack.push_back(r);
    shift_costs(i, j, a, r.value);
    const double from_lb = r.value - a * r.lb, from_ub = r.value - a * r.ub;
    w_.rlo[i] = std::min(from_lb, from_ub);
    w_.rhi[i] = std::max(from_lb, from_ub);
    w_.drop_column(j);
    ++w_.counters.substitutions;
  }

  // The cost of x_j moves onto the other columns of its defining row.
  void shift_costs(int i, int j, double a, double b) {
    const double ratio = w_.cost[j] / a;
    if (ratio == 0.0) return;
    for (int64_t k = w_.rbeg[i]; k < w_.rbeg[i + 1]; ++k) {
      const int col = w_.ridx[k];
      if (col != j && w_.col_alive[col]) w_.cost[col] -= ratio * w_.rval[k];
    }
    w_.offset += ratio * b;
  }

  void substitute(int i, int j, double a) {
    Reduction r;
    r.kind = ReductionKind::FreeSingleton;
    r.row = i;
    r.col = j;
    r.a = a;
    r.value = w_.rlo[i];
    r.cost = w_.cost[j];
    w_.stack.push_back(r);
    shift_costs(i, j, a, r.value);
    w_.drop_column(j);
    w_.drop_row(i);
    ++w_.counters.substitutions;
  }

  uint64_t last_ticks_ = 0;
  long long last_substitutions_ = 0;
  double last_time_ = 0.0;
  Environment& env_;
  const Problem& p_;
  PresolveWork& w_;
  const PresolveSettings& s_;
};

}  // namespace

int run_reductions(Environment& env, const Problem& original, PresolveWork& w, const PresolveSettings& settings) {
  return Reducer(env, original, w, settings).run();
}

}  // namespace korva::presolve
