#include "simplex/lu/lu_factor.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "env/environment.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/lu/stability.h"

namespace korva::lu {

namespace {
// Hard ceiling of updates between factorisations when the count is automatic.
constexpr int kAutomaticUpdateLimit = 10000;
// Update-file nonzeros reserved per update: the initial capacity is
// min(m, 50) per expected update.
constexpr int kExpectedAutomaticUpdates = 100;
}  // namespace

FactorOptions factor_options(const krv_env_s& env) {
  FactorOptions o;
  o.row_file_mul = env.dbl_param(KRV_PARAM_RFILEMUL);
  o.col_file_mul = env.dbl_param(KRV_PARAM_CFILEMUL);
  o.reinv = env.int_param(KRV_PARAM_REINV);
  return o;
}

void LuFactor::setup(int num_rows, const FactorOptions& opts, TickArea* ticks) {
  m_ = num_rows;
  options = opts;
  ticks_ = ticks;
  row_file_mul = opts.row_file_mul;
  col_file_mul = opts.col_file_mul;
  dense_density = 0.6;
  factorised_ = false;
  permuted_.resize(m_);
  permuted_pair_.resize(m_);
  spike_.resize(m_);
  spike_valid_ = false;
  reach_.resize(m_);
  row_work_.assign(static_cast<size_t>(m_), 0.0);
  in_heap_.assign(static_cast<size_t>(m_), 0);
  heap_.reserve(static_cast<size_t>(m_));
  ft_rows_.reserve(static_cast<size_t>(m_));
  ft_mults_.reserve(static_cast<size_t>(m_));
  R_.first_reader.assign(static_cast<size_t>(m_), INT_MAX);
  R_.readers_set.clear();
  R_.pivot_row.clear();
  R_.last_on_row.assign(static_cast<size_t>(m_), -1);
  R_.clear();
  R_.nonzero_capacity = 0;
  set_update_capacity();
}

// Updates allowed before a refactorisation and the initial room of the
// update file: REINV - 1 updates when the count is fixed, at most 10000
// when it is automatic.
void LuFactor::set_update_capacity() {
  int expected;
  if (options.reinv > 0) {
    max_updates_ = options.reinv - 1;
    expected = options.reinv - 1;
  } else {
    max_updates_ = kAutomaticUpdateLimit;
    expected = kExpectedAutomaticUpdates;
  }
  int64_t capacity = static_cast<int64_t>(std::min(m_, 50)) * expected + 1;
  if (capacity > R_.nonzero_capacity) R_.nonzero_capacity = capacity;
  R_.index.reserve(static_cast<size_t>(R_.nonzero_capacity));
  R_.value.reserve(static_cast<size_t>(R_.nonzero_capacity));
  R_.pivot_row.reserve(static_cast<size_t>(std::min(max_updates_, 4 * m_ + 64)));
  R_.earlier_on_row.reserve(static_cast<size_t>(std::min(max_updates_, 4 * m_ + 64)));
  R_.start.reserve(static_cast<size_t>(std::min(max_updates_, 4 * m_ + 64)) + 1);
  U_.slot_row.reserve(static_cast<size_t>(m_) + std::min(max_updates_, 4 * m_ + 64));
}

int LuFactor::factorise(const BasisSource& source, const int* basic_index, double markowitz,
                        double pivot_tolerance, double* pivot_ratio_out) {
  factorised_ = false;
  spike_valid_ = false;
  previous_updates_ = R_.count();
  R_.clear();
  AttemptSettings s;
  s.markowitz = markowitz;
  s.pivot_tolerance = pivot_tolerance;
  s.row_file_mul = row_file_mul;
  s.col_file_mul = col_file_mul;
  s.dense_density = dense_density;
  int code = build_.run(source, basic_index, s, L_, U_);
  charge(build_.work);
  if (code != kOk) return code;

  double largest = 0.0, smallest = INFINITY;
  for (int r = 0; r < m_; ++r) {
    double d = std::fabs(U_.diag[r]);
    largest = std::max(largest, d);
    smallest = std::min(smallest, d);
  }
  pivot_ratio_ = m_ > 0 ? lu::pivot_ratio(largest, smallest) : 1.0;
  if (pivot_ratio_out) {
    *pivot_ratio_out = pivot_ratio_;
  } else if (ratio_unstable(pivot_ratio_, markowitz)) {
    return kUnstable;
  }
  base_fill_ = factor_nonzeros();
  base_u_nonzeros_ = U_.nonzeros;
  factorised_ = true;
  return kOk;
}

bool LuFactor::use_hyper(SolveKind kind, const SparseVector& v) const {
  if (kind == SolveKind::Dense) return false;
  if (kind == SolveKind::Automatic && !hyper_.on) return false;
  // A dense right-hand side reaches most of the factor anyway; the symbolic
  // phase would only add its own cost.
  return v.indexed && v.count <= m_ / 10;
}

void LuFactor::observe_fill() {
  hyper_.observe(m_, factor_nonzeros() + R_.nonzeros(), base_fill_, R_.count());
}

}  // namespace korva::lu
