// Leaving-row pricing of the dual simplex: the basic variable with the
// largest weighted infeasibility leaves. The weights make the choice:
//   standard (1)      unit weights: the largest infeasibility;
//   steepest edge     the squared norms of the rows of B⁻¹, kept exact by
//   (2, 3, 4)         the update formula (2 and 3 compute them at the start,
//                     by rows and by columns of B⁻¹; 4 starts from the
//                     slack-basis norms, all 1);
//   devex (5)         approximations within a reference framework.
// The internal automatic mode starts standard and switches to steepest
// edge from unit weights after 100 iterations.
#pragma once
#include "simplex/dual/dual_state.h"

namespace korva::simplex {

enum DualPricingMode : int {
  kDualStandard = 1,
  kDualSteepest = 2,
  kDualSteepestFull = 3,
  kDualSteepestUnit = 4,
  kDualDevex = 5,
};

class RowPricing {
 public:
  // Resolves the setting (KRV_PARAM_DPRIIND 0..5, or the automatic mode)
  // and initialises the weights, reusing those the work record kept for the
  // same basis.
  void start(DualState& st, int setting);
  // The leaving position, or -1 when every basic variable is feasible.
  int choose(DualState& st) const;
  // After the btran of the leaving row: its exact weight. False when the
  // kept weight was far too small, so that the row should be priced again.
  bool accept_row(DualState& st);
  bool wants_tau() const { return steepest(); }
  // The weights of the basis after the pivot (before the basis change).
  void update(DualState& st);
  // The automatic mode's switch to steepest edge, checked every iteration.
  void maybe_switch(DualState& st);
  // The weights no longer match the basis (a repair changed it).
  void reset(DualState& st);

 private:
  bool steepest() const { return mode_ >= kDualSteepest && mode_ <= kDualSteepestUnit; }
  void initialise(DualState& st);
  void steepest_by_rows(DualState& st);
  void steepest_by_columns(DualState& st);
  void new_reference_framework(DualState& st);

  int mode_ = kDualSteepest;
  bool automatic_ = false;
};

// The special ±1 structure: an unscaled problem without optional parts,
// equality rows only, right-hand sides 0 and ±1 (both present), every
// coefficient ±1. Decided once per work record.
bool has_unit_structure(const Problem& p, SimplexWork& w);

}  // namespace korva::simplex
