#include "simplex/strong_branch.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "env/frame.h"
#include "env/threads.h"
#include "model/datacheck.h"
#include "model/model.h"
#include "simplex/branch_trials.h"
#include "simplex/core/run_monitor.h"
#include "simplex/dispatch/lp_entries.h"
#include "simplex/dispatch/simplex_driver.h"
#include "simplex/solution/lp_solution.h"
#include "simplex/status.h"

namespace korva::simplex {

namespace {

int check_arguments(Environment& env, const Problem& p, const int* indices, int count, const double* downobj,
                    const double* upobj, int itlim) {
  if (int code = lp_problem_check(p)) return code;
  if (count < 0 || itlim < 0) return err::kBadArgument;
  if (count == 0) return 0;
  if (!indices || !downobj || !upobj) return err::kNullPointer;
  return model::check::index_list(env, indices, count, p.num_cols(), false);
}

// The LP is solved to its optimum whatever objective limit the caller set
// for the dual simplex: the trials need the optimal basis to start from.
// The trials themselves honour it again.
int solve_lp(Environment& env, Problem& p) {
  ParamSlot& check = env.params.slot(hidden_param::kObjectiveLimitCheck);
  const ParamSlot saved = check;
  check.i = 0;
  const int code = dual_optimize(env, p);
  check = saved;
  return code;
}

// The first failure of any thread wins; the others stop at their next
// iteration (the stop flag ends their runs as a race would).
struct SharedState {
  std::atomic<int> stop{0};
  std::atomic<int> failure{0};
  void fail(int code) {
    int none = 0;
    if (failure.compare_exchange_strong(none, code)) stop.store(1);
  }
};

// What every thread reads: the list, the LP values and the outputs, which
// each thread writes at its own positions only.
struct Job {
  const int* indices = nullptr;
  int count = 0;
  const std::vector<double>* x = nullptr;
  double* down = nullptr;
  double* up = nullptr;
  int objsense = 1;
  TrialSettings settings;
};

// Thread `t` of `threads` tries the columns at positions t, t + threads, ...:
// the share depends on the position only, so the values do not depend on
// how fast the threads are.
void run_share(Environment& env, Problem& copy, const Job& job, int t, int threads, SharedState& shared) {
  const int code = api::guarded([&] {
    BranchTrials trials(env, copy, job.settings);
    if (int status = trials.start()) return status;
    for (int k = t; k < job.count; k += threads) {
      if (shared.stop.load(std::memory_order_relaxed) != 0) return 0;
      const int col = job.indices[k];
      double down = 0.0, up = 0.0;
      const int status = trials.branch(col, (*job.x)[col], &down, &up);
      job.down[k] = job.objsense * down;
      job.up[k] = job.objsense * up;
      if (status != 0) return status;
    }
    return 0;
  });
  if (code != 0) shared.fail(code);
}

// Copies of the problem, one per thread, freed with this record.
class ThreadCopies {
 public:
  ~ThreadCopies() {
    for (Problem* p : copies_) model::free_problem(p);
  }
  int add(Environment& env, Problem& p) {
    int status = 0;
    copies_.reserve(copies_.size() + 1);
    Problem* copy = model::clone_problem(env, p, &status);
    if (!copy) return status;
    copies_.push_back(copy);
    // The trials start from the LP's optimal basis.
    if (p.derived.basis) copy->derived.basis = std::make_unique<Basis>(*p.derived.basis);
    return 0;
  }
  Problem& operator[](size_t t) { return *copies_[t]; }

 private:
  std::vector<Problem*> copies_;
};

// The team's threads when all of them are free for the trials: a call made
// from inside another parallel optimisation (a callback, a worker's clone)
// runs its trials on its own thread.
int usable_team_size(const Environment& env) {
  if (!env.team || env.is_worker_clone) return 1;
  const ThreadTeam& team = *env.team;
  return team.free_workers() == team.size() - 1 ? team.size() : 1;
}

int run_trials(Environment& env, Problem& p, const Job& job) {
  const int team = usable_team_size(env);
  const int threads = std::max(1, std::min(team, job.count));
  std::vector<Environment*> envs{&env};
  for (int t = 1; t < threads; ++t) {
    int status = 0;
    Environment* clone = worker_clone(env, t - 1, &status);
    if (!clone) return status;
    // The caller's LP callback runs on the calling thread only, so it need
    // not be reentrant; stopping there stops every thread.
    clone->callbacks.lp = {};
    envs.push_back(clone);
  }
  ThreadCopies copies;
  for (int t = 0; t < threads; ++t)
    if (int status = copies.add(*envs[t], p)) return status;

  SharedState shared;
  for (Environment* e : envs) watch_race(*e, &shared.stop);
  try {
    for (int t = 1; t < threads; ++t)
      env.team->run(t - 1, [&, t] { run_share(*envs[t], copies[t], job, t, threads, shared); });
  } catch (...) {
    shared.fail(err::kNoMemory);  // the workers started stop at once
  }
  run_share(env, copies[0], job, 0, threads, shared);
  if (threads > 1) env.team->wait_all();
  for (Environment* e : envs) watch_race(*e, nullptr);
  // The work of the longest thread is the work of the call.
  for (int t = 1; t < threads; ++t)
    env.ticks.own.value = std::max(env.ticks.own.value, envs[t]->ticks.own.value);
  return shared.failure.load();
}

}  // namespace

int strong_branch_thread_count(Environment& env, int count) {
  int threads = max_threads(env);
  const int chosen = env.int_param(KRV_PARAM_THREADS);
  if (chosen > 0) threads = std::min(threads, chosen);
  return std::max(1, std::min(threads, count));
}

int strong_branch(Environment& env, Problem& p, const int* indices, int count, double* downobj, double* upobj,
                  int itlim) {
  if (int code = model::complete(env, p)) return code;
  if (int code = check_arguments(env, p, indices, count, downobj, upobj, itlim)) return code;
  if (count == 0) {
    msg(env.warning(), "Warning:  Variable list empty.\n");
    return 0;
  }
  if (int code = solve_lp(env, p)) return code;

  const int objsense = p.objsense();
  const int status = p.derived.status;
  const LpSolution* solution = find_lp_solution(p);
  if (status != status::kOptimal && status != status::kOptimalInfeas) {
    if (int code = trial_stop_error(status)) return code;
    // Without an optimum there is no basis to branch from: an infeasible
    // LP has infeasible branches, anything else leaves them unbounded.
    const double value = objsense * (status == status::kInfeasible ? kNoBranchValue : -kNoBranchValue);
    std::fill_n(downobj, count, value);
    std::fill_n(upobj, count, value);
    return 0;
  }
  if (!solution || !solution->has_primal) return err::kNoSolution;

  Job job;
  job.indices = indices;
  job.count = count;
  job.x = &solution->x;
  job.down = downobj;
  job.up = upobj;
  job.objsense = objsense;
  job.settings.simplex = simplex_settings_from_params(env);
  job.settings.simplex.display = 0;
  job.settings.simplex.advanced_start = true;
  job.settings.simplex.perturb_from_start = false;
  job.settings.simplex.final_verdict = false;
  job.settings.simplex.run_iteration_limit = itlim;
  job.settings.integrality = env.dbl_param(KRV_PARAM_EPINT);
  job.settings.lp_objective = objsense * solution->objective;
  return run_trials(env, p, job);
}

}  // namespace korva::simplex
