#include "simplex/primal/column_pricing.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "env/channel.h"

namespace korva::simplex {

namespace {

// Devex weights that overestimate the reference norm of the entering
// column by more than this factor start a new framework.
constexpr double kDevexErrorRatio = 3.0;
// Weights this large have lost their meaning: a new framework.
constexpr double kDevexWeightLimit = 1e7;
// Partial pricing: the columns are scanned in this many sections.
constexpr int kSections = 8;
constexpr int kMinSection = 200;


// Share of a devex iteration's cost that steepest edge may add on a run
// judged long.
constexpr double kSteepestShare = 0.8;
// Samples of iterations the automatic switch needs before it judges.
int64_t switch_sample(int n) {
  if (n < 1000) return 4;
  if (n < 10000) return 8;
  if (n < 100000) return 12;
  return 16;
}

}  // namespace

void ColumnPricing::start(PrimalState& st, int setting) {
  automatic_ = setting == kPrimalAutomatic;
  switched_ = false;
  mode_ = automatic_ ? kPrimalDevex : std::clamp(setting, -1, 4);
  if (weighted()) {
    try {
      st.s.weight.assign(static_cast<size_t>(st.nv), 1.0);
      st.s.reference.assign(static_cast<size_t>(st.nv), 0);
    } catch (const std::bad_alloc&) {
      msg(st.env.warning(), "Not enough memory for devex.\n");
      mode_ = kPrimalPartial;
    }
  }
  section_start_ = 0;
  initialise(st);
}

void ColumnPricing::initialise(PrimalState& st) {
  switch (mode_) {
    case kPrimalDevex:
      new_reference_framework(st);
      break;
    case kPrimalSteepest:
      steepest_exact(st);
      break;
    case kPrimalSteepestSlack:
      steepest_slack(st);
      break;
    default:
      break;
  }
}

void ColumnPricing::reset(PrimalState& st) { initialise(st); }

void ColumnPricing::new_reference_framework(PrimalState& st) {
  std::fill(st.s.weight.begin(), st.s.weight.end(), 1.0);
  for (int j = 0; j < st.nv; ++j) st.s.reference[j] = is_basic(st.w.status[j]) ? 0 : 1;
  st.env.ticks.charge(static_cast<uint64_t>(st.nv));
}

void ColumnPricing::steepest_slack(PrimalState& st) {
  if (st.settings.display >= 1) msg(st.env.results(), "Initializing primal norms . . .\n");
  const SimplexLp& lp = st.lp;
  for (int j = 0; j < st.n; ++j) {
    double sum = 1.0;
    for (int64_t q = lp.col_begin[j]; q < lp.col_begin[j + 1]; ++q) sum += lp.value[q] * lp.value[q];
    st.s.weight[j] = sum;
  }
  for (int j = st.n; j < st.nv; ++j) st.s.weight[j] = 2.0;
  st.env.ticks.charge(static_cast<uint64_t>(lp.col_begin[st.n]) + static_cast<uint64_t>(st.nv));
}

void ColumnPricing::steepest_exact(PrimalState& st) {
  SimplexWork& w = st.w;
  int nonbasic = 0;
  for (int j = 0; j < st.nv; ++j)
    if (!is_basic(w.status[j])) ++nonbasic;
  // Norms by columns cost one ftran per nonbasic column, by rows one
  // btran and one pivot row per basis row: the smaller count wins.
  const bool rowwise = st.m < nonbasic && st.m > 0;
  if (st.settings.display >= 1)
    msg(st.env.results(), rowwise ? "Initializing primal norms rowwise . . .\n" : "Initializing primal norms . . .\n");
  for (int j = 0; j < st.nv; ++j) st.s.weight[j] = 1.0;
  if (st.m == 0 || !w.factor_valid) return;
  const SimplexLp& lp = st.lp;
  if (!rowwise) {
    SparseVector& col = st.s.work_m;
    for (int j = 0; j < st.nv; ++j) {
      if (is_basic(w.status[j])) continue;
      col.clear();
      if (j < st.n) {
        for (int64_t q = lp.col_begin[j]; q < lp.col_begin[j + 1]; ++q) col.set_new(lp.row_index[q], lp.value[q]);
      } else {
        col.set_new(j - st.n, 1.0);
      }
      w.lu.ftran(col);
      if (!col.indexed) col.rebuild_index();
      double sum = 1.0;
      for (int k = 0; k < col.count; ++k) sum += col.values[col.index[k]] * col.values[col.index[k]];
      st.s.weight[j] = sum;
    }
    col.clear();
    return;
  }
  for (int r = 0; r < st.m; ++r) {
    SparseVector& ep = st.s.row_ep;
    ep.clear();
    ep.set_new(r, 1.0);
    w.lu.btran(ep);
    primal_pivot_row(st);
    const SparseVector& ap = st.s.row_ap;
    for (int k = 0; k < ap.count; ++k) {
      const int j = ap.index[k];
      if (!is_basic(w.status[j])) st.s.weight[j] += ap.values[j] * ap.values[j];
    }
    if (!ep.indexed) ep.rebuild_index();
    for (int k = 0; k < ep.count; ++k) {
      const int i = ep.index[k];
      if (!is_basic(w.status[st.n + i])) st.s.weight[st.n + i] += ep.values[i] * ep.values[i];
    }
  }
  st.s.row_ep.clear();
  st.s.row_ap.clear();
}

int ColumnPricing::choose_range(PrimalState& st, int begin, int end, double* best_score) const {
  const double tol = st.opt_tol;
  const double* weight = st.s.weight.data();
  const double* dj = st.w.dj.data();
  const int8_t* move = st.s.move.data();
  const bool use_weights = weighted();
  int best = -1;
  double score_max = *best_score;
  // The scan covers every column each iteration. Whether a column is a
  // candidate is unpredictable, so the tests are folded into the value
  // (a column that cannot move, or does not improve enough, scores 0) and
  // only the rare new best takes a branch.
  auto improvement = [&](int j) {
    const double a = improvement_rate(move[j], dj[j]);
    return a > tol ? a : 0.0;
  };
  if (use_weights) {
    // a²/w > best ⇔ a² > best·w (weights are positive): no division per column.
    for (int j = begin; j < end; ++j) {
      const double a = improvement(j);
      if (a * a > score_max * weight[j]) {
        score_max = a * a / weight[j];
        best = j;
      }
    }
  } else {
    for (int j = begin; j < end; ++j) {
      const double a = improvement(j);
      if (a > score_max) {
        score_max = a;
        best = j;
      }
    }
  }
  st.env.ticks.charge(static_cast<uint64_t>(end - begin));
  if (best >= 0) *best_score = score_max;
  return best;
}

int ColumnPricing::choose(PrimalState& st) {
  double score = 0.0;
  if (mode_ != kPrimalPartial) return choose_range(st, 0, st.nv, &score);
  // Partial pricing: sections from where the last choice was found, until
  // one holds a candidate.
  const int section = std::max(kMinSection, (st.nv + kSections - 1) / kSections);
  int begin = section_start_ < st.nv ? section_start_ : 0;
  int scanned = 0;
  int best = -1;
  while (scanned < st.nv) {
    const int end = std::min(st.nv, begin + section);
    const int j = choose_range(st, begin, end, &score);
    if (j >= 0) best = j;
    scanned += end - begin;
    begin = end >= st.nv ? 0 : end;
    if (best >= 0) break;
  }
  section_start_ = begin;
  return best;
}

void ColumnPricing::update(PrimalState& st, int q, int r, double alpha) {
  if (!weighted()) return;
  SimplexWork& w = st.w;
  PrimalScratch& s = st.s;
  const SparseVector& col = s.col_aq;
  const SparseVector& ap = s.row_ap;
  const SparseVector& ep = s.row_ep;
  row_count_sum_ += ap.count + ep.count;
  ++row_count_samples_;
  const int out = w.basic_index[r];
  double* weight = s.weight.data();

  if (mode_ == kPrimalDevex) {
    // Reference norm of the entering column, exact within the framework.
    double gamma = s.reference[q] ? 1.0 : 0.0;
    for (int k = 0; k < col.count; ++k) {
      const int i = col.index[k];
      if (s.reference[w.basic_index[i]]) gamma += col.values[i] * col.values[i];
    }
    gamma = std::max(gamma, 1.0);
    const bool reset = weight[q] > kDevexErrorRatio * gamma;
    for (int k = 0; k < ap.count; ++k) {
      const int j = ap.index[k];
      if (j == q || is_basic(w.status[j])) continue;
      const double ratio = ap.values[j] / alpha;
      weight[j] = std::max(weight[j], ratio * ratio * gamma);
    }
    for (int k = 0; k < ep.count; ++k) {
      const int j = st.n + ep.index[k];
      if (j == q || is_basic(w.status[j])) continue;
      const double ratio = ep.values[ep.index[k]] / alpha;
      weight[j] = std::max(weight[j], ratio * ratio * gamma);
    }
    weight[out] = std::max(gamma / (alpha * alpha), 1.0);
    st.env.ticks.charge(static_cast<uint64_t>(ap.count + ep.count + col.count));
    if (reset || weight[out] > kDevexWeightLimit) {
      // Framework of the basis after this pivot: the leaving variable is
      // nonbasic then, the entering one basic.
      std::fill(s.weight.begin(), s.weight.end(), 1.0);
      for (int j = 0; j < st.nv; ++j) s.reference[j] = is_basic(w.status[j]) ? 0 : 1;
      s.reference[out] = 1;
      s.reference[q] = 0;
      st.env.ticks.charge(static_cast<uint64_t>(st.nv));
    }
    return;
  }

  // Steepest edge: the exact update of the norms.
  double gamma = 1.0;
  for (int k = 0; k < col.count; ++k) gamma += col.values[col.index[k]] * col.values[col.index[k]];
  const double* tau = s.col_tau.values.data();
  const SimplexLp& lp = st.lp;
  uint64_t work = 0;
  for (int k = 0; k < ap.count; ++k) {
    const int j = ap.index[k];
    if (j == q || is_basic(w.status[j])) continue;
    const double ratio = ap.values[j] / alpha;
    double dot = 0.0;
    for (int64_t p = lp.col_begin[j]; p < lp.col_begin[j + 1]; ++p) dot += lp.value[p] * tau[lp.row_index[p]];
    work += static_cast<uint64_t>(lp.col_begin[j + 1] - lp.col_begin[j]);
    weight[j] = std::max(weight[j] - 2.0 * ratio * dot + ratio * ratio * gamma, 1.0 + ratio * ratio);
  }
  for (int k = 0; k < ep.count; ++k) {
    const int i = ep.index[k];
    const int j = st.n + i;
    if (j == q || is_basic(w.status[j])) continue;
    const double ratio = ep.values[i] / alpha;
    weight[j] = std::max(weight[j] - 2.0 * ratio * tau[i] + ratio * ratio * gamma, 1.0 + ratio * ratio);
  }
  weight[out] = std::max(gamma / (alpha * alpha), 1.0);
  st.env.ticks.charge(work + static_cast<uint64_t>(ap.count + ep.count + col.count));
}

void ColumnPricing::after_refactor(PrimalState& st, bool perturbed) {
  if (!automatic_ || switched_ || mode_ != kPrimalDevex) return;
  if (st.iterations < switch_sample(st.n) || row_count_samples_ == 0) return;
  // Steepest edge saves iterations at the price of one more solve per
  // iteration and a column product per pivot-row entry. The estimate
  // compares that price with the cost of a devex iteration (two solves, the
  // pivot row and the pricing scan), and accepts more of it the longer the
  // run promises to be for its width (the rows' count as the first guess of
  // the iterations to come) and while degeneracy keeps perturbation on.
  const double factor = perturbed && !st.settings.perturb_from_start ? 2.5 : 1.5;
  const double n = std::max(st.n, 1);
  const double length = factor * std::max<double>(static_cast<double>(st.iterations), st.m) / n;
  const double solve = 1.5 * static_cast<double>(st.w.lu.factor_nonzeros()) + st.m;
  const double row = row_count_sum_ / static_cast<double>(row_count_samples_);
  const double column_length = static_cast<double>(st.lp.col_begin[st.n]) / n;
  const double extra = solve + row * column_length;
  const double base = 2.0 * solve + row + st.nv;
  if (extra > kSteepestShare * std::min(length, 1.0) * base) return;
  switched_ = true;
  mode_ = kPrimalSteepest;
  steepest_exact(st);
}

}  // namespace korva::simplex
