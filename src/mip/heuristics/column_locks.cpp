#include "mip/heuristics/column_locks.h"

#include <cmath>

namespace korva::mip {

void ColumnLocks::refresh(const MipModel& model) {
  if (rows_ == model.num_rows && entries_ == model.row_col.size() &&
      up_.size() == static_cast<size_t>(model.num_cols))
    return;
  rows_ = model.num_rows;
  entries_ = model.row_col.size();
  up_.assign(static_cast<size_t>(model.num_cols), 0);
  down_.assign(static_cast<size_t>(model.num_cols), 0);
  for (int r = 0; r < model.num_rows; ++r) {
    const bool upper_side = std::isfinite(model.row_hi[r]), lower_side = std::isfinite(model.row_lo[r]);
    for (int64_t k = model.row_begin[r]; k < model.row_begin[r + 1]; ++k) {
      const int j = model.row_col[k];
      const double a = model.row_val[k];
      // Moving up raises a positive term toward the upper side and lowers
      // a negative one toward the lower side.
      if ((a > 0 && upper_side) || (a < 0 && lower_side)) ++up_[j];
      if ((a > 0 && lower_side) || (a < 0 && upper_side)) ++down_[j];
    }
  }
}

}  // namespace korva::mip
