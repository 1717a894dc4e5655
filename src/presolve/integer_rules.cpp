// Reductions that integrality allows: integer bounds rounded and tightened
// from the rows (with the bounds the rows imply for continuous columns), equality rows that no integer point satisfies, sides of
// all-integer rows rounded, big-M coefficients strengthened, set-packing
// rows contained in other ones dropped, and continuous columns that every
// solution makes integral. Each keeps every integer-feasible point of the
// problem and may cut off fractional ones.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

#include "env/channel.h"
#include "presolve/reducer.h"

namespace korva::presolve {

namespace {

// A bound this close to an integer is that integer.
constexpr double kIntegralTol = 1e-6;
// Coefficients and sides this close to an integer count as integral.
constexpr double kCoefTol = 1e-9;
// Integer bounds beyond this are left alone: the doubles no longer tell
// neighbouring integers apart reliably.
constexpr double kLargestIntegerBound = 1e15;
// Strengthening keeps this share of the row's size in hand, so that
// rounding in the activity bound cannot make it cut off a solution.
constexpr double kSafety = 1e-9;
// Coefficient changes smaller than this share are not worth making.
constexpr double kWorthwhile = 1e-3;
// Entries read per set-packing row to find rows that contain it.
constexpr int64_t kPackingScanLimit = 2000;

double round_up(double b) { return std::isinf(b) ? b : std::ceil(b - kIntegralTol); }
double round_down(double b) { return std::isinf(b) ? b : std::floor(b + kIntegralTol); }

bool integral(double v, double scale = 1.0) { return std::fabs(v - std::round(v)) <= kCoefTol * std::max(1.0, scale); }

}  // namespace

int Reducer::integer_infeasible_column(int j) {
  if (const char* name = col_name(j)) msg(env_.results(), "Integer infeasible column '%.255s'.\n", name);
  return kInfeasible;
}

// Moves the bounds of integer column j to [lo, hi] rounded inward.
int Reducer::set_integer_bounds(int j, double lo, double hi) {
  lo = round_up(lo);
  hi = round_down(hi);
  if (lo > hi) return integer_infeasible_column(j);
  double& lb = w_.lb[j];
  double& ub = w_.ub[j];
  if (lo > lb) {
    if (lo > lb + kIntegralTol) ++w_.counters.bound_improvements;
    lb = lo;
  }
  if (hi < ub) {
    if (hi < ub - kIntegralTol) ++w_.counters.bound_improvements;
    ub = hi;
  }
  return 0;
}

// Equality rows of integer columns with integer coefficients need a side
// that the coefficients' common divisor divides; inequality rows of that
// kind round their sides to the nearest multiple inside.
int Reducer::integer_row_pass(bool& changed) {
  for (int i = 0; i < w_.m; ++i) {
    if (!w_.row_alive[i] || w_.row_len[i] == 0) continue;
    long long divisor = 0;
    bool all_integer = true;
    for (int64_t k = w_.rbeg[i]; k < w_.rend[i] && all_integer; ++k) {
      const int j = w_.ridx[k];
      if (!w_.col_alive[j]) continue;
      const double a = w_.rval[k];
      all_integer = w_.integer[j] && !w_.frozen[j] && std::fabs(a) < kLargestIntegerBound && integral(a);
      if (all_integer) divisor = std::gcd(divisor, std::llabs(std::llround(a)));
    }
    if (!all_integer || divisor == 0) continue;
    const double g = static_cast<double>(divisor);
    double& lo = w_.rlo[i];
    double& hi = w_.rhi[i];
    if (lo == hi) {
      if (std::fabs(lo) < kLargestIntegerBound && !integral(lo / g, std::fabs(lo / g))) {
        if (const char* name = row_name(i))
          msg(env_.results(), "Integer infeasible equality row '%.255s'.\n", name);
        return kInfeasible;
      }
      continue;
    }
    const double new_lo = std::fabs(lo) < kLargestIntegerBound ? g * round_up(lo / g) : lo;
    const double new_hi = std::fabs(hi) < kLargestIntegerBound ? g * round_down(hi / g) : hi;
    if (new_lo > new_hi) {
      if (const char* name = row_name(i)) msg(env_.results(), "Implied bounds make row '%.255s' infeasible.\n", name);
      return kInfeasible;
    }
    if (new_lo > lo + kIntegralTol || new_hi < hi - kIntegralTol) changed = true;
    lo = std::max(lo, new_lo);
    hi = std::min(hi, new_hi);
  }
  env_.ticks.charge(static_cast<uint64_t>(w_.m + w_.cidx.size()));
  return 0;
}

// Bounds every feasible point keeps: the column's own, and for a
// continuous column the tighter ones its rows imply. Those stay apart from
// the column's bounds: the LP rules and the reduced problem see its own.
double Reducer::lowest(int j) const {
  return w_.integer[j] || w_.frozen[j] || implied_lb_.empty() ? w_.lb[j] : std::max(w_.lb[j], implied_lb_[j]);
}
double Reducer::highest(int j) const {
  return w_.integer[j] || w_.frozen[j] || implied_ub_.empty() ? w_.ub[j] : std::min(w_.ub[j], implied_ub_[j]);
}

Activity Reducer::implied_activity(int i) const {
  Activity act;
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
    const int j = w_.ridx[k];
    if (!w_.col_alive[j]) continue;
    const double a = w_.rval[k];
    const double lo = a > 0 ? lowest(j) : highest(j);
    const double hi = a > 0 ? highest(j) : lowest(j);
    if (std::isinf(lo)) ++act.inf_min; else act.min += a * lo;
    if (std::isinf(hi)) ++act.inf_max; else act.max += a * hi;
  }
  return act;
}

// Bounds from the activity bounds of the rows: with the rest of row i at
// its extreme, a_j·x_j has to stay within the row's sides. Integer columns
// take them (rounded); continuous ones keep them as implied bounds, which
// feed the next rows and the big-M strengthening. Both candidates of an
// entry come from the bounds the row's activity was computed with.
int Reducer::bound_pass(bool& changed) {
  constexpr int kSweeps = 4;
  // An implied bound must gain this share to count: no endless creeping.
  constexpr double kImpliedGain = 1e-3;
  if (implied_lb_.size() != static_cast<size_t>(w_.n)) {
    implied_lb_.assign(w_.n, -kInf);
    implied_ub_.assign(w_.n, kInf);
  }
  int64_t work = 0;
  for (int sweep = 0; sweep < kSweeps; ++sweep) {
    bool implied_progress = false;
    for (int i = 0; i < w_.m; ++i) {
      if (!w_.row_alive[i] || w_.row_len[i] < 2) continue;
      const double lo = w_.rlo[i], hi = w_.rhi[i];
      const Activity act = implied_activity(i);
      work += w_.rend[i] - w_.rbeg[i];
      const bool use_hi = hi < kInf && act.inf_min <= 1, use_lo = lo > -kInf && act.inf_max <= 1;
      if (!use_hi && !use_lo) continue;
      for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
        const int j = w_.ridx[k];
        if (!w_.col_alive[j] || w_.frozen[j]) continue;
        const double a = w_.rval[k];
        const double at_min = a > 0 ? lowest(j) : highest(j);
        const double at_max = a > 0 ? highest(j) : lowest(j);
        double new_lb = -kInf, new_ub = kInf;
        // a·x_j <= hi - (smallest activity of the rest)
        if (use_hi && act.inf_min == (std::isinf(at_min) ? 1 : 0)) {
          const double rest = std::isinf(at_min) ? act.min : act.min - a * at_min;
          const double room = (hi - rest) / a;
          const double slack = kSafety * (std::fabs(hi) + std::fabs(act.min) + std::fabs(rest)) / std::fabs(a);
          if (a > 0) new_ub = room + slack; else new_lb = room - slack;
        }
        // a·x_j >= lo - (largest activity of the rest)
        if (use_lo && act.inf_max == (std::isinf(at_max) ? 1 : 0)) {
          const double rest = std::isinf(at_max) ? act.max : act.max - a * at_max;
          const double room = (lo - rest) / a;
          const double slack = kSafety * (std::fabs(lo) + std::fabs(act.max) + std::fabs(rest)) / std::fabs(a);
          if (a > 0) new_lb = std::max(new_lb, room - slack); else new_ub = std::min(new_ub, room + slack);
        }
        if (!w_.integer[j]) {
          // A finite bound beats an infinite one; a finite one has to gain.
          const double lb = lowest(j), ub = highest(j);
          const double lb_gain = std::isinf(lb) ? 0.0 : kImpliedGain * std::max(1.0, std::fabs(lb));
          const double ub_gain = std::isinf(ub) ? 0.0 : kImpliedGain * std::max(1.0, std::fabs(ub));
          if (new_lb > -kLargestIntegerBound && new_lb > lb + lb_gain) {
            implied_lb_[j] = new_lb;
            implied_progress = true;
          }
          if (new_ub < kLargestIntegerBound && new_ub < ub - ub_gain) {
            implied_ub_[j] = new_ub;
            implied_progress = true;
          }
          continue;
        }
        const bool tighter_lb = new_lb > -kLargestIntegerBound && round_up(new_lb) > w_.lb[j] + 0.5;
        const bool tighter_ub = new_ub < kLargestIntegerBound && round_down(new_ub) < w_.ub[j] - 0.5;
        if (!tighter_lb && !tighter_ub) continue;
        if (int code = set_integer_bounds(j, tighter_lb ? new_lb : w_.lb[j], tighter_ub ? new_ub : w_.ub[j]))
          return code;
        changed = true;
      }
    }
    if (!implied_progress) break;
  }
  env_.ticks.charge(static_cast<uint64_t>(work + w_.m));
  return 0;
}

// Writes a coefficient of row i into both copies of the matrix.
void Reducer::set_coefficient(int i, int64_t row_entry, double value) {
  w_.rval[row_entry] = value;
  const int j = w_.ridx[row_entry];
  for (int64_t k = w_.cbeg[j]; k < w_.cend[j]; ++k)
    if (w_.cidx[k] == i) {
      w_.cval[k] = value;
      break;
    }
  w_.row_changed[i] = 1;
  w_.col_changed[j] = 1;
  ++w_.counters.coefs_modified;
}

// Big-M rows. In Σ a_j·x_j <= b with largest activity M > b, a binary
// column y whose one value makes the row redundant carries more
// coefficient than it needs:
//  - a_y < 0 and M + a_y < b (y = 1 frees the row): a_y rises to b - M;
//  - a_y > 0 and M - a_y < b (y = 0 frees the row): with d = b - (M - a_y),
//    a_y and b both fall by d.
// Both keep the row's integer points and shrink its LP region.
void Reducer::coefficient_pass(bool& changed) {
  int64_t work = 0;
  for (int i = 0; i < w_.m; ++i) {
    if (!w_.row_alive[i] || w_.row_len[i] < 2) continue;
    const bool has_lo = w_.rlo[i] > -kInf, has_hi = w_.rhi[i] < kInf;
    if (has_lo == has_hi) continue;  // equalities and ranges: both sides bind
    const double s = has_hi ? 1.0 : -1.0;
    double b = s > 0 ? w_.rhi[i] : -w_.rlo[i];
    double most = 0.0, size = std::fabs(b);
    bool finite = true;
    work += w_.rend[i] - w_.rbeg[i];
    for (int64_t k = w_.rbeg[i]; k < w_.rend[i] && finite; ++k) {
      const int j = w_.ridx[k];
      if (!w_.col_alive[j]) continue;
      const double a = s * w_.rval[k];
      const double end = a > 0 ? highest(j) : lowest(j);
      finite = !std::isinf(end);
      most += a * end;
      size += std::fabs(a * end);
    }
    if (!finite) continue;
    const double margin = kSafety * std::max(1.0, size);
    if (most <= b + margin) continue;  // redundant; the activity pass drops it
    for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
      const int j = w_.ridx[k];
      if (!w_.col_alive[j] || !w_.integer[j] || w_.frozen[j] || w_.lb[j] != 0.0 || w_.ub[j] != 1.0) continue;
      const double a = s * w_.rval[k];
      const double d = a < 0 ? b - (most + a) : b - (most - a);
      const double step = d - margin;
      if (step <= kWorthwhile * std::fabs(a)) continue;
      if (a < 0) {
        set_coefficient(i, k, s * (a + step));
      } else {
        set_coefficient(i, k, s * (a - step));
        b -= step;
        most -= step;
        if (s > 0) w_.rhi[i] = b; else w_.rlo[i] = -b;
      }
      changed = true;
    }
  }
  env_.ticks.charge(static_cast<uint64_t>(work + w_.m));
}

// A set-packing row (binaries with coefficient 1, at most one of them at
// 1) whose columns all lie in another set-packing row says nothing the
// other one does not say.
bool Reducer::set_packing_row(int i) const {
  if (!w_.row_alive[i] || w_.row_len[i] < 2 || w_.rlo[i] > -kInf || w_.rhi[i] != 1.0) return false;
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
    const int j = w_.ridx[k];
    if (!w_.col_alive[j]) continue;
    if (w_.rval[k] != 1.0 || !w_.integer[j] || w_.frozen[j] || w_.lb[j] != 0.0 || w_.ub[j] != 1.0) return false;
  }
  return true;
}

void Reducer::set_packing_pass(bool& changed) {
  std::vector<uint8_t> packing(static_cast<size_t>(w_.m), 0);
  bool any = false;
  for (int i = 0; i < w_.m; ++i) any |= (packing[i] = set_packing_row(i)) != 0;
  if (!any) return;
  int64_t work = w_.m;
  for (int i = 0; i < w_.m; ++i) {
    if (!packing[i] || !w_.row_alive[i]) continue;
    // The rows to compare with all hold the row's sparsest column.
    const int stamp = next_stamp();
    int sparsest = -1;
    for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
      const int j = w_.ridx[k];
      if (!w_.col_alive[j]) continue;
      col_mark_[j] = stamp;
      if (sparsest < 0 || w_.col_len[j] < w_.col_len[sparsest]) sparsest = j;
    }
    int64_t scanned = 0;
    for (int64_t c = w_.cbeg[sparsest]; c < w_.cend[sparsest] && scanned < kPackingScanLimit; ++c) {
      const int other = w_.cidx[c];
      if (other == i || !packing[other] || !w_.row_alive[other]) continue;
      const int len = w_.row_len[other];
      if (len < w_.row_len[i] || (len == w_.row_len[i] && other > i)) continue;
      int inside = 0;
      for (int64_t k = w_.rbeg[other]; k < w_.rend[other]; ++k)
        inside += w_.col_alive[w_.ridx[k]] && col_mark_[w_.ridx[k]] == stamp;
      scanned += w_.rend[other] - w_.rbeg[other];
      if (inside != w_.row_len[i]) continue;
      w_.remove_row(i);
      changed = true;
      break;
    }
    work += scanned + w_.row_len[i];
  }
  env_.ticks.charge(static_cast<uint64_t>(work));
}

// A continuous column with coefficient a in an equality row whose other
// columns are integer, with coefficients and side multiples of a, takes
// an integer value in every solution.
bool Reducer::implied_integer(int j) const {
  for (int64_t c = w_.cbeg[j]; c < w_.cend[j]; ++c) {
    const int i = w_.cidx[c];
    if (!w_.row_alive[i] || w_.rlo[i] != w_.rhi[i]) continue;
    const double a = w_.cval[c];
    if (!integral(w_.rlo[i] / a)) continue;
    bool all = true;
    for (int64_t k = w_.rbeg[i]; k < w_.rend[i] && all; ++k) {
      const int col = w_.ridx[k];
      if (col == j || !w_.col_alive[col]) continue;
      all = w_.integer[col] && integral(w_.rval[k] / a);
    }
    if (all) return true;
  }
  return false;
}

int Reducer::implied_integer_pass() {
  for (int j = 0; j < w_.n; ++j) {
    if (!w_.col_alive[j] || !w_.substitutable(j) || !implied_integer(j)) continue;
    w_.integer[j] = 1;
    ++w_.counters.implied_integers;
    if (int code = set_integer_bounds(j, w_.lb[j], w_.ub[j])) return code;
  }
  env_.ticks.charge(static_cast<uint64_t>(w_.n + w_.cidx.size()));
  return 0;
}

}  // namespace korva::presolve
