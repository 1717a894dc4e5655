#include "simplex/dispatch/concurrent.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <memory>
#include <utility>
#include <vector>

#include "barrier/barrier_driver.h"
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

// Racers: the dual, the barrier (unless its crossover is off) and the
// primal; without the barrier at most two.
constexpr int kMaxSolvers = 3;
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

// One racer in a worker clone, on its own copy of the problem.
struct CloneRacer {
  int method = kMethodPrimal;
  Environment* clone = nullptr;
  Problem* copy = nullptr;
  int code = 0;
  SimplexOutcome outcome;
};

int run_racer(CloneRacer& r, const SimplexSettings& settings) {
  if (r.method == kMethodBarrier) return barrier::barrier_solve(*r.clone, *r.copy, kMethodPrimal, settings, &r.outcome);
  return run_simplex(*r.clone, *r.copy, primal_algorithm(), kMethodPrimal, settings, &r.outcome);
}

// The dual runs in the calling environment on the problem itself, so its
// log is the main log; clone 1 runs the barrier (or, without it, the
// primal) and clone 2 the primal, each on a copy. A dual formulation is
// solved by the one method the driver asks for.
int race_solvers(Environment& env, Problem& p, int method, const SimplexSettings& settings, SimplexOutcome* outcome,
                 const std::vector<int>& clone_methods) {
  if (method != kMethodDual) return run_simplex(env, p, primal_algorithm(), method, settings, outcome);
  int status = 0;
  std::vector<CloneRacer> racers(clone_methods.size());
  auto release = [&] {
    for (CloneRacer& r : racers)
      if (r.copy) model::free_problem(r.copy);
  };
  for (size_t k = 0; k < racers.size(); ++k) {
    CloneRacer& r = racers[k];
    r.method = clone_methods[k];
    r.clone = worker_clone(env, static_cast<int>(k) + 1, &status);
    if (!r.clone) {
      release();
      return status;
    }
    write_clone_log_header(*r.clone, p, static_cast<int>(k) + 1);
    r.copy = model::clone_problem(*r.clone, p, &status);
    if (!r.copy) {
      release();
      return status;
    }
    if (p.derived.basis) r.copy->derived.basis = std::make_unique<Basis>(*p.derived.basis);
  }

  Race race;
  watch_race(env, &race.stop);
  for (CloneRacer& r : racers) watch_race(*r.clone, &race.stop);
  for (size_t k = 0; k < racers.size(); ++k) {
    env.team->run(static_cast<int>(k), [&race, &settings, &r = racers[k], k] {
      r.code = run_racer(r, settings);
      if (r.code == 0) race.finished(static_cast<int>(k) + 1, *r.copy);
    });
  }
  SimplexOutcome dual_outcome;
  const int dual_code = run_simplex(env, p, dual_algorithm(), kMethodDual, settings, &dual_outcome);
  if (dual_code == 0) race.finished(0, p);
  env.team->wait_all();
  watch_race(env, nullptr);
  for (CloneRacer& r : racers) watch_race(*r.clone, nullptr);

  int code = dual_code;
  int winner = race.winner.load();
  if (winner <= 0 && dual_code != 0) {
    for (size_t k = 0; k < racers.size() && winner <= 0; ++k)
      if (racers[k].code == 0) winner = static_cast<int>(k) + 1;
  }
  if (winner > 0) {
    CloneRacer& r = racers[winner - 1];
    adopt_results(*r.copy, p);
    code = r.code;
    if (outcome) *outcome = r.outcome;
  } else if (outcome) {
    *outcome = dual_outcome;
  }
  release();
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
  const bool barrier_joins = env.int_param(KRV_PARAM_BARCROSSALG) != -1;
  int solvers = std::min(team_size, barrier_joins ? kMaxSolvers : kMaxSimplexSolvers);
  if (!primal_algorithm()) solvers = 1;
  if (solvers < 2) return simplex_driver(env, p, choose_lp_method(env, p, false));
  std::vector<int> clone_methods;
  if (barrier_joins) {
    clone_methods.push_back(kMethodBarrier);
    if (solvers > 2) clone_methods.push_back(kMethodPrimal);
  } else {
    clone_methods.push_back(kMethodPrimal);
  }

  if (display >= 1) {
    msg(env.results(),
        env.team->deterministic()
            ? "Parallel mode: deterministic, using up to %d threads for concurrent optimization.\n"
            : "Parallel mode: opportunistic, using up to %d threads for concurrent optimization.\n",
        team_size);
  }

  // Presolve runs once, in the dual driver; the solvers race on what it
  // leaves, and the driver maps the winner's answer back.
  return simplex_driver_with(env, p, kMethodDual,
                             [&clone_methods](Environment& e, Problem& q, int method, const SimplexSettings& settings,
                                              SimplexOutcome* outcome) {
                               return race_solvers(e, q, method, settings, outcome, clone_methods);
                             });
}

}  // namespace korva::simplex
