#include "mip/callback_calls.h"

#include "env/environment.h"
#include "env/errors.h"

namespace korva::mip {

namespace {

// A non-zero return that is one of the library's error codes is passed
// on; anything else is a broken protocol.
int returned_error(Environment& env, int rc) {
  if (rc == 0) return 0;
  return error_text(&env, rc) ? rc : err::kCallbackError;
}

// The node LP a callback was given must keep its shape: the model's
// columns, and its own rows plus the relaxation rows active at the node.
bool node_lp_changed(const MipCallbackData& d) {
  if (!d.node_lp || !d.model || !d.domain) return false;
  const MipModel& m = *d.model;
  int rows = m.num_rows;
  for (int r = m.first_pool_row; r < m.num_relaxation_rows; ++r) rows += d.domain->row_active(r) ? 1 : 0;
  return d.node_lp->num_cols() != m.num_cols || d.node_lp->num_rows() != rows;
}

// After a callback returned: its code, a changed node LP, then the
// useraction against the values `allowed` (a bit per value 0..3).
CallbackOutcome judge(Environment& env, const MipCallbackData& d, int rc, int useraction, unsigned allowed) {
  CallbackOutcome out;
  out.useraction = useraction;
  if ((out.error = returned_error(env, rc)) != 0) return out;
  if (node_lp_changed(d) || useraction < 0 || useraction > 3 || !(allowed & (1u << useraction))) {
    out.error = err::kCallbackError;
    return out;
  }
  out.abort = useraction == 1;
  return out;
}

constexpr unsigned kContinueAbortSet = 0b0111;  // 0, 1, 2
constexpr unsigned kAnyAction = 0b1111;         // 0..3

void begin_call(MipCallbackData& d, int wherefrom) {
  d.wherefrom = wherefrom;
  d.cuts.clear();
  d.children.clear();
}

}  // namespace

const CallbackSlot<KRVcutcallbackfunc>* cut_slot(const CallbackRegistry& r, int wherefrom) {
  if (r.cut.is_set()) return &r.cut;
  const auto& slot = where::is_lazy_context(wherefrom) ? r.lazy_constraint : r.user_cut;
  return slot.is_set() ? &slot : nullptr;
}

bool has_lazy_callback(const CallbackRegistry& r) { return r.cut.is_set() || r.lazy_constraint.is_set(); }
bool has_user_cut_callback(const CallbackRegistry& r) { return r.cut.is_set() || r.user_cut.is_set(); }

bool progress_call(Environment& env, MipCallbackData& d, int wherefrom) {
  const CallbackRegistry& r = d.registry();
  if (!r.mip_info.is_set() && (env.is_worker_clone || !r.info.is_set())) return false;
  begin_call(d, wherefrom);
  if (r.mip_info.is_set()) {
    if (invoke_info_callback(env, r.mip_info, &d, wherefrom) != 0) return true;
  }
  if (!env.is_worker_clone && r.info.is_set()) {
    if (invoke_info_callback(env, r.info, &d, wherefrom) != 0) return true;
  }
  return false;
}

CallbackOutcome cut_call(Environment& env, MipCallbackData& d, int wherefrom) {
  const CallbackSlot<KRVcutcallbackfunc>* slot = cut_slot(d.registry(), wherefrom);
  if (!slot) return {};
  begin_call(d, wherefrom);
  int useraction = 0;
  const int rc = slot->function(&env, &d, wherefrom, slot->handle, &useraction);
  // Stopping the cut loop means nothing where a candidate must be judged.
  const unsigned allowed = where::is_lazy_context(wherefrom) ? kContinueAbortSet : kAnyAction;
  return judge(env, d, rc, useraction, allowed);
}

CallbackOutcome incumbent_call(Environment& env, MipCallbackData& d, int wherefrom, double objective, double* x,
                               bool* accepted) {
  *accepted = true;
  const auto& slot = d.registry().incumbent;
  if (!slot.is_set()) return {};
  begin_call(d, wherefrom);
  int isfeas = 1, useraction = 0;
  const int rc = slot.function(&env, &d, wherefrom, slot.handle, objective, x, &isfeas, &useraction);
  CallbackOutcome out = judge(env, d, rc, useraction, kContinueAbortSet);
  *accepted = isfeas != 0;
  return out;
}

CallbackOutcome heuristic_call(Environment& env, MipCallbackData& d, double* objective, double* x, int* check) {
  const auto& slot = d.registry().heuristic;
  if (!slot.is_set()) return {};
  begin_call(d, where::kHeuristic);
  int useraction = 0;
  *check = 0;
  const int rc = slot.function(&env, &d, where::kHeuristic, slot.handle, objective, x, check, &useraction);
  return judge(env, d, rc, useraction, kContinueAbortSet);
}

CallbackOutcome solve_call(Environment& env, MipCallbackData& d) {
  const auto& slot = d.registry().solve;
  if (!slot.is_set()) return {};
  begin_call(d, where::kSolve);
  int useraction = 0;
  const int rc = slot.function(&env, &d, where::kSolve, slot.handle, &useraction);
  return judge(env, d, rc, useraction, kContinueAbortSet);
}

CallbackOutcome branch_call(Environment& env, MipCallbackData& d, int wherefrom, const ProposedChildren& proposed) {
  const auto& slot = wherefrom == where::kBranch ? d.registry().branch : d.registry().branch_nosoln;
  if (!slot.is_set()) return {};
  begin_call(d, wherefrom);
  d.proposed = &proposed;
  int useraction = 0;
  const int nodecnt = static_cast<int>(proposed.estimates.size());
  const int rc = slot.function(&env, &d, wherefrom, slot.handle, proposed.type, proposed.set, nodecnt,
                         static_cast<int>(proposed.indices.size()), proposed.begin.data(), proposed.indices.data(),
                         proposed.lu.data(), proposed.bd.data(), proposed.estimates.data(), &useraction);
  CallbackOutcome out = judge(env, d, rc, useraction, kContinueAbortSet);
  d.proposed = nullptr;
  return out;
}

CallbackOutcome node_call(Environment& env, MipCallbackData& d, int64_t* index) {
  if (!d.registry().has_node_callback()) return {};
  begin_call(d, where::kNodeSelection);
  int useraction = 0;
  const int rc = invoke_node_callback(env, &d, where::kNodeSelection, index, &useraction);
  return judge(env, d, rc, useraction, kContinueAbortSet);
}

}  // namespace korva::mip
