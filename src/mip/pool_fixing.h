// Changing the problem type with a pool solution (KRVchgprobtypesolnpool):
// the fixed types (fixed MILP, MIQP, MIQCP) fix the integer-like columns
// ('B', 'I', 'N') at the values of a pool solution instead of the
// incumbent's, for post-solution analysis of each pool member.
//
// Fixing changes the bounds of those columns; the pool remembers the
// bounds they had before the first fixing and puts them back when the
// problem leaves the fixed type through KRVchgprobtypesolnpool. Going from
// one fixed solution to another, or back to the type the problem had, keeps
// the pool's solutions, so that every member can be fixed in turn. Any
// other change of type discards them as KRVchgprobtype does.
#pragma once
#include "model/problem.h"

namespace korva::mip {

// type: a problem type (KRVPROB_*); soln: the pool solution to fix at
// (-1: the incumbent, which is KRVchgprobtype's own rule). Errors: 1022 for
// an unknown type, 1024 / 1029 / 9019 when the problem lacks the parts of
// the fixed type, 3024 without a pool, 1200 for a solution index outside
// the pool, 1023 for a problem that cannot be edited.
int change_type_at_pool_solution(Environment& env, Problem& p, int type, int soln);

// Puts back the bounds that fixing at a pool solution changed; nothing when
// no fixing is recorded. The pool's solutions stay.
int restore_bounds_before_fixing(Environment& env, Problem& p);

}  // namespace korva::mip
