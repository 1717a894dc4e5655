// Choice of the scale factors: equilibration (rows to a largest entry of
// 1, then columns likewise) or alternating geometric-mean passes followed
// by a row equilibration; then the guard for columns with tiny ranges and
// the rounding to powers of two.
#include <algorithm>
#include <cmath>

#include "simplex/scaling.h"

namespace korva {

namespace {

constexpr double kIgnored = 1e-13;          // entries this small take no part
constexpr double kNoEntry = 1e75;
constexpr double kUnscaledRatio = 1.1111111111111112;  // below it no geometric pass runs
constexpr int kMaxGeometricPasses = 20;     // the stopping rule normally ends far earlier
constexpr double kRangeFloor = 2e-10;       // smallest scaled width of a column's range
constexpr double kRangeTarget = 2.1e-10;

// Largest over the columns of max/min of |a(i,j)|/(r(i)·c(j)).
double column_ratio(const ScalableLp& lp, const std::vector<double>& r, const std::vector<double>& c,
                    uint64_t& work) {
  double worst = 1.0;
  for (int j = 0; j < lp.num_cols; ++j) {
    double hi = 0.0, lo = kNoEntry;
    for (int64_t e = lp.begin(j); e < lp.end(j); ++e) {
      double a = std::fabs(lp.value[e]);
      if (a <= kIgnored) continue;
      a /= r[lp.row_index[e]] * c[j];
      hi = std::max(hi, a);
      lo = std::min(lo, a);
    }
    if (hi > 0.0) worst = std::max(worst, hi / lo);
    work += static_cast<uint64_t>(lp.end(j) - lp.begin(j));
  }
  return worst;
}

// r(i) from the entries of row i divided by their column factors: the
// largest (equilibration) or the geometric mean of largest and smallest.
void row_pass(const ScalableLp& lp, const std::vector<double>& c, bool geometric, std::vector<double>& r,
              std::vector<double>& lo, uint64_t& work) {
  std::fill(r.begin(), r.end(), 0.0);
  std::fill(lo.begin(), lo.end(), kNoEntry);
  for (int j = 0; j < lp.num_cols; ++j) {
    for (int64_t e = lp.begin(j); e < lp.end(j); ++e) {
      double a = std::fabs(lp.value[e]);
      if (a <= kIgnored) continue;
      a /= c[j];
      int i = lp.row_index[e];
      r[i] = std::max(r[i], a);
      lo[i] = std::min(lo[i], a);
    }
    work += static_cast<uint64_t>(lp.end(j) - lp.begin(j));
  }
  for (int i = 0; i < lp.num_rows; ++i) {
    if (r[i] == 0.0) r[i] = 1.0;
    else if (geometric) r[i] = std::sqrt(r[i] * lo[i]);
  }
}

void column_pass(const ScalableLp& lp, const std::vector<double>& r, bool geometric, std::vector<double>& c,
                 uint64_t& work) {
  for (int j = 0; j < lp.num_cols; ++j) {
    double hi = 0.0, lo = kNoEntry;
    for (int64_t e = lp.begin(j); e < lp.end(j); ++e) {
      double a = std::fabs(lp.value[e]);
      if (a <= kIgnored) continue;
      a /= r[lp.row_index[e]];
      hi = std::max(hi, a);
      lo = std::min(lo, a);
    }
    c[j] = hi == 0.0 ? 1.0 : geometric ? std::sqrt(hi * lo) : hi;
    work += static_cast<uint64_t>(lp.end(j) - lp.begin(j));
  }
}

}  // namespace

double round_to_power_of_two(double f) {
  f = std::min(f, 1e75);
  int exponent = 0;
  double mantissa = std::frexp(f, &exponent);  // f = mantissa·2^exponent, mantissa in [0.5, 1)
  // f/p must lie in [0.75, 1.5): p = 2^exponent when mantissa >= 0.75, else half that.
  return std::ldexp(1.0, mantissa >= 0.75 ? exponent : exponent - 1);
}

int compute_scale_factors(const ScalableLp& lp, int mode, std::vector<double>& r, std::vector<double>& c,
                          uint64_t& work) {
  if (mode < 0) return ScalingRecord::kNone;
  double largest = 0.0, smallest = kNoEntry;
  int64_t nonzeros = 0;
  for (int j = 0; j < lp.num_cols; ++j) {
    for (int64_t e = lp.begin(j); e < lp.end(j); ++e) {
      double a = std::fabs(lp.value[e]);
      if (a <= kIgnored) continue;
      largest = std::max(largest, a);
      smallest = std::min(smallest, a);
    }
    nonzeros += lp.end(j) - lp.begin(j);
  }
  work += static_cast<uint64_t>(nonzeros);
  if (largest <= 10.0 && smallest >= 0.1 && largest / smallest <= 10.0) return ScalingRecord::kUnnecessary;

  r.assign(static_cast<size_t>(lp.num_rows), 1.0);
  c.assign(static_cast<size_t>(lp.num_cols), 1.0);
  std::vector<double> low(static_cast<size_t>(lp.num_rows));
  if (mode == 0) {
    row_pass(lp, c, false, r, low, work);
    column_pass(lp, r, false, c, work);
  } else {
    double old = column_ratio(lp, r, c, work);
    if (old > kUnscaledRatio) {
      old = kNoEntry;
      for (int pass = 0; pass < kMaxGeometricPasses; ++pass) {
        row_pass(lp, c, true, r, low, work);
        column_pass(lp, r, true, c, work);
        double now = column_ratio(lp, r, c, work);
        bool small_gain = now >= 0.9 * old;
        bool not_worse = now <= old * 1.0000000001;
        old = now;
        if (small_gain && not_worse) break;
      }
    }
    row_pass(lp, c, false, r, low, work);
  }

  for (int j = 0; j < lp.num_cols; ++j) {
    if (!lp.lower || !lp.upper) break;
    double width = lp.upper[j] - lp.lower[j];
    if (width >= 1e-10 && c[j] * width < kRangeFloor) c[j] = kRangeTarget / width;
  }
  for (double& f : r) f = round_to_power_of_two(f);
  for (double& f : c) f = round_to_power_of_two(f);
  work += static_cast<uint64_t>(lp.num_rows + lp.num_cols);
  return mode;
}

}  // namespace korva
