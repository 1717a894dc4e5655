// The entry of every optimiser (LP, barrier, MIP, network, ...), written
// once. An optimiser runs twice over:
//
//  outer call (environment nesting 0): the frame checks environment,
//    problem and callback state, chooses the thread count and the
//    deterministic flag, and re-enters through run_in_team;
//  inner call (nesting > 0): checks environment and problem again, pushes a
//    time-limit frame, runs the algorithm and pops the frame.
//
// An exported optimiser is then only
//
//   int KRVmipopt(KRVenv env, KRVprob lp) {
//     return optimizer_entry(env, lp, Threads::Parallel,
//                            [](Environment& e, Problem& p) { return mip::solve(e, p); });
//   }
//
// The algorithm returns 0, an unreported code, or a negated reported one;
// the frame reports exactly once. An algorithm that calls another exported
// optimiser gets a reported (positive) code back and must negate it before
// passing it on. Calls that arrive with the nesting counter already raised
// (from a callback during a parallel run, or on a worker clone) take the
// inner path under the full frame.
#pragma once
#include <type_traits>

#include "env/frame.h"
#include "env/threads.h"

namespace korva {

// Serial: one thread (primal and dual simplex on linear problems).
// Parallel: as many as KRVEgetmaxthreads allows (MIP, barrier, hybrid
// network, quadratic objectives).
enum class Threads { Serial, Parallel };

inline int optimizer_thread_count(Environment& env, Threads choice) {
  return choice == Threads::Parallel ? max_threads(env) : 1;
}

// KRV_PARAM_PARALLELMODE: -1 opportunistic, 0 (automatic) and 1
// deterministic; a single thread is opportunistic.
inline bool optimizer_deterministic(Environment& env, int threads) {
  return threads > 1 && env.int_param(KRV_PARAM_PARALLELMODE) != -1;
}

namespace detail {

// The thread count of an entry: from a Threads value, or from a callable
// that returns one or the count itself.
template <class T, class Choose>
int thread_count(Choose& choose, Environment& env, T& object) {
  if constexpr (std::is_same_v<std::decay_t<Choose>, Threads>) {
    return optimizer_thread_count(env, choose);
  } else {
    const auto chosen = choose(env, object);
    if constexpr (std::is_same_v<std::decay_t<decltype(chosen)>, Threads>)
      return optimizer_thread_count(env, chosen);
    else
      return chosen;
  }
}

// The inner call made from the team: codes go back unreported to the outer
// frame, which reports them once.
template <class T, class Algorithm>
int inner_call(Environment& env, T* object, Algorithm& algorithm) noexcept {
  if (int status = api::check_env(&env)) return status;
  if (int status = api::check_object(env, object)) return status;
  return api::run_body(env, api::kLongOperation, [&] { return algorithm(env, *object); });
}

}  // namespace detail

// `choose` is a Threads value or a callable (Environment&, T&) returning
// Threads or the thread count, for entries whose choice depends on the
// problem (quadratic objectives) or on rules of their own (MIP).
template <class T, class Choose, class Algorithm>
int optimizer_entry(KRVenv env, T* object, Choose choose, Algorithm&& algorithm) noexcept {
  if (api::check_env(env) == 0 && env->nesting > 0)
    return api::call(env, object, api::kLongOperation, algorithm);
  return api::call(env, object, api::kNone, [&](Environment& e, T& p) {
    const int threads = detail::thread_count(choose, e, p);
    const bool deterministic = optimizer_deterministic(e, threads);
    return run_in_team(e, threads, deterministic,
                       [&] { return detail::inner_call(e, &p, algorithm); });
  });
}

}  // namespace korva
