// The callbacks the search itself calls between rounds (progress,
// incumbents, the start) and the rows the workers' callbacks added.
#include "env/callbacks.h"
#include "env/errors.h"
#include "mip/callback_calls.h"
#include "mip/cuts/cut.h"
#include "mip/heuristics/heuristic_support.h"
#include "mip/search.h"
#include "mip/solution_check.h"
#include "mip/sub_mip.h"

namespace korva::mip {

void Search::prepare_callbacks() {
  // Nested searches of the heuristics call nobody: what they find comes
  // back through the outer search, which calls the callbacks then.
  if (inside_sub_mip(env_)) return;
  scope_.original = callback_original_ ? callback_original_ : &problem_;
  scope_.searched = &problem_;
  scope_.presolve = callback_original_ ? callback_presolve_ : nullptr;
  scope_.model = &model_;
  scope_.settings = &settings_;
  scope_.record = &record_;
  scope_.tree = store_.get();
  scope_.order = order_;
  scope_.next_seqnum = &seqnum_;
  scope_.reduced_space = env_.int_param(KRV_PARAM_MIPCBREDLP) != 0;
  scope_.callbacks = env_.callbacks;
  control_callbacks_ = scope_.callbacks.any_control_callback();
}

// The next node from the tree: the node callback may choose another than
// the store's choice. A choice outside the open nodes is a broken protocol.
int Search::next_open_node(std::unique_ptr<SearchNode>& node) {
  if (!control_callbacks_ || !scope_.callbacks.has_node_callback()) return store_->pop(node);
  int64_t index = store_->next_index();
  MipCallbackData d(env_, scope_);
  const CallbackOutcome out = node_call(env_, d, &index);
  if (out.error) return out.error;
  if (out.abort) {
    callback_abort_ = true;
    return 0;
  }
  if (index < 0 || index >= store_->size()) return err::kCallbackError;
  return store_->take_open(index, node);
}

bool Search::progress_callback(int wherefrom) {
  if (!scope_.model || (!scope_.callbacks.mip_info.is_set() && !scope_.callbacks.info.is_set())) return false;
  MipCallbackData d(env_, scope_);
  if (!progress_call(env_, d, wherefrom)) return false;
  callback_abort_ = true;
  return true;
}

// Records what a callback's answer means for the search; true when it
// may go on with the candidate.
namespace {
bool accept(const CallbackOutcome& out, bool accepted, bool* abort, int* error) {
  if (out.error && !*error) *error = out.error;
  if (out.abort) *abort = true;
  return !out.stop() && accepted;
}
}  // namespace

bool Search::incumbent_callback(std::vector<double>& x, double objective, int wherefrom) {
  if (!control_callbacks_ || !scope_.callbacks.incumbent.is_set()) return true;
  MipCallbackData d(env_, scope_);
  d.x = &x;
  d.has_objective = true;
  d.objective = objective;
  d.candidate_source = wherefrom == where::kIncumbentNode ? 0 : wherefrom == where::kIncumbentHeuristic ? 1 : 2;
  std::vector<double> given;
  d.to_callback_space(x, given);
  bool accepted = true;
  const CallbackOutcome out = incumbent_call(env_, d, wherefrom, d.user_objective(objective), given.data(), &accepted);
  return accept(out, accepted, &callback_abort_, &callback_error_);
}

bool Search::start_breaks_lazy_callback(const std::vector<double>& x) {
  if (!control_callbacks_ || !has_lazy_callback(scope_.callbacks)) return false;
  MipCallbackData d(env_, scope_);
  d.x = &x;
  d.has_objective = true;
  d.objective = objective_of(model_, x);
  d.candidate_source = 2;
  const CallbackOutcome out = cut_call(env_, d, where::kLazyFeasible);
  if (!accept(out, true, &callback_abort_, &callback_error_)) return true;
  bool broken = false;
  for (const CallbackRow& row : d.cuts) broken = broken || violated_by(row, x, settings_.feasibility);
  // What the callback added holds for the whole search.
  NodeReport rows;
  rows.callback_rows = std::move(d.cuts);
  take_callback_rows(rows);
  return broken;
}

// Rows the callbacks of one node added: cuts and lazy constraints hold in
// the whole tree and are on everywhere; local ones and the branching rows
// of callback children belong to their subtrees.
void Search::take_callback_rows(NodeReport& r) {
  std::vector<CallbackRow> global, local;
  for (CallbackRow& row : r.callback_rows) (row.local ? local : global).push_back(std::move(row));
  if (!global.empty()) {
    const int first = append_callback_rows(model_, global);
    for (size_t k = 0; k < global.size(); ++k) active_rows_.push_back(first + static_cast<int>(k));
    // Lazy constraints count as applied, user cuts as the user's family.
    for (const CallbackRow& row : global) {
      if (row.lazy) ++record_.lazy_applied;
      else ++record_.cuts[kUserCuts];
    }
    callback_rows_added_ = true;
  }
  if (!local.empty()) {
    // The node's subtree: the node itself when it comes back, else its children.
    const int first = append_callback_rows(model_, local);
    for (SearchNode* holder : {r.returned.get(), r.children[0].get(), r.children[1].get()}) {
      if (!holder || (holder != r.returned.get() && r.returned)) continue;
      for (size_t k = 0; k < local.size(); ++k) holder->local_rows.push_back(first + static_cast<int>(k));
    }
    callback_rows_added_ = true;
  }
  for (int k = 0; k < 2; ++k) {
    if (r.child_rows[k].empty() || !r.children[k]) continue;
    for (CallbackRow& row : r.child_rows[k]) row.local = true;
    const int first = append_callback_rows(model_, r.child_rows[k]);
    for (size_t i = 0; i < r.child_rows[k].size(); ++i)
      r.children[k]->local_rows.push_back(first + static_cast<int>(i));
    callback_rows_added_ = true;
  }
}

}  // namespace korva::mip
