#include "mip/cuts/disjunctive_cuts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "env/channel.h"
#include "env/environment.h"
#include "env/time_limit.h"
#include "mip/cuts/cut_generating_lp.h"
#include "mip/mip_model.h"

namespace korva::mip {

namespace {

// Beyond these the cut-generating LP costs more than its cuts are worth.
constexpr int64_t kMaxMultipliers = 20000;
constexpr int64_t kMaxEntries = 400000;
// A column this close to an integer gives no useful split.
constexpr double kMinFractionality = 0.005;
// The LP's optimum must promise at least this violation (its multipliers
// sum to 1, so this is on the scale of the rows).
constexpr double kLeastPromise = 1e-6;
constexpr double kMinEfficacy = 1e-4;
// Coefficients below this share of the largest go, at the bound that
// keeps the cut valid: they only widen the range of the cut.
constexpr double kSmallCoefficient = 1e-6;
// β gives up this share of the sizes of the sums that formed it.
constexpr double kMargin = 1e-9;
// A gap between the two sides' combinations on a column without the bound
// that would absorb it is ignored only at rounding level.
constexpr double kRoundingResidual = 1e-11;
// A right-hand side beyond this (the largest coefficient being 1) is too
// far from the cut's coefficients to be trusted.
constexpr double kMaxRhs = 1e9;
constexpr double kProgressInterval = 10.0;
// Simplex iterations of one call at most, over all its candidates: a few
// per row of the LP, and at least this many. The first solve from the
// slack basis takes most of them; the later candidates start from the
// earlier ones' bases.
constexpr int64_t kLeastIterationBudget = 2000;
constexpr int64_t kIterationBudgetPerRow = 3;

// A combination of inequalities in the columns, dense, with the sum of the
// sizes of its terms per column (the room rounding needs).
struct Combination {
  std::vector<double> coef, size;
  double rhs = 0.0, rhs_size = 0.0;

  void reset(int n) {
    coef.assign(static_cast<size_t>(n), 0.0);
    size.assign(static_cast<size_t>(n), 0.0);
    rhs = rhs_size = 0.0;
  }
  void add(const MipModel& m, const Inequality& e, double mult) {
    if (e.row >= 0) {
      for (int64_t p = m.row_begin[e.row]; p < m.row_begin[e.row + 1]; ++p) {
        const double t = mult * e.sign * m.row_val[p];
        coef[m.row_col[p]] += t;
        size[m.row_col[p]] += std::fabs(t);
      }
    } else {
      coef[e.col] += mult * e.sign;
      size[e.col] += mult;
    }
    rhs += mult * e.rhs;
    rhs_size += std::fabs(mult * e.rhs);
  }
  // mult·(sign·x_k >= side): a side of the split.
  void add_split(int k, double sign, double side, double mult) {
    coef[k] += mult * sign;
    size[k] += mult;
    rhs += mult * side;
    rhs_size += std::fabs(mult * side);
  }
};

struct Scratch {
  Combination side0, side1;
};

// The cut α·x >= β of one solved LP, written as (-α)·x <= -β.
//
// The multipliers come from a simplex run and satisfy the LP's equalities
// only up to its tolerances, so α is not taken from the LP: it is
// recomputed as exactly the combination u·G - u0·e_k of side 0's
// inequalities (multipliers clipped at 0), which makes α·x >= u·g - u0·π a
// valid inequality on side 0 as it stands. On side 1 the combination
// v·G + v0·e_k differs from α by a residual r; α·x >= v·g + v0·(π+1) +
// min r·x holds there, the minimum taken over the column bounds. β is the
// smaller of the two, less a margin for the rounding of the sums, so the
// cut is valid whatever the accuracy of the solve; an inexact solve only
// makes it weaker.
bool rebuild_cut(const SeparationInput& in, const std::vector<Inequality>& list, const SplitCandidate& split,
                 const CglpMultipliers& mult, Scratch& s, Cut& cut) {
  const MipModel& m = *in.model;
  const int n = m.num_cols;
  const int k = split.col;
  const double pi = std::floor(split.value);
  s.side0.reset(n);
  s.side1.reset(n);
  for (size_t e = 0; e < list.size(); ++e) {
    if (mult.u[e] > 0.0) s.side0.add(m, list[e], mult.u[e]);
    if (mult.v[e] > 0.0) s.side1.add(m, list[e], mult.v[e]);
  }
  s.side0.add_split(k, -1.0, -pi, mult.u0);
  s.side1.add_split(k, 1.0, pi + 1.0, mult.v0);

  double beta1 = s.side1.rhs, size1 = s.side1.rhs_size, room = 0.0;
  for (int j = 0; j < n; ++j) {
    const double a = s.side0.coef[j];
    const double lower = relaxation_lower(in, j), upper = in.upper[j];
    const double reach = std::max(std::isinf(lower) ? 0.0 : std::fabs(lower), std::isinf(upper) ? 0.0 : std::fabs(upper));
    room += (s.side0.size[j] + s.side1.size[j]) * reach;
    const double r = a - s.side1.coef[j];
    if (r == 0.0) continue;
    const double least = r > 0 ? lower : upper;  // where r·x_j is least
    if (std::isinf(least)) {
      if (std::fabs(r) > kRoundingResidual * std::max(1.0, s.side0.size[j] + s.side1.size[j])) return false;
      continue;
    }
    beta1 += r * least;
    size1 += std::fabs(r * least);
  }
  const double beta0 = s.side0.rhs, size0 = s.side0.rhs_size;
  double beta = std::min(beta0, beta1) - kMargin * (1.0 + std::max(size0, size1) + room);
  if (!std::isfinite(beta)) return false;

  double largest = 0.0;
  for (int j = 0; j < n; ++j) largest = std::max(largest, std::fabs(s.side0.coef[j]));
  if (!(largest > 1e-12)) return false;
  cut.index.clear();
  cut.value.clear();
  beta /= largest;
  for (int j = 0; j < n; ++j) {
    const double a = s.side0.coef[j] / largest;
    if (a == 0.0) continue;
    if (std::fabs(a) < kSmallCoefficient) {
      // α'·x >= β - a·x_j, and a·x_j is at most a times this bound.
      const double most = a > 0 ? in.upper[j] : relaxation_lower(in, j);
      if (std::isinf(most)) return false;
      beta -= a * most;
      continue;
    }
    cut.index.push_back(j);
    cut.value.push_back(-a);
  }
  if (cut.index.empty() || !std::isfinite(beta) || std::fabs(beta) > kMaxRhs) return false;
  cut.rhs = -beta;
  cut.family = kDisjunctiveCuts;
  return cut.efficacy(in.x) >= kMinEfficacy;
}

// Integer columns fractional at x, the most fractional first.
void split_candidates(const SeparationInput& in, int limit, std::vector<SplitCandidate>& out) {
  const MipModel& m = *in.model;
  struct Scored {
    double score;
    int col;
  };
  std::vector<Scored> list;
  for (int j = 0; j < m.num_cols; ++j) {
    if (m.kind[j] != ColKind::Integer) continue;
    const double f = in.x[j] - std::floor(in.x[j]);
    if (f < kMinFractionality || f > 1.0 - kMinFractionality) continue;
    list.push_back({std::fabs(f - 0.5), j});
  }
  std::sort(list.begin(), list.end(),
            [](const Scored& a, const Scored& b) { return a.score != b.score ? a.score < b.score : a.col < b.col; });
  if (static_cast<int>(list.size()) > limit) list.resize(static_cast<size_t>(std::max(0, limit)));
  out.clear();
  for (const Scored& s : list) out.push_back({s.col, in.x[s.col]});
}

int separate(Environment& env, const SeparationInput& in, int rows, int max_candidates, int display,
             std::vector<Cut>& out) {
  std::vector<SplitCandidate> candidates;
  split_candidates(in, max_candidates, candidates);
  if (candidates.empty()) return 0;
  const CglpSize size = cglp_size(*in.model, rows, static_cast<int>(candidates.size()));
  if (size.multipliers > kMaxMultipliers || size.entries > kMaxEntries) return 0;

  std::vector<Inequality> list;
  list_inequalities(in, rows, list);
  CutGeneratingLp cglp;
  if (int code = cglp.build(env, in, list, candidates)) return code;

  const int64_t budget = std::max(kLeastIterationBudget, kIterationBudgetPerRow * cglp.rows());
  const double started = current_time(env);
  double reported = started;
  const int64_t all = static_cast<int64_t>(candidates.size());
  CglpMultipliers mult;
  Scratch scratch;
  Cut cut;
  for (int64_t c = 0; c < all; ++c) {
    if (env.terminate_requested() || time_limit_reached(env) || cglp.iterations() >= budget) break;
    const double now = current_time(env);
    if (display >= 1 && now - reported >= kProgressInterval) {
      msg(env.results(), "Elapsed time %7.2f sec. for %3lld of %3lld disjunctive candidates\n", now - started,
          static_cast<long long>(c), static_cast<long long>(all));
      reported = now;
    }
    bool solved = false;
    if (int code = cglp.solve(env, static_cast<int>(c), budget - cglp.iterations(), &solved, mult)) return code;
    if (!solved || mult.objective > -kLeastPromise) continue;
    if (rebuild_cut(in, list, candidates[c], mult, scratch, cut)) out.push_back(cut);
  }
  return 0;
}

}  // namespace

int separate_disjunctive(Environment& env, const SeparationInput& in, int rows, int max_candidates, int display,
                         std::vector<Cut>& out) {
  try {
    return separate(env, in, rows, max_candidates, display, out);
  } catch (const std::bad_alloc&) {
    if (display >= 1) msg(env.warning(), "Warning: memory low for generating disjunctive cuts.\n");
    return 0;
  }
}

}  // namespace korva::mip
