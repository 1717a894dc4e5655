// Manual basis changes and the ratio tests behind them (KRVpivotin,
// KRVpivotout, KRVpivot, KRVpratio, KRVdratio, KRVmdleave). A pivot
// refactorises the new basis, recomputes the primal and dual values and
// stores them as the problem's solution: status 1 when the new basis is
// still optimal within the tolerances, 6 otherwise. Every function returns
// 0 or an error code not yet reported.
#pragma once
#include "model/problem.h"

namespace korva::simplex {

// Makes the slacks of the listed rows basic.
int pivot_in(Environment& env, Problem& p, const int* rows, int count);
// Makes the listed columns (each fixed) nonbasic.
int pivot_out(Environment& env, Problem& p, const int* cols, int count);
// One basis change: `enter` (nonbasic) replaces `leave` (basic), which
// becomes nonbasic with user status `leave_status` (0, 2 or 3).
int pivot(Environment& env, Problem& p, int enter, int leave, int leave_status);

// For each listed nonbasic variable: how far it can decrease (down) and
// increase (up) before a basic variable, or its own other bound, stops it,
// in its own units; which variable stops it (index convention, 2100000000
// with step 1e20 when none does) and the status (0 lower, 2 upper) that
// variable would take. Any output may be null.
struct PrimalRatioOut {
  double* down_ratio = nullptr;
  double* up_ratio = nullptr;
  int* down_leave = nullptr;
  int* up_leave = nullptr;
  int* down_leave_status = nullptr;
  int* up_leave_status = nullptr;
};
int primal_ratio(Environment& env, Problem& p, const int* indices, int count, const PrimalRatioOut& out);

// For each listed basic variable: the dual step (the size its reduced
// cost reaches) when it leaves at its lower bound (down) or at its upper
// bound (up), and the variable that would enter. Any output may be null.
int dual_ratio(Environment& env, Problem& p, const int* indices, int count, double* down_ratio, double* up_ratio,
               int* down_enter, int* up_enter);

// For each listed basic variable: the least objective degradation that
// forcing it to its lower (down) or upper (up) bound costs, by one dual
// simplex step; 1e20 when the bound is infinite or nothing can enter.
int md_leave(Environment& env, Problem& p, const int* indices, int count, double* down_ratio, double* up_ratio);

}  // namespace korva::simplex
