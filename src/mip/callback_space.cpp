#include "mip/callback_space.h"

#include <algorithm>

#include "mip/mip_presolve.h"

namespace korva::mip {

double user_value(double v) { return std::clamp(v, -kInfinity, kInfinity); }

CallbackSpace::CallbackSpace(const MipCallbackData& d) : d_(d) {
  original_ = !d.reduced_space && d.presolve && d.original;
  problem_ = original_ ? d.original : d.searched;
  if (original_) {
    num_cols_ = d.presolve->orig_cols;
  } else {
    num_cols_ = d.model ? d.model->num_cols : (d.searched ? d.searched->num_cols() : 0);
  }
}

int CallbackSpace::searched_col(int j) const {
  if (!original_) return j;
  const int k = d_.presolve->col_map[j];
  return k >= 0 ? k : -1;
}

int CallbackSpace::space_col(int k) const {
  if (!original_ || k < 0) return k;
  return k < static_cast<int>(d_.presolve->orig_col.size()) ? d_.presolve->orig_col[k] : -1;
}

void CallbackSpace::values(const double* searched, std::vector<double>& out) const {
  const int n = d_.model ? d_.model->num_cols : 0;
  if (!original_) {
    out.assign(searched, searched + n);
    return;
  }
  std::vector<double> reduced(searched, searched + n);
  uncrush_values(*d_.original, *d_.presolve, reduced, out);
  out.resize(static_cast<size_t>(num_cols_), 0.0);
}

void CallbackSpace::bounds(const double* searched_lower, const double* searched_upper, std::vector<double>& lower,
                           std::vector<double>& upper) const {
  lower.resize(static_cast<size_t>(num_cols_));
  upper.resize(static_cast<size_t>(num_cols_));
  if (!original_) {
    for (int j = 0; j < num_cols_; ++j) {
      lower[j] = user_value(searched_lower[j]);
      upper[j] = user_value(searched_upper[j]);
    }
    return;
  }
  std::vector<char> merged(static_cast<size_t>(num_cols_), 0);
  for (const presolve::Reduction& r : d_.presolve->stack)
    if (r.kind == presolve::ReductionKind::DuplicateColumn && r.other >= 0 && r.other < num_cols_) merged[r.other] = 1;
  const Problem& p = *d_.original;
  for (int j = 0; j < num_cols_; ++j) {
    const int k = searched_col(j);
    if (k >= 0 && !merged[j]) {
      lower[j] = user_value(searched_lower[k]);
      upper[j] = user_value(searched_upper[k]);
    } else {
      lower[j] = p.lower(j);
      upper[j] = p.upper(j);
    }
  }
}

}  // namespace korva::mip
