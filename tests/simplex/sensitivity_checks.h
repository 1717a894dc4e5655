// Checks of the basis queries and sensitivity ranges on a solved model,
// shared by the test suite (a handful of collection models) and the bench
// program that walks the whole collection. Each check returns the list of
// what failed, empty when everything held.
//
// Range checks re-solve: a value moved just inside its range must keep
// the optimal basis (a warm start takes no iteration), and moved just
// outside must change it. They need presolve off and advanced starts on,
// and leave the problem with its original data and optimal basis.
#pragma once
#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "simplex/sensitivity_support.h"

namespace korva_test {

using Failures = std::vector<std::string>;

// `count` indices spread evenly over 0..total-1.
inline std::vector<int> spread(int total, int count) {
  std::vector<int> out;
  if (total <= 0) return out;
  count = std::min(count, total);
  for (int k = 0; k < count; ++k) {
    const int v = static_cast<int>((static_cast<long long>(k) * total) / count);
    if (out.empty() || out.back() != v) out.push_back(v);
  }
  return out;
}

// Columns of B⁻¹A of the basic columns are unit vectors; `rows` rows of
// B⁻¹ times A equal the same rows of B⁻¹A.
inline Failures check_tableau(KRVenv env, KRVprob lp, int rows) {
  Failures f;
  const ModelData d = read_model_data(env, lp);
  std::vector<int> head(d.m);
  if (KRVgetbhead(env, lp, head.data(), nullptr) != 0) return {"KRVgetbhead failed"};
  std::vector<double> col(d.m);
  for (int r = 0; r < d.m; ++r) {
    if (head[r] < 0) continue;
    if (KRVbinvacol(env, lp, head[r], col.data()) != 0) return {"KRVbinvacol failed"};
    for (int k = 0; k < d.m; ++k) {
      if (std::fabs(col[k] - (k == r ? 1.0 : 0.0)) > 1e-7) {
        std::ostringstream s;
        s << "column " << head[r] << " of inverse(B)A: entry " << k << " is " << col[k];
        f.push_back(s.str());
        break;
      }
    }
  }
  std::vector<double> y(d.m), z(d.n);
  for (int i : spread(d.m, rows)) {
    if (KRVbinvrow(env, lp, i, y.data()) != 0 || KRVbinvarow(env, lp, i, z.data()) != 0)
      return {"KRVbinvrow/KRVbinvarow failed"};
    const std::vector<double> ya = d.transposed_times(y);
    double scale = 1.0;
    for (double v : ya) scale = std::max(scale, std::fabs(v));
    for (int j = 0; j < d.n; ++j) {
      if (std::fabs(ya[j] - z[j]) > 1e-8 * scale) {
        std::ostringstream s;
        s << "row " << i << ": binvrow*A " << ya[j] << " but binvarow " << z[j] << " at column " << j;
        f.push_back(s.str());
        break;
      }
    }
  }
  return f;
}

struct RangeCheckSettings {
  int samples = 6;         // entities of each kind
  double inside = 0.99;    // share of the way to a finite limit
  double outside = 1e-3;   // beyond a finite limit, relative to max(1, |limit|, width)
};

namespace detail {

struct Basis {
  std::vector<int> c, r;
  bool operator==(const Basis& o) const { return c == o.c && r == o.r; }
};

inline Basis get_basis(KRVenv env, KRVprob lp) {
  Basis b;
  b.c.resize(KRVgetnumcols(env, lp));
  b.r.resize(KRVgetnumrows(env, lp));
  KRVgetbase(env, lp, b.c.data(), b.r.data());
  return b;
}

// One entity's value moved by `set` (and put back by `set(original)`),
// re-solved by `solve` from the base basis each time.
class Mover {
 public:
  Mover(KRVenv env, KRVprob lp, Basis base, std::function<int(KRVenv, KRVprob)> solve)
      : env_(env), lp_(lp), base_(std::move(base)), solve_(std::move(solve)) {}

  // The basis after moving to `value`: kept (no iteration, same basis,
  // optimal) or not.
  int kept(const std::function<void(double)>& set, double value, double original, bool* keeps) {
    set(value);
    KRVcopybase(env_, lp_, base_.c.data(), base_.r.data());
    int code = solve_(env_, lp_);
    const int stat = KRVgetstat(env_, lp_);
    const int its = KRVgetitcnt(env_, lp_);
    const bool same = get_basis(env_, lp_) == base_;
    *keeps = code == 0 && stat == 1 && its == 0 && same;
    set(original);
    KRVcopybase(env_, lp_, base_.c.data(), base_.r.data());
    if (code == 0) code = solve_(env_, lp_);
    return code;
  }

 private:
  KRVenv env_;
  KRVprob lp_;
  Basis base_;
  std::function<int(KRVenv, KRVprob)> solve_;
};

// The inside and outside checks of one interval [lo, hi] around `value`.
inline void check_interval(Mover& mover, const std::function<void(double)>& set, double value, double lo, double hi,
                           const RangeCheckSettings& s, const std::string& what, Failures& f,
                           double outside_lo_limit = -1e20, double outside_hi_limit = 1e20) {
  auto report = [&](const char* side, const char* expected, double at) {
    std::ostringstream o;
    o.precision(12);
    o << what << ": range [" << lo << ", " << hi << "] around " << value << ", at " << at << " (" << side
      << ") the basis " << expected;
    f.push_back(o.str());
  };
  struct Side {
    double limit;
    double dir;
    double outer;
    const char* name;
  };
  for (const Side side : {Side{lo, -1.0, outside_lo_limit, "below"}, Side{hi, 1.0, outside_hi_limit, "above"}}) {
    bool keeps = false;
    const bool infinite = std::fabs(side.limit) >= 1e20;
    const double width = std::fabs(side.limit - value);
    if (infinite || width > 0) {
      const double in = infinite ? value + side.dir * 10.0 * (1.0 + std::fabs(value))
                                 : value + s.inside * (side.limit - value);
      if (mover.kept(set, in, value, &keeps) != 0) return report(side.name, "could not be re-solved", in);
      if (!keeps) report(side.name, "changed inside", in);
    }
    if (infinite) continue;
    const double out =
        side.limit + side.dir * s.outside * std::max({1.0, std::fabs(side.limit), width});
    if (side.dir < 0 ? out <= side.outer : out >= side.outer) continue;  // no valid value out there
    if (mover.kept(set, out, value, &keeps) != 0) return report(side.name, "could not be re-solved", out);
    if (keeps) report(side.name, "stayed outside", out);
  }
}

}  // namespace detail

// Costs, right-hand sides and bounds of a sample of entities. The problem
// must be solved to optimality with presolve off.
inline Failures check_ranges(KRVenv env, KRVprob lp, const RangeCheckSettings& s = {}) {
  Failures f;
  ModelData d = read_model_data(env, lp);
  const detail::Basis base = detail::get_basis(env, lp);
  std::vector<int> cols = spread(d.n, s.samples), rows = spread(d.m, s.samples);
  std::vector<double> lo(std::max(d.n, d.m)), hi(std::max(d.n, d.m)), lo2(d.n), hi2(d.n);
  // Costs: the primal simplex keeps a primal feasible basis.
  {
    detail::Mover mover(env, lp, base, [](KRVenv e, KRVprob p) { return KRVprimopt(e, p); });
    if (KRVobjsa(env, lp, 0, d.n - 1, lo.data(), hi.data()) != 0) return {"KRVobjsa failed"};
    for (int j : cols) {
      auto set = [&](double v) { KRVchgobj(env, lp, 1, &j, &v); };
      detail::check_interval(mover, set, d.obj[j], lo[j], hi[j], s, "cost of column " + std::to_string(j), f);
    }
  }
  // Right-hand sides and bounds: the dual simplex keeps a dual feasible basis.
  detail::Mover mover(env, lp, base, [](KRVenv e, KRVprob p) { return KRVdualopt(e, p); });
  if (d.m > 0) {
    if (KRVrhssa(env, lp, 0, d.m - 1, lo.data(), hi.data()) != 0) return {"KRVrhssa failed"};
    for (int i : rows) {
      auto set = [&](double v) { KRVchgrhs(env, lp, 1, &i, &v); };
      detail::check_interval(mover, set, d.rhs[i], lo[i], hi[i], s, "rhs of row " + std::to_string(i), f);
    }
  }
  if (KRVboundsa(env, lp, 0, d.n - 1, lo.data(), hi.data(), lo2.data(), hi2.data()) != 0)
    return {"KRVboundsa failed"};
  for (int j : cols) {
    if (d.lb[j] > -1e20) {
      auto set = [&](double v) {
        const char which = 'L';
        KRVchgbds(env, lp, 1, &j, &which, &v);
      };
      detail::check_interval(mover, set, d.lb[j], lo[j], hi[j], s, "lower bound of column " + std::to_string(j), f,
                             -1e20, d.ub[j]);
    }
    if (d.ub[j] < 1e20) {
      auto set = [&](double v) {
        const char which = 'U';
        KRVchgbds(env, lp, 1, &j, &which, &v);
      };
      detail::check_interval(mover, set, d.ub[j], lo2[j], hi2[j], s, "upper bound of column " + std::to_string(j),
                             f, d.lb[j], 1e20);
    }
  }
  return f;
}

// The ray of an unbounded model: improves the objective, keeps every row
// and bound (relative tolerance `tol`).
inline Failures check_ray(KRVenv env, KRVprob lp, double tol = 1e-9) {
  const ModelData d = read_model_data(env, lp);
  std::vector<double> z(d.n);
  if (KRVgetray(env, lp, z.data()) != 0) return {"KRVgetray failed"};
  Failures f;
  double slope = 0.0, size = 0.0;
  for (int j = 0; j < d.n; ++j) size = std::max(size, std::fabs(z[j]));
  if (!(size > 0)) return {"zero ray"};
  for (int j = 0; j < d.n; ++j) {
    slope += d.objsense * d.obj[j] * z[j] / size;
    if ((d.lb[j] > -1e20 && z[j] < -tol * size) || (d.ub[j] < 1e20 && z[j] > tol * size))
      f.push_back("ray leaves the bounds of column " + std::to_string(j));
  }
  if (!(slope < -tol)) f.push_back("ray does not improve the objective");
  const std::vector<double> az = d.times(z);
  for (int i = 0; i < d.m; ++i) {
    if ((d.row_lower(i) > -1e20 && az[i] < -tol * size) || (d.row_upper(i) < 1e20 && az[i] > tol * size))
      f.push_back("ray violates row " + std::to_string(i));
  }
  return f;
}

}  // namespace korva_test
