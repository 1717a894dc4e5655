// The factor of a simplex basis: an LU factorisation with Forrest–Tomlin
// updates, and the two solves the simplex needs at every iteration,
//   ftran: x <- B⁻¹x  (input indexed by row, result by basis position),
//   btran: y <- B⁻ᵀy  (input indexed by basis position, result by row).
// Both take and return SparseVectors with a valid index list. Work arrays
// are sized once in setup(); solves and updates do not allocate (the update
// file grows only when its capacity is exceeded).
#pragma once
#include <cstdint>
#include <vector>

#include "env/ticks.h"
#include "simplex/lu/basis_source.h"
#include "simplex/lu/factor_parts.h"
#include "simplex/lu/factorizer.h"
#include "simplex/lu/hyper_switch.h"
#include "simplex/lu/reach.h"
#include "simplex/sparse_vector.h"

struct krv_env_s;

namespace korva::lu {

// Settings fixed when the factor object is created.
struct FactorOptions {
  double row_file_mul = 3.0;  // KRV_PARAM_RFILEMUL
  double col_file_mul = 3.0;  // KRV_PARAM_CFILEMUL
  int reinv = 0;              // KRV_PARAM_REINV: 0 automatic, else updates + 1 per factor
};
FactorOptions factor_options(const krv_env_s& env);

enum class SolveKind { Automatic, Dense, Hypersparse };
enum class UpdateResult { Done, Refactorise };

class LuFactor {
 public:
  // Sizes everything for an m-row basis. `ticks` (may be null) is charged
  // with the work of every operation.
  void setup(int num_rows, const FactorOptions& options, TickArea* ticks);
  int num_rows() const { return m_; }

  // One factorisation attempt (no recovery; see refactor_driver.h). Returns
  // kOk, kSingular, kUnstable, kOutOfMemory or kDenseOutOfMemory. With
  // `pivot_ratio` given the ratio is stored there and never rejected.
  int factorise(const BasisSource& source, const int* basic_index, double markowitz,
                double pivot_tolerance, double* pivot_ratio);
  bool factorised() const { return factorised_; }
  void discard() { factorised_ = false; }
  // After kSingular: positions and rows the attempt could not pivot.
  const std::vector<int>& singular_positions() const { return build_.singular_positions; }
  const std::vector<int>& unpivoted_rows() const { return build_.unpivoted_rows; }

  // Solves. With keep_spike, ftran remembers the partial result that
  // update() needs for the column it was called with.
  void ftran(SparseVector& x, SolveKind kind = SolveKind::Automatic, bool keep_spike = false);
  void btran(SparseVector& y, SolveKind kind = SolveKind::Automatic);
  // ftran of both vectors, `column` with keep_spike: the same results as two
  // calls, with shared passes over the factor when both solves are dense.
  void ftran_pair(SparseVector& column, SparseVector& other);

  // Replaces the column at basis `position` by the column whose ftran (with
  // keep_spike) is `entering`. Refactorise when the update capacity, the
  // operation count or the numerics say so; the factor is then unchanged.
  UpdateResult update(const SparseVector& entering, int position);

  // Statistics and knobs used by the refactorisation driver.
  int updates() const { return R_.count(); }
  int update_limit() const { return max_updates_; }
  int previous_updates() const { return previous_updates_; }
  int64_t basis_nonzeros() const { return build_.basis_nonzeros; }
  int64_t factor_nonzeros() const { return L_.nonzeros() + U_.nonzeros + m_; }
  int64_t update_nonzeros() const { return R_.nonzeros(); }
  uint64_t last_factor_work() const { return build_.work; }
  bool hypersparse() const { return hyper_.on; }
  double pivot_ratio() const { return pivot_ratio_; }

  double dense_density = 0.6;   // dense switch; raised to 10 when the dense kernel fails
  double row_file_mul = 3.0;    // current multipliers (the driver may lower them)
  double col_file_mul = 3.0;
  FactorOptions options;

 private:
  void set_update_capacity();
  void charge(uint64_t n) {
    if (ticks_) ticks_->charge(n);
  }
  bool use_hyper(SolveKind kind, const SparseVector& v) const;
  // The same for one stage: an automatic solve also asks the stage's history.
  bool use_hyper(SolveKind kind, const SparseVector& v, const StageDensity& stage) const {
    return use_hyper(kind, v) && (kind != SolveKind::Automatic || stage.sparse());
  }
  void observe_fill();

  // Solve stages (row space unless stated).
  void ftran_lower(SparseVector& x, bool hyper);
  void ftran_updates(SparseVector& x);
  void ftran_upper(SparseVector& x, bool hyper);  // leaves the result in position space
  void ftran_lower_pair(SparseVector& a, SparseVector& b);  // dense sweeps only
  void ftran_upper_pair(SparseVector& a, SparseVector& b);
  void keep_spike(const SparseVector& x);
  void btran_upper(SparseVector& x, bool hyper);
  void btran_updates(SparseVector& x);
  void btran_lower(SparseVector& x, bool hyper);
  void to_row_space(SparseVector& y);
  int reach_limit() const { return m_ / 4 + 16; }

  int m_ = 0;
  bool factorised_ = false;
  TickArea* ticks_ = nullptr;
  Factorizer build_;
  LFactor L_;
  UFactor U_;
  UpdateFile R_;
  HyperSwitch hyper_;
  StageDensity ftran_lower_density_, ftran_upper_density_, btran_upper_density_, btran_lower_density_;
  double pivot_ratio_ = 1.0;
  int max_updates_ = 0;
  int previous_updates_ = 0;
  int64_t base_fill_ = 0;
  int64_t base_u_nonzeros_ = 0;

  SparseVector permuted_;  // target of the permutation between row and position space
  SparseVector permuted_pair_;  // the same for the second vector of ftran_pair
  SparseVector spike_;     // partial ftran of the entering column
  bool spike_valid_ = false;
  ReachWork reach_;
  // Forrest–Tomlin elimination scratch.
  std::vector<double> row_work_;
  std::vector<int> heap_;
  std::vector<char> in_heap_;
  std::vector<int> due_;  // transformations a sparse btran still has to visit
  std::vector<int> ft_rows_;
  std::vector<double> ft_mults_;
};

}  // namespace korva::lu
