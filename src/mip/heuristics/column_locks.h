// Locks of the columns: how many of the model's rows a move of the column
// up (or down) can violate. A column without locks in a direction rounds
// that way without harm; diving and fixing prefer the direction with
// fewer locks.
#pragma once
#include <cstdint>
#include <vector>

#include "mip/mip_model.h"

namespace korva::mip {

class ColumnLocks {
 public:
  // Counts the locks of the model's rows (cuts included, optional rows
  // left out); again only when the rows changed since the last call.
  void refresh(const MipModel& model);

  int up(int j) const { return up_[j]; }
  int down(int j) const { return down_[j]; }

 private:
  std::vector<int> up_, down_;
  int rows_ = -1;
  size_t entries_ = 0;
};

}  // namespace korva::mip
