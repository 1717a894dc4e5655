// The seam between the solution queries and the mixed-integer optimiser.
// For a mixed-integer problem the queries of KRVgetx, KRVgetobjval,
// KRVgetslack, KRVsolution, KRVgetstat and KRVgetmethod read the incumbent
// through this interface: the branch-and-cut record that holds it derives
// from MipIncumbentStore and is stored in the problem's derived.solution
// slot. Only x, slack and the objective exist there; dual queries answer
// 1017, and a store without values answers 3023.
#pragma once
#include "model/problem.h"

namespace korva::simplex {

class MipIncumbentStore : public AttachedPart {
 public:
  // The mixed-integer status (101..134, or 0 while nothing is known).
  virtual int mip_status() const = 0;
  // Whether an incumbent with values exists.
  virtual bool has_values() const = 0;
  virtual double objective() const = 0;
  // Column values and row slacks (rhs - a·x), user units and order.
  virtual const double* x() const = 0;
  virtual const double* slack() const = 0;
  // LP-solution counters the search accumulated, when it keeps them.
  virtual bool has_lp_counters() const { return false; }
  virtual int64_t iterations() const { return 0; }
  virtual int64_t phase1_iterations() const { return 0; }
};

// The store of a mixed-integer problem, or null.
inline MipIncumbentStore* find_mip_incumbent(Problem& p) {
  return dynamic_cast<MipIncumbentStore*>(p.derived.solution.get());
}

// Method codes of a mixed-integer solution: 11 while the status lies in
// 120..127 (relaxation and feasibility statuses), 12 for other incumbents.
inline int mip_method(int mip_status) { return mip_status >= 120 && mip_status <= 127 ? 11 : 12; }

}  // namespace korva::simplex
