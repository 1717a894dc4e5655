#include "simplex/sensitivity/sensitivity.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "env/errors.h"
#include "simplex/basis_queries/basis_access.h"
#include "simplex/basis_queries/ratio_steps.h"

namespace korva::simplex {

namespace {

// A limit that coincides with a bound within this is the bound.
constexpr double kSameValue = 1e-10;

// How far an internal parameter may decrease and increase.
struct Steps {
  double down = kInf, up = kInf;
  void limit(double d, double u) {
    down = std::min(down, d);
    up = std::min(up, u);
  }
};

double user_limit(double v) { return std::clamp(v, -kUserInfinity, kUserInfinity); }

// value - down/f and value + up/f as the caller sees them.
void write_interval(double value, const Steps& s, double f, double* lower, double* upper, int k) {
  if (lower) lower[k] = s.down == kInf ? -kUserInfinity : user_limit(value - s.down / f);
  if (upper) upper[k] = s.up == kInf ? kUserInfinity : user_limit(value + s.up / f);
}

// The primal steps of every basic variable along `column` (x_B + t·column
// for t > 0 limits `up`, t < 0 limits `down`).
Steps primal_steps(const SimplexWork& w, const SparseVector& column) {
  Steps s;
  for (int k = 0; k < column.count; ++k) {
    const int r = column.index[k];
    const double g = column.values[r];
    const int var = w.basic_index[r];
    const double x = w.x_basic[r], lo = w.lp.lower[var], up = w.lp.upper[var];
    s.limit(primal_step(x, lo, up, -g), primal_step(x, lo, up, g));
  }
  return s;
}

// The dual steps of a basic variable's cost along its row of the tableau:
// raising it by t moves reduced costs by -t·alpha.
Steps dual_steps(const BasisAccess& a, const SparseVector& rho, const SparseVector& alpha) {
  const SimplexWork& w = a.work();
  Steps s;
  auto take = [&](int var, double entry) {
    if (is_basic(w.status[var]) || !dual_bound_matters(w.lp, var)) return;
    s.limit(dual_step(w.status[var], w.dj[var], -entry), dual_step(w.status[var], w.dj[var], entry));
  };
  for (int k = 0; k < alpha.count; ++k) take(alpha.index[k], alpha.values[alpha.index[k]]);
  for (int k = 0; k < rho.count; ++k) take(a.n + rho.index[k], rho.values[rho.index[k]]);
  return s;
}

// The cost steps of a nonbasic column: only its own reduced cost's sign.
Steps nonbasic_cost_steps(const SimplexWork& w, int j) {
  Steps s;
  if (!dual_bound_matters(w.lp, j)) return s;
  const double d = w.dj[j];
  switch (base_status(w.status[j])) {
    case kAtLower:
      s.down = std::max(0.0, d);
      break;
    case kAtUpper:
      s.up = std::max(0.0, -d);
      break;
    default:
      s.down = s.up = 0.0;
      break;
  }
  return s;
}

int check_outputs(double* const* outputs, int num_outputs) {
  for (int k = 0; k < num_outputs; ++k)
    if (outputs[k]) return 0;
  return err::kNullPointer;
}

}  // namespace

int objective_ranges(Environment& env, Problem& p, int begin, int end, double* lower, double* upper) {
  double* outputs[] = {lower, upper};
  if (int code = check_outputs(outputs, 2)) return code;
  if (int code = check_range(&env, "KRVobjsa", begin, end, p.num_cols())) return code;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Optimal, a, true)) return code;
  const SimplexWork& w = a.work();
  const int count = end - begin + 1;
  std::vector<Steps> steps(static_cast<size_t>(count));
  std::vector<char> done(static_cast<size_t>(count), 0);
  for (int j = begin; j <= end; ++j) {
    if (is_basic(w.status[j])) continue;
    steps[j - begin] = nonbasic_cost_steps(w, j);
    done[j - begin] = 1;
  }
  SparseVector rho(a.m), alpha(a.n);
  auto basic_row = [&](int r) {
    const int j = w.basic_index[r];
    a.binv_row(r, rho);
    a.tableau_row(rho, alpha, false);
    steps[j - begin] = dual_steps(a, rho, alpha);
    done[j - begin] = 1;
  };
  if (by_rows(count, a.m)) {
    for (int r = 0; r < a.m; ++r)
      if (w.basic_index[r] >= begin && w.basic_index[r] <= end) basic_row(r);
  } else {
    for (int j = begin; j <= end; ++j)
      if (!done[j - begin]) basic_row(a.position_of(j));
  }
  const double sense = w.lp.objsense;
  for (int j = begin; j <= end; ++j) {
    Steps s = steps[j - begin];
    if (sense < 0) std::swap(s.down, s.up);
    // Internal costs are sense·c/f: a user change is sense·f times an internal one.
    write_interval(p.obj(j), s, 1.0 / a.factor(j), lower, upper, j - begin);
  }
  return 0;
}

int rhs_ranges(Environment& env, Problem& p, int begin, int end, double* lower, double* upper) {
  double* outputs[] = {lower, upper};
  if (int code = check_outputs(outputs, 2)) return code;
  if (int code = check_range(&env, "KRVrhssa", begin, end, p.num_rows())) return code;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::PrimalBasis, a)) return code;
  const SimplexWork& w = a.work();
  const int count = end - begin + 1;
  std::vector<Steps> steps(static_cast<size_t>(count));
  // A right-hand side shifts both bounds of the row's logical the opposite
  // way (the logical is -a·x): a step t in its internal units moves a basic
  // logical's bounds by -t, and a nonbasic logical's value by -t, which
  // moves the basic values by t·B⁻¹e_i.
  std::vector<char> nonbasic(static_cast<size_t>(count), 0);
  for (int i = begin; i <= end; ++i) {
    const int var = a.n + i;
    Steps& s = steps[i - begin];
    if (is_basic(w.status[var])) {
      const int r = a.position_of(var);
      const double x = w.x_basic[r], lo = w.lp.lower[var], up = w.lp.upper[var];
      s.down = lo == -kInf ? kInf : std::max(0.0, x - lo);
      s.up = up == kInf ? kInf : std::max(0.0, up - x);
    } else if (w.lp.lower[var] > -kInf || w.lp.upper[var] < kInf) {
      nonbasic[i - begin] = 1;
    }
  }
  if (by_rows(count, a.m)) {
    SparseVector rho(a.m);
    for (int r = 0; r < a.m; ++r) {
      a.binv_row(r, rho);
      const int var = w.basic_index[r];
      const double x = w.x_basic[r], lo = w.lp.lower[var], up = w.lp.upper[var];
      for (int k = 0; k < rho.count; ++k) {
        const int i = rho.index[k];
        if (i < begin || i > end || !nonbasic[i - begin]) continue;
        const double g = rho.values[i];
        steps[i - begin].limit(primal_step(x, lo, up, -g), primal_step(x, lo, up, g));
      }
    }
  } else {
    SparseVector column(a.m);
    for (int i = begin; i <= end; ++i) {
      if (!nonbasic[i - begin]) continue;
      column.clear();
      a.load_column(a.n + i, column);
      a.ftran(column);
      steps[i - begin] = primal_steps(w, column);
    }
  }
  for (int i = begin; i <= end; ++i) write_interval(p.rhs(i), steps[i - begin], a.factor(a.n + i), lower, upper, i - begin);
  return 0;
}

int bound_ranges(Environment& env, Problem& p, int begin, int end, double* lb_lower, double* lb_upper,
                 double* ub_lower, double* ub_upper) {
  double* outputs[] = {lb_lower, lb_upper, ub_lower, ub_upper};
  if (int code = check_outputs(outputs, 4)) return code;
  if (int code = check_range(&env, "KRVboundsa", begin, end, p.num_cols())) return code;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::PrimalBasis, a)) return code;
  const SimplexWork& w = a.work();
  const int count = end - begin + 1;
  // Moving the bound a nonbasic column sits on moves the column by t and
  // the basic values by -t·B⁻¹a_j.
  std::vector<Steps> steps(static_cast<size_t>(count));
  std::vector<char> moving(static_cast<size_t>(count), 0);
  for (int j = begin; j <= end; ++j) {
    const uint8_t s = base_status(w.status[j]);
    moving[j - begin] = s == kAtLower || s == kAtUpper;
  }
  if (by_rows(count, a.m)) {
    SparseVector rho(a.m), alpha(a.n);
    for (int r = 0; r < a.m; ++r) {
      a.binv_row(r, rho);
      a.tableau_row(rho, alpha, false);
      const int var = w.basic_index[r];
      const double x = w.x_basic[r], lo = w.lp.lower[var], up = w.lp.upper[var];
      for (int k = 0; k < alpha.count; ++k) {
        const int j = alpha.index[k];
        if (j < begin || j > end || !moving[j - begin]) continue;
        const double g = alpha.values[j];
        steps[j - begin].limit(primal_step(x, lo, up, g), primal_step(x, lo, up, -g));
      }
    }
  } else {
    SparseVector column(a.m);
    for (int j = begin; j <= end; ++j) {
      if (!moving[j - begin]) continue;
      column.clear();
      a.load_column(j, column);
      a.ftran(column);
      for (int k = 0; k < column.count; ++k) column.values[column.index[k]] = -column.values[column.index[k]];
      steps[j - begin] = primal_steps(w, column);
    }
  }
  for (int j = begin; j <= end; ++j) {
    const int k = j - begin;
    const double lb = p.lower(j), ub = p.upper(j);
    const double f = a.factor(j);
    const Steps& s = steps[k];
    double lbl = -kUserInfinity, lbu, ubl, ubu = kUserInfinity;
    switch (base_status(w.status[j])) {
      case kAtLower: {
        // The lower bound carries the column; the upper one may come down to it.
        lbl = s.down == kInf ? -kUserInfinity : user_limit(lb - s.down / f);
        lbu = s.up == kInf ? kUserInfinity : user_limit(lb + s.up / f);
        if (ub < kUserInfinity && lbu > ub - kSameValue) lbu = ub;
        ubl = lb;
        break;
      }
      case kAtUpper: {
        ubl = s.down == kInf ? -kUserInfinity : user_limit(ub - s.down / f);
        ubu = s.up == kInf ? kUserInfinity : user_limit(ub + s.up / f);
        if (lb > -kUserInfinity && ubl < lb + kSameValue) ubl = lb;
        lbu = ub;
        break;
      }
      default: {
        // Basic or between its bounds: either bound may come up (down) to the value.
        double v = w.lp.to_user(j, is_basic(w.status[j]) ? w.x_basic[a.position_of(j)] : w.x[j]);
        if (std::fabs(v - lb) <= kSameValue) v = lb;
        if (std::fabs(v - ub) <= kSameValue) v = ub;
        lbu = v;
        ubl = v;
        break;
      }
    }
    if (lb_lower) lb_lower[k] = lbl;
    if (lb_upper) lb_upper[k] = lbu;
    if (ub_lower) ub_lower[k] = ubl;
    if (ub_upper) ub_upper[k] = ubu;
  }
  return 0;
}

}  // namespace korva::simplex
