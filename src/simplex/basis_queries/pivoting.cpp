#include "simplex/basis_queries/pivoting.h"

#include <cmath>
#include <vector>

#include "env/channel.h"
#include "env/environment.h"
#include "env/errors.h"
#include "simplex/basis_queries/basis_access.h"
#include "simplex/basis_queries/ratio_steps.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/start_basis.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/solution/solution_store.h"
#include "simplex/status.h"

namespace korva::simplex {

namespace {

// Entries smaller than this share of the largest one in the entering
// column make no pivot: the basis they give is numerically singular.
constexpr double kRelativePivot = 1e-9;

// Pivots work with the model's own bounds: a run may end with shifted or
// perturbed working bounds, which no longer mean anything.
void use_model_bounds(SimplexWork& w) {
  w.work_lower = w.lp.lower;
  w.work_upper = w.lp.upper;
  refresh_basic_bounds(w);
}

// The internal status that user status `user` (0 at lower / at the
// right-hand side, 2 at upper / at the other end, 3 free) means.
uint8_t internal_status(const SimplexWork& w, int var, int user) {
  if (user == KRV_FREE_SUPER) return kSuperbasic;
  if (var < w.lp.num_cols) return user == KRV_AT_UPPER ? kAtUpper : kAtLower;
  const int i = var - w.lp.num_cols;
  const bool lower_is_rhs = w.lp.sense[i] == 'E' || rhs_end_is_lower(w.lp.sense[i], w.lp.range[i]);
  return (user == KRV_AT_LOWER) == lower_is_rhs ? kAtLower : kAtUpper;
}

// The bound a basic variable reaches when it leaves moving in the
// direction of `g` (its change per unit step).
uint8_t status_reached(double g) { return g > 0 ? kAtUpper : kAtLower; }

struct SavedBasis {
  std::vector<int> basic_index;
  std::vector<uint8_t> status;
  std::vector<double> x;
  explicit SavedBasis(const SimplexWork& w) : basic_index(w.basic_index), status(w.status), x(w.x) {}
  void restore(SimplexWork& w) const {
    w.basic_index = basic_index;
    w.status = status;
    w.x = x;
  }
};

int refactor_exact(Environment& env, Problem& p, SimplexWork& w) {
  RefactorRequest req;
  req.display = 0;
  req.allow_repair = false;
  const int code = refactor_basis(env, p, w, req);
  if (code == 0) return 0;
  w.factor_valid = false;
  return code == err::kNoMemory ? code : kIllegalPivot;
}

// Replaces the variable basic in `position` by `enter`; the one leaving
// becomes nonbasic with status `leave_status`. A basis the factorisation
// cannot take is refused and the old one restored.
int exchange(BasisAccess& a, int enter, int position, uint8_t leave_status) {
  SimplexWork& w = a.work();
  SparseVector col(a.m);
  a.load_column(enter, col);
  a.ftran(col);
  double largest = 0.0;
  for (int r = 0; r < a.m; ++r) largest = std::max(largest, std::fabs(col.values[r]));
  const double pivot = std::fabs(col.values[position]);
  if (!(pivot > kTableauZero) || pivot < kRelativePivot * largest) return kIllegalPivot;
  const SavedBasis saved(w);
  const int leave = w.basic_index[position];
  w.sync_basic_values();
  w.basic_index[position] = enter;
  w.status[enter] = kBasic;
  w.status[leave] = leave_status;
  place_nonbasic_value(w, leave);
  refresh_basic_bounds(w);
  w.dual_weight_mode = -1;
  int code = refactor_exact(*a.env, *a.p, w);
  if (code != 0) {
    saved.restore(w);
    refresh_basic_bounds(w);
    const int again = refactor_exact(*a.env, *a.p, w);
    return again == err::kNoMemory ? again : code;
  }
  SparseVector work(a.m);
  compute_basic_values(w, work, a.env->ticks);
  return 0;
}

// After the last pivot: the duals of the new basis and the solution record.
void store_after_pivots(BasisAccess& a, int pivots) {
  SimplexWork& w = a.work();
  Environment& env = *a.env;
  SparseVector y(a.m);
  compute_reduced_costs(w, w.lp.cost.data(), y, env.ticks);
  w.sync_basic_values();
  const double ptol = env.dbl_param(KRV_PARAM_EPRHS), dtol = env.dbl_param(KRV_PARAM_EPOPT);
  bool primal = true, dual = true;
  for (int r = 0; r < a.m && primal; ++r) {
    const int var = w.basic_index[r];
    primal = w.x_basic[r] >= w.lp.lower[var] - ptol && w.x_basic[r] <= w.lp.upper[var] + ptol;
  }
  for (int v = 0; v < a.n + a.m && dual; ++v) {
    if (is_basic(w.status[v]) || !dual_bound_matters(w.lp, v)) continue;
    const double d = w.dj[v];
    switch (base_status(w.status[v])) {
      case kAtLower:
        dual = d >= -dtol;
        break;
      case kAtUpper:
        dual = d <= dtol;
        break;
      default:
        dual = std::fabs(d) <= dtol;
        break;
    }
  }
  SimplexOutcome outcome;
  outcome.status = primal && dual ? status::kOptimal : status::kNumBest;
  outcome.primal_feasible = primal;
  outcome.dual_feasible = dual;
  outcome.iterations = a.sol->iterations + pivots;
  outcome.phase1_iterations = a.sol->phase1_iterations;
  const int method = a.sol->method;
  store_simplex_solution(env, *a.p, w, outcome, method);
}

// The entering variable of a dual step from row `alpha` of the tableau
// (basic position `position`): with `up` the leaving variable's reduced
// cost becomes negative (it leaves at its upper bound), reduced costs
// move by -t·alpha; otherwise by +t·alpha.
StepChoice dual_choice(const BasisAccess& a, const SparseVector& rho, const SparseVector& alpha, bool up,
                       bool fixed_too) {
  const SimplexWork& w = a.work();
  StepChoice c;
  const double sign = up ? 1.0 : -1.0;
  auto offer = [&](int var, double entry) {
    if (is_basic(w.status[var])) return;
    if (!dual_bound_matters(w.lp, var)) {
      if (fixed_too && std::fabs(entry) > kTableauZero) c.offer(kInf / 2, std::fabs(entry), var);
      return;
    }
    c.offer(dual_step(w.status[var], w.dj[var], sign * entry), std::fabs(entry), var);
  };
  for (int k = 0; k < alpha.count; ++k) offer(alpha.index[k], alpha.values[alpha.index[k]]);
  for (int k = 0; k < rho.count; ++k) offer(a.n + rho.index[k], rho.values[rho.index[k]]);
  return c;
}

// Makes the list's indices internal variables; 1003 for one out of range.
int internal_list(const BasisAccess& a, const int* indices, int count, std::vector<int>& vars) {
  vars.resize(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) {
    vars[k] = a.internal_index(indices[k]);
    if (vars[k] < 0) return err::kBadArgument;
  }
  return 0;
}

int check_list(const int* list, int count) {
  if (count < 0) return err::kBadArgument;
  if (count > 0 && !list) return err::kNullPointer;
  return 0;
}

}  // namespace

int pivot_in(Environment& env, Problem& p, const int* rows, int count) {
  if (int code = check_list(rows, count)) return code;
  const bool display = env.int_param(KRV_PARAM_SIMDISPLAY) > 0;
  if (count == 0) {
    if (display) msg(env.results(), "No rows to pivot in.\n");
    return 0;
  }
  for (int k = 0; k < count; ++k)
    if (rows[k] < 0 || rows[k] >= p.num_rows()) return err::kBadArgument;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a, true)) return code;
  SimplexWork& w = a.work();
  use_model_bounds(w);
  int pivots = 0;
  SparseVector col(a.m);
  for (int k = 0; k < count; ++k) {
    const int enter = a.n + rows[k];
    if (is_basic(w.status[enter])) continue;
    // The slack moves into the row's interior, away from the bound it
    // sits on; the first basic variable it drives to a bound leaves.
    col.clear();
    a.load_column(enter, col);
    a.ftran(col);
    const double direction = base_status(w.status[enter]) == kAtUpper ? -1.0 : 1.0;
    StepChoice blocking, largest;
    for (int r = 0; r < a.m; ++r) {
      const double g = -direction * col.values[r];
      const int var = w.basic_index[r];
      blocking.offer(primal_step(w.x_basic[r], w.lp.lower[var], w.lp.upper[var], g), std::fabs(g), r);
      largest.offer(1.0, std::fabs(g), r);
    }
    const StepChoice& chosen = blocking.who >= 0 ? blocking : largest;
    if (chosen.who < 0) return kIllegalPivot;
    const double g = -direction * col.values[chosen.who];
    if (int code = exchange(a, enter, chosen.who, status_reached(g))) return code;
    ++pivots;
  }
  if (pivots == 0) {
    if (display) msg(env.results(), "All indicated row variables are basic.\n");
    return 0;
  }
  store_after_pivots(a, pivots);
  return 0;
}

int pivot_out(Environment& env, Problem& p, const int* cols, int count) {
  if (int code = check_list(cols, count)) return code;
  for (int k = 0; k < count; ++k)
    if (cols[k] < 0 || cols[k] >= p.num_cols()) return err::kBadArgument;
  for (int k = 0; k < count; ++k)
    if (p.lower(cols[k]) != p.upper(cols[k])) return kOnlyFixedPivotOut;
  if (count == 0) return 0;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a, true)) return code;
  SimplexWork& w = a.work();
  use_model_bounds(w);
  int pivots = 0;
  SparseVector rho(a.m), alpha(a.n), y(a.m);
  for (int k = 0; k < count; ++k) {
    const int leave = cols[k];
    const int position = a.position_of(leave);
    if (position < 0) continue;
    a.binv_row(position, rho);
    a.tableau_row(rho, alpha, false);
    // A fixed variable is dual feasible at any reduced cost: the step may
    // go either way, whichever keeps the other reduced costs' signs longer.
    const StepChoice down = dual_choice(a, rho, alpha, false, true);
    const StepChoice up = dual_choice(a, rho, alpha, true, true);
    const StepChoice& chosen = up.step < down.step || (up.step == down.step && up.size > down.size) ? up : down;
    if (chosen.who < 0) return kIllegalPivot;
    if (int code = exchange(a, chosen.who, position, kAtLower)) return code;
    ++pivots;
    // The reduced costs of the new basis guide the next choice.
    compute_reduced_costs(w, w.lp.cost.data(), y, env.ticks);
  }
  if (pivots > 0) store_after_pivots(a, pivots);
  return 0;
}

int pivot(Environment& env, Problem& p, int enter, int leave, int leave_status) {
  if (leave_status != KRV_AT_LOWER && leave_status != KRV_AT_UPPER && leave_status != KRV_FREE_SUPER)
    return err::kBadArgument;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a, true)) return code;
  const int in = a.internal_index(enter), out = a.internal_index(leave);
  if (in < 0 || out < 0) return err::kBadArgument;
  SimplexWork& w = a.work();
  if (is_basic(w.status[in]) || in == out) return kIllegalPivot;
  const int position = a.position_of(out);
  if (position < 0) return kNotBasicIndex;
  use_model_bounds(w);
  if (int code = exchange(a, in, position, internal_status(w, out, leave_status))) return code;
  store_after_pivots(a, 1);
  return 0;
}

int primal_ratio(Environment& env, Problem& p, const int* indices, int count, const PrimalRatioOut& out) {
  if (int code = check_list(indices, count)) return code;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a)) return code;
  std::vector<int> vars;
  if (int code = internal_list(a, indices, count, vars)) return code;
  const SimplexWork& w = a.work();
  for (int var : vars)
    if (is_basic(w.status[var])) return err::kBadArgument;
  SparseVector col(a.m);
  for (int k = 0; k < count; ++k) {
    const int q = vars[k];
    col.clear();
    a.load_column(q, col);
    a.ftran(col);
    const double fq = a.factor(q);
    for (int side = 0; side < 2; ++side) {
      const double direction = side == 0 ? -1.0 : 1.0;
      StepChoice c;
      // Its own other bound first: a bound flip needs no basis change.
      c.offer(primal_step(w.x[q], w.lp.lower[q], w.lp.upper[q], direction), 1.0, a.n + a.m);
      for (int r = 0; r < a.m; ++r) {
        const int var = w.basic_index[r];
        const double g = -direction * col.values[r];
        c.offer(primal_step(w.x_basic[r], w.lp.lower[var], w.lp.upper[var], g), std::fabs(g), r);
      }
      int leave = kNoIndex, leave_status = -1;
      if (c.who == a.n + a.m) {
        leave = a.user_index(q);
        leave_status = direction > 0 ? KRV_AT_UPPER : KRV_AT_LOWER;
      } else if (c.who >= 0) {
        leave = a.user_index(w.basic_index[c.who]);
        leave_status = status_reached(-direction * col.values[c.who]) == kAtUpper ? KRV_AT_UPPER : KRV_AT_LOWER;
      }
      const double ratio = c.step == kInf ? kUserInfinity : c.step / fq;
      if (side == 0) {
        if (out.down_ratio) out.down_ratio[k] = ratio;
        if (out.down_leave) out.down_leave[k] = leave;
        if (out.down_leave_status) out.down_leave_status[k] = leave_status;
      } else {
        if (out.up_ratio) out.up_ratio[k] = ratio;
        if (out.up_leave) out.up_leave[k] = leave;
        if (out.up_leave_status) out.up_leave_status[k] = leave_status;
      }
    }
  }
  return 0;
}

namespace {

// Row `position`'s dual steps both ways, in the leaving variable's units.
struct LeaveSteps {
  StepChoice down, up;
};
LeaveSteps leave_steps(const BasisAccess& a, int position, SparseVector& rho, SparseVector& alpha) {
  a.binv_row(position, rho);
  a.tableau_row(rho, alpha, false);
  return {dual_choice(a, rho, alpha, false, false), dual_choice(a, rho, alpha, true, false)};
}

int basic_positions(const BasisAccess& a, const int* indices, int count, std::vector<int>& positions) {
  std::vector<int> vars;
  if (int code = internal_list(a, indices, count, vars)) return code;
  positions.resize(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) {
    positions[k] = a.position_of(vars[k]);
    if (positions[k] < 0) return kNotBasicIndex;
  }
  return 0;
}

}  // namespace

int dual_ratio(Environment& env, Problem& p, const int* indices, int count, double* down_ratio, double* up_ratio,
               int* down_enter, int* up_enter) {
  if (int code = check_list(indices, count)) return code;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a, true)) return code;
  std::vector<int> positions;
  if (int code = basic_positions(a, indices, count, positions)) return code;
  SparseVector rho(a.m), alpha(a.n);
  for (int k = 0; k < count; ++k) {
    const LeaveSteps s = leave_steps(a, positions[k], rho, alpha);
    // The leaving variable's reduced cost in the user's units.
    const double f = a.factor(a.work().basic_index[positions[k]]);
    if (down_ratio) down_ratio[k] = s.down.step == kInf ? kUserInfinity : s.down.step * f;
    if (up_ratio) up_ratio[k] = s.up.step == kInf ? kUserInfinity : s.up.step * f;
    if (down_enter) down_enter[k] = s.down.who >= 0 ? a.user_index(s.down.who) : kNoIndex;
    if (up_enter) up_enter[k] = s.up.who >= 0 ? a.user_index(s.up.who) : kNoIndex;
  }
  return 0;
}

int md_leave(Environment& env, Problem& p, const int* indices, int count, double* down_ratio, double* up_ratio) {
  if (int code = check_list(indices, count)) return code;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a, true)) return code;
  std::vector<int> positions;
  if (int code = basic_positions(a, indices, count, positions)) return code;
  const SimplexWork& w = a.work();
  SparseVector rho(a.m), alpha(a.n);
  for (int k = 0; k < count; ++k) {
    const int r = positions[k];
    const int var = w.basic_index[r];
    const LeaveSteps s = leave_steps(a, r, rho, alpha);
    // Distance times dual step is the same in any units.
    auto degradation = [&](double bound, double step) {
      const double distance = std::fabs(w.x_basic[r] - bound);
      if (distance == 0.0) return 0.0;
      if (bound == kInf || bound == -kInf || step == kInf) return kUserInfinity;
      return std::min(kUserInfinity, distance * step);
    };
    if (down_ratio) down_ratio[k] = degradation(w.lp.lower[var], s.down.step);
    if (up_ratio) up_ratio[k] = degradation(w.lp.upper[var], s.up.step);
  }
  return 0;
}

}  // namespace korva::simplex
