// Scaling of the LP data by row and column factors, all powers of two, so
// that the simplex works on entries near 1 and scaling and unscaling are
// exact. Entry a(i,j) becomes a(i,j)/(r(i)·c(j)); variable x(j) becomes
// c(j)·x(j) (bounds times c(j), cost over c(j)); row i's right-hand side
// and range are divided by r(i).
//
// The functions work on views of arrays, not on the problem object, so the
// problem's layout stays its own business.
#pragma once
#include <cstdint>
#include <vector>

#include "simplex/lu/basis_source.h"

struct krv_env_s;

namespace korva {

// The data scaling changes in place. Column j's entries are at
// col_begin[j] .. col_begin[j] + count - 1 with count col_count[j], or
// col_begin[j+1] - col_begin[j] when col_count is null.
struct ScalableLp {
  int num_rows = 0;
  int num_cols = 0;
  const int64_t* col_begin = nullptr;
  const int* col_count = nullptr;
  const int* row_index = nullptr;
  double* value = nullptr;
  double* lower = nullptr;  // per column
  double* upper = nullptr;
  double* obj = nullptr;
  double* rhs = nullptr;    // per row
  double* range = nullptr;  // per row, null when no row is ranged

  int64_t begin(int j) const { return col_begin[j]; }
  int64_t end(int j) const { return col_begin[j] + (col_count ? col_count[j] : col_begin[j + 1] - col_begin[j]); }
};

// Held in the LP data of the problem object.
struct ScalingRecord {
  static constexpr int kNone = -1;
  static constexpr int kUnnecessary = -2;

  int state = kNone;  // kNone, kUnnecessary, or the mode (0, 1) whose factors are saved
  std::vector<double> row_factors, col_factors;  // saved across runs
  // Set while the data is in scaled form.
  const double* active_rows = nullptr;
  const double* active_cols = nullptr;

  bool scaled() const { return active_rows != nullptr && active_cols != nullptr; }
  bool has_factors() const { return !row_factors.empty() || !col_factors.empty(); }
};

// Called at the start of every simplex run with KRV_PARAM_SCAIND as mode
// (-1 none, 0 equilibration, 1 geometric): re-applies saved factors of the
// same mode, does nothing for a matrix found not to need scaling, and
// computes new factors otherwise.
void ensure_scaled(krv_env_s& env, ScalingRecord& record, const ScalableLp& lp, int mode);
// Puts the data back in the user's units; the saved factors stay.
void unscale(krv_env_s& env, ScalingRecord& record, const ScalableLp& lp);
// The internal part of KRVunscaleprob: unscale, free the factors, state -1.
void unscale_and_forget(krv_env_s& env, ScalingRecord& record, const ScalableLp& lp);

// Factor computation on unscaled data. Returns the new state: kNone for
// mode -1, kUnnecessary, or the mode with the factors filled.
int compute_scale_factors(const ScalableLp& lp, int mode, std::vector<double>& row_factors,
                          std::vector<double>& col_factors, uint64_t& work);
// The power of two p with f/p in [0.75, 1.5), f clamped to at most 1e75.
double round_to_power_of_two(double f);

// Conversions for solves with a basis of the scaled problem on behalf of a
// caller in user units (KRVftran, KRVbtran). The scaled basis column of a
// basic variable is R⁻¹·(its column)·d, d = 1/c(j) for a structural column
// and r(i) for a logical column of row i, so B⁻¹a = D·B̃⁻¹(R⁻¹a) and
// B⁻ᵀc = R⁻¹·B̃⁻ᵀ(D·c). All are no-ops on unscaled data.
void scale_ftran_input(const ScalingRecord& record, double* a, int m);
void unscale_ftran_result(const ScalingRecord& record, const lu::BasisSource& source, const int* basic_index,
                          double* x, int m);
void scale_btran_input(const ScalingRecord& record, const lu::BasisSource& source, const int* basic_index,
                       double* c, int m);
void unscale_btran_result(const ScalingRecord& record, double* y, int m);

}  // namespace korva
