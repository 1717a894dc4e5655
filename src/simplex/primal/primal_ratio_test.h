// The ratio test of the primal simplex: how far the entering variable may
// move before a basic variable reaches a bound, and which one leaves.
//
// Every basic variable moving towards a finite bound is a candidate, and
// one moving away from a violated bound does not block. The two-pass
// (Harris) selection lets the basic variables overshoot by at most the
// working feasibility tolerance and, among the ratios within that bound,
// takes the best-scored pivot.
//
// In phase I a variable outside its bounds moving towards them is a
// breakpoint rather than a block: once it is feasible, the sum of
// infeasibilities falls more slowly (its slope rises by |alpha|). The step
// passes breakpoints while the slope stays negative, so that one iteration
// can make many variables feasible; the one where the slope turns leaves
// at the bound it violated.
#pragma once
#include "simplex/primal/primal_state.h"

namespace korva::simplex {

enum class RatioOutcome {
  Leave,      // a basic variable leaves at `row`
  Flip,       // the entering variable reaches its other bound first
  Unbounded,  // nothing blocks and the entering variable has no such bound
  Repeat,     // the chosen pivot is too small: refresh the factor, price again
};

struct RatioResult {
  RatioOutcome outcome = RatioOutcome::Unbounded;
  int row = -1;
  double step = 0.0;      // length of the move of the entering variable (>= 0)
  bool to_lower = false;  // the leaving variable stops at its lower bound
};

// `direction` is +1 when the entering variable increases, -1 when it
// decreases; `range` how far it can move before its own other bound (may
// be infinite). Reads col_aq.
RatioResult primal_ratio_test(PrimalState& st, int entering, int direction, double range);

}  // namespace korva::simplex
