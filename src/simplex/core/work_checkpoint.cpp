#include "simplex/core/work_checkpoint.h"

namespace korva::simplex {

void WorkCheckpoint::take(const SimplexWork& w) {
  has_basis_ = w.has_basis;
  status_ = w.status;
  basic_index_ = w.basic_index;
  x_ = w.x;
  x_basic_ = w.x_basic;
  dj_ = w.dj;
  work_lower_ = w.work_lower;
  work_upper_ = w.work_upper;
  work_cost_ = w.work_cost;
  basic_lower_ = w.basic_lower;
  basic_upper_ = w.basic_upper;
  dual_weights_ = w.dual_weights;
  dual_weight_mode_ = w.dual_weight_mode;
  factor_valid_ = w.factor_valid;
  if (factor_valid_) lu_ = w.lu;
}

void WorkCheckpoint::restore(SimplexWork& w) const {
  w.has_basis = has_basis_;
  w.status = status_;
  w.basic_index = basic_index_;
  w.x = x_;
  w.x_basic = x_basic_;
  w.dj = dj_;
  w.work_lower = work_lower_;
  w.work_upper = work_upper_;
  w.work_cost = work_cost_;
  w.basic_lower = basic_lower_;
  w.basic_upper = basic_upper_;
  w.dual_weights = dual_weights_;
  w.dual_weight_mode = dual_weight_mode_;
  w.factor_valid = factor_valid_;
  if (factor_valid_) w.lu = lu_;
  w.farkas_row = -1;
  w.ray_var = -1;
}

}  // namespace korva::simplex
