// The scaling state machine and the application and removal of factors.
// Factors are powers of two, so applying and removing them any number of
// times returns the data bit for bit.
#include "simplex/scaling.h"

#include <cmath>
#include <new>

#include "env/environment.h"

namespace korva {

namespace {

constexpr double kInfiniteBound = 1e20;  // bounds this large stay infinite

bool finite(double b) { return std::fabs(b) < kInfiniteBound; }

// `forward`: put the data in scaled form; otherwise back in user units.
void apply_factors(krv_env_s& env, const ScalingRecord& record, const ScalableLp& lp, bool forward) {
  const std::vector<double>& r = record.row_factors;
  const std::vector<double>& c = record.col_factors;
  uint64_t work = 0;
  for (int j = 0; j < lp.num_cols; ++j) {
    for (int64_t e = lp.begin(j); e < lp.end(j); ++e) {
      double f = r[lp.row_index[e]] * c[j];
      lp.value[e] = forward ? lp.value[e] / f : lp.value[e] * f;
    }
    work += static_cast<uint64_t>(lp.end(j) - lp.begin(j));
  }
  for (int j = 0; j < lp.num_cols; ++j) {
    double f = forward ? c[j] : 1.0 / c[j];
    if (lp.lower && finite(lp.lower[j])) lp.lower[j] *= f;
    if (lp.upper && finite(lp.upper[j])) lp.upper[j] *= f;
    if (lp.obj) lp.obj[j] /= f;
  }
  for (int i = 0; i < lp.num_rows; ++i) {
    double f = forward ? 1.0 / r[i] : r[i];
    if (lp.rhs) lp.rhs[i] *= f;
    if (lp.range) lp.range[i] *= f;
  }
  work += static_cast<uint64_t>(lp.num_rows + lp.num_cols);
  env.ticks.charge(work);
}

void scale_with_saved(krv_env_s& env, ScalingRecord& record, const ScalableLp& lp) {
  apply_factors(env, record, lp, true);
  record.active_rows = record.row_factors.data();
  record.active_cols = record.col_factors.data();
}

void forget(ScalingRecord& record) {
  record.row_factors.clear();
  record.row_factors.shrink_to_fit();
  record.col_factors.clear();
  record.col_factors.shrink_to_fit();
  record.active_rows = record.active_cols = nullptr;
  record.state = ScalingRecord::kNone;
}

}  // namespace

void unscale(krv_env_s& env, ScalingRecord& record, const ScalableLp& lp) {
  if (!record.scaled()) return;
  apply_factors(env, record, lp, false);
  record.active_rows = record.active_cols = nullptr;
}

void unscale_and_forget(krv_env_s& env, ScalingRecord& record, const ScalableLp& lp) {
  unscale(env, record, lp);
  forget(record);
}

void ensure_scaled(krv_env_s& env, ScalingRecord& record, const ScalableLp& lp, int mode) {
  if (lp.num_rows == 0 || lp.num_cols == 0) {
    unscale_and_forget(env, record, lp);
    return;
  }
  if (record.state == mode) {
    if (record.has_factors() && !record.scaled()) scale_with_saved(env, record, lp);
    return;
  }
  if (record.state == ScalingRecord::kUnnecessary) return;
  unscale_and_forget(env, record, lp);
  try {
    uint64_t work = 0;
    int state = compute_scale_factors(lp, mode, record.row_factors, record.col_factors, work);
    env.ticks.charge(work);
    record.state = state;
    if (state >= 0) scale_with_saved(env, record, lp);
  } catch (const std::bad_alloc&) {
    msg(env.warning(), "Not enough memory to scale.\n");
    forget(record);
  }
}

}  // namespace korva
