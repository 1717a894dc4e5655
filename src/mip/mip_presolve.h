// The search's side of MIP presolve: presolve before the root (with its
// time line), the MIP status a presolve verdict gives, the final-status
// rule that dual and primal reductions bring, and the mapping of the
// presolved problem's incumbents and priority order.
#pragma once
#include <vector>

#include "model/problem.h"
#include "presolve/presolve_record.h"

namespace korva::mip {

struct MipPresolve {
  int code = 0;     // 0, or a presolve verdict (1117, 1118, 1101, 1106, 1123, 1124)
  int reduce = 0;   // KRV_PARAM_REDUCE presolve ran with; 0 when it did not run
  const presolve::PresolveRecord* record = nullptr;  // null: the search takes the problem itself
};

// Which presolve of a search this is: of the user's problem, of a
// presolved problem handed to a search of its own, or the one repeated
// after the root with the root's fixings.
enum class PresolveRound { First, Reduced, Repeated };

// Presolves `p` when KRV_PARAM_PREIND asks for it. Returns 0 or an error
// code.
int presolve_for_search(Environment& env, Problem& p, int display, PresolveRound round, MipPresolve& out);

// The MIP status of a presolve verdict.
int verdict_mip_status(int code);

// Infeasibility after dual reductions may hide unboundedness, and
// unboundedness after primal ones infeasibility: both become 119, which an
// incumbent turns into 118.
int reduction_status(int status, int reduce, bool has_incumbent);

// KRVpresolve on a mixed-integer problem: presolve decided it, and the
// problem reports the MIP status that verdict gives.
void store_presolve_verdict(Problem& p, int code, int reduce);

// A solution of the reduced problem as one of the original problem.
void uncrush_values(const Problem& original, const presolve::PresolveRecord& rec, const std::vector<double>& reduced,
                    std::vector<double>& x);

// A priority order in the reduced problem's indices (removed columns drop out).
PriorityOrder crush_order(const PriorityOrder& order, const presolve::PresolveRecord& rec);

}  // namespace korva::mip
