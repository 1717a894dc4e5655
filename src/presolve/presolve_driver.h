// One presolve of a continuous problem: the reductions, the reduced
// problem with its maps and crushed start, the summary, and the record
// left in the problem.
#pragma once
#include "model/problem.h"
#include "presolve/presolve_record.h"

namespace korva::presolve {

// Presolve codes that end presolve with a verdict.
inline constexpr int kPresolveInfeasible = 1117;
inline constexpr int kPresolveUnbounded = 1118;
inline constexpr int kPresolveInfOrUnbd = 1101;
inline constexpr int kPresolveAborted = 1106;
inline constexpr int kPresolveTimeLimit = 1123;
inline constexpr int kPresolveDetTimeLimit = 1124;

bool is_verdict(int code);
// The solution status a verdict gives a continuous problem.
int verdict_status(const Problem& p, int code);

PresolveSettings settings_from_params(Environment& env, int method, bool messages);

// Presolves `p` (complete, linear) and leaves the record in it. Returns 0,
// 1001, or a verdict (then no record is kept). When nothing could be
// reduced the record holds a plain copy only if `copy_unchanged` is set;
// otherwise no record is kept.
int presolve_lp(Environment& env, Problem& p, const PresolveSettings& settings, bool copy_unchanged);

// Presolves the mixed-integer problem `p` with reductions that keep every
// integer-feasible point; the reduced problem has the column types, special
// ordered sets, indicator constraints, user cuts and lazy constraints of
// the original, renumbered. `second` marks the presolve of a problem that
// is itself a presolved one. Returns 0, 1001, or a verdict; when nothing
// could be reduced the record holds a plain copy only if `copy_unchanged`
// is set.
int presolve_mip(Environment& env, Problem& p, const PresolveSettings& settings, bool second, bool copy_unchanged);

// Carries bound changes of the original problem `owner` (new bounds in it,
// the bounds before in old_lb/old_ub) into the reduced problem. False when
// the reduced problem would no longer be equivalent: the record must go.
bool carry_bound_changes(PresolveRecord& rec, const Problem& owner, int count, const int* cols, const double* old_lb,
                         const double* old_ub);

}  // namespace korva::presolve
