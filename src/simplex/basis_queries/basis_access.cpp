#include "simplex/basis_queries/basis_access.h"

#include "env/environment.h"
#include "env/errors.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/pivot_row.h"
#include "simplex/core/simplex_run.h"
#include "simplex/core/start_basis.h"
#include "simplex/dispatch/simplex_driver.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/solution/basis_solves.h"
#include "simplex/solution/solution_queries.h"
#include "simplex/status.h"

namespace korva::simplex {

namespace {

bool status_allows(int stat, Needs needs) {
  switch (needs) {
    case Needs::Basis:
      return true;
    case Needs::Optimal:
      return stat == status::kOptimal || stat == status::kOptimalInfeas;
    case Needs::PrimalBasis:
      return stat == status::kOptimal || stat == status::kOptimalInfeas || stat == status::kUnbounded;
    case Needs::Unbounded:
      return stat == status::kUnbounded;
  }
  return false;
}

// Whether the work record holds the basis the solution record reports.
bool holds_basis(const SimplexWork& w, const Basis& b) {
  Basis mine;
  get_user_basis(w, mine);
  return mine.cstat == b.cstat && mine.rstat == b.rstat;
}

// Loads the solution's basis into the work record and factorises it. The
// basis is the caller's answer: a factorisation that would have to repair
// it leaves no factor.
int factorise_solution_basis(Environment& env, Problem& p) {
  SimplexWork& w = simplex_work(p);
  w.has_basis = false;
  w.factor_valid = false;
  prepare_simplex_work(env, p, true, env.int_param(KRV_PARAM_SCAIND));
  w.factor_control = lu::factor_control(env);
  RefactorRequest req;
  req.display = 0;
  req.allow_repair = false;
  const int code = refactor_basis(env, p, w, req);
  if (code == err::kNoMemory) return code;
  if (code != 0 || !w.factor_valid) {
    w.factor_valid = false;
    return err::kNoFactor;
  }
  SparseVector work(w.lp.num_rows);
  compute_basic_values(w, work, env.ticks);
  return 0;
}

}  // namespace

int BasisAccess::position_of(int var) const {
  if (!is_basic(w->status[var])) return -1;
  for (int r = 0; r < m; ++r)
    if (w->basic_index[r] == var) return r;
  return -1;
}

void BasisAccess::ftran(SparseVector& v) const {
  v.indexed = false;
  w->lu.ftran(v, lu::SolveKind::Dense);
  v.rebuild_index();
}

void BasisAccess::btran(SparseVector& v) const {
  v.indexed = false;
  w->lu.btran(v, lu::SolveKind::Dense);
  v.rebuild_index();
}

void BasisAccess::load_column(int var, SparseVector& v) const {
  const SimplexLp& l = w->lp;
  if (var < n) {
    for (int64_t k = l.col_begin[var]; k < l.col_begin[var + 1]; ++k) v.values[l.row_index[k]] = l.value[k];
  } else {
    v.values[var - n] = 1.0;
  }
  v.indexed = false;
}

void BasisAccess::binv_row(int position, SparseVector& rho) const {
  rho.clear();
  rho.set_new(position, 1.0);
  w->lu.btran(rho);
}

void BasisAccess::tableau_row(const SparseVector& rho, SparseVector& alpha, bool with_basic) const {
  if (!with_basic) {
    compute_pivot_row(w->lp, w->status.data(), rho, alpha, env->ticks);
    return;
  }
  // Every column, basic ones included: one dot product per column.
  const SimplexLp& l = w->lp;
  alpha.clear();
  const double* y = rho.values.data();
  for (int j = 0; j < n; ++j) {
    double s = 0.0;
    for (int64_t k = l.col_begin[j]; k < l.col_begin[j + 1]; ++k) s += l.value[k] * y[l.row_index[k]];
    if (s != 0.0) alpha.set_new(j, s);
  }
  env->ticks.charge(static_cast<uint64_t>(l.col_begin[n]) + static_cast<uint64_t>(n));
}

double BasisAccess::user_value(int var, double internal) const {
  const SimplexLp& l = w->lp;
  const double value = l.to_user(var, internal);
  if (var < n) return value;
  // The logical is -a·x; the slack is rhs - a·x.
  const int i = var - n;
  const double rhs = l.rhs[i] >= kUserInfinity || l.rhs[i] <= -kUserInfinity ? 0.0 : l.rhs[i];
  return rhs + value;
}

int open_basis(Environment& env, Problem& p, Needs needs, BasisAccess& out, bool duals) {
  if (int code = lp_problem_check(p)) return code;
  LpSolution* sol = current_lp_solution(p);
  if (!sol || sol->type != kBasicSolution || !p.derived.basis) {
    if (needs == Needs::Unbounded && sol && sol->status != status::kUnbounded) return kUnboundedRequired;
    return err::kNoSolution;
  }
  if (!status_allows(sol->status, needs))
    return needs == Needs::Unbounded ? kUnboundedRequired : kNoSensitivity;
  SimplexWork* w = factored_work(p);
  if (!w || !holds_basis(*w, *p.derived.basis)) {
    if (int code = factorise_solution_basis(env, p)) return code;
    w = factored_work(p);
    if (!w) return err::kNoFactor;
  }
  if (duals) {
    SparseVector y(w->lp.num_rows);
    compute_reduced_costs(*w, w->lp.cost.data(), y, env.ticks);
  }
  w->sync_basic_values();
  out.env = &env;
  out.p = &p;
  out.w = w;
  out.sol = sol;
  out.m = w->lp.num_rows;
  out.n = w->lp.num_cols;
  return 0;
}

}  // namespace korva::simplex
