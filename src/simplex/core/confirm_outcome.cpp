#include "simplex/core/confirm_outcome.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "env/channel.h"
#include "env/environment.h"
#include "simplex/core/answer_check.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/load_lp.h"
#include "simplex/dispatch/algorithms.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/lu/stability.h"
#include "simplex/solution/lp_solution.h"
#include "simplex/status.h"

namespace korva::simplex {

namespace {

// Reruns after the first run; each climbs one step of its claim's ladder.
constexpr int kMaxRemedies = 3;
// Tolerances are tightened to this share of what the unscaled violations
// call for, by at most the largest step, and never below the floor
// (rounding would make them meaningless).
constexpr double kTightenMargin = 0.5;
constexpr double kLargestTightening = 1e-4;
constexpr double kToleranceFloor = 1e-11;
// KRV_PARAM_SCAIND of the geometric scaling.
constexpr int kAggressiveScaling = 1;
// The objective gaps may use this share of the smaller tolerance, within
// these limits: loose tolerances still give objectives good to 1e-7, and
// tight ones are not asked for more than the arithmetic gives.
constexpr double kGapShare = 0.1;
constexpr double kLargestGap = 1e-7;
constexpr double kSmallestGap = 1e-9;

enum class Claim { Confirmed, Optimal, Infeasible, Unbounded, NonOptimal, Failed };

// The simplex that continues: one of the two, or the other one than the
// run that made the claim.
enum class Simplex { Primal, Dual, Other };

struct Remedy {
  Simplex simplex;
  bool slack_basis;  // from the slack basis instead of the current one
  // Switch to the aggressive (geometric) scaling: answers are checked on
  // the unscaled data anyway, and a model whose rows and columns carry
  // arbitrary factors keeps an ill-conditioned basis under equilibration
  // (or no scaling) that the geometric means take out.
  bool rescale;
};

// What each unconfirmed claim tries, step by step. An optimum with
// violations continues with the simplex that repairs them (see
// remedy_for); the other claims first hand the current basis to the
// simplex that can prove or refute them, then start over.
using enum Simplex;
constexpr Remedy kInfeasibleLadder[kMaxRemedies] = {{Other, false, false}, {Primal, true, true}, {Dual, true, true}};
constexpr Remedy kUnboundedLadder[kMaxRemedies] = {{Primal, false, false}, {Primal, true, true}, {Primal, true, true}};
constexpr Remedy kNonOptimalLadder[kMaxRemedies] = {{Other, false, true}, {Primal, true, true}, {Dual, true, true}};
constexpr Remedy kFailedLadder[kMaxRemedies] = {{Primal, true, true}, {Dual, true, true}, {Primal, true, true}};

double gap_tolerance(const SimplexSettings& user) {
  const double share = kGapShare * std::min(user.feasibility_tol, user.optimality_tol);
  return std::clamp(share, kSmallestGap, kLargestGap);
}

struct Judgement {
  Claim claim = Claim::Confirmed;
  UnscaledViolations violations;
  bool primal_violated = false, dual_violated = false;
};

Judgement judge(Environment& env, const Problem& p, SimplexWork& w, const SimplexOutcome& outcome,
                const SimplexSettings& user) {
  Judgement j;
  switch (outcome.status) {
    case status::kOptimal:
      j.violations = unscaled_violations(env, p, w);
      // A gap beyond its tolerance means the tolerances let the objective
      // stray: that side then works tighter.
      j.primal_violated =
          j.violations.primal > user.feasibility_tol || j.violations.primal_gap > gap_tolerance(user);
      j.dual_violated = j.violations.dual > user.optimality_tol || j.violations.dual_gap > gap_tolerance(user);
      if (j.primal_violated || j.dual_violated) j.claim = Claim::Optimal;
      return j;
    case status::kInfeasible: {
      for (int k = 0; k < p.num_cols(); ++k)
        if (bounds_cross(p.lower(k), p.upper(k))) return j;  // contradictory bounds prove it
      if (w.farkas_row >= 0 && static_cast<int>(w.farkas_y.size()) == p.num_rows()) {
        std::vector<double> y = w.farkas_y;
        if (check_farkas(p, y, user.feasibility_tol).proven()) return j;
      }
      std::vector<double> y;
      if (infeasibility_certificate(env, p, w, user.feasibility_tol, y).proven()) {
        // The certificate the final basis offers is the one reported.
        w.farkas_row = 0;
        w.farkas_y = y;
        return j;
      }
      j.claim = Claim::Infeasible;
      return j;
    }
    case status::kUnbounded:
      j.violations = unscaled_violations(env, p, w);
      if (j.violations.primal <= user.feasibility_tol && is_unbounded_ray(env, p, w, w.ray_var, w.ray_direction))
        return j;
      j.claim = Claim::Unbounded;
      return j;
    case status::kNumBest:
      j.claim = outcome.numerical_failure ? Claim::Failed : Claim::NonOptimal;
      return j;
    default:
      // Limits, aborts and the objective limit claim nothing about the model.
      return j;
  }
}

Remedy remedy_for(const Judgement& j, int step, bool last_primal) {
  switch (j.claim) {
    case Claim::Optimal: {
      // Primal violations are what the dual simplex removes while keeping
      // the duals feasible, and the other way round; the last step lets
      // the other one try.
      const bool primal = j.dual_violated && (!j.primal_violated || last_primal);
      const bool last = step == kMaxRemedies - 1;
      return {primal != last ? Primal : Dual, false, last};
    }
    case Claim::Infeasible:
      return kInfeasibleLadder[step];
    case Claim::Unbounded:
      return kUnboundedLadder[step];
    case Claim::Failed:
      return kFailedLadder[step];
    default:
      return kNonOptimalLadder[step];
  }
}

// `excess`: how many times its tolerance the violation it governs is.
double tightened(double tolerance, double excess) {
  if (excess <= 1.0) return tolerance;
  return std::max(tolerance * std::max(kTightenMargin / excess, kLargestTightening), kToleranceFloor);
}

void announce(Environment& env, const Judgement& j, const Remedy& r, bool primal, int scaling, int display) {
  if (display < 1) return;
  switch (j.claim) {
    case Claim::Optimal:
      msg(env.results(), "Unscaled infeasibilities remain (primal %.3g, dual %.3g; objective gaps %.3g, %.3g).\n",
          j.violations.primal, j.violations.dual, j.violations.primal_gap, j.violations.dual_gap);
      break;
    case Claim::Infeasible:
      msg(env.results(), "Infeasibility not confirmed on the unscaled problem.\n");
      break;
    case Claim::Unbounded:
      msg(env.results(), "Unboundedness not confirmed on the unscaled problem.\n");
      break;
    case Claim::Failed:
      msg(env.results(), "Numerical difficulties.\n");
      break;
    default:
      msg(env.results(), "No optimal basis reached.\n");
      break;
  }
  msg(env.results(), "Continuing with the %s simplex%s%s.\n", primal ? "primal" : "dual",
      r.slack_basis ? " from a slack basis" : "",
      r.rescale && scaling != kAggressiveScaling ? " on the aggressively scaled problem" : "");
}

// The last word on a claim that no remedy confirmed.
void settle(Environment& env, const Judgement& j, SimplexOutcome& outcome, bool warn) {
  if (j.claim == Claim::Optimal) {
    outcome.status = status::kOptimalInfeas;
    outcome.primal_feasible = !j.primal_violated;
    outcome.dual_feasible = !j.dual_violated;
    if (warn)
      msg(env.warning(),
          "Warning: optimal solution with unscaled infeasibilities (primal %.3g, dual %.3g; objective gaps %.3g, "
          "%.3g).\n",
          j.violations.primal, j.violations.dual, j.violations.primal_gap, j.violations.dual_gap);
    return;
  }
  outcome.status = status::kNumBest;
  // A claim of infeasibility or unboundedness came with flags that no
  // longer hold; a run without an optimal basis keeps its own.
  if (j.claim == Claim::Infeasible || j.claim == Claim::Unbounded)
    outcome.primal_feasible = outcome.dual_feasible = false;
  if (!warn) return;
  switch (j.claim) {
    case Claim::Infeasible:
      msg(env.warning(), "Warning: infeasibility could not be proven on the unscaled problem.\n");
      break;
    case Claim::Unbounded:
      msg(env.warning(), "Warning: unboundedness could not be proven on the unscaled problem.\n");
      break;
    default:
      msg(env.warning(), "Warning: no optimal basis reached; the solution is not optimal.\n");
      break;
  }
}

// The basis a run ended with, to return to when what follows fails. The
// values are kept in the user's units: a later remedy may scale afresh.
struct Snapshot {
  std::vector<int> basic_index;
  std::vector<uint8_t> status;
  std::vector<double> user_x;
  SimplexOutcome outcome;
  Judgement judgement;
};

Snapshot take_snapshot(SimplexWork& w, const SimplexOutcome& outcome, const Judgement& j) {
  w.sync_basic_values();
  std::vector<double> user_x(w.x.size());
  for (int v = 0; v < w.lp.num_vars(); ++v) user_x[v] = w.lp.to_user(v, w.x[v]);
  return Snapshot{w.basic_index, w.status, std::move(user_x), outcome, j};
}

// Back to the snapshot's basis, refactorised (repairs allowed) and with
// its values recomputed. False when even that basis no longer factorises.
bool restore(Environment& env, const Problem& p, SimplexWork& w, const Snapshot& s) {
  w.basic_index = s.basic_index;
  w.status = s.status;
  for (int v = 0; v < w.lp.num_vars(); ++v) w.x[v] = w.lp.to_internal(v, s.user_x[v]);
  w.has_basis = true;
  RefactorRequest req;
  req.display = 0;
  const int code = refactor_basis(env, p, w, req);
  if (code != 0 && code != lu::kRepaired) return false;
  if (w.lp.num_rows > 0) {
    SparseVector work(w.lp.num_rows);
    compute_basic_values(w, work, env.ticks);
  }
  return true;
}

// Prepares the record for a rerun with the remedy's basis: bounds and
// costs read afresh, perturbations gone, and a fresh factor with safer
// pivots (the old one's errors may be what made the claim fail).
SimplexWork& prepare_rerun(Environment& env, Problem& p, const Remedy& r, int scaling) {
  const lu::FactorControl control = simplex_work(p).factor_control;
  SimplexWork& w = prepare_simplex_work(env, p, !r.slack_basis, scaling);
  w.factor_control = control;
  w.factor_control.markowitz = lu::raise_markowitz(w.factor_control.markowitz);
  w.factor_valid = false;
  return w;
}

}  // namespace

int confirm_outcome(Environment& env, Problem& p, int method, const SimplexSettings& settings,
                    SimplexOutcome& outcome, int code) {
  if (code != 0 && code != lu::kSingular) return code;
  SimplexSettings run = settings;
  run.advanced_start = true;
  run.perturb_from_start = false;
  SimplexOutcome total = outcome;
  // The best state so far that a failed remedy returns to: an optimum
  // that only missed the unscaled tolerances.
  std::optional<Snapshot> best;
  bool last_primal = method == kMethodPrimal;  // the simplex of the latest run
  for (int step = 0;; ++step) {
    SimplexWork& w = simplex_work(p);
    Judgement j;
    if (code != 0) {
      j.claim = Claim::Failed;
    } else {
      j = judge(env, p, w, outcome, settings);
      if (j.claim == Claim::Confirmed) break;
      if (j.claim == Claim::Optimal && !best) best = take_snapshot(w, outcome, j);
    }
    if (step == kMaxRemedies) {
      if (j.claim != Claim::Optimal && best && restore(env, p, w, *best)) {
        outcome = best->outcome;
        j = best->judgement;
      } else if (code != 0) {
        // Nothing to fall back on: the error stands.
        return code;
      }
      settle(env, j, outcome, settings.final_verdict);
      break;
    }
    const Remedy r = remedy_for(j, step, last_primal);
    if (j.claim == Claim::Optimal) {
      const double gap = gap_tolerance(settings);
      run.feasibility_tol = tightened(run.feasibility_tol, std::max(j.violations.primal / settings.feasibility_tol,
                                                                    j.violations.primal_gap / gap));
      run.optimality_tol = tightened(run.optimality_tol, std::max(j.violations.dual / settings.optimality_tol,
                                                                  j.violations.dual_gap / gap));
    }
    const bool primal = r.simplex == Primal || (r.simplex == Other && !last_primal);
    announce(env, j, r, primal, run.scaling, settings.display);
    if (r.rescale) run.scaling = kAggressiveScaling;
    SimplexWork& again = prepare_rerun(env, p, r, run.scaling);
    run.iteration_base = settings.iteration_base + total.iterations;
    SimplexOutcome next;
    const SimplexAlgorithm algorithm = primal ? primal_algorithm() : dual_algorithm();
    last_primal = primal;
    code = run_algorithm(env, p, algorithm, again, run, next);
    if (code != 0 && code != lu::kSingular) return code;
    total.iterations += next.iterations;
    total.phase1_iterations += next.phase1_iterations;
    outcome = next;
  }
  outcome.iterations = total.iterations;
  outcome.phase1_iterations = total.phase1_iterations;
  return 0;
}

}  // namespace korva::simplex
