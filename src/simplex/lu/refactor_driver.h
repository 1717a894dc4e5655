// The refactorisation driver: factorises the current basis and recovers
// from what can go wrong, in this order of remedies: files too small
// (compress them once), no memory for the dense kernel (never use it
// again), an unstable factor (raise the Markowitz threshold), a singular
// basis (repair it with slacks, within the limits of KRV_PARAM_SINGLIM and
// ten repairs per call).
#pragma once
#include <cstdint>
#include <vector>

#include "simplex/lu/basis_source.h"
#include "simplex/lu/lu_factor.h"
#include "simplex/lu/singular_repair.h"

struct krv_env_s;

namespace korva::lu {

// The solve context: kept in the simplex work data for one optimisation.
struct FactorControl {
  double markowitz = 0.01;      // from KRV_PARAM_EPMRK (0.9 under numerical emphasis), only raised
  int repairs = 0;              // singularity repairs so far, limited by KRV_PARAM_SINGLIM
  int64_t refactorisations = 0; // successful factorisations (drives the iteration log)
  int64_t refused_repairs = 0;  // singular bases met while repair was forbidden
  bool forbid_repair = false;   // set by strong branching and similar callers
};

// The control for a new optimisation, from the environment's parameters.
FactorControl factor_control(const krv_env_s& env);

// Factorises the basis in basic_index (which a repair rewrites). Returns
// kOk, kRepaired (success after repair: `repaired` lists what changed),
// kSingular, kOutOfMemory, kUnstable, or a limit code from the attempt.
// With `pivot_ratio` given, the largest-to-smallest pivot ratio is stored
// there and no factor is rejected as unstable.
int refactorise(krv_env_s& env, LuFactor& lu, const BasisSource& source, int* basic_index,
                FactorControl& control, bool allow_repair, const RepairView& view,
                std::vector<RepairRecord>& repaired, double* pivot_ratio = nullptr);

}  // namespace korva::lu
