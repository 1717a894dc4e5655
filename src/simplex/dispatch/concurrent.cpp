#include "simplex/dispatch/concurrent.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <memory>
#include <utility>

#include "env/channel.h"
#include "env/threads.h"
#include "model/model.h"
#include "simplex/core/run_monitor.h"
#include "simplex/dispatch/algorithms.h"
#include "simplex/dispatch/method_choice.h"
#include "simplex/dispatch/simplex_driver.h"
#include "simplex/solution/lp_solution.h"
#include "simplex/status.h"

namespace korva::simplex {

namespace {

// Solvers that can race: the dual, and the primal when it is built. The
// barrier would be a third, in the clone after the dual's.
constexpr int kMaxSimplexSolvers = 2;

// The racer that finished first with a verdict; -1 while none has.
struct Race {
  std::atomic<int> stop{0};
  std::atomic<int> winner{-1};

  void finished(int racer, Problem& p) {
    // A solver stopped by the race (or by the user) has no verdict.
    if (p.derived.status == status::kAbortUser || p.derived.status == 0) return;
    int none = -1;
    if (winner.compare_exchange_strong(none, racer)) stop.store(1);
  }
};

// The header of a clone's own log: problem name, clone number, version, date.
void write_clone_log_header(Environment& clone, const Problem& p, int number) {
  if (!clone.clone_log) return;
  std::time_t now = std::time(nullptr);
  char date[32] = "";
  ctime_r(&now, date);
  date[24] = '\0';  // without the newline
  msg(clone.log(), "\nLog for '%s' Clone_%d (V%s) %s\n", p.lp.name.c_str(), number,
      clone.version ? clone.version : "", date);
}

// The racer's results become the problem's: solution record, basis and the
// simplex work record (factor and weights for a warm start).
void adopt_results(Problem& from, Problem& to) {
  to.derived.status = from.derived.status;
  to.derived.values_valid = from.derived.values_valid;
  to.derived.solution = std::move(from.derived.solution);
  to.derived.basis = std::move(from.derived.basis);
  to.derived.work = std::move(from.derived.work);
}

// The dual runs in the calling environment on the problem itself, so its
// log is the main log; the primal runs in clone 1 on a copy. A dual
// formulation is solved by the one method the driver asks for.
int race_solvers(Environment& env, Problem& p, int method, const SimplexSettings& settings, SimplexOutcome* outcome) {
  if (method != kMethodDual) return run_simplex(env, p, primal_algorithm(), method, settings, outcome);
  int status = 0;
  Environment* clone = worker_clone(env, 1, &status);
  if (!clone) return status;
  write_clone_log_header(*clone, p, 1);
  Problem* copy = model::clone_problem(*clone, p, &status);
  if (!copy) return status;
  if (p.derived.basis) copy->derived.basis = std::make_unique<Basis>(*p.derived.basis);

  Race race;
  watch_race(env, &race.stop);
  watch_race(*clone, &race.stop);
  int primal_code = 0;
  SimplexOutcome primal_outcome;
  env.team->run(0, [&] {
    primal_code = run_simplex(*clone, *copy, primal_algorithm(), kMethodPrimal, settings, &primal_outcome);
    if (primal_code == 0) race.finished(1, *copy);
  });
  SimplexOutcome dual_outcome;
  const int dual_code = run_simplex(env, p, dual_algorithm(), kMethodDual, settings, &dual_outcome);
  if (dual_code == 0) race.finished(0, p);
  env.team->wait(0);
  watch_race(env, nullptr);
  watch_race(*clone, nullptr);

  int code = dual_code;
  if (race.winner.load() == 1 || (dual_code != 0 && primal_code == 0)) {
    adopt_results(*copy, p);
    code = primal_code;
    if (outcome) *outcome = primal_outcome;
  } else if (outcome) {
    *outcome = dual_outcome;
  }
  model::free_problem(copy);
  return code;
}

}  // namespace

int concurrent_optimize(Environment& env, Problem& p) {
  const int display = env.int_param(KRV_PARAM_SIMDISPLAY);
  if (env.int_param(KRV_PARAM_BARCROSSALG) == -1 && display >= 1) {
    msg(env.warning(), "Warning: concurrent optimization will not use barrier because\n");
    msg(env.warning(), "crossover was disabled.\n");
  }
  const int team_size = env.team ? env.team->size() : 1;
  int solvers = std::min(team_size, kMaxSimplexSolvers);
  if (!primal_algorithm()) solvers = 1;
  if (solvers < 2) return simplex_driver(env, p, choose_lp_method(env, p, false));

  if (display >= 1) {
    msg(env.results(),
        env.team->deterministic()
            ? "Parallel mode: deterministic, using up to %d threads for concurrent optimization.\n"
            : "Parallel mode: opportunistic, using up to %d threads for concurrent optimization.\n",
        team_size);
  }

  // Presolve runs once, in the dual driver; the solvers race on what it
  // leaves, and the driver maps the winner's answer back.
  return simplex_driver_with(env, p, kMethodDual, race_solvers);
}

}  // namespace korva::simplex
