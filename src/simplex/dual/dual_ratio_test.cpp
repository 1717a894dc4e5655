#include "simplex/dual/dual_ratio_test.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace korva::simplex {

namespace {

// Pivot-row entries below this magnitude cannot make a variable enter.
constexpr double kCandidatePivot = 1e-9;
// A group whose largest pivot is below this share of the largest pivot of
// all groups (capped at 1) gives way to an earlier group with a better one.
constexpr double kPivotPreference = 0.1;

// The reduced cost of a variable with move mv measured in its feasible
// direction (nonnegative when dual feasible; a free variable's is its
// magnitude).
inline double directed_dual(int8_t mv, double d) { return mv == kMoveFree ? std::fabs(d) : mv * d; }

// Collects the entries of the pivot row that can enter, with their pivots
// measured in the direction that keeps them dual feasible, and their
// directed reduced costs: the passes that follow then read the candidates
// in sequence instead of the per-variable arrays at random. Raw pointers
// keep the count in a register across the stores.
struct Candidates {
  const int8_t* move;
  const double* dj;
  int* candidate;
  double* candidate_alpha;
  double* candidate_dual;
  double sign;  // +1: the leaving variable goes to its upper bound
  int count = 0;

  // Written without branches: whether an entry qualifies is close to a
  // coin toss, and mispredicted branches would cost more than the stores.
  // A variable that cannot move has move 0 and so a zero pivot.
  void consider(int j, double alpha) {
    const int8_t mv = move[j];
    const double directed = sign * alpha * mv;
    const double a = mv == kMoveFree ? std::fabs(alpha) : directed;
    candidate[count] = j;
    candidate_alpha[count] = a;
    candidate_dual[count] = directed_dual(mv, dj[j]);
    count += a > kCandidatePivot;
  }
};

inline double range_of(const DualState& st, int j) {
  return st.w.work_upper[j] - st.w.work_lower[j];
}

}  // namespace

RatioTestResult dual_ratio_test(DualState& st) {
  Candidates c{st.s.move.data(), st.w.dj.data(), st.s.candidate.data(), st.s.candidate_alpha.data(),
               st.s.candidate_dual.data(), st.delta > 0 ? 1.0 : -1.0};
  const SparseVector& ap = st.s.row_ap;
  const SparseVector& ep = st.s.row_ep;
  for (int k = 0, end = ap.count; k < end; ++k) c.consider(ap.index[k], ap.values[ap.index[k]]);
  for (int k = 0, end = ep.count; k < end; ++k) c.consider(st.n + ep.index[k], ep.values[ep.index[k]]);
  st.env.ticks.charge(static_cast<uint64_t>(ap.count + ep.count));
  st.s.flips.clear();
  const int total = c.count;
  if (total == 0) return RatioTestResult::Infeasible;

  int* cand = st.s.candidate.data();
  double* alpha = st.s.candidate_alpha.data();
  double* dual = st.s.candidate_dual.data();
  std::vector<int>& group_end = st.s.group_end;
  group_end.clear();
  group_end.push_back(0);
  const double tol = st.dual_tol;
  double slope = std::fabs(st.delta);
  int grouped = 0;
  uint64_t work = 0;
  while (grouped < total) {
    // Harris bound of the candidates left.
    double bound = kInf;
    int tightest = grouped;
    for (int k = grouped; k < total; ++k) {
      const double b = (dual[k] + tol) / alpha[k];
      if (b < bound) {
        bound = b;
        tightest = k;
      }
    }
    // Everything within it joins the group. Rounding in bound·alpha can
    // leave even the candidate that set the bound outside; it joins
    // anyway, so that every pass moves on.
    const int group_start = grouped;
    auto join = [&](int k) {
      std::swap(cand[k], cand[grouped]);
      std::swap(alpha[k], alpha[grouped]);
      std::swap(dual[k], dual[grouped]);
      slope -= alpha[grouped] * range_of(st, cand[grouped]);
      ++grouped;
    };
    for (int k = grouped; k < total; ++k)
      if (dual[k] <= bound * alpha[k]) join(k);
    if (grouped == group_start) join(tightest);
    work += 2 * static_cast<uint64_t>(total - group_end.back());
    group_end.push_back(grouped);
    if (!(slope > 0.0)) break;
  }
  st.env.ticks.charge(work);
  // Every breakpoint passed and the objective still rises: the dual is
  // unbounded along this row, unless what is left of the infeasibility is
  // within the feasibility tolerance (the flips alone make the row
  // feasible, up to rounding); then the last group enters as usual.
  if (slope > st.primal_tol) return RatioTestResult::Infeasible;

  // The entering variable: the largest pivot of the last group, unless
  // that pivot is small against the largest of all the groups passed; then
  // the latest group offering a large enough pivot stops the step earlier.
  const int groups = static_cast<int>(group_end.size()) - 1;
  double largest_all = 0.0;
  for (int k = 0; k < grouped; ++k) largest_all = std::max(largest_all, alpha[k]);
  const double good_enough = std::min(kPivotPreference * largest_all, 1.0);
  int chosen_group = -1, chosen = -1;
  for (int g = groups - 1; g >= 0 && chosen < 0; --g) {
    int at = group_end[g];
    for (int k = group_end[g] + 1; k < group_end[g + 1]; ++k)
      if (alpha[k] > alpha[at]) at = k;
    if (alpha[at] > good_enough) {
      chosen_group = g;
      chosen = at;
    }
  }
  if (chosen < 0) {
    chosen_group = groups - 1;
    chosen = group_end[chosen_group];
    for (int k = chosen + 1; k < group_end[groups]; ++k)
      if (alpha[k] > alpha[chosen]) chosen = k;
  }
  st.var_in = cand[chosen];
  st.alpha_row = st.var_in < st.n ? ap.values[st.var_in] : ep.values[st.var_in - st.n];
  // The groups before the chosen one were passed: their variables flip.
  for (int k = 0; k < group_end[chosen_group]; ++k) st.s.flips.push_back(cand[k]);
  return RatioTestResult::Entering;
}

}  // namespace korva::simplex
