#include "presolve/reducer.h"

#include "env/channel.h"
#include "env/time_limit.h"
#include "presolve/reductions.h"

namespace korva::presolve {

int Reducer::run() {
  const int code = passes();
  w_.finish();
  return code;
}

int Reducer::passes() {
  if (!primal_ok() && !dual_ok()) return 0;
  const int limit = s_.passes < 0 ? kAutomaticPasses : s_.passes;
  if (s_.aggregate != 0 && primal_ok()) w_.counters.aggregator_passes = 1;
  for (int pass = 0; pass < limit; ++pass) {
    bool changed = false;
    w_.maybe_compact();
    if (int code = column_pass(changed)) return code;
    if (w_.mip && primal_ok())
      if (int code = integer_row_pass(changed)) return code;
    if (int code = row_pass(changed)) return code;
    if (primal_ok())
      if (int code = activity_pass(changed)) return code;
    if (w_.mip && primal_ok()) {
      if (int code = bound_pass(changed)) return code;
      coefficient_pass(changed);
      if (!changed) set_packing_pass(changed);
    }
    if (primal_ok() && s_.dependent != 0)
      if (int code = dependent_row_pass(changed)) return code;
    if (dual_ok()) dual_fix_pass(changed);
    if (dual_ok())
      if (int code = dual_bound_pass()) return code;
    if (primal_ok() && s_.aggregate != 0) free_singleton_pass(changed);
    if (dual_ok() && !changed) dominated_column_pass(changed);
    if (primal_ok() && !changed) duplicate_column_pass(changed);
    // Substitutions with fill once the cheaper rules have had their turn.
    if (primal_ok() && s_.aggregate != 0 && !changed) aggregate_pass(changed);
    // Each pass reads every entry a few times.
    env_.ticks.charge(static_cast<uint64_t>(3 * w_.cidx.size() + w_.m + w_.n));
    if (int code = limits()) return code;
    progress();
    if (!changed) break;
  }
  if (w_.mip && primal_ok())
    if (int code = implied_integer_pass()) return code;
  // Last look: columns fixed or emptied and rows emptied by the final pass.
  for (bool changed = true; changed;) {
    changed = false;
    if (int code = column_pass(changed)) return code;
    if (int code = row_pass(changed)) return code;
  }
  return 0;
}

// Abort and the two time limits end presolve between passes.
int Reducer::limits() const {
  if (env_.terminate_requested()) return kAborted;
  if (time_limit_reached(env_)) return kTimeLimit;
  if (tick_limit_reached(env_)) return kDetTimeLimit;
  return 0;
}

// A line now and then during long presolves.
void Reducer::progress() {
  const uint64_t ticks = env_.ticks.now();
  const double now = current_time(env_);
  if (last_ticks_ == 0 && last_time_ == 0.0) {
    last_ticks_ = ticks;
    last_time_ = now;
    return;
  }
  if (ticks - last_ticks_ <= kProgressWork || now - last_time_ <= kProgressSeconds) return;
  last_ticks_ = ticks;
  last_time_ = now;
  const bool aggregating = w_.counters.substitutions > last_substitutions_;
  last_substitutions_ = w_.counters.substitutions;
  if (!s_.messages) return;
  if (aggregating)
    msg(env_.results(), "Aggregator has done %lld substitutions...\n", w_.counters.substitutions);
  else
    msg(env_.results(), "Presolve has eliminated %lld rows and %lld columns...\n", w_.counters.rows_removed,
        w_.counters.cols_removed);
  if (w_.mip && w_.counters.bound_improvements > 0)
    msg(env_.results(), "Presolve has improved bounds %lld times...\n", w_.counters.bound_improvements);
}

Activity Reducer::activity(int i, int skip, bool want_min, bool want_max) const {
  Activity act;
  for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k) {
    const int j = w_.ridx[k];
    if (!w_.col_alive[j] || j == skip) continue;
    const double a = w_.rval[k];
    const double lo = a > 0 ? w_.lb[j] : w_.ub[j];
    const double hi = a > 0 ? w_.ub[j] : w_.lb[j];
    if (std::isinf(lo)) ++act.inf_min; else act.min += a * lo;
    if (std::isinf(hi)) ++act.inf_max; else act.max += a * hi;
    if ((!want_min || act.inf_min > 0) && (!want_max || act.inf_max > 0)) break;
  }
  return act;
}

int run_reductions(Environment& env, const Problem& original, PresolveWork& w, const PresolveSettings& settings) {
  return Reducer(env, original, w, settings).run();
}

}  // namespace korva::presolve
