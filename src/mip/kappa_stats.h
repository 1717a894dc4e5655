// Condition-number statistics of the node LPs' final bases, gathered when
// KRV_PARAM_MIPKAPPASTATS asks for them, and the figures the callbacks read
// from them. A basis falls into one of four classes by its estimated
// condition number kappa: stable below 1e7, suspicious below 1e10, unstable
// below 1e14, ill-posed from there on.
#pragma once
#include <algorithm>
#include <cstdint>

namespace korva::mip {

struct KappaStats {
  int64_t stable = 0;      // kappa < 1e7
  int64_t suspicious = 0;  // 1e7 <= kappa < 1e10
  int64_t unstable = 0;    // 1e10 <= kappa < 1e14
  int64_t ill_posed = 0;   // kappa >= 1e14
  double max_kappa = 0.0;

  int64_t samples() const { return stable + suspicious + unstable + ill_posed; }

  void add(double kappa) {
    if (kappa < 1e7) ++stable;
    else if (kappa < 1e10) ++suspicious;
    else if (kappa < 1e14) ++unstable;
    else ++ill_posed;
    max_kappa = std::max(max_kappa, kappa);
  }

  double share(int64_t count) const {
    const int64_t n = samples();
    return n > 0 ? static_cast<double>(count) / static_cast<double>(n) : 0.0;
  }

  // One figure between 0 and 1 that says how much the numerics deserve a
  // look: the worse classes weigh more, an ill-posed basis counts fully.
  double attention() const { return 0.02 * share(suspicious) + 0.4 * share(unstable) + share(ill_posed); }
};

}  // namespace korva::mip
