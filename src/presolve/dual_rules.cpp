#include "presolve/reducer.h"

#include "env/channel.h"

namespace korva::presolve {

// A column that no row stops from moving in the direction its cost
// prefers goes to that bound.
void Reducer::dual_fix_pass(bool& changed) {
  for (int j = 0; j < w_.n; ++j) {
    if (!w_.col_alive[j] || w_.col_len[j] == 0 || w_.frozen[j]) continue;
    bool down_locked = false, up_locked = false;
    for (int64_t k = w_.cbeg[j]; k < w_.cend[j]; ++k) {
      const int i = w_.cidx[k];
      if (!w_.row_alive[i]) continue;
      const bool lo = w_.rlo[i] > -kInf, hi = w_.rhi[i] < kInf;
      if (w_.cval[k] > 0) {
        up_locked |= hi;
        down_locked |= lo;
      } else {
        up_locked |= lo;
        down_locked |= hi;
      }
      if (up_locked && down_locked) break;
    }
    const double c = w_.cost[j];
    if (c >= 0 && !down_locked && w_.lb[j] > -kInf) {
      w_.fix_column(j, w_.lb[j]);
      changed = true;
    } else if (c <= 0 && !up_locked && w_.ub[j] < kInf) {
      w_.fix_column(j, w_.ub[j]);
      changed = true;
    }
  }
}

// A free column alone in a one-sided row fixes that row's dual at
// cost / a; a dual of the sign the row cannot take proves the problem
// dual infeasible.
int Reducer::dual_bound_pass() {
  for (int j = 0; j < w_.n; ++j) {
    // An integer column's cost says nothing about the duals.
    if (!w_.col_alive[j] || w_.col_len[j] != 1 || w_.lb[j] > -kInf || w_.ub[j] < kInf || !w_.substitutable(j))
      continue;
    double a = 0.0;
    const int i = only_row(j, &a);
    const double dual = w_.cost[j] / a;
    const bool only_upper = w_.rlo[i] == -kInf && w_.rhi[i] < kInf;
    const bool only_lower = w_.rhi[i] == kInf && w_.rlo[i] > -kInf;
    if ((only_upper && dual > 0) || (only_lower && dual < 0)) {
      if (const char* name = row_name(i))
        msg(env_.results(), "Dual infeasible due to dual bounds, row '%.255s'.\n", name);
      return kInfeasibleOrUnbounded;
    }
  }
  return 0;
}
}  // namespace korva::presolve
