#include "simplex/core/run_monitor.h"

#include <mutex>
#include <utility>
#include <vector>

#include "env/callbacks.h"
#include "env/time_limit.h"
#include "simplex/status.h"

namespace korva::simplex {

namespace {

// The environments taking part in a race now, with their stop flags. Few
// entries, looked up once per run.
std::mutex g_race_lock;
std::vector<std::pair<const Environment*, const std::atomic<int>*>> g_races;

const std::atomic<int>* race_of(const Environment& env) {
  std::lock_guard<std::mutex> hold(g_race_lock);
  for (const auto& [watched, stop] : g_races)
    if (watched == &env) return stop;
  return nullptr;
}

}  // namespace

void watch_race(Environment& env, const std::atomic<int>* stop) {
  std::lock_guard<std::mutex> hold(g_race_lock);
  for (auto it = g_races.begin(); it != g_races.end(); ++it) {
    if (it->first == &env) {
      g_races.erase(it);
      break;
    }
  }
  if (stop) g_races.emplace_back(&env, stop);
}

RunMonitor::RunMonitor(Environment& env, int wherefrom, int64_t iteration_base, int64_t run_limit)
    : env_(env), wherefrom_(wherefrom), iteration_base_(iteration_base), run_limit_(run_limit) {
  iteration_limit_ = env.long_param(KRV_PARAM_ITLIM);
  // Worker clones of a concurrent run do not call the application's
  // informational callback; the LP callback belongs to every solver.
  callbacks_ = (!env.is_worker_clone && env.callbacks.info.is_set()) || env.callbacks.lp.is_set();
  race_stop_ = race_of(env);
}

int RunMonitor::check_limits(int64_t run_iterations) const {
  if (env_.terminate_requested()) return status::kAbortUser;
  if (race_stop_ && race_stop_->load(std::memory_order_relaxed) != 0) return status::kAbortUser;
  if (iteration_base_ + run_iterations >= iteration_limit_ || run_iterations >= run_limit_)
    return status::kAbortItLim;
  if (time_limit_reached(env_)) return status::kAbortTimeLim;
  if (tick_limit_reached(env_)) return status::kAbortDetTimeLim;
  return 0;
}

int RunMonitor::check(int64_t run_iterations, LpCallbackData& data) {
  if (callbacks_) {
    data.iterations = iteration_base_ + run_iterations;
    if (!env_.is_worker_clone && env_.callbacks.info.is_set() &&
        invoke_info_callback(env_, env_.callbacks.info, &data, wherefrom_) != 0)
      return status::kAbortUser;
    if (env_.callbacks.lp.is_set() && invoke_info_callback(env_, env_.callbacks.lp, &data, wherefrom_) != 0)
      return status::kAbortUser;
  }
  return check_limits(run_iterations);
}

}  // namespace korva::simplex
