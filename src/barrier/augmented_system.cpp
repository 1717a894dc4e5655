#include "barrier/augmented_system.h"

#include <algorithm>
#include <cmath>

#include "barrier/column_ops.h"

namespace korva::barrier {

namespace {

constexpr double kPrimalRegularisation = 1e-9;
constexpr double kDualRegularisation = 1e-9;
constexpr double kPivotFloor = 1e-30;
constexpr int kMaxRefinements = 10;

}  // namespace

int AugmentedSystem::analyse(const CscMatrix& a, const CscMatrix& q, Ordering ordering, int threads,
                             int ordering_threads) {
  a_ = &a;
  q_ = &q;
  const int n = a.cols, m = a.rows, size = n + m;
  k_ = CscMatrix{};
  k_.rows = k_.cols = size;
  k_.start.assign(1, 0);
  diagonal_.assign(static_cast<size_t>(size), 0);
  q_position_.assign(q.index.size(), -1);
  for (int j = 0; j < n; ++j) {
    diagonal_[j] = static_cast<int64_t>(k_.index.size());
    k_.index.push_back(j);
    k_.value.push_back(0.0);
    // Q's strictly lower entries of column j (rows sorted), then A's column
    // shifted below the x block.
    for (int64_t p = q.start[j]; p < q.start[j + 1]; ++p) {
      const int i = q.index[p];
      if (i <= j) continue;
      q_position_[p] = static_cast<int64_t>(k_.index.size());
      k_.index.push_back(i);
      k_.value.push_back(0.0);
    }
    for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p) {
      k_.index.push_back(n + a.index[p]);
      k_.value.push_back(a.value[p]);
    }
    k_.start.push_back(static_cast<int64_t>(k_.index.size()));
  }
  for (int i = 0; i < m; ++i) {
    diagonal_[n + i] = static_cast<int64_t>(k_.index.size());
    k_.index.push_back(n + i);
    k_.value.push_back(kDualRegularisation);
    k_.start.push_back(static_cast<int64_t>(k_.index.size()));
  }
  sign_.assign(static_cast<size_t>(size), 1);
  std::fill(sign_.begin(), sign_.begin() + n, static_cast<signed char>(-1));
  theta_inverse_.assign(static_cast<size_t>(n), 0.0);
  for (auto* v : {&rhs_, &solution_, &trial_, &residual_, &product_, &solve_work_}) v->assign(static_cast<size_t>(size), 0.0);
  return cholesky_.analyse(k_, ordering, threads, ordering_threads);
}

bool AugmentedSystem::factor(const double* theta_inverse, double q_weight) {
  const CscMatrix& q = *q_;
  const int n = a_->cols;
  std::copy(theta_inverse, theta_inverse + n, theta_inverse_.begin());
  q_weight_ = q_weight;
  for (int j = 0; j < n; ++j) {
    double diagonal = theta_inverse[j] + kPrimalRegularisation;
    for (int64_t p = q.start[j]; p < q.start[j + 1]; ++p) {
      if (q.index[p] == j) diagonal += q_weight * q.value[p];
      else if (q_position_[p] >= 0) k_.value[q_position_[p]] = -q_weight * q.value[p];
    }
    k_.value[diagonal_[j]] = -diagonal;
  }
  return cholesky_.factor(k_.value.data(), kPivotFloor, sign_.data()) >= 0;
}

void AugmentedSystem::multiply(const double* v, double* out) const {
  const CscMatrix& a = *a_;
  const CscMatrix& q = *q_;
  const int n = a.cols, m = a.rows;
  std::fill(out, out + n + m, 0.0);
  for (int j = 0; j < n; ++j) {
    double s = -theta_inverse_[j] * v[j];
    for (int64_t p = q.start[j]; p < q.start[j + 1]; ++p) s -= q_weight_ * q.value[p] * v[q.index[p]];
    for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p) {
      s += a.value[p] * v[n + a.index[p]];
      out[n + a.index[p]] += a.value[p] * v[j];
    }
    out[j] += s;
  }
}

void AugmentedSystem::solve(double* x, double* y, RefinementReport* report) {
  const int n = a_->cols, m = a_->rows;
  std::copy(x, x + n, rhs_.begin());
  std::copy(y, y + m, rhs_.begin() + n);
  std::copy(rhs_.begin(), rhs_.end(), solution_.begin());
  cholesky_.solve(solution_.data(), solve_work_.data());
  // residual = rhs - K·v
  auto residual_of = [&](const std::vector<double>& v) {
    multiply(v.data(), product_.data());
    for (int k = 0; k < n + m; ++k) residual_[k] = rhs_[k] - product_[k];
    return max_abs(residual_);
  };
  const double initial = residual_of(solution_);
  const double target = std::max((1.0 + max_abs(rhs_)) * 1e-8 / 10.0, initial / 5.0);
  double current = initial;
  int passes = 0;
  while (current > target && passes < kMaxRefinements) {
    ++passes;
    cholesky_.solve(residual_.data(), solve_work_.data());
    for (int k = 0; k < n + m; ++k) trial_[k] = solution_[k] + residual_[k];
    const double next = residual_of(trial_);
    if (!(next < current)) break;
    solution_.swap(trial_);
    current = next;
  }
  std::copy(solution_.begin(), solution_.begin() + n, x);
  std::copy(solution_.begin() + n, solution_.end(), y);
  if (report) *report = {initial, current, target, passes};
}

}  // namespace korva::barrier
