#include "simplex/dispatch/lp_entries.h"

#include <algorithm>

#include "barrier/barrier_driver.h"
#include "env/channel.h"
#include "env/errors.h"
#include "model/model.h"
#include "network/hybrid.h"
#include "simplex/dispatch/concurrent.h"
#include "simplex/dispatch/method_choice.h"
#include "simplex/dispatch/simplex_driver.h"
#include "simplex/dispatch/unavailable.h"
#include "simplex/solution/lp_solution.h"

namespace korva::simplex {

namespace {

constexpr int kConcurrentSize = 3000;

// Every optimisation is announced to the admission hook (the audit file)
// and bracketed by the profile callback (0 before, 1 after).
template <class Body>
int optimization(Environment& env, Problem& p, Body body) {
  if (int code = model::complete(env, p)) return code;
  if (env.admission_hook) env.admission_hook(&env, p.type);
  const auto& profile = env.callbacks.profiling;
  if (profile.is_set()) profile.function(&env, 0, profile.handle);
  const int code = body();
  if (profile.is_set()) profile.function(&env, 1, profile.handle);
  return code;
}

bool is_quadratic(const Problem& p) { return p.quad != nullptr; }

// The simplex that finishes after the network part ('d' = 100 the dual).
int method_of_character(int method) {
  switch (method) {
    case 'p':
    case 'P':
    case 1:
      return kMethodPrimal;
    case 'd':
    case 'D':
    case 2:
      return kMethodDual;
    default:
      return 0;
  }
}

int run_lp_method(Environment& env, Problem& p, int method) {
  switch (method) {
    case kMethodPrimal:
      return simplex_driver(env, p, kMethodPrimal);
    case kMethodDual:
      return simplex_driver(env, p, kMethodDual);
    case kMethodConcurrent:
      return concurrent_optimize(env, p);
    case kMethodNetwork:
      return net::hybrid_optimize(env, p, kMethodDual);
    case kMethodBarrier:
      return barrier::barrier_optimize(env, p, 0);
    default:
      return unavailable_method(env, method);
  }
}

// A quadratic objective goes to the quadratic simplex, which is not built.
int simplex_entry(Environment& env, Problem& p, int method) {
  return optimization(env, p, [&] {
    const int code = lp_problem_check(p);
    if (code == err::kNotForQp) return unavailable_method(env, kQuadraticSimplex);
    if (code != 0) return code;
    return simplex_driver(env, p, method);
  });
}

}  // namespace

bool lp_entry_wants_team(Environment& env, Problem& p) {
  const int method = env.int_param(KRV_PARAM_LPMETHOD);
  if (method == kMethodConcurrent || method == kMethodBarrier || is_quadratic(p)) return true;
  return method == 0 && lp_thread_count(env) > 1 && env.int_param(KRV_PARAM_MEMORYEMPHASIS) == 0 &&
         std::max(p.num_rows(), p.num_cols()) >= kConcurrentSize;
}

int lp_optimize(Environment& env, Problem& p) {
  return optimization(env, p, [&] {
    if (int code = lp_problem_check(p)) {
      if (code != err::kNotForQp) return code;
      return unavailable_method(env, kQuadraticSimplex);
    }
    return run_lp_method(env, p, choose_lp_method(env, p, true));
  });
}

int primal_optimize(Environment& env, Problem& p) { return simplex_entry(env, p, kMethodPrimal); }

int dual_optimize(Environment& env, Problem& p) { return simplex_entry(env, p, kMethodDual); }


int barrier_optimize(Environment& env, Problem& p, int crossover) {
  return optimization(env, p, [&] {
    if (int code = lp_problem_check(p); code && code != err::kNotForQp) return code;
    return barrier::barrier_optimize(env, p, crossover);
  });
}

int hybrid_network_optimize(Environment& env, Problem& p, int method) {
  return optimization(env, p, [&] {
    if (is_quadratic(p)) {
      if (method != 1 && method != 'P' && method != 'p')
        msg(env.warning(), "The method should be primal simplex for QP in KRVhybnetopt.\n");
      return unavailable_method(env, kQuadraticSimplex);
    }
    const int simplex = method_of_character(method);
    if (simplex == 0) return static_cast<int>(err::kBadArgument);
    return net::hybrid_optimize(env, p, simplex);
  });
}

int qp_optimize(Environment& env, Problem& p) {
  return optimization(env, p, [&] {
    if (int code = lp_problem_check(p); code && code != err::kNotForQp) return code;
    const int method = env.int_param(KRV_PARAM_QPMETHOD);
    if (!is_quadratic(p)) return run_lp_method(env, p, method == 0 ? kMethodBarrier : method);
    if (method == 0 || method == kMethodBarrier) return barrier::barrier_optimize(env, p, 0);
    return unavailable_method(env, kQuadraticSimplex);
  });
}

int sift_optimize(Environment& env, Problem& p) {
  return optimization(env, p, [&] { return unavailable_method(env, kMethodSifting); });
}

}  // namespace korva::simplex
