#include "barrier/normal_system.h"

#include <cblas.h>

#include <algorithm>
#include <cmath>

namespace korva::barrier {

namespace {

constexpr int kMaxRefinements = 10;
constexpr double kPivotFloor = 1e-30;
constexpr double kDenseRegularisation = 1e-10;
// Pivots of A·Aᵀ this far below the largest diagonal are rounding noise:
// the row depends on the others.
constexpr double kDependentPivot = 1e-12;

// Dense Cholesky of a small k × k matrix (row-major, lower part), in place.
// A pivot that is not safely positive is replaced by 1: the correction it
// stands for is dropped rather than the step lost.
void small_cholesky(std::vector<double>& f, int k) {
  for (int j = 0; j < k; ++j) {
    double d = f[j * k + j];
    for (int p = 0; p < j; ++p) d -= f[j * k + p] * f[j * k + p];
    d = d > 1e-14 ? std::sqrt(d) : 1.0;
    f[j * k + j] = d;
    for (int i = j + 1; i < k; ++i) {
      double s = f[i * k + j];
      for (int p = 0; p < j; ++p) s -= f[i * k + p] * f[j * k + p];
      f[i * k + j] = s / d;
    }
  }
}

void small_solve(const std::vector<double>& f, int k, double* x) {
  for (int i = 0; i < k; ++i) {
    double s = x[i];
    for (int p = 0; p < i; ++p) s -= f[i * k + p] * x[p];
    x[i] = s / f[i * k + i];
  }
  for (int i = k - 1; i >= 0; --i) {
    double s = x[i];
    for (int p = i + 1; p < k; ++p) s -= f[p * k + i] * x[p];
    x[i] = s / f[i * k + i];
  }
}

}  // namespace

int NormalSystem::analyse(const CscMatrix& a, const std::vector<char>& dense, Ordering ordering, int threads,
                          int ordering_threads) {
  a_ = &a;
  ordering_ = ordering;
  threads_ = threads;
  ordering_threads_ = ordering_threads;
  in_product_.assign(static_cast<size_t>(a.cols), 1);
  dense_list_.clear();
  for (int j = 0; j < a.cols; ++j) {
    if (dense[j]) {
      in_product_[j] = 0;
      dense_list_.push_back(j);
    }
  }
  normal_.analyse(a, in_product_);
  theta_.assign(static_cast<size_t>(a.cols), 0.0);
  row_reg_.assign(static_cast<size_t>(a.rows), 0.0);
  work_rows_.assign(static_cast<size_t>(a.rows), 0.0);
  work_rows2_.assign(static_cast<size_t>(a.rows), 0.0);
  trial_.assign(static_cast<size_t>(a.rows), 0.0);
  p_.assign(static_cast<size_t>(a.rows), 0.0);
  solve_work_.assign(static_cast<size_t>(a.rows), 0.0);
  q_.assign(static_cast<size_t>(a.rows), 0.0);
  best_.assign(static_cast<size_t>(a.rows), 0.0);
  const size_t k = dense_list_.size();
  w_.assign(static_cast<size_t>(a.rows) * k, 0.0);
  small_factor_.assign(k * k, 0.0);
  work_small_.assign(k, 0.0);
  return cholesky_.analyse(normal_.matrix(), ordering, threads, ordering_threads);
}

int NormalSystem::include_dense_columns() {
  return analyse(*a_, std::vector<char>(static_cast<size_t>(a_->cols), 0), ordering_, threads_, ordering_threads_);
}

std::vector<int> NormalSystem::find_dependent_rows() {
  std::vector<int> dependent;
  if (!dense_list_.empty()) return dependent;
  std::fill(theta_.begin(), theta_.end(), 1.0);
  std::fill(row_reg_.begin(), row_reg_.end(), 0.0);
  normal_.assemble(theta_.data(), row_reg_.data());
  // Scaled to a unit diagonal, so that the pivot test measures each row
  // against its own size rather than against the largest row.
  const CscMatrix& m = normal_.matrix();
  std::vector<double> scale(static_cast<size_t>(m.cols)), scaled(m.value.size());
  for (int i = 0; i < m.cols; ++i) {
    const double d = m.value[m.start[i]];
    scale[i] = d > 0 ? 1.0 / std::sqrt(d) : 1.0;
  }
  for (int j = 0; j < m.cols; ++j)
    for (int64_t k = m.start[j]; k < m.start[j + 1]; ++k) scaled[k] = m.value[k] * scale[j] * scale[m.index[k]];
  if (cholesky_.factor(scaled.data(), kDependentPivot) <= 0) return dependent;
  for (int i = 0; i < a_->rows; ++i)
    if (cholesky_.zero_pivot(i)) dependent.push_back(i);
  return dependent;
}

bool NormalSystem::factor(const double* theta, double regularisation) {
  const CscMatrix& a = *a_;
  correction_failed_ = false;
  std::copy(theta, theta + a.cols, theta_.begin());
  delta_ = regularisation;
  std::fill(row_reg_.begin(), row_reg_.end(), regularisation);
  if (!dense_list_.empty()) {
    // Without its dense columns the matrix may be singular, and the
    // correction then loses all accuracy: each row gets a little more on its
    // diagonal, in proportion to its own diagonal in the whole operator (a
    // row that only dense columns cover is regularised on its own scale, and
    // a small row is not drowned by the largest), and the conjugate
    // gradients of solve() work on the exact operator.
    std::fill(row_reg_.begin(), row_reg_.end(), 0.0);
    for (int j = 0; j < a.cols; ++j) {
      const double t = theta_[j];
      for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p) row_reg_[a.index[p]] += t * a.value[p] * a.value[p];
    }
    for (double& r : row_reg_) r = regularisation + kDenseRegularisation * r;
  }
  normal_.assemble(theta_.data(), row_reg_.data());
  dropped_ = cholesky_.factor(normal_.matrix().value.data(), kPivotFloor);
  if (dropped_ < 0) return false;

  const int k = static_cast<int>(dense_list_.size());
  if (k == 0) return true;
  // V holds the dense columns scaled by √θ; W = S⁻¹·V is kept interleaved
  // (row i of W is w_[i·k .. i·k + k)), so that both the solves and the
  // products below run over contiguous rows.
  std::fill(w_.begin(), w_.end(), 0.0);
  for (int c = 0; c < k; ++c) {
    const int j = dense_list_[c];
    const double scale = std::sqrt(theta_[j]);
    for (int64_t p = a.start[j]; p < a.start[j + 1]; ++p)
      w_[static_cast<size_t>(a.index[p]) * k + c] = scale * a.value[p];
  }
  cholesky_.solve_many(w_.data(), k);
  // I + Vᵀ·W, lower part.
  std::fill(small_factor_.begin(), small_factor_.end(), 0.0);
  for (int r = 0; r < k; ++r) {
    const int jr = dense_list_[r];
    const double sr = std::sqrt(theta_[jr]);
    double* out = small_factor_.data() + static_cast<size_t>(r) * k;
    for (int64_t p = a.start[jr]; p < a.start[jr + 1]; ++p) {
      const double v = sr * a.value[p];
      const double* w = w_.data() + static_cast<size_t>(a.index[p]) * k;
      for (int c = 0; c <= r; ++c) out[c] += v * w[c];
    }
    out[r] += 1.0;
  }
  small_cholesky(small_factor_, k);
  return true;
}

void NormalSystem::solve_once(double* r) {
  cholesky_.solve(r, solve_work_.data());
  const int k = static_cast<int>(dense_list_.size());
  if (k == 0) return;
  const CscMatrix& a = *a_;
  for (int c = 0; c < k; ++c) {
    const int j = dense_list_[c];
    work_small_[c] = std::sqrt(theta_[j]) * dot_column(a, j, r);
  }
  small_solve(small_factor_, k, work_small_.data());
  cblas_dgemv(CblasRowMajor, CblasNoTrans, a.rows, k, -1.0, w_.data(), k, work_small_.data(), 1, 1.0, r, 1);
}

void NormalSystem::multiply(const double* v, double* out) const {
  const CscMatrix& a = *a_;
  for (int i = 0; i < a.rows; ++i) out[i] = delta_ * v[i];
  for (int j = 0; j < a.cols; ++j) {
    const double t = theta_[j] * dot_column(a, j, v);
    if (t != 0.0) axpy_column(a, j, t, out);
  }
}

// Conjugate gradients on the whole operator, preconditioned by the
// factor (with the low-rank correction): one pass when the factor is
// accurate, a few when the correction for dense columns has lost accuracy.
// The residual of conjugate gradients need not fall at every pass, and on
// the ill-conditioned systems of late iterations it may end above where it
// began: the solution with the smallest residual seen is the one returned.
void NormalSystem::solve(double* r, RefinementReport* report) {
  const int m = a_->rows;
  double* rhs = work_rows_.data();
  double* residual = work_rows2_.data();
  double* z = trial_.data();
  double* p = p_.data();
  double* q = q_.data();
  std::copy(r, r + m, rhs);
  solve_once(r);
  multiply(r, residual);
  for (int i = 0; i < m; ++i) residual[i] = rhs[i] - residual[i];
  const double initial = max_abs(residual, m);
  const double target = std::max((1.0 + max_abs(rhs, m)) * 1e-8 / 10.0, initial / 5.0);
  double current = initial;
  int passes = 0;
  // The preconditioned residual is solved for only when another pass runs:
  // most solves meet the target at once.
  double rz = 0;
  double* best = best_.data();
  double smallest = initial;
  while (current > target && passes < kMaxRefinements) {
    if (passes == 0) std::copy(r, r + m, best);
    std::copy(residual, residual + m, z);
    solve_once(z);
    double rz_next = 0;
    for (int i = 0; i < m; ++i) rz_next += residual[i] * z[i];
    if (!(rz_next > 0)) break;
    if (passes == 0) {
      std::copy(z, z + m, p);
    } else {
      const double beta = rz_next / rz;
      for (int i = 0; i < m; ++i) p[i] = z[i] + beta * p[i];
    }
    rz = rz_next;
    ++passes;
    multiply(p, q);
    double pq = 0;
    for (int i = 0; i < m; ++i) pq += p[i] * q[i];
    if (!(pq > 0)) break;
    const double alpha = rz / pq;
    for (int i = 0; i < m; ++i) {
      r[i] += alpha * p[i];
      residual[i] -= alpha * q[i];
    }
    current = max_abs(residual, m);
    if (current < smallest) {
      smallest = current;
      std::copy(r, r + m, best);
    }
  }
  if (passes > 0 && smallest < current) {
    std::copy(best, best + m, r);
    current = smallest;
  }
  if (current > target && !dense_list_.empty()) correction_failed_ = true;
  if (report) *report = {initial, current, target, passes};
}

}  // namespace korva::barrier
