// Rewrites an LP into an equivalent one whose optimum has the same
// objective value: rows and columns permuted, rows multiplied by positive
// factors, columns substituted by x = c·y (so column j's coefficients and
// cost are multiplied by c and its bounds divided by it). Factors are
// 10^u with u uniform in [-e, e], deliberately not powers of two, so the
// library's own exact scaling cannot undo them. Used by the robustness
// tests and the robustness sweep in bench/.
//
// Also measures a solution of the rewritten model against its data
// (bound and row violations, reduced-cost sign errors), independently of
// the library's own quality report.
#pragma once
#include <korva/korva.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace korva_test {

struct TransformOptions {
  uint64_t seed = 1;
  bool permute = false;
  double scale_exponent = 0;  // e: factors 10^u, u in [-e, e]; 0 for none
};

// The model's data in arrays, column-wise.
struct LpArrays {
  int n = 0, m = 0, objsense = 1;
  std::vector<double> obj, lb, ub, rhs, range;
  std::vector<char> sense;
  std::vector<int> beg, ind;
  std::vector<double> val;

  int read(KRVenv env, KRVprob lp) {
    n = KRVgetnumcols(env, lp);
    m = KRVgetnumrows(env, lp);
    objsense = KRVgetobjsen(env, lp);
    obj.assign(n, 0);
    lb.assign(n, 0);
    ub.assign(n, 0);
    rhs.assign(m, 0);
    range.assign(m, 0);
    sense.assign(m, 'E');
    beg.assign(n + 1, 0);
    int code = 0;
    if (n > 0) {
      if ((code = KRVgetobj(env, lp, obj.data(), 0, n - 1))) return code;
      if ((code = KRVgetlb(env, lp, lb.data(), 0, n - 1))) return code;
      if ((code = KRVgetub(env, lp, ub.data(), 0, n - 1))) return code;
    }
    if (m > 0) {
      if ((code = KRVgetrhs(env, lp, rhs.data(), 0, m - 1))) return code;
      if ((code = KRVgetsense(env, lp, sense.data(), 0, m - 1))) return code;
      // A model without ranged rows has no range values (1216).
      code = KRVgetrngval(env, lp, range.data(), 0, m - 1);
      if (code == 1216) std::fill(range.begin(), range.end(), 0.0);
      else if (code) return code;
    }
    const int nz = KRVgetnumnz(env, lp);
    ind.assign(std::max(nz, 1), 0);
    val.assign(std::max(nz, 1), 0);
    int count = 0, surplus = 0;
    if (n > 0 && (code = KRVgetcols(env, lp, &count, beg.data(), ind.data(), val.data(), nz, &surplus, 0,
                                    n - 1)))
      return code;
    beg[n] = count;
    return 0;
  }

  int copy_into(KRVenv env, KRVprob lp) const {
    std::vector<int> cnt(n);
    for (int j = 0; j < n; ++j) cnt[j] = beg[j + 1] - beg[j];
    return KRVcopylp(env, lp, n, m, objsense, obj.data(), rhs.data(), sense.data(), beg.data(), cnt.data(),
                     ind.data(), val.data(), lb.data(), ub.data(), range.data());
  }
};

// Row i of the result is row row_of[i] of the original, column j is column
// col_of[j]; the factors belong to the result's rows and columns.
struct Transform {
  std::vector<int> row_of, col_of;
  std::vector<double> row_factor, col_factor;
};

inline Transform make_transform(int n, int m, const TransformOptions& options) {
  Transform t;
  std::mt19937_64 random(options.seed);
  t.row_of.resize(m);
  t.col_of.resize(n);
  std::iota(t.row_of.begin(), t.row_of.end(), 0);
  std::iota(t.col_of.begin(), t.col_of.end(), 0);
  if (options.permute) {
    std::shuffle(t.row_of.begin(), t.row_of.end(), random);
    std::shuffle(t.col_of.begin(), t.col_of.end(), random);
  }
  std::uniform_real_distribution<double> exponent(-options.scale_exponent, options.scale_exponent);
  auto factor = [&] { return options.scale_exponent > 0 ? std::pow(10.0, exponent(random)) : 1.0; };
  t.row_factor.resize(m);
  t.col_factor.resize(n);
  for (double& r : t.row_factor) r = factor();
  for (double& c : t.col_factor) c = factor();
  return t;
}

inline double scale_bound(double bound, double divisor) {
  return std::fabs(bound) >= 1e20 ? bound : bound / divisor;
}
inline double scale_rhs(double value, double factor) {
  return std::fabs(value) >= 1e20 ? value : value * factor;
}

inline LpArrays apply_transform(const LpArrays& a, const Transform& t) {
  LpArrays b;
  b.n = a.n;
  b.m = a.m;
  b.objsense = a.objsense;
  std::vector<int> new_row(a.m);
  for (int i = 0; i < a.m; ++i) new_row[t.row_of[i]] = i;
  b.rhs.resize(a.m);
  b.range.resize(a.m);
  b.sense.resize(a.m);
  for (int i = 0; i < a.m; ++i) {
    const int r = t.row_of[i];
    b.rhs[i] = scale_rhs(a.rhs[r], t.row_factor[i]);
    b.range[i] = scale_rhs(a.range[r], t.row_factor[i]);
    b.sense[i] = a.sense[r];
  }
  b.obj.resize(a.n);
  b.lb.resize(a.n);
  b.ub.resize(a.n);
  b.beg.assign(a.n + 1, 0);
  for (int j = 0; j < a.n; ++j) {
    const int c = t.col_of[j];
    const double f = t.col_factor[j];
    b.obj[j] = a.obj[c] * f;
    b.lb[j] = scale_bound(a.lb[c], f);
    b.ub[j] = scale_bound(a.ub[c], f);
    for (int k = a.beg[c]; k < a.beg[c + 1]; ++k) {
      const int i = new_row[a.ind[k]];
      b.ind.push_back(i);
      b.val.push_back(a.val[k] * f * t.row_factor[i]);
    }
    b.beg[j + 1] = static_cast<int>(b.ind.size());
  }
  if (b.ind.empty()) {
    b.ind.push_back(0);
    b.val.push_back(0);
  }
  return b;
}

// Largest violations of a primal-dual pair on the model's own data, each
// relative to 1 + the size of what it is measured against.
struct Violations {
  double primal = 0;  // bounds and rows
  double dual = 0;    // reduced costs and duals of the wrong sign
};

inline Violations measure(const LpArrays& a, const std::vector<double>& x, const std::vector<double>& pi) {
  Violations v;
  std::vector<double> activity(a.m, 0.0), dj(a.obj);
  for (int j = 0; j < a.n; ++j)
    for (int k = a.beg[j]; k < a.beg[j + 1]; ++k) {
      activity[a.ind[k]] += a.val[k] * x[j];
      dj[j] -= a.val[k] * pi[a.ind[k]];
    }
  auto worse = [](double& worst, double excess, double size) {
    if (excess > 0) worst = std::max(worst, excess / (1 + std::fabs(size)));
  };
  for (int j = 0; j < a.n; ++j) {
    if (a.lb[j] > -1e20) worse(v.primal, a.lb[j] - x[j], a.lb[j]);
    if (a.ub[j] < 1e20) worse(v.primal, x[j] - a.ub[j], a.ub[j]);
  }
  std::vector<double> row_lo(a.m), row_hi(a.m);
  for (int i = 0; i < a.m; ++i) {
    double lo = a.rhs[i], hi = a.rhs[i];
    if (a.sense[i] == 'L') lo = -1e30;
    if (a.sense[i] == 'G') hi = 1e30;
    if (a.sense[i] == 'R') {
      lo = std::min(a.rhs[i], a.rhs[i] + a.range[i]);
      hi = std::max(a.rhs[i], a.rhs[i] + a.range[i]);
    }
    worse(v.primal, lo - activity[i], lo);
    worse(v.primal, activity[i] - hi, hi);
    row_lo[i] = lo;
    row_hi[i] = hi;
  }
  // Minimisation signs: a column above its lower bound needs dj <= 0, one
  // below its upper bound dj >= 0 (within how far it is from the bound).
  const double s = a.objsense;
  for (int j = 0; j < a.n; ++j) {
    const double d = s * dj[j];
    const double gap_lb = a.lb[j] > -1e20 ? x[j] - a.lb[j] : 1e30;
    const double gap_ub = a.ub[j] < 1e20 ? a.ub[j] - x[j] : 1e30;
    if (gap_lb > 1e-6 * (1 + std::fabs(a.lb[j]))) worse(v.dual, d, a.obj[j]);
    if (gap_ub > 1e-6 * (1 + std::fabs(a.ub[j]))) worse(v.dual, -d, a.obj[j]);
  }
  // A row is a variable r = a·x with the row's bounds and cost 0; its
  // reduced cost is pi.
  for (int i = 0; i < a.m; ++i) {
    const double d = s * pi[i];
    if (activity[i] - row_lo[i] > 1e-6 * (1 + std::fabs(row_lo[i]))) worse(v.dual, d, 0);
    if (row_hi[i] - activity[i] > 1e-6 * (1 + std::fabs(row_hi[i]))) worse(v.dual, -d, 0);
  }
  return v;
}

}  // namespace korva_test
