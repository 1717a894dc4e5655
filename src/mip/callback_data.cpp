#include "mip/callback_data.h"

#include <algorithm>
#include <cmath>

#include "mip/mip_presolve.h"
#include "presolve/crush.h"

namespace korva::mip {

MipCallbackData::MipCallbackData(Environment& e, const CallbackScope& s)
    : env(&e),
      original(s.original),
      searched(s.searched),
      presolve(s.presolve),
      model(s.model),
      settings(s.settings),
      record(s.record),
      tree(s.tree),
      order(s.order),
      reduced_space(s.reduced_space),
      callbacks(&s.callbacks),
      kappa(s.record && s.record->kappa_collected ? &s.record->kappa : nullptr),
      next_seqnum(s.next_seqnum),
      clone_number(e.is_worker_clone ? e.clone_number : 0) {}

MipCallbackData::~MipCallbackData() {
  mark = 0;
  presolve::free_owned_problem(node_lp);
}

void MipCallbackData::to_callback_space(const std::vector<double>& x, std::vector<double>& out) const {
  if (original_space()) uncrush_values(*original, *presolve, x, out);
  else out = x;
}

void MipCallbackData::from_callback_space(const double* x, std::vector<double>& out) const {
  out.assign(static_cast<size_t>(model->num_cols), 0.0);
  if (original_space()) presolve::crush_x(*presolve, x, out.data());
  else out.assign(x, x + model->num_cols);
}

bool violated_by(const CallbackRow& row, const std::vector<double>& x, double tolerance) {
  double activity = 0.0;
  for (size_t k = 0; k < row.ind.size(); ++k) activity += row.val[k] * x[row.ind[k]];
  const double allowed = tolerance * std::max(1.0, std::fabs(row.rhs));
  if (row.sense != 'G' && activity > row.rhs + allowed) return true;
  return row.sense != 'L' && activity < row.rhs - allowed;
}

MipCallbackData* callback_data_of(void* cbdata) {
  auto* data = static_cast<MipCallbackData*>(cbdata);
  return data && data->mark == MipCallbackData::kMark ? data : nullptr;
}

}  // namespace korva::mip
