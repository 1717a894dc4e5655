#include "simplex/solution/solution_queries.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "env/errors.h"
#include "model/model.h"
#include "simplex/core/load_lp.h"
#include "simplex/dispatch/simplex_driver.h"
#include "simplex/solution/lp_solution.h"
#include "simplex/solution/mip_incumbent.h"

namespace korva::simplex {

namespace {

bool is_mip(const Problem& p) { return lp_problem_check(p) == err::kNotForMip; }

// The incumbent's values, 1217 without a store, 3023 without values.
int mip_values(Problem& p, MipIncumbentStore** out) {
  MipIncumbentStore* store = find_mip_incumbent(p);
  if (!store) return err::kNoSolution;
  if (!store->has_values()) return 3023;
  *out = store;
  return 0;
}

// Column values of the solution (LP or incumbent), for derived quantities.
int solution_x(Problem& p, const double** x) {
  if (is_mip(p)) {
    MipIncumbentStore* store = nullptr;
    if (int code = mip_values(p, &store)) return code;
    *x = store->x();
    return 0;
  }
  LpSolution* sol = current_lp_solution(p);
  if (!sol || !sol->has_primal) return err::kNoSolution;
  *x = sol->x.data();
  return 0;
}

double activity(const Problem& p, const double* x, int i) {
  const RowCopy& rows = p.row_copy();
  double a = 0.0;
  for (int64_t k = rows.begin[i]; k < rows.begin[i + 1]; ++k) a += rows.value[k] * x[rows.index[k]];
  return a;
}

double violation(double value, double lower, double upper) {
  if (lower > -kUserInfinity && value < lower) return value - lower;
  if (upper < kUserInfinity && value > upper) return value - upper;
  return 0.0;
}

}  // namespace

LpSolution* current_lp_solution(Problem& p) {
  LpSolution* sol = find_lp_solution(p);
  // Any edit since the optimisation resets the status: the values no
  // longer belong to the model.
  if (!sol || p.derived.status == 0) return nullptr;
  return sol;
}

int solution_status(Problem& p) {
  if (is_mip(p)) {
    MipIncumbentStore* store = find_mip_incumbent(p);
    return store ? store->mip_status() : 0;
  }
  return p.derived.status;
}

int solution_method(Environment&, Problem& p, int* method) {
  *method = 0;
  if (is_mip(p)) {
    MipIncumbentStore* store = find_mip_incumbent(p);
    if (!store) return err::kNoSolution;
    *method = mip_method(store->mip_status());
    return 0;
  }
  LpSolution* sol = current_lp_solution(p);
  if (!sol) return err::kNoSolution;
  *method = sol->method == kMethodNone ? -1 : sol->method;
  return 0;
}

int solution_info(Environment&, Problem& p, int* method, int* type, int* pfeas, int* dfeas) {
  int m = -1, t = kNoSolution, pf = 0, df = 0;
  if (is_mip(p)) {
    if (MipIncumbentStore* store = find_mip_incumbent(p)) {
      m = mip_method(store->mip_status());
      if (store->has_values()) {
        t = kPrimalOnly;
        pf = 1;
      }
    }
  } else if (LpSolution* sol = current_lp_solution(p)) {
    m = sol->method == kMethodNone ? -1 : sol->method;
    t = sol->has_primal ? sol->type : kNoSolution;
    pf = sol->primal_feasible ? 1 : 0;
    df = sol->dual_feasible ? 1 : 0;
  }
  if (method) *method = m;
  if (type) *type = t;
  if (pfeas) *pfeas = pf;
  if (dfeas) *dfeas = df;
  return 0;
}

int get_solution(Environment& env, Problem& p, int* stat, double* obj, double* x, double* pi,
                 double* slack, double* dj) {
  const int n = p.num_cols(), m = p.num_rows();
  if (is_mip(p)) {
    if (pi || dj) return err::kNotForMip;
    MipIncumbentStore* store = nullptr;
    if (int code = mip_values(p, &store)) return code;
    if (stat) *stat = store->mip_status();
    if (obj) *obj = store->objective();
    if (x) std::copy(store->x(), store->x() + n, x);
    if (slack) std::copy(store->slack(), store->slack() + m, slack);
    return 0;
  }
  LpSolution* sol = current_lp_solution(p);
  if (!sol || !sol->has_primal) return err::kNoSolution;
  if ((pi || dj) && !sol->has_dual) return err::kNoDualSolution;
  if (stat) *stat = sol->status;
  if (obj) *obj = sol->objective;
  if (x) std::copy(sol->x.begin(), sol->x.end(), x);
  if (pi) std::copy(sol->pi.begin(), sol->pi.end(), pi);
  if (dj) std::copy(sol->dj.begin(), sol->dj.end(), dj);
  if (slack)
    for (int i = 0; i < m; ++i) slack[i] = sol->reported_slack(p, i);
  (void)env;
  return 0;
}

int get_objective(Environment&, Problem& p, double* obj) {
  if (is_mip(p)) {
    MipIncumbentStore* store = nullptr;
    if (int code = mip_values(p, &store)) return code;
    *obj = store->objective();
    return 0;
  }
  LpSolution* sol = current_lp_solution(p);
  if (!sol || !sol->has_primal) return err::kNoSolution;
  *obj = sol->objective;
  return 0;
}

int get_vector(Environment& env, Problem& p, const char* fname, SolutionVector which, double* out,
               int begin, int end) {
  const bool by_column = which == SolutionVector::X || which == SolutionVector::Dj;
  if (!out) return err::kNullPointer;
  if (int code = check_range(&env, fname, begin, end, by_column ? p.num_cols() : p.num_rows())) return code;
  if (is_mip(p)) {
    if (which == SolutionVector::Pi || which == SolutionVector::Dj) return err::kNotForMip;
    MipIncumbentStore* store = nullptr;
    if (int code = mip_values(p, &store)) return code;
    for (int k = begin; k <= end; ++k) {
      if (which == SolutionVector::X) out[k - begin] = store->x()[k];
      else if (which == SolutionVector::Slack) out[k - begin] = store->slack()[k];
      else out[k - begin] = activity(p, store->x(), k);
    }
    return 0;
  }
  LpSolution* sol = current_lp_solution(p);
  if (!sol || !sol->has_primal) return err::kNoSolution;
  if ((which == SolutionVector::Pi || which == SolutionVector::Dj) && !sol->has_dual) return err::kNoDualSolution;
  for (int k = begin; k <= end; ++k) {
    double v = 0.0;
    switch (which) {
      case SolutionVector::X:
        v = sol->x[k];
        break;
      case SolutionVector::Pi:
        v = sol->pi[k];
        break;
      case SolutionVector::Slack:
        v = sol->reported_slack(p, k);
        break;
      case SolutionVector::Dj:
        v = sol->dj[k];
        break;
      case SolutionVector::Ax:
        v = activity(p, sol->x.data(), k);
        break;
    }
    out[k - begin] = v;
  }
  return 0;
}

int get_row_infeasibility(Environment& env, Problem& p, const char* fname, const double* x,
                          double* out, int begin, int end) {
  if (!out) return err::kNullPointer;
  if (int code = check_range(&env, fname, begin, end, p.num_rows())) return code;
  if (!x)
    if (int code = solution_x(p, &x)) return code;
  for (int i = begin; i <= end; ++i) {
    double lo, up;
    row_activity_bounds(p.sense(i), p.rhs(i), p.range(i), &lo, &up);
    out[i - begin] = violation(activity(p, x, i), lo, up);
  }
  return 0;
}

int get_col_infeasibility(Environment& env, Problem& p, const char* fname, const double* x,
                          double* out, int begin, int end) {
  if (!out) return err::kNullPointer;
  if (int code = check_range(&env, fname, begin, end, p.num_cols())) return code;
  if (!x)
    if (int code = solution_x(p, &x)) return code;
  for (int j = begin; j <= end; ++j) out[j - begin] = violation(x[j], p.lower(j), p.upper(j));
  return 0;
}

// The solution record's field behind each counter, in the order of Counter.
constexpr int64_t LpSolution::*kCounterFields[] = {
    &LpSolution::iterations,         &LpSolution::phase1_iterations,
    &LpSolution::barrier_iterations, &LpSolution::cross_primal_push,
    &LpSolution::cross_primal_exchange, &LpSolution::cross_dual_push,
    &LpSolution::cross_dual_exchange,   &LpSolution::sift_iterations,
    &LpSolution::sift_phase1_iterations,
};
static_assert(std::size(kCounterFields) == static_cast<size_t>(Counter::SiftPhase1) + 1);

int get_counter(Environment&, Problem& p, Counter which, int64_t* value) {
  *value = 0;
  if (is_mip(p)) {
    MipIncumbentStore* store = find_mip_incumbent(p);
    if (!store || !store->has_lp_counters()) return err::kNoSolution;
    if (which == Counter::Iterations) *value = store->iterations();
    else if (which == Counter::Phase1) *value = store->phase1_iterations();
    return 0;
  }
  LpSolution* sol = current_lp_solution(p);
  if (!sol) return err::kNoSolution;
  *value = sol->*kCounterFields[static_cast<int>(which)];
  return 0;
}

}  // namespace korva::simplex
