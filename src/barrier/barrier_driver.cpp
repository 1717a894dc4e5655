#include "barrier/barrier_driver.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "barrier/crossover.h"
#include "barrier/ipm_model.h"
#include "barrier/ipm_solver.h"
#include "barrier/linalg/single_threaded_blas.h"
#include "barrier/psd_check.h"
#include "env/channel.h"
#include "env/errors.h"
#include "env/params.h"
#include "env/threads.h"
#include "env/time_limit.h"
#include "model/model.h"
#include "presolve/presolve_record.h"
#include "simplex/core/load_lp.h"
#include "simplex/core/simplex_work.h"
#include "simplex/dispatch/algorithms.h"
#include "simplex/dispatch/simplex_driver.h"
#include "simplex/solution/lp_solution.h"
#include "simplex/solution/solution_store.h"
#include "simplex/status.h"

namespace korva::barrier {
namespace {

enum class Crossover { none, primal, dual };

constexpr int kMaxBarrierThreads = 32;
constexpr int kQNotPsd = 5002;  // "Q in %s is not positive semi-definite"

// -1 (none), 1 (primal), 2 (dual) or 0 (unknown character).
int crossover_of_character(int method) {
  switch (method) {
    case 'o': case 'O': case 'p': case 'P':
      return 1;
    case 'd': case 'D': case 't': case 'T':
      return 2;
    case 'n':
      return -1;
    default:
      return 0;
  }
}

int barrier_threads(Environment& env) {
  int threads = env.team ? env.team->size() : 1;
  int cap = env.int_param(hidden_param::kBarrierThreads);
  if (cap == 0) cap = env.int_param(KRV_PARAM_THREADS);
  if (cap == 0) cap = kMaxBarrierThreads;
  return std::max(1, std::min(threads, cap));
}

IpmSettings settings_from_params(Environment& env, const Problem& p, int threads) {
  IpmSettings s;
  s.tolerance = env.dbl_param(KRV_PARAM_BAREPCOMP);
  if (const double scale = env.dbl_param(hidden_param::kBarrierTolScale); scale != 0) s.tolerance *= scale;
  s.growth = env.dbl_param(KRV_PARAM_BARGROWTH);
  s.objective_range = env.dbl_param(KRV_PARAM_BAROBJRNG);
  s.iteration_limit = env.long_param(KRV_PARAM_BARITLIM);
  s.max_corrections = env.long_param(KRV_PARAM_BARMAXCOR);
  s.start_algorithm = env.int_param(KRV_PARAM_BARSTARTALG);
  s.display = env.int_param(KRV_PARAM_BARDISPLAY);
  s.step_factor = env.dbl_param(hidden_param::kBarrierStepFactor);
  s.objsense = p.objsense();
  s.dense_threshold = env.int_param(KRV_PARAM_BARCOLNZ);
  s.ordering = static_cast<Ordering>(env.int_param(KRV_PARAM_BARORDER));
  s.threads = threads;
  s.ordering_threads = env.int_param(hidden_param::kBarrierOrderingThreads);
  // 1 and 2 start on the homogeneous embedding; 0 turns to it when the
  // ordinary iterations end unfinished without crossover; 3 never does.
  const int algorithm = env.int_param(KRV_PARAM_BARALG);
  s.homogeneous = algorithm == 1 || algorithm == 2;
  return s;
}

// The solution status an unfinished or finished run leaves.
int status_of(IpmOutcome outcome) {
  switch (outcome) {
    case IpmOutcome::optimal: return status::kOptimal;
    case IpmOutcome::infeasible: return status::kInfeasible;
    case IpmOutcome::dual_infeasible: return status::kInfOrUnbd;
    case IpmOutcome::unbounded_face: return 20;
    case IpmOutcome::primal_objective_limit: return 21;
    case IpmOutcome::dual_objective_limit: return 22;
    case IpmOutcome::iteration_limit: return status::kAbortItLim;
    case IpmOutcome::time_limit: return status::kAbortTimeLim;
    case IpmOutcome::tick_limit: return status::kAbortDetTimeLim;
    case IpmOutcome::aborted: return status::kAbortUser;
    default: return status::kNumBest;
  }
}

// The lines that say how the iterations ended.
void report_outcome(Environment& env, IpmOutcome outcome, int display) {
  Channel* out = env.results();
  if (display < 1) {
    if (outcome == IpmOutcome::numerical) msg(env.warning(), "Numerical difficulties in barrier algorithm.\n");
    return;
  }
  switch (outcome) {
    case IpmOutcome::iteration_limit: msg(out, " Barrier iteration limit exceeded.\n"); break;
    case IpmOutcome::time_limit:
    case IpmOutcome::tick_limit: msg(out, " Barrier time limit exceeded.\n"); break;
    case IpmOutcome::aborted: msg(out, " Barrier aborted.\n"); break;
    case IpmOutcome::unbounded_face: msg(out, " Barrier detects unbounded optimal face.\n"); break;
    case IpmOutcome::primal_objective_limit:
      msg(out, " Barrier limit on primal objective exceeded.\n");
      msg(out, " Unbounded barrier solution (dependent on objective limit).\n");
      break;
    case IpmOutcome::dual_objective_limit:
      msg(out, " Barrier limit on dual objective exceeded.\n");
      msg(out, " Infeasible barrier solution (dependent on objective limit).\n");
      break;
    case IpmOutcome::diverged:
      msg(out, " Barrier cannot determine infeasibility.\n");
      break;
    case IpmOutcome::numerical:
      msg(out, "Numerical difficulties encountered.\n");
      msg(env.warning(), "Numerical difficulties in barrier algorithm.\n");
      break;
    default: break;
  }
}

// The interior solution in the problem's solution record (no basis).
void store_interior_solution(Problem& p, const simplex::SimplexLp& lp, const IpmModel& model,
                             const IpmResult& r, int status) {
  auto sol = std::make_unique<simplex::LpSolution>();
  const int n = lp.num_cols, m = lp.num_rows;
  sol->status = status;
  sol->method = simplex::kMethodBarrier;
  sol->type = simplex::kNonbasicSolution;
  sol->primal_feasible = r.primal_feasible;
  sol->dual_feasible = r.dual_feasible;
  sol->barrier_iterations = r.iterations;
  sol->has_primal = sol->has_dual = true;
  std::vector<double> internal(static_cast<size_t>(n + m)), z(static_cast<size_t>(n + m), 0.0);
  for (int var = 0; var < n + m; ++var) internal[var] = model.fixed_value[var];
  for (int j = 0; j < model.cols; ++j) {
    internal[model.simplex_var[j]] = r.x[j];
    z[model.simplex_var[j]] = r.zl[j] - r.zu[j];
  }
  sol->x.resize(static_cast<size_t>(n));
  sol->dj.resize(static_cast<size_t>(n));
  sol->pi.resize(static_cast<size_t>(m));
  sol->slack.assign(static_cast<size_t>(m), 0.0);
  const double sense = lp.objsense;
  double objective = 0;
  for (int j = 0; j < n; ++j) {
    sol->x[j] = lp.to_user(j, internal[j]);
    objective += p.obj(j) * sol->x[j];
    // A fixed column's reduced cost is what the prices leave of its cost.
    double dj = z[j];
    if (!std::isnan(model.fixed_value[j])) {
      dj = lp.cost[j];
      for (int64_t k = lp.col_begin[j]; k < lp.col_begin[j + 1]; ++k) dj -= lp.value[k] * r.y[lp.row_index[k]];
    }
    sol->dj[j] = sense * dj * lp.col_scale[j];
  }
  for (int i = 0; i < m; ++i) sol->pi[i] = sense * r.y[i] / lp.row_scale[i];
  // Slacks from the user's data: rhs - a·x ('G' rows kept negated).
  std::vector<double> activity(static_cast<size_t>(m), 0.0);
  for (int j = 0; j < n; ++j) {
    const SparseSpan col = p.column(j);
    for (int k = 0; k < col.size(); ++k) activity[col.index[k]] += col.value[k] * sol->x[j];
  }
  for (int i = 0; i < m; ++i) {
    const double slack = p.rhs(i) - activity[i];
    sol->slack[i] = p.sense(i) == 'G' ? -slack : slack;
  }
  if (p.quad) {
    // ½·xᵀQx in user units.
    const ColumnMatrix& q = p.quad->q;
    for (int j = 0; j < n && j < q.num_cols(); ++j) {
      const SparseSpan col = q.column(j);
      for (int k = 0; k < col.size(); ++k) objective += 0.5 * col.value[k] * sol->x[col.index[k]] * sol->x[j];
    }
  }
  sol->objective = objective;
  p.derived.basis.reset();
  p.derived.status = status;
  p.derived.values_valid = true;
  p.derived.solution = std::move(sol);
}

// A model without rows: every column takes the best end of its bounds.
void solve_without_rows(Environment& env, Problem& p) {
  const int n = p.num_cols();
  auto sol = std::make_unique<simplex::LpSolution>();
  sol->method = simplex::kMethodBarrier;
  sol->type = simplex::kBasicSolution;
  sol->has_primal = sol->has_dual = true;
  sol->x.resize(static_cast<size_t>(n));
  sol->dj.resize(static_cast<size_t>(n));
  std::vector<int> cstat(static_cast<size_t>(n), KRV_AT_LOWER);
  bool unbounded = false;
  double objective = 0;
  for (int j = 0; j < n; ++j) {
    const double cost = p.objsense() * p.obj(j);
    const double lo = p.lower(j), up = p.upper(j);
    const bool lo_finite = lo > -kInfinity, up_finite = up < kInfinity;
    double x = 0;
    if (cost > 0 || (cost == 0 && lo_finite)) {
      x = lo;
      unbounded = unbounded || (cost > 0 && !lo_finite);
    } else if (cost < 0 || up_finite) {
      x = up;
      cstat[j] = KRV_AT_UPPER;
      unbounded = unbounded || (cost < 0 && !up_finite);
    } else {
      cstat[j] = KRV_FREE_SUPER;
    }
    if (!lo_finite && !up_finite && cost == 0) x = 0;
    sol->x[j] = std::max(-kInfinity, std::min(kInfinity, x));
    sol->dj[j] = p.obj(j);
    objective += p.obj(j) * sol->x[j];
  }
  sol->objective = objective;
  const int status = unbounded ? status::kUnbounded : status::kOptimal;
  sol->status = status;
  sol->primal_feasible = true;
  sol->dual_feasible = !unbounded;
  if (unbounded) sol->has_primal = sol->has_dual = false;
  model::copy_basis(env, p, cstat.data(), nullptr);
  p.derived.status = status;
  p.derived.values_valid = sol->has_primal;
  p.derived.solution = std::move(sol);
}

// One barrier run on the problem it is given (the reduced one or the
// original), with the crossover that follows it.
struct BarrierRun {
  Crossover crossover = Crossover::primal;
  int threads = 1;
  // The problem the caller gave, whose presolve record holds the objective
  // constant of a reduced problem (null: the run's problem is the original).
  Problem* original = nullptr;
  int64_t iterations = 0;
  CrossoverCounts counts;

  int solve(Environment& env, Problem& q, int method, const simplex::SimplexSettings& settings,
            simplex::SimplexOutcome* outcome) {
    const SingleThreadedBlas blas;
    const int display = env.int_param(KRV_PARAM_BARDISPLAY);
    simplex::SimplexWork& w = simplex::simplex_work(q);
    simplex::load_simplex_lp(env, q, w, settings.scaling);
    const IpmModel model = build_ipm_model(w.lp, q.quad.get());
    if (model.q.cols > 0) {
      const int psd = is_positive_semidefinite(model.q);
      if (psd < 0) return -psd;
      if (psd == 0) return report_formatted(&env, kQNotPsd, "objective");
    }
    IpmResult result;
    const double start = current_time(env);
    IpmSettings ipm = settings_from_params(env, q, threads);
    ipm.drop_dependent_rows = crossover == Crossover::none;
    if (original && original != &q) {
      if (const presolve::PresolveRecord* record = presolve::find_record(*original))
        ipm.offset = q.objsense() * record->offset;
    }
    if (int code = run_ipm(env, model, ipm, result)) return code;
    const bool unfinished = result.outcome == IpmOutcome::diverged || result.outcome == IpmOutcome::numerical ||
                            result.outcome == IpmOutcome::not_optimal;
    if (unfinished && crossover == Crossover::none && !ipm.homogeneous && model.q.cols == 0 &&
        env.int_param(KRV_PARAM_BARALG) == 0) {
      // Infeasible or unbounded, or merely hard: the embedding converges
      // on either, to an optimum or to a certificate.
      ipm.homogeneous = true;
      const int64_t first_run = result.iterations;
      if (int code = run_ipm(env, model, ipm, result)) return code;
      result.iterations += first_run;
    }
    iterations = result.iterations;
    report_outcome(env, result.outcome, display);
    if (display >= 1) msg(env.results(), "Barrier time = %7.2f sec.\n", current_time(env) - start);
    const int status = status_of(result.outcome);
    const bool stopped = status == status::kAbortUser || status == status::kAbortTimeLim ||
                         status == status::kAbortDetTimeLim || status == status::kAbortItLim;
    const bool unproven = result.outcome == IpmOutcome::diverged || result.outcome == IpmOutcome::numerical;
    const bool certified = result.outcome == IpmOutcome::infeasible || result.outcome == IpmOutcome::dual_infeasible;
    if ((crossover == Crossover::none && unproven && !q.quad) || (crossover != Crossover::none && certified)) {
      // No answer from the iterations: the dual simplex gives one it can
      // prove. With crossover it also classifies a certified model, since
      // only a basis maps back through presolve.
      simplex::SimplexSettings fallback = settings;
      fallback.advanced_start = false;
      return simplex::run_simplex(env, q, simplex::dual_algorithm(), simplex::kMethodDual, fallback, outcome);
    }
    if (crossover == Crossover::none || stopped) {
      store_interior_solution(q, w.lp, model, result, status);
      return 0;
    }
    // Whatever the iterations proved, the simplex from the crossover basis
    // decides: it also classifies infeasible and unbounded problems.
    const double cross_start = current_time(env);
    const bool primal = crossover == Crossover::primal;
    if (display >= 1) msg(env.results(), primal ? "\nPrimal crossover.\n" : "\nDual crossover.\n");
    simplex::SimplexSettings cleanup = settings;
    cleanup.advanced_start = true;
    cleanup.perturb_from_start = false;
    int built = 0;
    try {
      built = crossover_to_basis(env, q, w, model, result, display, counts);
    } catch (const std::bad_alloc&) {
      built = err::kNoMemory;
    }
    if (built == err::kNoMemory) {
      msg(env.results(), "Not enough memory for standard crossover.\n");
      // A reduced problem's interior point cannot be mapped back: the
      // original problem is solved instead, whose point stands.
      if (original && original != &q) return err::kNoMemory;
      store_interior_solution(q, w.lp, model, result, status);
      return 0;
    }
    if (built != 0) {
      // The simplex starts afresh instead.
      msg(env.warning(), "Warning: failed to build an initial basis for crossover...\n");
      cleanup.advanced_start = false;
      w.has_basis = false;
    }
    const simplex::SimplexAlgorithm algorithm =
        method == simplex::kMethodPrimal ? simplex::primal_algorithm() : simplex::dual_algorithm();
    simplex::SimplexOutcome run_outcome;
    int code = simplex::run_simplex(env, q, algorithm, method, cleanup, &run_outcome);
    int64_t simplex_iterations = run_outcome.iterations;
    if (display >= 1) {
      msg(env.results(), "  Primal:  Pushed %lld, exchanged %lld.\n", static_cast<long long>(counts.primal_push),
          static_cast<long long>(counts.primal_exchange));
      msg(env.results(), "  Dual:  Pushed %lld, exchanged %lld.\n", static_cast<long long>(counts.dual_push),
          static_cast<long long>(counts.dual_exchange));
      msg(env.results(), "Total crossover time = %7.2f sec.\n", current_time(env) - cross_start);
    }
    if (outcome) {
      *outcome = run_outcome;
      outcome->iterations = simplex_iterations;
    }
    if (code != 0) return code;
    if (simplex::LpSolution* sol = simplex::find_lp_solution(q)) {
      sol->method = simplex::kMethodBarrier;
      sol->iterations = simplex_iterations;
      sol->barrier_iterations = iterations;
      sol->cross_primal_push = counts.primal_push;
      sol->cross_primal_exchange = counts.primal_exchange;
      sol->cross_dual_push = counts.dual_push;
      sol->cross_dual_exchange = counts.dual_exchange;
    }
    return 0;
  }
};

}  // namespace

int barrier_optimize(Environment& env, Problem& p, int crossover) {
  int choice = crossover == 0 || crossover == -1 ? 0 : crossover_of_character(crossover);
  if (crossover != 0 && crossover != -1 && choice == 0) return err::kBadMethod;
  const auto& profile = env.callbacks.profiling;
  if (profile.is_set()) profile.function(&env, 2, profile.handle);
  const int display = env.int_param(KRV_PARAM_BARDISPLAY);

  BarrierRun run;
  run.original = &p;
  bool crossover_asked = choice == 1 || choice == 2;
  if (choice == 0) {
    const int parameter = env.int_param(KRV_PARAM_BARCROSSALG);
    crossover_asked = parameter == 1 || parameter == 2;
    choice = parameter == -1 ? -1 : parameter == 2 ? 2 : 1;
  }
  run.crossover = choice == -1 ? Crossover::none : choice == 2 ? Crossover::dual : Crossover::primal;
  // Automatic crossover means none for a quadratic objective; asked for,
  // it would need a quadratic simplex, which is not there: the interior
  // solution stands.
  const bool qp_crossover_asked = p.quad && crossover_asked;
  if (p.quad) run.crossover = Crossover::none;
  run.threads = barrier_threads(env);
  if (display >= 1) {
    if (run.threads > 1)
      msg(env.results(), "Parallel mode: using up to %d threads for barrier.\n", run.threads);
    else
      msg(env.results(), "Parallel mode: none, using 1 thread for barrier\n");
  }
  const double start = current_time(env);
  if (p.num_rows() == 0) {
    solve_without_rows(env, p);
    if (profile.is_set()) profile.function(&env, 3, profile.handle);
    return 0;
  }
  const int method = run.crossover == Crossover::dual ? simplex::kMethodDual : simplex::kMethodPrimal;
  auto solve = [&run](Environment& e, Problem& q, int m, const simplex::SimplexSettings& s,
                      simplex::SimplexOutcome* o) { return run.solve(e, q, m, s, o); };
  int code = 0;
  if (run.crossover == Crossover::none) {
    // An interior point has no basis to map back through presolve.
    code = solve(env, p, method, simplex::simplex_settings_from_params(env), nullptr);
    if (code == 0 && qp_crossover_asked) {
      if (display >= 1) msg(env.results(), "\nQP crossover.\n");
      msg(env.warning(), "Warning: QP crossover is not available; the barrier solution is kept.\n");
    }
  } else {
    // The reduced problem must keep the original's rows and columns in its
    // own form: no dual formulation.
    // The presolve line is the barrier's: its display decides.
    const int predual = env.int_param(KRV_PARAM_PREDUAL);
    const int simplex_display = env.int_param(KRV_PARAM_SIMDISPLAY);
    env.params.slot(KRV_PARAM_PREDUAL).i = -1;
    env.params.slot(KRV_PARAM_SIMDISPLAY).i = std::min(simplex_display, display);
    code = simplex::simplex_driver_with(env, p, method, solve);
    env.params.slot(KRV_PARAM_PREDUAL).i = predual;
    env.params.slot(KRV_PARAM_SIMDISPLAY).i = simplex_display;
  }
  // The clean-up on the original problem reports as part of the barrier.
  if (code == 0) {
    if (simplex::LpSolution* sol = simplex::find_lp_solution(p)) sol->method = simplex::kMethodBarrier;
  }
  if (run.threads > 1 && display >= 1)
    msg(env.results(), "\nTotal time on %d threads = %7.2f sec.\n", run.threads, current_time(env) - start);
  if (profile.is_set()) profile.function(&env, 3, profile.handle);
  return code;
}

int barrier_solve(Environment& env, Problem& q, int method, const simplex::SimplexSettings& settings,
                  simplex::SimplexOutcome* outcome) {
  BarrierRun run;
  run.crossover = env.int_param(KRV_PARAM_BARCROSSALG) == 2 ? Crossover::dual : Crossover::primal;
  run.threads = barrier_threads(env);
  return run.solve(env, q, method, settings, outcome);
}

}  // namespace korva::barrier
