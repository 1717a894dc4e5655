// The main loop of the primal simplex: it sequences pricing, the solves,
// the ratio test and the updates of each iteration, and decides what
// happens when no variable can enter (refactorise first, remove the bound
// changes, switch phases, check the dropped variables, or stop with a
// status).
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "env/channel.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/iteration_log.h"
#include "simplex/core/run_monitor.h"
#include "simplex/core/stall_control.h"
#include "simplex/core/start_basis.h"
#include "simplex/core/tolerance_rules.h"
#include "simplex/core/variable_names.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/primal/column_pricing.h"
#include "simplex/primal/primal_bounds.h"
#include "simplex/primal/primal_ratio_test.h"
#include "simplex/primal/primal_simplex.h"
#include "simplex/primal/primal_state.h"
#include "simplex/status.h"

namespace korva::simplex {

namespace {

// Pivots from the row and from the column that disagree by more than this
// (relative) mean the factor has lost accuracy.
constexpr double kPivotDisagreement = 1e-7;
// A candidate whose recomputed reduced cost is not below this share of
// the tolerance (with the sign of its move) is not attractive after all.
constexpr double kRecheckShare = 0.9999999999999;
// Returns to phase I after which a run that keeps losing feasibility gives
// up with a non-optimal status.
constexpr int kMaxPhaseReturns = 30;
// Returns to phase I from which the feasibility tolerance is relaxed when
// the infeasibility does not improve.
constexpr int kRelaxFromReturn = 3;
constexpr double kRequiredImprovement = 1e-10;
// The last pricing pass before optimality tightens the tolerance this much.
constexpr double kPolishFactor = 0.1;
constexpr double kPolishFloor = 1e-9;
// Updates between refactorisations: enough to amortise a factorisation,
// few enough to keep the update file cheap to apply and the values accurate.
int refactor_interval(int m) { return std::min(100 + m / 100, 1000); }

PrimalScratch& primal_scratch(SimplexWork& w) {
  if (auto* s = dynamic_cast<PrimalScratch*>(w.primal_scratch.get())) return *s;
  auto fresh = std::make_unique<PrimalScratch>();
  PrimalScratch& ref = *fresh;
  w.primal_scratch = std::move(fresh);
  return ref;
}

class PrimalLoop {
 public:
  PrimalLoop(PrimalState& st, SimplexOutcome& out)
      : st_(st),
        out_(out),
        log_(st.env, LogKind::Primal, st.settings.display, st.w.factor_control.refactorisations),
        monitor_(st.env, kWherePrimal, st.settings.iteration_base, st.settings.run_iteration_limit) {}

  int run();

 private:
  int start();
  int rebuild();
  void recompute_all();
  int iterate(int q);
  void flip_entering(int q, int direction, double range);
  int pivot(int q, int direction, const RatioResult& rr);
  void after_phase1_step(bool everywhere);
  void end_phase1_perturbation();
  int end_of_pass();
  bool check_dropped();
  bool release_dropped();
  void finish(int status) {
    finished_ = true;
    out_.status = status;
  }
  void log_iteration();
  void check_stall();
  bool objective_limit_passed() const;
  double user_objective() const { return st_.lp.objsense * st_.objective; }
  double phase_measure() const {
    return st_.phase == 1 ? st_.measure_infeasibility(st_.feas_tol_work, nullptr) : st_.objective;
  }
  bool fresh_factor() const { return st_.w.lu.updates() == 0 || last_rebuild_iteration_ == st_.iterations; }

  PrimalState& st_;
  SimplexOutcome& out_;
  ColumnPricing pricing_;
  StallControl stall_;
  RunawayWatch runaway_;
  IterationLog log_;
  RunMonitor monitor_;
  LpCallbackData callback_data_;
  bool finished_ = false;
  bool started_ = false;
  int64_t last_rebuild_iteration_ = -1;
  int phase_returns_ = 0;
  double last_return_infeasibility_ = kInf;
  int reinclusions_ = 0;
  int rejections_ = 0;
  bool polished_ = false;
  bool tightened_ = false;
  bool phase1_perturbation_ = false;  // the stall control perturbed in phase I
  bool verdict_pending_ = false;  // the pass ended: recomputations judge it
};

// ---- start -----------------------------------------------------------------

int PrimalLoop::start() {
  SimplexWork& w = st_.w;
  for (int j = 0; j < st_.nv; ++j) {
    if (st_.lp.lower[j] > st_.lp.upper[j]) {
      finish(status::kInfeasible);
      return 0;
    }
  }
  stall_.window = primal_stall_window(st_.m, st_.env.long_param(KRV_PARAM_PERLIM));
  stall_.shift_limit = shift_limit(st_.m);
  if (!w.factor_valid) {
    if (int code = rebuild()) return code;
  } else {
    recompute_all();
  }
  pricing_.start(st_, st_.settings.primal_pricing);
  if (st_.settings.perturb_from_start) {
    perturb_bounds(st_, stall_);
    recompute_all();
  }
  stall_.set_mark(0, st_.phase, phase_measure());
  started_ = true;
  return 0;
}

// ---- refactorisation and recomputation ---------------------------------------

int PrimalLoop::rebuild() {
  SimplexWork& w = st_.w;
  last_rebuild_iteration_ = st_.iterations;
  if (st_.m > 0) {
    RefactorRequest req;
    req.display = st_.settings.display;
    const int code = refactor_basis(st_.env, st_.problem, w, req);
    if (code == lu::kRepaired) {
      st_.after_repair = true;
      if (started_) pricing_.reset(st_);
    } else if (code != 0) {
      return code;
    }
  } else {
    w.factor_valid = true;
  }
  recompute_all();
  if (!started_) return 0;
  pricing_.after_refactor(st_, stall_.perturbed || stall_.shifted);
  if (st_.phase != 2 || verdict_pending_) {
    runaway_.reset();
  } else if (runaway_.ran_away(st_.objective)) {
    finish(status::kNumBest);
    out_.numerical_failure = true;
  }
  return 0;
}

void PrimalLoop::recompute_all() {
  st_.recompute_primal();
  st_.refresh_moves();
  const int previous = st_.phase;
  // Variables that left the basis keep no phase I cost.
  std::fill(st_.s.phase1_cost.begin(), st_.s.phase1_cost.end(), 0.0);
  st_.refresh_phase1_costs();
  if (st_.infeasible_count > 0) {
    if (started_ && previous == 2 && verdict_pending_) {
      // Feasibility lost when the pass ended: back to phase I. When it
      // keeps happening without progress the tolerance was too tight for
      // the numerics of this problem. (Losing it during the pass, by
      // accumulated update errors, just resumes phase I.)
      ++phase_returns_;
      if (phase_returns_ >= kRelaxFromReturn &&
          !(st_.infeasibility_sum < last_return_infeasibility_ - kRequiredImprovement)) {
        st_.feas_tol_work = relax_tolerance(st_.feas_tol_work);
        st_.feas_tol = std::max(st_.feas_tol, st_.feas_tol_work);
      }
      last_return_infeasibility_ = st_.infeasibility_sum;
      st_.refresh_phase1_costs();
    }
    st_.phase = st_.infeasible_count > 0 ? 1 : 2;
  } else {
    st_.phase = 2;
  }
  if (st_.phase == 2) std::fill(st_.s.phase1_cost.begin(), st_.s.phase1_cost.end(), 0.0);
  st_.recompute_duals();
  st_.recompute_objective();
  rejections_ = 0;
}

// ---- one iteration -------------------------------------------------------------

int PrimalLoop::iterate(int q) {
  SimplexWork& w = st_.w;
  PrimalScratch& s = st_.s;
  const int mv = st_.s.move[q];
  const int direction = mv == kMoveEither ? (w.dj[q] < 0.0 ? 1 : -1) : mv;
  // The maintained reduced cost may have drifted: the duals decide.
  const double d = st_.m > 0 ? st_.exact_reduced_cost(q) : w.dj[q];
  if (direction * d > -kRecheckShare * st_.opt_tol) {
    w.dj[q] = d;
    if (++rejections_ > 50) return rebuild();
    return 0;
  }
  w.dj[q] = d;

  s.col_aq.clear();
  if (st_.m > 0) {
    if (q < st_.n) {
      for (int64_t k = st_.lp.col_begin[q]; k < st_.lp.col_begin[q + 1]; ++k)
        s.col_aq.set_new(st_.lp.row_index[k], st_.lp.value[k]);
    } else {
      s.col_aq.set_new(q - st_.n, 1.0);
    }
    w.lu.ftran(s.col_aq, lu::SolveKind::Automatic, true);
    if (!s.col_aq.indexed) s.col_aq.rebuild_index();
  }
  const double range = direction > 0 ? w.work_upper[q] - w.x[q] : w.x[q] - w.work_lower[q];
  const RatioResult rr = primal_ratio_test(st_, q, direction, range);
  switch (rr.outcome) {
    case RatioOutcome::Repeat:
      return rebuild();
    case RatioOutcome::Unbounded:
      // Only a fresh factor is trusted with the verdict.
      if (!fresh_factor()) return rebuild();
      if (st_.phase == 1) {
        // Phase I is bounded below: this is numerical noise. Leave the
        // column until the duals are next recomputed.
        w.dj[q] = 0.0;
        return 0;
      }
      if (remove_bound_changes(st_, stall_, false)) {
        recompute_all();
        stall_.set_mark(st_.iterations, st_.phase, phase_measure());
        return 0;
      }
      finish(status::kUnbounded);
      out_.primal_feasible = true;
      out_.dual_feasible = false;
      w.ray_var = q;
      w.ray_direction = direction;
      return 0;
    case RatioOutcome::Flip:
      flip_entering(q, direction, rr.step);
      return 0;
    case RatioOutcome::Leave:
      return pivot(q, direction, rr);
  }
  return 0;
}

void PrimalLoop::flip_entering(int q, int direction, double range) {
  SimplexWork& w = st_.w;
  const SparseVector& col = st_.s.col_aq;
  const double delta = direction * range;
  for (int k = 0; k < col.count; ++k) {
    const int r = col.index[k];
    w.x_basic[r] -= delta * col.values[r];
  }
  st_.env.ticks.charge(static_cast<uint64_t>(col.count));
  if (st_.phase == 2) shift_violated_bounds(st_, stall_, col, -1);
  st_.objective += w.dj[q] * delta;
  const uint8_t flag = w.status[q] & kFixedBySingularity;
  if (direction > 0) {
    w.x[q] = w.work_upper[q];
    w.status[q] = kAtUpper | flag;
  } else {
    w.x[q] = w.work_lower[q];
    w.status[q] = kAtLower | flag;
  }
  st_.s.move[q] = static_cast<int8_t>(st_.move_of(q));
  ++st_.iterations;
  if (st_.phase == 1) {
    ++st_.phase1_iterations;
    after_phase1_step(false);
  }
}

int PrimalLoop::pivot(int q, int direction, const RatioResult& rr) {
  SimplexWork& w = st_.w;
  PrimalScratch& s = st_.s;
  const int r = rr.row;
  const double alpha = s.col_aq.values[r];

  // Row r of B⁻¹ and the pivot row.
  s.row_ep.clear();
  s.row_ep.set_new(r, 1.0);
  w.lu.btran(s.row_ep);
  if (!s.row_ep.indexed) s.row_ep.rebuild_index();
  primal_pivot_row(st_);
  const double alpha_row = q < st_.n ? s.row_ap.values[q] : s.row_ep.values[q - st_.n];
  const double disagreement =
      std::fabs(alpha - alpha_row) / std::max(std::min(std::fabs(alpha), std::fabs(alpha_row)), 1e-300);
  if (disagreement > kPivotDisagreement && w.lu.updates() > 0) return rebuild();

  if (pricing_.wants_tau()) {
    s.col_tau.clear();
    for (int k = 0; k < s.col_aq.count; ++k) s.col_tau.set_new(s.col_aq.index[k], s.col_aq.values[s.col_aq.index[k]]);
    w.lu.btran(s.col_tau);
  }
  pricing_.update(st_, q, r, alpha);

  // Primal step. A leaving variable that is already past its bound by more
  // than the tolerance keeps its value: the bound moves there and the step
  // is zero. Within the tolerance it simply leaves at its bound.
  const int out = w.basic_index[r];
  double bound = rr.to_lower ? w.basic_lower[r] : w.basic_upper[r];
  double step = rr.step;
  const double reached = w.x_basic[r] - direction * step * alpha;
  if (step == 0.0 && std::fabs(reached - bound) > st_.feas_tol_work) {
    if (shift_bound(st_, stall_, out, r, rr.to_lower, w.x_basic[r])) bound = w.x_basic[r];
  }
  const double delta = direction * step;
  const SparseVector& col = s.col_aq;
  if (delta != 0.0) {
    for (int k = 0; k < col.count; ++k) {
      const int i = col.index[k];
      w.x_basic[i] -= delta * col.values[i];
    }
    st_.env.ticks.charge(static_cast<uint64_t>(col.count));
    if (st_.phase == 2) shift_violated_bounds(st_, stall_, col, r);
  }
  st_.objective += w.dj[q] * delta;
  const double entering_value = w.x[q] + delta;

  // Dual step.
  const double theta = w.dj[q] / alpha;
  if (theta != 0.0) {
    const SparseVector& ap = s.row_ap;
    const SparseVector& ep = s.row_ep;
    double* dj = w.dj.data();
    const uint8_t* status = w.status.data();
    for (int k = 0; k < ap.count; ++k) {
      const int j = ap.index[k];
      if (!is_basic(status[j])) dj[j] -= theta * ap.values[j];
    }
    double* y = s.y.values.data();
    for (int k = 0; k < ep.count; ++k) {
      const int i = ep.index[k];
      const double e = ep.values[i];
      y[i] += theta * e;
      if (!is_basic(status[st_.n + i])) dj[st_.n + i] -= theta * e;
    }
    st_.env.ticks.charge(static_cast<uint64_t>(ap.count + ep.count));
  }
  w.dj[q] = 0.0;
  w.dj[out] = -theta;
  if (st_.phase == 1 && s.phase1_cost[out] != 0.0) {
    w.dj[out] -= s.phase1_cost[out];
    s.phase1_cost[out] = 0.0;
    --st_.infeasible_count;
  }

  // Basis change.
  const uint8_t flag = w.status[out] & kFixedBySingularity;
  const bool fixed = w.work_lower[out] == w.work_upper[out];
  w.status[out] = (rr.to_lower || fixed ? kAtLower : kAtUpper) | flag;
  w.x[out] = bound;
  w.status[q] = kBasic;
  w.basic_index[r] = q;
  w.x_basic[r] = entering_value;
  w.x[q] = entering_value;
  w.basic_lower[r] = w.work_lower[q];
  w.basic_upper[r] = w.work_upper[q];
  if (q < st_.n) ++s.enter_count[q];
  s.move[q] = 0;
  s.move[out] = static_cast<int8_t>(st_.move_of(out));

  ++st_.iterations;
  if (st_.phase == 1) ++st_.phase1_iterations;
  const bool refactor = st_.m > 0 && (w.lu.update(s.col_aq, r) == lu::UpdateResult::Refactorise ||
                                      w.lu.updates() >= refactor_interval(st_.m));
  if (st_.settings.display >= 2) {
    log_.write_detail(st_.iterations, st_.phase, st_.lp.scaled, user_objective(),
                      variable_name(st_.env, st_.problem, st_.lp, q),
                      variable_name(st_.env, st_.problem, st_.lp, out));
  }
  if (refactor) return rebuild();
  if (st_.phase == 1) after_phase1_step(false);
  return 0;
}

void PrimalLoop::after_phase1_step(bool everywhere) {
  // The step may have made basic variables feasible (or, within the
  // tolerance, changed sides): the phase I costs and duals follow. Only
  // the positions the step moved can have changed.
  if (!everywhere && st_.infeasible_count > 0) {
    const SparseVector& col = st_.s.col_aq;
    const double t = st_.feas_tol_work;
    bool changed = false;
    for (int k = 0; k < col.count && !changed; ++k) {
      const int r = col.index[k];
      const double v = st_.violation(r, t);
      const double c = v < 0.0 ? -1.0 : v > 0.0 ? 1.0 : 0.0;
      changed = st_.s.phase1_cost[st_.w.basic_index[r]] != c;
    }
    st_.env.ticks.charge(static_cast<uint64_t>(col.count));
    if (!changed) return;
  }
  if (!st_.refresh_phase1_costs() && st_.infeasible_count > 0) return;
  if (st_.infeasible_count == 0) {
    st_.phase = 2;
    std::fill(st_.s.phase1_cost.begin(), st_.s.phase1_cost.end(), 0.0);
  }
  st_.recompute_duals();
  if (st_.phase == 2) st_.recompute_objective();
}

// ---- stall control and limits ------------------------------------------------------

void PrimalLoop::check_stall() {
  // The measure costs a pass over the rows in phase I: only taken when
  // the stall control looks at it.
  if (st_.phase == stall_.mark_phase && st_.iterations - stall_.mark_iteration < stall_.window) return;
  if (!stall_.stalled(st_.iterations, st_.phase, phase_measure())) return;
  if (stall_.stuck()) {
    finish(status::kNumBest);
    out_.stalled = true;
    return;
  }
  perturb_bounds(st_, stall_);
  // Wider bounds may have made basic variables feasible.
  if (st_.phase == 1) {
    phase1_perturbation_ = true;
    after_phase1_step(true);
  }
}

void PrimalLoop::end_phase1_perturbation() {
  // A perturbation made to get phase I past a stall has done its work once
  // the basis is feasible. Kept on, it would make phase II crawl through
  // tiny steps between the widened bounds; removed, the values stay
  // feasible within the restored tolerance (the widening is below it on a
  // first perturbation), and phase II starts from the real vertex.
  if (!phase1_perturbation_) return;
  phase1_perturbation_ = false;
  if (!remove_bound_changes(st_, stall_, false)) return;
  recompute_all();
  stall_.set_mark(st_.iterations, st_.phase, phase_measure());
}

bool PrimalLoop::objective_limit_passed() const {
  if (finished_ || st_.phase != 2) return false;
  const double limit =
      st_.lp.objsense > 0 ? st_.env.dbl_param(KRV_PARAM_OBJLLIM) : -st_.env.dbl_param(KRV_PARAM_OBJULIM);
  return st_.objective < limit;
}

// ---- end of a pass -------------------------------------------------------------------

int PrimalLoop::end_of_pass() {
  // Verdicts are only given on values computed from a fresh factor.
  verdict_pending_ = true;
  if (!fresh_factor()) {
    const int code = rebuild();
    verdict_pending_ = false;
    return code;
  }
  if (remove_bound_changes(st_, stall_, false)) {
    recompute_all();
    verdict_pending_ = false;
    stall_.set_mark(st_.iterations, st_.phase, phase_measure());
    return 0;
  }
  if (st_.phase == 1) {
    // Dropped variables may still reduce the infeasibility.
    if (release_dropped()) return 0;
    if (!tightened_) {
      // Before giving up, phase I sees the smaller violations too: a
      // tighter tolerance, values recomputed, one more pricing pass.
      tightened_ = true;
      st_.feas_tol_work = tighten_tolerance(st_.feas_tol_work);
      recompute_all();
      if (st_.phase == 1) return 0;
      st_.feas_tol_work = st_.feas_tol;
      return 0;
    }
    finish(status::kInfeasible);
    out_.primal_feasible = false;
    out_.dual_feasible = false;
    return 0;
  }
  if (!polished_) {
    // Reduced costs just inside the tolerance still move the objective
    // noticeably on models with large values: one last pass prices with a
    // tenfold tighter tolerance before optimality is declared.
    polished_ = true;
    st_.opt_tol = std::max(st_.opt_tol * kPolishFactor, kPolishFloor);
    return 0;
  }
  if (!check_dropped()) return 0;
  finish(status::kOptimal);
  out_.primal_feasible = true;
  out_.dual_feasible = true;
  return 0;
}

// Variables the singularity repair fixed take no part in pricing; at the
// end their reduced costs must not violate optimality. True when the run
// may stop as optimal.
bool PrimalLoop::check_dropped() {
  SimplexWork& w = st_.w;
  int64_t violations = 0;
  bool any = false;
  const bool show = st_.settings.display >= 1;
  for (int j = 0; j < st_.nv; ++j) {
    if (!(w.status[j] & kFixedBySingularity)) continue;
    if (is_basic(w.status[j])) {
      w.status[j] &= static_cast<uint8_t>(~kFixedBySingularity);
      continue;
    }
    any = true;
    const double d = w.dj[j];
    const uint8_t saved = w.status[j];
    w.status[j] &= static_cast<uint8_t>(~kFixedBySingularity);
    const int mv = st_.move_of(j);
    w.status[j] = saved;
    if (improvement_rate(mv, d) <= st_.opt_tol) continue;
    ++violations;
    if (show) {
      const std::string name = variable_name(st_.env, st_.problem, st_.lp, j);
      msg(st_.env.results(),
          st_.lp.scaled ? "Scaled reduced cost of dropped variable '%.255s' = %g\n"
                        : "Reduced cost of dropped variable '%.255s' = %g\n",
          name.c_str(), d);
    }
  }
  if (!any) return true;
  if (violations == 0) {
    if (show) msg(st_.env.results(), "Dropped variables satisfy optimality criteria.\n");
    for (int j = 0; j < st_.nv; ++j) w.status[j] &= static_cast<uint8_t>(~kFixedBySingularity);
    st_.refresh_moves();
    return true;
  }
  if (reinclusions_ == 0) {
    if (show) msg(st_.env.results(), "Attempting to reinclude dropped variables.\n");
    ++reinclusions_;
    for (int j = 0; j < st_.nv; ++j) w.status[j] &= static_cast<uint8_t>(~kFixedBySingularity);
    st_.refresh_moves();
    return false;
  }
  if (show) msg(st_.env.results(), "There are %lld violations to optimality.\n", static_cast<long long>(violations));
  finish(status::kNumBest);
  return false;
}

bool PrimalLoop::release_dropped() {
  SimplexWork& w = st_.w;
  bool any = false;
  for (int j = 0; j < st_.nv; ++j) {
    if (!(w.status[j] & kFixedBySingularity)) continue;
    w.status[j] &= static_cast<uint8_t>(~kFixedBySingularity);
    any = any || !is_basic(w.status[j]);
  }
  if (any) st_.refresh_moves();
  return any;
}

// ---- the loop --------------------------------------------------------------------------

void PrimalLoop::log_iteration() {
  if (!log_.line_due(st_.w.factor_control.refactorisations, st_.phase)) return;
  const double value = st_.phase == 1 ? st_.measure_infeasibility(st_.feas_tol_work, nullptr) : user_objective();
  log_.write_line(st_.iterations, st_.phase, st_.lp.scaled, value, st_.w.factor_control.refactorisations);
}

int PrimalLoop::run() {
  if (int code = start()) return code;
  int64_t last_iterations = -1;
  while (!finished_) {
    if (st_.iterations != last_iterations) {
      last_iterations = st_.iterations;
      callback_data_.method = 1;
      callback_data_.phase = st_.phase;
      callback_data_.objective = user_objective();
      callback_data_.infeasibility = st_.phase == 1 ? st_.infeasibility_sum : 0.0;
      callback_data_.primal_feasible = st_.phase == 2;
      if (const int limit = monitor_.check(st_.iterations, callback_data_)) {
        finish(limit);
        break;
      }
    }
    const int q = pricing_.choose(st_);
    const int64_t before = st_.iterations;
    const int phase_before = st_.phase;
    const int code = q < 0 ? end_of_pass() : iterate(q);
    verdict_pending_ = false;
    if (code != 0) return code;
    if (st_.iterations != before && !finished_) {
      if (phase_before == 1 && st_.phase == 2) end_phase1_perturbation();
      check_stall();
      if (objective_limit_passed()) {
        // Confirmed on a fresh factor before the run stops.
        if (int c = rebuild()) return c;
        if (objective_limit_passed()) {
          finish(status::kAbortObjLim);
          out_.primal_feasible = true;
          out_.dual_feasible = false;
        }
      }
    }
    if (!finished_ && phase_returns_ > kMaxPhaseReturns) finish(status::kNumBest);
    log_iteration();
    log_.check_elapsed(st_.iterations);
  }
  // Leave the record with the real bounds and values that match them.
  if (remove_bound_changes(st_, stall_, true) && st_.w.factor_valid) {
    st_.recompute_primal();
    st_.refresh_phase1_costs();
  }
  out_.iterations = st_.iterations;
  out_.phase1_iterations = st_.phase1_iterations;
  const int status = out_.status;
  if (status != status::kOptimal && status != status::kUnbounded && status != status::kInfeasible &&
      status != status::kAbortObjLim) {
    int count = 0;
    st_.measure_infeasibility(st_.feas_tol, &count);
    out_.primal_feasible = count == 0;
    out_.dual_feasible = false;
  }
  st_.w.sync_basic_values();
  return 0;
}

}  // namespace

int primal_simplex(Environment& env, const Problem& p, SimplexWork& w, const SimplexSettings& settings,
                   SimplexOutcome& outcome) {
  PrimalScratch& scratch = primal_scratch(w);
  scratch.size(w.lp.num_rows, w.lp.num_cols);
  PrimalState st(env, p, w, settings, scratch);
  PrimalLoop loop(st, outcome);
  return loop.run();
}

}  // namespace korva::simplex
