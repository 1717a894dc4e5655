#include "simplex/lu/refactor_driver.h"

#include <cmath>
#include <new>

#include "env/environment.h"
#include "simplex/lu/lu_codes.h"
#include "simplex/lu/stability.h"

namespace korva::lu {

namespace {
constexpr int kRepairsPerCall = 10;
constexpr double kSmallestFileMul = 1.1;
constexpr double kNoDenseKernel = 10.0;  // a density no active matrix can exceed
}  // namespace

FactorControl factor_control(const krv_env_s& env) {
  FactorControl c;
  c.markowitz = env.dbl_param(KRV_PARAM_EPMRK);
  return c;
}

int refactorise(krv_env_s& env, LuFactor& lu, const BasisSource& source, int* basic_index,
                FactorControl& control, bool allow_repair, const RepairView& view,
                std::vector<RepairRecord>& repaired, double* pivot_ratio) {
  const double start_markowitz = control.markowitz;
  const double pivot_tolerance = env.dbl_param(KRV_PARAM_SINGTOL);
  const int repair_limit = env.int_param(KRV_PARAM_SINGLIM);
  const bool multipliers_at_start =
      lu.row_file_mul == lu.options.row_file_mul && lu.col_file_mul == lu.options.col_file_mul;
  bool compressed = false;
  bool counted_repair = false;
  int repairs_here = 0;
  int code = kOk;

  for (;;) {
    env.ticks.charge(1);
    code = lu.factorise(source, basic_index, control.markowitz, pivot_tolerance, pivot_ratio);
    if (code == kOk || code == kTimeLimit || code == kUserAbort || code == kDetTimeLimit) break;
    if (code == kOutOfMemory) {
      if (compressed || !multipliers_at_start || lu.row_file_mul <= kSmallestFileMul ||
          lu.col_file_mul <= kSmallestFileMul)
        break;
      msg(env.warning(), "Compressing row and column files.\n");
      lu.row_file_mul = lu.col_file_mul = kSmallestFileMul;
      compressed = true;
      continue;
    }
    if (code == kDenseOutOfMemory) {
      msg(env.warning(), "Not enough memory for dense factorization.\n");
      lu.dense_density = kNoDenseKernel;
      continue;
    }
    if (code == kUnstable) {
      // At the largest threshold there is nothing left to raise.
      if (control.markowitz >= kMaxMarkowitz) break;
      control.markowitz = raise_markowitz(control.markowitz);
      continue;
    }
    if (code != kSingular) break;
    if (control.forbid_repair) {
      ++control.refused_repairs;
      code = kRepaired;
      break;
    }
    if (!allow_repair || repairs_here >= kRepairsPerCall) break;
    if (!counted_repair) {
      if (control.repairs >= repair_limit) break;
      ++control.repairs;
      control.markowitz = raise_markowitz(control.markowitz);
      if (view.display >= 1) msg(env.results(), "Repairing basis singularity.\n");
      counted_repair = true;
    }
    try {
      repair_singular_basis(env, source, basic_index, lu.singular_positions(), lu.unpivoted_rows(), view,
                            repaired);
    } catch (const std::bad_alloc&) {
      code = kOutOfMemory;
      break;
    }
    ++repairs_here;
  }

  if (std::fabs(control.markowitz - start_markowitz) > 0.01 && view.display >= 1)
    msg(env.results(), "Markowitz threshold set to %g\n", control.markowitz);
  if (code == kOk) {
    ++control.refactorisations;
    if (repairs_here > 0) code = kRepaired;
  }
  return code;
}

}  // namespace korva::lu
