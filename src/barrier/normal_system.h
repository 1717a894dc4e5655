// The normal equations (A·Θ·Aᵀ + δ·I)·dy = r of an interior-point step.
// Sparse columns go into a Cholesky factor; dense columns, which would
// fill it, are added back by a low-rank (Sherman–Morrison–Woodbury)
// correction, and every solve is refined against the whole operator.
#pragma once
#include <cstdint>
#include <vector>

#include "barrier/column_ops.h"
#include "barrier/linalg/cholesky.h"
#include "barrier/linalg/normal_matrix.h"

namespace korva::barrier {

struct RefinementReport {
  double initial = 0, refined = 0, target = 0;
  int passes = 0;
};

class NormalSystem {
 public:
  // `dense` flags the columns left out of the factor. Returns 0 or an error code.
  int analyse(const CscMatrix& a, const std::vector<char>& dense, Ordering ordering, int threads,
              int ordering_threads);
  // Rows that the others span (equations repeated or implied), found by a
  // factorisation of A·Aᵀ scaled to a unit diagonal. Only without dense
  // columns, whose absence alone can make the sparse part singular.
  std::vector<int> find_dependent_rows();
  // Takes rows out of the operator: the caller has zeroed them in the
  // matrix it passed to analyse().
  void zero_rows(const std::vector<int>& rows) { normal_.zero_rows(rows); }
  // Factors A·Θ·Aᵀ + δ·I for this θ (one per column). Returns false when the
  // factorisation failed.
  bool factor(const double* theta, double regularisation);
  // Solves in place; `report` receives the refinement figures when not null.
  void solve(double* r, RefinementReport* report = nullptr);
  // Whether a solve since the last factor() missed its refinement target
  // while dense columns were handled apart: the low-rank correction has
  // lost its accuracy.
  bool correction_failed() const { return correction_failed_; }
  // Puts the dense columns back into the factor (a new analysis): slower,
  // but as accurate as the plain normal equations. Returns 0 or an error code.
  int include_dense_columns();

  // Memory limit, directory and log for a factor too large for memory;
  // takes effect at the next analyse().
  void set_storage(const FactorStorage& storage) { cholesky_.set_storage(storage); }
  const FactorStatistics& statistics() const { return cholesky_.statistics(); }
  int64_t matrix_nonzeros() const { return normal_.lower_nonzeros(); }
  int dense_columns() const { return static_cast<int>(dense_list_.size()); }
  int dropped_pivots() const { return dropped_; }

 private:
  void multiply(const double* v, double* out) const;  // (A·Θ·Aᵀ + δ·I)·v
  void solve_once(double* r);

  const CscMatrix* a_ = nullptr;
  Ordering ordering_ = Ordering::automatic;
  int threads_ = 1, ordering_threads_ = 0;
  bool correction_failed_ = false;
  NormalMatrix normal_;
  CholeskyFactor cholesky_;
  std::vector<int> dense_list_;
  std::vector<char> in_product_;
  std::vector<double> theta_;
  double delta_ = 0;
  int dropped_ = 0;
  // Low-rank correction: W = S⁻¹·V (rows × k, interleaved), the Cholesky factor of
  // I + Vᵀ·W (k × k), with V the dense columns scaled by √θ.
  std::vector<double> w_, small_factor_;
  std::vector<double> row_reg_, work_rows_, work_rows2_, trial_, p_, q_, best_, work_small_, solve_work_;
};

}  // namespace korva::barrier
