// The dual ratio test on the pivot row, with bound flipping (long steps)
// and Harris-style tolerances.
//
// As the dual step t grows, the reduced cost of every candidate j moves
// towards zero and crosses it at t_j = |d_j|/|alpha_j|. Crossing it is
// allowed for a boxed variable, which then flips to its other bound; each
// flip lowers the rate at which the dual objective rises (the leaving
// row's infeasibility) by |alpha_j| times j's range. The step stops at the
// breakpoint where that rate turns negative, or at the first variable that
// cannot flip. Breakpoints are taken in groups: with the Harris bound of
// the remaining candidates (ratios computed with the dual tolerance added),
// every candidate below it joins the group at once, which is what lets the
// test prefer a large pivot among nearly tied ratios.
#pragma once
#include "simplex/dual/dual_state.h"

namespace korva::simplex {

enum class RatioTestResult {
  Entering,    // st.var_in, st.alpha_row and the flips in st.s.flips
  Infeasible,  // no candidate: the leaving row proves primal infeasibility
};

RatioTestResult dual_ratio_test(DualState& st);

}  // namespace korva::simplex
