#include "network/net_solve.h"

#include <cmath>
#include <cstdint>

#include "env/callbacks.h"
#include "env/channel.h"
#include "env/errors.h"
#include "env/time_limit.h"
#include "network/pricing.h"
#include "network/tree_solver.h"

namespace korva::net {
namespace {

constexpr int kWhereNetwork = 3;
constexpr int kMaxRestarts = 20;
constexpr double kTightestTolerance = 1e-10;
// Pivots per arc and node that phase 1 with the real costs may make.
constexpr int64_t kCostlyPhase1Pivots = 50;

// Pricing object with its operations table; released on every exit.
class Pricing {
 public:
  Pricing(const PricingOps& ops, const PricingView& view, double tol) : ops_(ops) {
    ops_.initialize(state_, view, tol);
  }
  ~Pricing() { ops_.release(state_); }
  Pricing(const Pricing&) = delete;
  Pricing& operator=(const Pricing&) = delete;
  int select(double* violation) { return ops_.select(state_, violation); }
  void set_tolerance(double tol) { ops_.set_tolerance(state_, tol); }
  int64_t take_work() {
    const int64_t w = state_.work;
    state_.work = 0;
    return w;
  }

 private:
  const PricingOps& ops_;
  PricingState state_;
};

enum class Stop { None, ItLimit, TimeLimit, DetLimit, Abort, Budget };

int stop_state(Stop stop, bool phase1) {
  switch (stop) {
    case Stop::ItLimit:
      return phase1 ? kItLimPhase1 : kItLimPhase2;
    case Stop::TimeLimit:
      return phase1 ? kTimeLimPhase1 : kTimeLimPhase2;
    case Stop::DetLimit:
      return phase1 ? kDetLimPhase1 : kDetLimPhase2;
    default:
      return phase1 ? kAbortPhase1 : kAbortPhase2;
  }
}

class Run {
 public:
  Run(Environment& env, Network& net, TreeSolver& tree, Pricing& pricing)
      : env_(env), net_(net), tree_(tree), pricing_(pricing) {
    itlim_ = env.long_param(KRV_PARAM_NETITLIM);
    start_time_ = current_time(env);
  }

  // Runs one phase to its end; the state tells what ended it.
  // Returns Stop::None when pricing found no entering arc.
  Stop phase(bool phase1, bool* unbounded, int64_t budget = INT64_MAX) {
    *unbounded = false;
    for (int64_t pivots = 0; pivots < budget; ++pivots) {
      if (net_.iterations >= itlim_) return Stop::ItLimit;
      double violation = 0.0;
      const int entering = pricing_.select(&violation);
      env_.ticks.charge(static_cast<uint64_t>(pricing_.take_work()));
      if (entering < 0) return Stop::None;
      const PivotOutcome outcome = tree_.pivot(entering, net_.feas_tol, phase1);
      env_.ticks.charge(static_cast<uint64_t>(outcome.work));
      if (outcome.kind == PivotOutcome::kUnbounded) {
        *unbounded = true;
        return Stop::None;
      }
      ++net_.iterations;
      if (phase1) ++net_.phase1_iterations;
      if (net_.iterations % net_.log_cadence == 0) log_point(phase1);
      if (net_.iterations >= itlim_) return Stop::ItLimit;
      if (env_.terminate_requested()) return Stop::Abort;
      if (time_limit_reached(env_)) return Stop::TimeLimit;
      if (tick_limit_reached(env_)) return Stop::DetLimit;
      if (net_.stop) return Stop::Abort;
    }
    return Stop::Budget;
  }

  void log_header() {
    if (net_.display > 0) msg(env_.results(), "Iteration log . . .\n");
  }
  void log_end() {
    if (net_.display > 0) msg(env_.results(), "\n");
  }
  double elapsed() const { return current_time(env_) - start_time_; }

 private:
  void log_point(bool phase1) {
    if (net_.display > 0) {
      Channel* out = env_.results();
      const long long it = net_.iterations;
      if (phase1) {
        const double infeasibility = tree_.artificial_flow(nullptr);
        const double shown = net_.display >= 2 ? tree_.phase_objective() : net_.sense * tree_.real_objective();
        msg(out, "Iteration:%6lld   Infeasibility     = %20.6f (%g)\n", it, infeasibility, shown);
      } else {
        msg(out, "Iteration:%6lld   Objective         = %20.6f\n", it,
            net_.sense * tree_.real_objective());
      }
      if (++net_.log_lines % 10 == 0) msg(out, "Elapsed time = %7.2f\n", elapsed());
      if (out) out->flush();
    }
    const auto& slot = env_.callbacks.network;
    if (slot.is_set() && invoke_info_callback(env_, slot, &net_, kWhereNetwork) != 0)
      net_.stop = true;
  }

  Environment& env_;
  Network& net_;
  TreeSolver& tree_;
  Pricing& pricing_;
  long long itlim_ = 0;
  double start_time_ = 0.0;
};

void finish(Network& net, const TreeSolver& tree) {
  tree.store(net);
  net.has_basis = true;
  net.objective = tree.real_objective();
  net.infeasibility = tree.artificial_flow(&net.infeasible_arcs);
}

int simplex(Environment& env, Network& net, const PricingOps& ops) {
  net.iterations = 0;
  net.phase1_iterations = 0;
  net.log_lines = 0;
  net.stop = false;
  net.log_cadence = log_cadence(net.num_arcs());

  TreeSolver tree;
  int bad_arc = -1;
  const bool warm = net.state != kNoSolution;
  if (!tree.load(net, warm, net.feas_tol, &bad_arc)) {
    msg(env.warning(), "Warning:  Bounds on '%s' contradictory.\n", net.arc_names.get(bad_arc));
    net.solution = NetSolution{};
    net.state = kInfeasible;
    return 0;
  }
  net.state = kStatusesReady;

  PricingView view{tree.priced_arcs(), tree.potentials(), tree.priced_statuses(), tree.num_arcs()};
  Pricing pricing(ops, view, net.opt_tol);
  Run run(env, net, tree, pricing);
  run.log_header();
  net.state = kPhase1;
  for (int restart = 0;; ++restart) {
    net.phase1_multiplier = 1.0;
    const bool with_costs = tree.enter_phase1(net.phase1_multiplier, true);
    bool unbounded = false;
    // Phase 1 with the real costs can stop at a cycle of unbounded descent
    // or, with a penalty too small for its data, short of feasibility, and
    // large penalties blur its reduced costs; the plain phase 1 then
    // settles feasibility.
    const int64_t budget = with_costs ? kCostlyPhase1Pivots * (net.num_arcs() + net.num_nodes() + 1) : INT64_MAX;
    Stop stop = run.phase(true, &unbounded, budget);
    if (with_costs && (stop == Stop::Budget ||
                       (stop == Stop::None && (unbounded || tree.artificial_flow(nullptr) > net.feas_tol)))) {
      tree.enter_phase1(net.phase1_multiplier, false);
      stop = run.phase(true, &unbounded);
    }
    if (stop != Stop::None) {
      net.state = stop_state(stop, true);
      break;
    }
    if (tree.artificial_flow(nullptr) > net.feas_tol) {
      net.state = kInfeasible;
      break;
    }
    net.state = kPhase2;
    tree.enter_phase2();
    stop = run.phase(false, &unbounded);
    if (stop != Stop::None) {
      net.state = stop_state(stop, false);
      break;
    }
    if (unbounded) {
      net.state = kUnbounded;
      break;
    }
    if (tree.tree_feasible(net.feas_tol) || restart == kMaxRestarts) {
      net.state = kOptimal;
      break;
    }
    // Flows drifted beyond the tolerance: tighten it and repair the flows
    // by another phase 1.
    if (net.feas_tol > kTightestTolerance) net.feas_tol *= 0.1;
    tree.recompute_flows();
    net.state = kPhase1;
  }
  run.log_end();
  finish(net, tree);
  net.elapsed = run.elapsed();
  return 0;
}

}  // namespace

int64_t log_cadence(int64_t arcs) {
  if (arcs < 100) return 10;
  if (arcs < 1000) return 100;
  if (arcs < 10000) return 1000;
  if (arcs < 25000) return 5000;
  return 10000;
}

int status_of_state(int state) {
  switch (state) {
    case kItLimPhase1:
    case kItLimPhase2:
      return 10;
    case kTimeLimPhase1:
    case kTimeLimPhase2:
      return 11;
    case kAbortPhase1:
    case kAbortPhase2:
      return 13;
    case kOptimal:
      return 1;
    case kInfeasible:
      return 3;
    case kUnbounded:
      return 2;
    case kInfOrUnbd:
      return 4;
    case kDetLimPhase1:
    case kDetLimPhase2:
      return 25;
    default:
      return 0;
  }
}

int primal_optimize(Environment& env, Network& net) {
  const auto& profile = env.callbacks.profiling;
  if (profile.is_set()) profile.function(&env, 2, profile.handle);
  net.opt_tol = env.dbl_param(KRV_PARAM_NETEPOPT);
  net.feas_tol = env.dbl_param(KRV_PARAM_NETEPRHS);
  net.display = env.int_param(KRV_PARAM_NETDISPLAY);
  if (env.int_param(KRV_PARAM_ADVIND) == 0) net.state = kNoSolution;
  int code = 0;
  const PricingOps* ops = pricing_ops(env.int_param(KRV_PARAM_NETPPRIIND));
  if (!ops)
    code = err::kNullPointer;
  else
    code = simplex(env, net, *ops);
  if (profile.is_set()) profile.function(&env, 3, profile.handle);
  return code;
}

}  // namespace korva::net
