// Entering-variable pricing of the primal simplex: among the nonbasic
// variables whose reduced cost says the objective improves when they move,
// the one with the largest squared reduced cost over its weight enters.
//   partial (-1)      unit weights, columns scanned section by section: the
//                     best of the first sections that hold a candidate;
//   automatic (0)     devex, switching to steepest edge when the run turns
//                     out long for its size;
//   devex (1)         reference-framework approximations of the norms;
//   steepest (2)      exact norms ||B⁻¹a_j||² + 1, computed at the start;
//   steepest (3)      the same update, started from the norms of the slack
//                     basis (1 + ||a_j||²), exact only for that basis;
//   full (4)          unit weights over all columns.
#pragma once
#include "simplex/primal/primal_state.h"

namespace korva::simplex {

enum PrimalPricingMode : int {
  kPrimalPartial = -1,
  kPrimalAutomatic = 0,
  kPrimalDevex = 1,
  kPrimalSteepest = 2,
  kPrimalSteepestSlack = 3,
  kPrimalFull = 4,
};

class ColumnPricing {
 public:
  // Resolves KRV_PARAM_PPRIIND and initialises the weights.
  void start(PrimalState& st, int setting);
  // The entering variable, or -1 when no reduced cost is attractive.
  int choose(PrimalState& st);
  bool wants_tau() const { return steepest(); }
  // Weights of the basis after the pivot (q enters at position r, before
  // the basis change). Reads col_aq, row_ap, row_ep and, for steepest edge,
  // col_tau.
  void update(PrimalState& st, int q, int r, double alpha);
  // At each refactorisation: the automatic mode's switch to steepest edge.
  void after_refactor(PrimalState& st, bool perturbed);
  // The basis changed outside the iterations (a repair): weights anew.
  void reset(PrimalState& st);
  int mode() const { return mode_; }

 private:
  bool steepest() const { return mode_ == kPrimalSteepest || mode_ == kPrimalSteepestSlack; }
  bool weighted() const { return mode_ != kPrimalPartial && mode_ != kPrimalFull; }
  void initialise(PrimalState& st);
  void new_reference_framework(PrimalState& st);
  void steepest_exact(PrimalState& st);
  void steepest_slack(PrimalState& st);
  int choose_range(PrimalState& st, int begin, int end, double* best_score) const;

  int mode_ = kPrimalDevex;
  bool automatic_ = false;
  bool switched_ = false;
  int section_start_ = 0;
  // Pivot-row lengths seen since the start, for the switch's cost model.
  double row_count_sum_ = 0.0;
  int64_t row_count_samples_ = 0;
};

}  // namespace korva::simplex
