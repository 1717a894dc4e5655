// The augmented system of an interior-point step for a quadratic objective,
//
//     [ -(Q + Θ⁻¹ + ρI)   Aᵀ ] [dx]   [rx]
//     [  A               δI ] [dy] = [ry],
//
// quasi-definite thanks to the small regularisations ρ and δ, factored as
// L·D·Lᵀ with the signs of D known in advance, and refined against the
// unregularised operator.
#pragma once
#include <vector>

#include "barrier/linalg/cholesky.h"
#include "barrier/linalg/csc_matrix.h"
#include "barrier/normal_system.h"

namespace korva::barrier {

class AugmentedSystem {
 public:
  // a is m×n, q the n×n symmetric Q (both triangles). Returns 0 or an error code.
  int analyse(const CscMatrix& a, const CscMatrix& q, Ordering ordering, int threads, int ordering_threads);
  // Factors for this Θ⁻¹ (one per column); `q_weight` multiplies Q (0 for
  // the least-squares start). Returns false when the factorisation failed.
  bool factor(const double* theta_inverse, double q_weight);
  // Solves in place: x holds rx (n) on entry and dx on return, y ry (m) and dy.
  void solve(double* x, double* y, RefinementReport* report = nullptr);
  // Memory limit, directory and log for a factor too large for memory;
  // takes effect at the next analyse().
  void set_storage(const FactorStorage& storage) { cholesky_.set_storage(storage); }
  const FactorStatistics& statistics() const { return cholesky_.statistics(); }
  int64_t matrix_nonzeros() const { return static_cast<int64_t>(k_.index.size()); }

 private:
  void multiply(const double* v, double* out) const;  // the unregularised operator

  const CscMatrix* a_ = nullptr;
  const CscMatrix* q_ = nullptr;
  CscMatrix k_;                        // lower triangle, x block first
  std::vector<int64_t> diagonal_;      // position of each diagonal entry in k_
  std::vector<int64_t> q_position_;    // per entry of q's lower triangle: its slot in k_ (-1: upper)
  std::vector<signed char> sign_;
  std::vector<double> theta_inverse_;
  double q_weight_ = 1.0;
  CholeskyFactor cholesky_;
  std::vector<double> rhs_, solution_, trial_, residual_, product_, solve_work_;
};

}  // namespace korva::barrier
