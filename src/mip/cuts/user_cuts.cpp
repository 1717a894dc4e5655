#include "mip/cuts/user_cuts.h"

namespace korva::mip {

void separate_user_cuts(const SeparationInput& in, const RowPool& pool, std::vector<Cut>& out) {
  for (int r = 0; r < pool.num_rows(); ++r) {
    // 'L' as it is, 'G' negated, 'E' both ways.
    const char sense = pool.sense[r];
    for (double s : {1.0, -1.0}) {
      if ((s > 0 && sense == 'G') || (s < 0 && sense == 'L')) continue;
      Cut cut;
      cut.family = kUserCuts;
      cut.rhs = s * pool.rhs[r];
      for (int64_t k = pool.begin[r]; k < pool.begin[r + 1]; ++k) {
        cut.index.push_back(pool.index[k]);
        cut.value.push_back(s * pool.value[k]);
      }
      if (cut.activity(in.x) > cut.rhs) out.push_back(std::move(cut));
    }
  }
}

}  // namespace korva::mip
