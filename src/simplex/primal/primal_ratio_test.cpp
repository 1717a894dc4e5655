#include "simplex/primal/primal_ratio_test.h"

#include <algorithm>
#include <cmath>

namespace korva::simplex {

namespace {

constexpr double kZeroAlpha = 1e-13;
// Largest candidate pivot below which no basic variable can leave.
constexpr double kNoPivot = 1e-9;
// Pivots smaller than this (absolutely, or relative to the largest) are
// not taken on an updated factor.
constexpr double kSmallPivot = 1e-8;
// Slightly above 1, so that ties between the step bound and the entering
// variable's range go to the flip.
constexpr double kFlipMargin = 1.0000000000000002;
constexpr double kLogicalScore = 0.4999;
constexpr int kCountCap = 50;
// A breakpoint whose pivot is below this share of the largest one passed
// before it does not leave: the larger one does.
constexpr double kPoorPivotShare = 0.01;

}  // namespace

namespace {
RatioResult blocking_choice(PrimalState& st, int count, double max_pivot, double range);
RatioResult long_step(PrimalState& st, int passable, const RatioResult& blocking, double range, double slope);
}  // namespace

RatioResult primal_ratio_test(PrimalState& st, int entering, int direction, double range) {
  const SimplexWork& w = st.w;
  PrimalScratch& s = st.s;
  const SparseVector& col = s.col_aq;
  const double t = st.feas_tol_work;
  const bool phase1 = st.phase == 1;
  int* cand = s.candidate.data();
  double* ratio = s.candidate_ratio.data();
  double* pivot = s.candidate_pivot.data();
  char* lower = s.candidate_lower.data();
  const double* x_basic = w.x_basic.data();
  const double* basic_lower = w.basic_lower.data();
  const double* basic_upper = w.basic_upper.data();
  int count = 0;
  int passable = 0;
  double max_pivot = 0.0;

  // Candidates: each basic variable moving towards a bound that stops it.
  for (int k = 0; k < col.count; ++k) {
    const int r = col.index[k];
    const double a = col.values[r];
    if (std::fabs(a) <= kZeroAlpha) continue;
    const double rate = -direction * a;  // change of x_basic[r] per unit step
    const double x = x_basic[r];
    const double lo = basic_lower[r], up = basic_upper[r];
    double bound;
    bool to_lower;
    const double p = std::fabs(rate);
    if (phase1 && p > kNoPivot && ((rate > 0.0 && x < lo - t) || (rate < 0.0 && x > up + t))) {
      // A breakpoint; the opposite bound, when finite, still blocks.
      const bool below = rate > 0.0;
      s.pass_row[passable] = r;
      s.pass_ratio[passable] = ((below ? lo : up) - x) / rate;
      s.pass_pivot[passable] = p;
      s.pass_lower[passable] = below;
      ++passable;
      const double opposite = below ? up : lo;
      if (opposite == (below ? kInf : -kInf)) continue;
      cand[count] = r;
      ratio[count] = (opposite - x) / rate;
      pivot[count] = p;
      lower[count] = !below;
      ++count;
      if (p > max_pivot) max_pivot = p;
      continue;
    }
    if (rate > 0.0) {
      if (phase1 && x < lo - t) {
        bound = lo;
        to_lower = true;
      } else if (up < kInf && !(x > up + t)) {
        bound = up;
        to_lower = false;
      } else {
        continue;
      }
    } else {
      if (phase1 && x > up + t) {
        bound = up;
        to_lower = false;
      } else if (lo > -kInf && !(x < lo - t)) {
        bound = lo;
        to_lower = true;
      } else {
        continue;
      }
    }
    cand[count] = r;
    ratio[count] = (bound - x) / rate;
    pivot[count] = p;
    lower[count] = to_lower;
    ++count;
    if (p > max_pivot) max_pivot = p;
  }
  st.env.ticks.charge(static_cast<uint64_t>(col.count));

  RatioResult result = blocking_choice(st, count, max_pivot, range);
  if (passable == 0) return result;
  return long_step(st, passable, result, range, direction * st.w.dj[entering]);
}

namespace {

// The textbook choice among the blocking candidates (first `count` entries
// of the candidate arrays).
RatioResult blocking_choice(PrimalState& st, int count, double max_pivot, double range) {
  const SimplexWork& w = st.w;
  PrimalScratch& s = st.s;
  const double t = st.feas_tol_work;
  int* cand = s.candidate.data();
  double* ratio = s.candidate_ratio.data();
  double* pivot = s.candidate_pivot.data();
  char* lower = s.candidate_lower.data();
  RatioResult result;
  if (count == 0 || max_pivot < kNoPivot) {
    result.outcome = range < kInf ? RatioOutcome::Flip : RatioOutcome::Unbounded;
    result.step = range;
    return result;
  }

  // Pass 1: the Harris bound over the candidates that are not negligible.
  const double ignore = (0.001 * max_pivot + 1.0) * kZeroAlpha;
  double harris = kInf;
  int kept = 0;
  for (int k = 0; k < count; ++k) {
    if (pivot[k] <= ignore) continue;
    harris = std::min(harris, ratio[k] + t / pivot[k]);
    cand[kept] = cand[k];
    ratio[kept] = ratio[k];
    pivot[kept] = pivot[k];
    lower[kept] = lower[k];
    ++kept;
  }
  harris = std::max(0.0, harris);
  if (harris * kFlipMargin > range) {
    result.outcome = RatioOutcome::Flip;
    result.step = range;
    return result;
  }

  // Pass 2: the best score among the ratios within the bound.
  const bool plain_scores = st.after_repair || w.factor_control.markowitz >= 0.1;
  double best_score = -1.0;
  int best = -1;
  for (int k = 0; k < kept; ++k) {
    if (ratio[k] > harris) continue;
    const int var = w.basic_index[cand[k]];
    double score;
    if (plain_scores || var >= st.n) {
      score = kLogicalScore * pivot[k];
    } else {
      const int cnt = std::min(s.enter_count[var], kCountCap);
      score = std::min(cnt - 0.5, static_cast<double>(kCountCap)) * pivot[k];
    }
    if (score > best_score) {
      best_score = score;
      best = k;
    }
  }
  st.env.ticks.charge(static_cast<uint64_t>(2 * kept));
  if (best < 0) {
    result.outcome = range < kInf ? RatioOutcome::Flip : RatioOutcome::Unbounded;
    result.step = range;
    return result;
  }
  result.outcome = RatioOutcome::Leave;
  result.row = cand[best];
  result.step = std::max(ratio[best], 0.0);
  result.to_lower = lower[best];
  if (w.lu.updates() > 0 && (pivot[best] < kSmallPivot || pivot[best] < kSmallPivot * max_pivot))
    result.outcome = RatioOutcome::Repeat;
  return result;
}

// Phase I: passes the breakpoints before the blocking step while the slope
// of the sum of infeasibilities (starting at the entering variable's
// reduced cost in its direction, negative) stays below zero.
RatioResult long_step(PrimalState& st, int passable, const RatioResult& blocking, double range, double slope) {
  PrimalScratch& s = st.s;
  const double limit = blocking.outcome == RatioOutcome::Unbounded ? kInf : blocking.step;
  int* order = s.pass_order.data();
  int within = 0;
  for (int k = 0; k < passable; ++k)
    if (s.pass_ratio[k] <= limit) order[within++] = k;
  if (within == 0) return blocking;
  std::sort(order, order + within, [&](int a, int b) { return s.pass_ratio[a] < s.pass_ratio[b]; });
  st.env.ticks.charge(static_cast<uint64_t>(passable + within));
  int turn = -1;
  double largest = 0.0;
  int largest_at = -1;
  for (int k = 0; k < within; ++k) {
    const int i = order[k];
    if (s.pass_pivot[i] > largest) {
      largest = s.pass_pivot[i];
      largest_at = k;
    }
    slope += s.pass_pivot[i];
    if (slope >= 0.0) {
      turn = k;
      break;
    }
  }
  if (turn < 0) {
    // Every breakpoint before the block is passed; the block decides.
    if (blocking.outcome == RatioOutcome::Unbounded) {
      // The sum of infeasibilities cannot fall forever: numerical noise.
      // Stop at the last breakpoint instead.
      turn = within - 1;
    } else {
      return blocking;
    }
  }
  // The breakpoint where the slope turns leaves, unless its pivot is poor
  // next to one already passed: stopping earlier is also a descent step.
  int chosen = turn;
  if (s.pass_pivot[order[turn]] < kPoorPivotShare * largest) chosen = largest_at;
  const int i = order[chosen];
  RatioResult result;
  const double step = std::max(s.pass_ratio[i], 0.0);
  if (step >= range) {
    result.outcome = RatioOutcome::Flip;
    result.step = range;
    return result;
  }
  result.outcome = RatioOutcome::Leave;
  result.row = s.pass_row[i];
  result.step = step;
  result.to_lower = s.pass_lower[i];
  if (st.w.lu.updates() > 0 && s.pass_pivot[i] < kSmallPivot) result.outcome = RatioOutcome::Repeat;
  return result;
}

}  // namespace

}  // namespace korva::simplex
