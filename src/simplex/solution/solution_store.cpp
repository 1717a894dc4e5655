#include "simplex/solution/solution_store.h"

#include "simplex/core/basis_factor.h"
#include "simplex/core/start_basis.h"
#include "simplex/solution/lp_solution.h"

namespace korva::simplex {

LpSolution* find_lp_solution(Problem& p) { return dynamic_cast<LpSolution*>(p.derived.solution.get()); }

void store_simplex_solution(Environment& env, Problem& p, SimplexWork& w, const SimplexOutcome& outcome,
                            int method) {
  auto sol = std::make_unique<LpSolution>();
  sol->status = outcome.status;
  sol->method = method;
  sol->primal_feasible = outcome.primal_feasible;
  sol->dual_feasible = outcome.dual_feasible;
  sol->iterations = outcome.iterations;
  sol->phase1_iterations = outcome.phase1_iterations;

  const SimplexLp& lp = w.lp;
  const int n = lp.num_cols, m = lp.num_rows;
  if (w.has_basis) {
    sol->type = kBasicSolution;
    w.sync_basic_values();
    sol->has_primal = true;
    sol->x.resize(static_cast<size_t>(n));
    sol->slack.resize(static_cast<size_t>(m));
    double obj = 0.0;
    for (int j = 0; j < n; ++j) {
      sol->x[j] = lp.to_user(j, w.x[j]);
      obj += p.obj(j) * sol->x[j];
    }
    sol->objective = obj;
    for (int i = 0; i < m; ++i) {
      // a·x = -s, so rhs - a·x = rhs + s.
      const double s = lp.to_user(n + i, w.x[n + i]);
      const double rhs = lp.rhs[i] >= kUserInfinity || lp.rhs[i] <= -kUserInfinity ? 0.0 : lp.rhs[i];
      const double slack = rhs + s;
      sol->slack[i] = lp.sense[i] == 'G' ? -slack : slack;
    }
    if (w.factor_valid) {
      // Duals of the original costs: perturbations and shifts are gone.
      SparseVector y(m);
      compute_reduced_costs(w, lp.cost.data(), y, env.ticks);
      sol->has_dual = true;
      sol->pi.resize(static_cast<size_t>(m));
      sol->dj.resize(static_cast<size_t>(n));
      const double sense = lp.objsense;
      for (int i = 0; i < m; ++i) sol->pi[i] = sense * y.values[i] / lp.row_scale[i];
      for (int j = 0; j < n; ++j) sol->dj[j] = sense * w.dj[j] * lp.col_scale[j];
    }
    auto basis = std::make_unique<Basis>();
    get_user_basis(w, *basis);
    p.derived.basis = std::move(basis);
  }
  p.derived.status = outcome.status;
  p.derived.values_valid = sol->has_primal;
  p.derived.solution = std::move(sol);
}

void store_status_only(Problem& p, int status, int method) {
  auto sol = std::make_unique<LpSolution>();
  sol->status = status;
  sol->method = method;
  p.derived.status = status;
  p.derived.values_valid = false;
  p.derived.solution = std::move(sol);
}

}  // namespace korva::simplex
