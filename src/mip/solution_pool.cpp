#include "mip/solution_pool.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "env/environment.h"
#include "mip/pool_solution_check.h"

namespace korva::mip {
namespace {

constexpr double kGapWidening = 1e-10;
// Continuous values this close (relative to their size, at least 1) are
// the same value for the duplicate test.
constexpr double kSameContinuous = 1e-6;

uint64_t mix(uint64_t h, double v) {
  v += 0.0;  // -0 hashes like 0
  uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  h ^= bits + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  return h;
}

// Hash of the integer part, so that the duplicate test compares whole
// solutions only when their integer columns agree.
uint64_t integer_key(const Problem& p, const std::vector<double>& x, double integrality) {
  uint64_t h = 0;
  for (int j = 0; j < p.num_cols(); ++j)
    if (is_integer_like(p.ctype(j))) h = mix(h, settled_value(p, j, x[j], integrality));
  return h;
}

bool same_value(const Problem& p, int j, double a, double b, double integrality) {
  if (is_integer_like(p.ctype(j))) {
    const double sa = settled_value(p, j, a, integrality), sb = settled_value(p, j, b, integrality);
    if (sa == sb) return true;
  }
  return std::fabs(a - b) <= kSameContinuous * std::max({1.0, std::fabs(a), std::fabs(b)});
}

// Widens a finite pool cutoff so that a solution exactly at it is kept.
double widen(double c) {
  const double a = std::fabs(c);
  return c + (a > 1.0 ? kGapWidening * a : kGapWidening);
}

}  // namespace

double pool_cutoff(double z, double rel_gap, double abs_gap) {
  if (!(z < kNoPoolLimit)) return kNoPoolLimit;
  const bool rel = rel_gap < kNoPoolLimit, abs = abs_gap < kNoPoolLimit;
  if (rel && abs) return widen(z + std::min(abs_gap, rel_gap * std::fabs(z)));
  if (rel) return widen(z + rel_gap * std::fabs(z));
  if (abs) return widen(z + abs_gap);
  return kNoPoolLimit;
}

PoolSettings read_pool_settings(Environment& env) {
  PoolSettings s;
  s.capacity = env.int_param(KRV_PARAM_SOLNPOOLCAPACITY);
  s.replace = env.int_param(KRV_PARAM_SOLNPOOLREPLACE);
  s.rel_gap = env.dbl_param(KRV_PARAM_SOLNPOOLGAP);
  s.abs_gap = env.dbl_param(KRV_PARAM_SOLNPOOLAGAP);
  s.integrality = env.dbl_param(KRV_PARAM_EPINT);
  s.mip_gap = env.dbl_param(KRV_PARAM_EPGAP);
  s.mip_abs_gap = env.dbl_param(KRV_PARAM_EPAGAP);
  s.feasibility = env.dbl_param(KRV_PARAM_EPRHS);
  return s;
}

// ---- gap filter ------------------------------------------------------------------------

void GapFilter::set_gaps(double rel, double abs) {
  rel_gap = rel + kGapWidening;
  abs_gap = abs + kGapWidening;
}

bool GapFilter::rejects(double v) const {
  if (!(v > reference)) return false;
  const double r = std::fabs(reference);
  const double relative = rel_gap >= kNoPoolLimit ? rel_gap : rel_gap * r;
  const double t = std::min(relative, abs_gap + (1.0 + r) * kGapWidening);
  if (!(t < kNoPoolLimit)) return false;
  return v > reference + t;
}

// ---- offering ----------------------------------------------------------------------------

PoolOffer SolutionPool::offer(const Problem& p, const std::vector<double>& x, double user_objective, int objsense) {
  if (num_cols != p.num_cols()) {
    clear_solutions();
    num_cols = p.num_cols();
  }
  if (static_cast<int64_t>(x.size()) != num_cols) return PoolOffer::NotKept;
  if (!pool_solution_feasible(p, x.data(), settings.integrality, settings.feasibility, activity_scratch_,
                              size_scratch_))
    return PoolOffer::NotKept;
  const uint64_t key = integer_key(p, x, settings.integrality);
  if (is_duplicate(p, x, key)) return PoolOffer::Duplicate;
  for (const PoolFilter& f : filters) {
    if (!filter_passes(f, p, x.data(), settings.integrality)) {
      ++rejected;
      return PoolOffer::Rejected;
    }
  }
  const double minimised = objsense * user_objective;
  if (gap.rejects(minimised)) {
    ++rejected;
    return PoolOffer::Rejected;
  }
  if (settings.capacity <= 0) {
    ++replaced;
    return PoolOffer::NotKept;
  }
  PoolSolution s;
  s.x = x;
  s.objective = user_objective;
  s.minimised = minimised;
  s.key = key;
  if (!store(p, std::move(s))) return PoolOffer::NotKept;
  solutions.back().name = "p" + std::to_string(next_solution_number++);
  if (minimised < gap.reference) {
    gap.reference = minimised;
    purge_beyond_gap(p);
  }
  return PoolOffer::Stored;
}

void SolutionPool::note_incumbent(const Problem& p, double objective_min_sense) {
  if (!(objective_min_sense < gap.reference)) return;
  gap.reference = objective_min_sense;
  purge_beyond_gap(p);
}

bool SolutionPool::is_duplicate(const Problem& p, const std::vector<double>& x, uint64_t key) const {
  for (const PoolSolution& s : solutions) {
    if (s.key != key) continue;
    bool same = true;
    for (int j = 0; same && j < num_cols; ++j) same = same_value(p, j, x[j], s.x[j], settings.integrality);
    if (same) return true;
  }
  return false;
}

void SolutionPool::apply_settings(const Problem& p, const PoolSettings& s) {
  settings = s;
  gap.set_gaps(s.rel_gap, s.abs_gap);
  purge_beyond_gap(p);
  if (s.capacity >= 0 && solutions.size() > static_cast<size_t>(s.capacity))
    shrink_to(p, static_cast<size_t>(s.capacity));
}

// ---- bookkeeping -------------------------------------------------------------------------

double SolutionPool::mean_objective() const {
  if (solutions.empty()) return 0.0;
  double sum = 0.0;
  for (const PoolSolution& s : solutions) sum += s.objective;
  return sum / static_cast<double>(solutions.size());
}

void SolutionPool::erase_solutions(const std::vector<char>& drop) {
  size_t kept = 0;
  for (size_t k = 0; k < solutions.size(); ++k) {
    if (k < drop.size() && drop[k]) continue;
    if (kept != k) solutions[kept] = std::move(solutions[k]);
    ++kept;
  }
  solutions.resize(kept);
  nearest_known_ = false;
}

void SolutionPool::clear_solutions() {
  solutions.clear();
  replaced = 0;
  rejected = 0;
  gap.reference = GapFilter::kNoReference;
  proved_optimal = false;
  nearest_known_ = false;
}

std::string SolutionPool::next_filter_name() { return "f" + std::to_string(next_filter_number++); }

// ---- reactions to model edits ------------------------------------------------------------

bool SolutionPool::keep_after_partial_reset(int event) {
  if (event == static_cast<int>(ChangeEvent::BasisLoaded) || event == static_cast<int>(ChangeEvent::Names))
    return true;
  if (event == static_cast<int>(ChangeEvent::ReplaceModel)) return false;
  clear_solutions();
  return holds_something();
}

std::unique_ptr<AttachedPart> SolutionPool::clone() const { return std::make_unique<SolutionPool>(*this); }

bool SolutionPool::renumber_columns(const int* map) {
  int kept = 0;
  for (int j = 0; j < num_cols; ++j)
    if (map[j] >= 0) ++kept;
  for (PoolSolution& s : solutions) {
    size_t n = 0;
    for (int j = 0; j < num_cols; ++j)
      if (map[j] >= 0) s.x[n++] = s.x[j];
    s.x.resize(n);
  }
  for (PoolFilter& f : filters) renumber_filter(f, map);
  size_t n = 0;
  for (size_t k = 0; k < fixed.cols.size(); ++k) {
    const int to = map[fixed.cols[k]];
    if (to < 0) continue;
    fixed.cols[n] = to;
    fixed.lb[n] = fixed.lb[k];
    fixed.ub[n] = fixed.ub[k];
    ++n;
  }
  fixed.cols.resize(n);
  fixed.lb.resize(n);
  fixed.ub.resize(n);
  num_cols = kept;
  nearest_known_ = false;
  return true;
}

// ---- access ------------------------------------------------------------------------------

namespace {

// A pool that missed a change of the column count (an edit whose hook did
// not reach it) keeps nothing that could index past the columns.
void match_columns(SolutionPool& pool, int n) {
  if (pool.num_cols == n) return;
  pool.clear_solutions();
  int limit = std::max(pool.num_cols, n);
  for (const PoolFilter& f : pool.filters)
    for (int j : f.cols) limit = std::max(limit, j + 1);
  for (int j : pool.fixed.cols) limit = std::max(limit, j + 1);
  std::vector<int> map(static_cast<size_t>(limit));
  for (int j = 0; j < limit; ++j) map[j] = j < n ? j : -1;
  pool.num_cols = limit;
  pool.renumber_columns(map.data());
  pool.num_cols = n;
}

}  // namespace

SolutionPool* find_solution_pool(Problem& p) {
  if (!p.mip || !p.mip->pool) return nullptr;
  auto* pool = dynamic_cast<SolutionPool*>(p.mip->pool.get());
  if (pool) match_columns(*pool, p.num_cols());
  return pool;
}

SolutionPool& solution_pool_of(Problem& p) {
  if (SolutionPool* pool = find_solution_pool(p)) return *pool;
  auto fresh = std::make_unique<SolutionPool>();
  fresh->num_cols = p.num_cols();
  SolutionPool& pool = *fresh;
  p.mip->pool = std::move(fresh);
  return pool;
}

SolutionPool& prepare_solution_pool(Environment& env, Problem& p) {
  SolutionPool& pool = solution_pool_of(p);
  pool.apply_settings(p, read_pool_settings(env));
  return pool;
}

// ---- slacks ------------------------------------------------------------------------------

void pool_row_slacks(const Problem& p, const double* x, int begin, int end, double* out) {
  if (begin > end) return;
  const RowCopy& rows = p.row_copy();
  for (int i = begin; i <= end; ++i) {
    double a = 0.0;
    for (int64_t k = rows.begin[i]; k < rows.begin[i + 1]; ++k) a += rows.value[k] * x[rows.index[k]];
    out[i - begin] = p.rhs(i) - a;
  }
}

void pool_qconstr_slacks(const Problem& p, const double* x, int begin, int end, double* out) {
  for (int k = begin; k <= end; ++k) {
    const QuadConstraint& q = p.qcons->list[k];
    double a = 0.0;
    for (size_t t = 0; t < q.linind.size(); ++t) a += q.linval[t] * x[q.linind[t]];
    for (size_t t = 0; t < q.quadval.size(); ++t) a += q.quadval[t] * x[q.quadrow[t]] * x[q.quadcol[t]];
    out[k - begin] = q.rhs - a;
  }
}

}  // namespace korva::mip
