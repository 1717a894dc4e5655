#include "simplex/basis_queries/rays_checks.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "env/environment.h"
#include "env/errors.h"
#include "simplex/basis_queries/basis_access.h"
#include "simplex/core/answer_check.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/simplex_run.h"
#include "simplex/dispatch/simplex_driver.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/status.h"

namespace korva::simplex {

namespace {

// Reduced costs below this (internal units) do not make a ray candidate.
constexpr double kCandidateTolerance = 1e-9;

struct RayStart {
  int var = -1;
  int direction = 0;
};

// Nonbasic variables whose reduced cost improves the objective in a
// direction without a bound, most attractive first.
std::vector<RayStart> ray_candidates(const BasisAccess& a) {
  const SimplexWork& w = a.work();
  const SimplexLp& lp = a.lp();
  std::vector<std::pair<double, RayStart>> found;
  for (int v = 0; v < a.n + a.m; ++v) {
    if (is_basic(w.status[v])) continue;
    const double d = w.dj[v];
    if (d < -kCandidateTolerance && lp.upper[v] == kInf) found.push_back({-d, {v, 1}});
    if (d > kCandidateTolerance && lp.lower[v] == -kInf) found.push_back({d, {v, -1}});
  }
  std::stable_sort(found.begin(), found.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
  std::vector<RayStart> out;
  for (const auto& f : found) out.push_back(f.second);
  return out;
}

// The primal simplex leaves the variable whose move nothing blocked; the
// dual simplex (or a solution mapped back from presolve) leaves a basis
// whose dual infeasibilities point at the ray, so those are tried in turn.
RayStart find_ray(Environment& env, Problem& p, BasisAccess& a) {
  SimplexWork& w = a.work();
  if (w.ray_var >= 0 && is_unbounded_ray(env, p, w, w.ray_var, w.ray_direction)) return {w.ray_var, w.ray_direction};
  for (const RayStart& c : ray_candidates(a))
    if (is_unbounded_ray(env, p, w, c.var, c.direction)) return c;
  if (w.ray_var >= 0) return {w.ray_var, w.ray_direction};
  return {};
}

}  // namespace

int get_ray(Environment& env, Problem& p, double* z) {
  if (!z) return err::kNullPointer;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Unbounded, a, true)) return code;
  const RayStart start = find_ray(env, p, a);
  if (start.var < 0) return err::kNoSolution;
  const SimplexWork& w = a.work();
  // The entering variable moves by `direction` in the user's units; the
  // basic ones follow the column of the tableau.
  std::fill(z, z + a.n, 0.0);
  if (start.var < a.n) z[start.var] = start.direction;
  SparseVector col(a.m);
  a.load_column(start.var, col);
  a.ftran(col);
  const double fq = a.factor(start.var);
  for (int r = 0; r < a.m; ++r) {
    const int var = w.basic_index[r];
    if (var < a.n) z[var] = -start.direction * col.values[r] * fq / a.factor(var);
  }
  return 0;
}

int check_dual_feasibility(Environment& env, Problem& p, int* infeasible) {
  if (!infeasible) return err::kNullPointer;
  *infeasible = kNoIndex;
  if (int code = lp_problem_check(p)) return code;
  SimplexWork& w = prepare_simplex_work(env, p, true, env.int_param(KRV_PARAM_SCAIND));
  RefactorRequest req;
  req.display = 0;
  w.factor_control = lu::factor_control(env);
  const int code = refactor_basis(env, p, w, req);
  if (code == lu::kRepaired) return kIllegalPivot;
  if (code != 0) return code;
  SparseVector y(w.lp.num_rows), work(w.lp.num_rows);
  compute_basic_values(w, work, env.ticks);
  compute_reduced_costs(w, w.lp.cost.data(), y, env.ticks);
  const double tol = env.dbl_param(KRV_PARAM_EPOPT);
  const SimplexLp& lp = w.lp;
  const int n = lp.num_cols;
  double worst = tol;
  for (int v = 0; v < lp.num_vars(); ++v) {
    const uint8_t s = base_status(w.status[v]);
    if (s == kBasic || lp.lower[v] == lp.upper[v]) continue;
    // The reduced cost in the user's units (minimisation sense).
    const double d = w.dj[v] * lp.to_internal(v, 1.0);
    double violation = 0.0;
    if (s == kAtLower) violation = -d;
    else if (s == kAtUpper) violation = d;
    else violation = std::fabs(d);
    if (violation > worst) {
      worst = violation;
      *infeasible = v < n ? v : -(v - n) - 1;
    }
  }
  return 0;
}

int check_solution(Environment& env, Problem& p, int* stat) {
  if (!stat) return err::kNullPointer;
  BasisAccess a;
  if (int code = open_basis(env, p, Needs::Basis, a, true)) return code;
  const UnscaledViolations v = unscaled_violations(env, p, a.work());
  LpSolution& sol = *a.sol;
  const bool primal = v.primal <= env.dbl_param(KRV_PARAM_EPRHS);
  const bool dual = v.dual <= env.dbl_param(KRV_PARAM_EPOPT);
  if (sol.status == status::kOptimal || sol.status == status::kOptimalInfeas) {
    sol.status = primal && dual ? status::kOptimal : status::kOptimalInfeas;
    p.derived.status = sol.status;
  }
  sol.primal_feasible = primal;
  sol.dual_feasible = dual;
  *stat = sol.status;
  return 0;
}

}  // namespace korva::simplex
