// The main loop of the dual simplex: it sequences pricing, the solves, the
// ratio test and the updates of each iteration, and decides what happens
// when a phase ends (refactorise first, remove perturbation and shifts,
// switch phases, or stop with a status).
#include <algorithm>
#include <cmath>
#include <memory>

#include "env/channel.h"
#include "simplex/core/basis_factor.h"
#include "simplex/core/iteration_log.h"
#include "simplex/core/pivot_row.h"
#include "simplex/core/run_monitor.h"
#include "simplex/core/stall_control.h"
#include "simplex/core/start_basis.h"
#include "simplex/core/variable_names.h"
#include "simplex/dual/dual_phase.h"
#include "simplex/dual/dual_ratio_test.h"
#include "simplex/dual/dual_simplex.h"
#include "simplex/dual/dual_state.h"
#include "simplex/dual/dual_update.h"
#include "simplex/dual/row_pricing.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/status.h"

namespace korva::simplex {

namespace {

// Pivots from the row and from the column that disagree by more than this
// (relative) mean the factor has lost accuracy.
constexpr double kPivotDisagreement = 1e-7;
// Phase switches after which a run that keeps losing dual feasibility
// gives up with a non-optimal status.
constexpr int kMaxPhaseRestarts = 20;
// Updates between refactorisations: enough to amortise a factorisation,
// few enough to keep the update file cheap to apply and the values accurate.
int refactor_interval(int m) { return std::min(100 + m / 100, 1000); }

DualScratch& dual_scratch(SimplexWork& w) {
  if (auto* s = dynamic_cast<DualScratch*>(w.dual_scratch.get())) return *s;
  auto fresh = std::make_unique<DualScratch>();
  DualScratch& ref = *fresh;
  w.dual_scratch = std::move(fresh);
  return ref;
}

class DualLoop {
 public:
  DualLoop(DualState& st, SimplexOutcome& out)
      : st_(st),
        out_(out),
        log_(st.env, LogKind::Dual, st.settings.display, st.w.factor_control.refactorisations),
        monitor_(st.env, kWhereDual, st.settings.iteration_base, st.settings.run_iteration_limit) {}

  int run();

 private:
  int start();
  int rebuild();
  int iterate(int row);
  int end_of_phase();
  int end_of_phase1();
  int end_of_phase2();
  void enter_feasibility_mode();
  void finish(int status);
  void record_farkas();
  void log_iteration();
  void check_stall();
  void report_dual_superbasis();
  bool objective_limit_reached() const;
  double user_objective() const { return st_.lp.objsense * st_.objective; }
  double log_value() const { return st_.phase == 1 ? -st_.objective : user_objective(); }

  DualState& st_;
  SimplexOutcome& out_;
  RowPricing pricing_;
  StallControl stall_;
  RunawayWatch runaway_;
  IterationLog log_;
  RunMonitor monitor_;
  LpCallbackData callback_data_;
  bool finished_ = false;
  bool feasibility_mode_ = false;
  int phase_restarts_ = 0;
  bool fixed_rows_attempted_ = false;
  int64_t last_rebuild_iteration_ = -1;
  bool started_ = false;
};

// ---- start -----------------------------------------------------------------

int DualLoop::start() {
  SimplexWork& w = st_.w;
  // Inconsistent bounds: no basis can be feasible.
  for (int j = 0; j < st_.nv; ++j) {
    if (st_.lp.lower[j] > st_.lp.upper[j]) {
      w.farkas_row = -1;
      finish(status::kInfeasible);
      return 0;
    }
  }
  // Superbasic variables with a finite bound go to it before the dual starts.
  int64_t superbasics = 0;
  for (int j = 0; j < st_.nv; ++j) {
    if (base_status(w.status[j]) != kSuperbasic) continue;
    if (w.work_lower[j] == -kInf && w.work_upper[j] == kInf) continue;
    ++superbasics;
  }
  if (superbasics > 0) {
    if (st_.settings.display >= 1)
      msg(st_.env.results(), "%lld primal superbasics exist.\n", static_cast<long long>(superbasics));
    for (int j = 0; j < st_.nv; ++j) {
      if (base_status(w.status[j]) != kSuperbasic) continue;
      const double lo = w.work_lower[j], up = w.work_upper[j];
      if (lo == -kInf && up == kInf) continue;
      const bool lower = lo > -kInf && (up == kInf || w.x[j] - lo <= up - w.x[j]);
      w.status[j] = (lower ? kAtLower : kAtUpper) | (w.status[j] & kFixedBySingularity);
      w.x[j] = lower ? lo : up;
    }
  }
  stall_.window = dual_stall_window(st_.n, st_.env.long_param(KRV_PARAM_PERLIM));
  stall_.shift_limit = shift_limit(st_.m);
  st_.shift_limit = stall_.shift_limit;

  if (!w.factor_valid) {
    if (int code = rebuild()) return code;
  } else {
    st_.refresh_moves();
    recompute_duals(st_);
    recompute_primal(st_);
  }
  pricing_.start(st_, st_.settings.dual_pricing);

  // Boxed variables are put where their reduced costs want them; what
  // remains dual infeasible decides the phase.
  correct_duals(st_, false);
  const DualInfeasibility left = measure_dual_infeasibility(st_, st_.dual_tol);
  if (left.count > 0) enter_phase1(st_);
  if (st_.settings.perturb_from_start) perturb_costs(st_, stall_);
  stall_.set_mark(0, st_.phase, -st_.objective);
  started_ = true;
  return 0;
}

// ---- refactorisation ---------------------------------------------------------

int DualLoop::rebuild() {
  SimplexWork& w = st_.w;
  last_rebuild_iteration_ = st_.iterations;
  bool repaired = false;
  if (st_.m > 0) {
    RefactorRequest req;
    req.display = st_.settings.display;
    req.dual = true;
    const int code = refactor_basis(st_.env, st_.problem, w, req);
    repaired = code == lu::kRepaired;
    if (repaired) {
      for (const lu::RepairRecord& rec : w.repairs)
        if (rec.removed >= 0) st_.s.fixed_vars.push_back(rec.removed);
      if (st_.phase == 1) {
        // The repair placed the removed variables by their values; phase I
        // keeps everything in its boxes.
        for (const lu::RepairRecord& rec : w.repairs)
          if (rec.removed >= 0) w.x[rec.removed] = std::clamp(w.x[rec.removed], w.work_lower[rec.removed], w.work_upper[rec.removed]);
      }
      pricing_.reset(st_);
    } else if (code != 0) {
      return code;
    }
  } else {
    w.factor_valid = true;
  }
  st_.refresh_moves();
  recompute_duals(st_);
  recompute_primal(st_);
  // At the start the phase decision needs the reduced costs as they are.
  if (!started_) return 0;
  // Update errors may leave reduced costs slightly on the wrong side: boxed
  // variables flip, others have their costs shifted (removed at the end).
  // A repaired basis is a different basis: what it leaves dual infeasible
  // is real, and phase I sees to that.
  const DualInfeasibility left = correct_duals(st_, !repaired);
  if (repaired && st_.phase == 2 && !feasibility_mode_ && left.count > 0) {
    enter_phase1(st_);
    stall_.set_mark(st_.iterations, st_.phase, -st_.objective);
  }
  if (st_.phase != 2 || feasibility_mode_) {
    runaway_.reset();
  } else if (runaway_.ran_away(-st_.objective)) {
    finish(status::kNumBest);
    out_.numerical_failure = true;
  }
  return 0;
}

// ---- one iteration -------------------------------------------------------------

int DualLoop::iterate(int row) {
  SimplexWork& w = st_.w;
  DualScratch& s = st_.s;
  st_.row_out = row;
  st_.var_out = w.basic_index[row];
  const double x = w.x_basic[row];
  st_.delta = x < w.basic_lower[row] ? x - w.basic_lower[row] : x - w.basic_upper[row];

  // Row of B⁻¹ and the pivot row.
  s.row_ep.clear();
  s.row_ep.set_new(row, 1.0);
  w.lu.btran(s.row_ep);
  if (!pricing_.accept_row(st_)) return 0;  // the weight was stale: price again
  compute_pivot_row(st_.lp, st_.w.status.data(), st_.s.row_ep, st_.s.row_ap, st_.env.ticks);

  if (dual_ratio_test(st_) == RatioTestResult::Infeasible) {
    // Only a fresh factor is trusted with the verdict.
    if (w.lu.updates() > 0 && last_rebuild_iteration_ != st_.iterations) return rebuild();
    if (st_.phase == 1 || feasibility_mode_) {
      // Phase I boxes always admit a solution, so this is numerical noise:
      // treat the row as settled and go on.
      if (st_.phase == 1) {
        s.set_infeas(row, 0.0);
        return 0;
      }
    }
    record_farkas();
    finish(status::kInfeasible);
    out_.dual_feasible = !feasibility_mode_ && !stall_.perturbed && !st_.shifted;
    return 0;
  }

  // Entering column.
  const int in = st_.var_in;
  s.col_aq.clear();
  if (in < st_.n) {
    for (int64_t q = st_.lp.col_begin[in]; q < st_.lp.col_begin[in + 1]; ++q)
      s.col_aq.set_new(st_.lp.row_index[q], st_.lp.value[q]);
  } else {
    s.col_aq.set_new(in - st_.n, 1.0);
  }
  // The steepest-edge update needs B⁻¹ρ as well; solving it with the
  // entering column shares the passes over the factor.
  if (pricing_.wants_tau()) {
    s.col_dse.clear();
    for (int k = 0; k < s.row_ep.count; ++k) s.col_dse.set_new(s.row_ep.index[k], s.row_ep.values[s.row_ep.index[k]]);
    w.lu.ftran_pair(s.col_aq, s.col_dse);
  } else {
    w.lu.ftran(s.col_aq, lu::SolveKind::Automatic, true);
  }
  st_.alpha_col = s.col_aq.values[row];
  const double disagreement =
      std::fabs(st_.alpha_col - st_.alpha_row) / std::max(std::min(std::fabs(st_.alpha_col), std::fabs(st_.alpha_row)), 1e-300);
  if (disagreement > kPivotDisagreement && w.lu.updates() > 0) return rebuild();
  if (st_.alpha_col == 0.0) {
    // Even a fresh factor gives no pivot here: leave the row for now.
    s.set_infeas(row, 0.0);
    return 0;
  }

  prepare_flips(st_);

  // Dual step. An entering reduced cost on the wrong side of zero (within
  // the Harris tolerance) is shifted to zero so the step is not negative.
  double d_in = w.dj[in];
  const int8_t mv = s.move[in];
  if (mv != kMoveFree && mv * d_in < 0.0 && st_.shifts < st_.shift_limit) {
    w.work_cost[in] -= d_in;
    st_.objective -= d_in * w.x[in];
    w.dj[in] = 0.0;
    d_in = 0.0;
    ++st_.shifts;
    st_.shifted = true;
  }
  st_.theta_dual = d_in / st_.alpha_row;

  apply_flips(st_);
  const double bound = st_.delta < 0 ? w.basic_lower[row] : w.basic_upper[row];
  st_.theta_primal = (w.x_basic[row] - bound) / st_.alpha_col;
  st_.objective += st_.theta_primal * d_in;
  update_duals(st_);
  update_primal(st_);
  pricing_.update(st_);
  change_basis(st_);

  ++st_.iterations;
  if (st_.phase == 1) ++st_.phase1_iterations;
  const bool refactor = w.lu.update(s.col_aq, row) == lu::UpdateResult::Refactorise ||
                        w.lu.updates() >= refactor_interval(st_.m);
  if (refactor) {
    if (int code = rebuild()) return code;
  }
  pricing_.maybe_switch(st_);
  if (st_.settings.display >= 2) {
    log_.write_detail(st_.iterations, st_.phase, st_.lp.scaled, log_value(),
                      variable_name(st_.env, st_.problem, st_.lp, in),
                      variable_name(st_.env, st_.problem, st_.lp, st_.var_out));
  }
  check_stall();
  if (objective_limit_reached()) {
    finish(status::kAbortObjLim);
    out_.dual_feasible = true;
    out_.primal_feasible = false;
  }
  return 0;
}

void DualLoop::check_stall() {
  if (!stall_.stalled(st_.iterations, st_.phase, -st_.objective)) return;
  if (stall_.stuck() && !feasibility_mode_) {
    finish(status::kNumBest);
    out_.stalled = true;
    return;
  }
  perturb_costs(st_, stall_);
}

bool DualLoop::objective_limit_reached() const {
  if (finished_ || st_.phase != 2 || feasibility_mode_ || stall_.perturbed || st_.shifted) return false;
  if (st_.objective > st_.settings.objective_cutoff) return true;
  if (st_.env.int_param(hidden_param::kObjectiveLimitCheck) == 0) return false;
  const double limit =
      st_.lp.objsense > 0 ? st_.env.dbl_param(KRV_PARAM_OBJULIM) : -st_.env.dbl_param(KRV_PARAM_OBJLLIM);
  return st_.objective > limit;
}

// ---- end of a phase --------------------------------------------------------------

int DualLoop::end_of_phase() {
  // Optimality is only declared on values computed from a fresh factor.
  if (st_.w.lu.updates() > 0 && last_rebuild_iteration_ != st_.iterations) return rebuild();
  return st_.phase == 1 ? end_of_phase1() : end_of_phase2();
}

int DualLoop::end_of_phase1() {
  runaway_.reset();
  if (remove_cost_changes(st_, stall_, false)) {
    // Keep the boxes; the reduced costs of the real costs decide again.
    correct_duals(st_, false);
    recompute_primal(st_);
    return 0;
  }
  const DualInfeasibility left = measure_dual_infeasibility(st_, st_.dual_tol);
  if (left.count == 0) {
    leave_phase1(st_);
    correct_duals(st_, false);
    stall_.set_mark(st_.iterations, st_.phase, -st_.objective);
    return 0;
  }
  // The problem has no dual feasible basis: it is unbounded if it is
  // primal feasible, else infeasible.
  enter_feasibility_mode();
  return 0;
}

int DualLoop::end_of_phase2() {
  SimplexWork& w = st_.w;
  runaway_.reset();
  if (remove_cost_changes(st_, stall_, feasibility_mode_)) {
    const DualInfeasibility left = correct_duals(st_, false);
    if (left.count > 0) {
      if (++phase_restarts_ > kMaxPhaseRestarts) {
        finish(status::kNumBest);
        return 0;
      }
      enter_phase1(st_);
      stall_.set_mark(st_.iterations, st_.phase, -st_.objective);
    }
    return 0;
  }
  if (feasibility_mode_) {
    finish(status::kUnbounded);
    out_.primal_feasible = true;
    out_.dual_feasible = false;
    return 0;
  }
  // Rows whose duals a repair fixed: the variables removed there must not
  // violate optimality.
  if (!st_.s.fixed_vars.empty()) {
    int64_t violations = 0;
    const bool scaled = st_.lp.scaled;
    for (int j : st_.s.fixed_vars) {
      if (is_basic(w.status[j])) continue;
      const int8_t mv = st_.move_of(j);
      const double d = w.dj[j];
      const double violation = mv == kMoveFree ? std::fabs(d) : mv == kMoveNone ? 0.0 : -mv * d;
      if (violation <= st_.dual_tol) continue;
      ++violations;
      if (st_.settings.display >= 1) {
        const std::string name = variable_name(st_.env, st_.problem, st_.lp, j);
        msg(st_.env.results(), scaled ? "Scaled reduced cost of fixed row '%.255s' %g\n" : "Reduced cost of fixed row '%.255s' %g\n",
            name.c_str(), d);
      }
    }
    if (violations == 0) {
      if (st_.settings.display >= 1) msg(st_.env.results(), "Fixed rows satisfy optimality criteria.\n");
      st_.s.fixed_vars.clear();
    } else if (!fixed_rows_attempted_) {
      if (st_.settings.display >= 1) msg(st_.env.results(), "Attempting to free fixed rows.\n");
      fixed_rows_attempted_ = true;
      st_.s.fixed_vars.clear();
      enter_phase1(st_);
      return 0;
    } else {
      if (st_.settings.display >= 1)
        msg(st_.env.results(), "There are %lld violations to optimality.\n", static_cast<long long>(violations));
      finish(status::kNumBest);
      return 0;
    }
  }
  finish(status::kOptimal);
  out_.primal_feasible = true;
  out_.dual_feasible = true;
  return 0;
}

void DualLoop::enter_feasibility_mode() {
  feasibility_mode_ = true;
  st_.s.zero_cost.assign(static_cast<size_t>(st_.nv), 0.0);
  st_.base_cost = &st_.s.zero_cost;
  stall_.perturbed = false;
  st_.shifted = false;
  st_.w.work_cost = st_.s.zero_cost;
  std::fill(st_.w.dj.begin(), st_.w.dj.end(), 0.0);
  st_.dual_tol = st_.dual_tol_original;
  leave_phase1(st_);
  stall_.set_mark(st_.iterations, st_.phase, -st_.objective);
}

// ---- finishing -------------------------------------------------------------------

void DualLoop::record_farkas() {
  SimplexWork& w = st_.w;
  w.farkas_row = st_.row_out;
  w.farkas_y.assign(static_cast<size_t>(st_.m), 0.0);
  const SparseVector& ep = st_.s.row_ep;
  for (int k = 0; k < ep.count; ++k) {
    const int i = ep.index[k];
    w.farkas_y[i] = ep.values[i] / st_.lp.row_scale[i];
  }
}

void DualLoop::finish(int status) {
  finished_ = true;
  out_.status = status;
}

void DualLoop::log_iteration() {
  if (!log_.line_due(st_.w.factor_control.refactorisations, st_.phase)) return;
  log_.write_line(st_.iterations, st_.phase, st_.lp.scaled, log_value(), st_.w.factor_control.refactorisations);
}

int DualLoop::run() {
  if (int code = start()) return code;
  while (!finished_) {
    callback_data_.method = 2;
    callback_data_.phase = st_.phase;
    callback_data_.objective = user_objective();
    if (const int limit = monitor_.check(st_.iterations, callback_data_)) {
      finish(limit);
      break;
    }
    const int row = st_.m > 0 ? pricing_.choose(st_) : -1;
    const int code = row < 0 ? end_of_phase() : iterate(row);
    if (code != 0) return code;
    log_iteration();
    log_.check_elapsed(st_.iterations);
  }
  // Leave the record with the real bounds and costs.
  if (st_.phase == 1) leave_phase1(st_);
  if (feasibility_mode_ || stall_.perturbed || st_.shifted) {
    st_.base_cost = &st_.lp.cost;
    remove_cost_changes(st_, stall_, true);
    st_.w.work_cost = st_.lp.cost;
  }
  out_.iterations = st_.iterations;
  out_.phase1_iterations = st_.phase1_iterations;
  if (out_.status != status::kOptimal && out_.status != status::kUnbounded && out_.status != status::kInfeasible &&
      out_.status != status::kAbortObjLim) {
    out_.primal_feasible = !st_.s.any_infeasible();
    out_.dual_feasible = st_.phase == 2 && !feasibility_mode_;
  }
  st_.w.sync_basic_values();
  report_dual_superbasis();
  return 0;
}

// Free variables left nonbasic form a dual superbasis: their reduced costs
// are held at zero rather than by a bound.
void DualLoop::report_dual_superbasis() {
  int64_t count = 0;
  for (int j = 0; j < st_.nv; ++j)
    if (!is_basic(st_.w.status[j]) && st_.s.move[j] == kMoveFree) ++count;
  if (count > 0) msg(st_.env.log(), "Dual superbasis exists (%lld).\n", static_cast<long long>(count));
}

}  // namespace

int dual_simplex(Environment& env, const Problem& p, SimplexWork& w, const SimplexSettings& settings,
                 SimplexOutcome& outcome) {
  DualScratch& scratch = dual_scratch(w);
  scratch.size(w.lp.num_rows, w.lp.num_cols);
  DualState st(env, p, w, settings, scratch);
  DualLoop loop(st, outcome);
  return loop.run();
}

}  // namespace korva::simplex
