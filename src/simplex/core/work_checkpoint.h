// A copy of everything a simplex run changes in the work record: basis,
// values, reduced costs, working bounds and costs, the factor and the
// pricing weights. Trials that run the simplex from one basis again and
// again (strong branching) take it once and go back to it after each
// trial without a refactorisation.
#pragma once
#include <cstdint>
#include <vector>

#include "simplex/core/simplex_work.h"

namespace korva::simplex {

class WorkCheckpoint {
 public:
  void take(const SimplexWork& w);
  // Puts the record back as it was at take(). The problem's own bounds and
  // costs (w.lp) are the caller's to restore.
  void restore(SimplexWork& w) const;

 private:
  bool has_basis_ = false;
  std::vector<uint8_t> status_;
  std::vector<int> basic_index_;
  std::vector<double> x_, x_basic_, dj_;
  std::vector<double> work_lower_, work_upper_, work_cost_, basic_lower_, basic_upper_;
  std::vector<double> dual_weights_;
  int dual_weight_mode_ = -1;
  lu::LuFactor lu_;
  bool factor_valid_ = false;
};

}  // namespace korva::simplex
