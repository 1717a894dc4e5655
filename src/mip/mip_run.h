// The searches a MIP optimisation hands work to: the driver itself on
// the user's problem, on a presolved problem that gets a search of its own,
// and on a problem presolved again after the root. The driver is
// mip_optimize.cpp; this header lets the nested runs re-enter it.
#pragma once
#include <vector>

#include "mip/domain.h"
#include "mip/mip_model.h"
#include "mip/search_record.h"
#include "presolve/presolve_record.h"

namespace korva::mip {

// Nested: a search of the heuristics or the MIP start processing on a
// model of their own, silent and without the outer run's set-up.
// Populate: the second phase of populate, enumerating solutions for the
// pool from the incumbent of the search before it.
enum class MipRun { Outer, Presolved, Repeated, Nested, Populate };

// One MIP optimisation of `p` (the driver's sequence without the profile
// callbacks). Returns 0 or an error code; the outcome is in p's records.
// `populate_stop`: for MipRun::Populate, the pool's offered_total() that
// ends the enumeration (128). `start`: a solution of p the search starts
// from (the root's incumbent of a search presolved again).
int run_mip(Environment& env, Problem& p, MipRun run, int64_t populate_stop = 0,
            const std::vector<double>* start = nullptr);

// A "no solution" status once an incumbent exists.
int feasible_twin(int status);

// The incumbent of the reduced problem's search, in the original's terms.
void take_reduced_incumbent(const Problem& p, const MipModel& model, const presolve::PresolveRecord& rec,
                            MipSearchRecord& record);

// The presolved problem searched by a KRVmipopt of its own; its record
// becomes the original's, with the incumbent mapped back.
int nested_search(Environment& env, Problem& p, const MipModel& model, const presolve::PresolveRecord& rec,
                  std::unique_ptr<MipSearchRecord>& record, int* status_out);

// The search stopped after the root to presolve again with the root's
// fixings: `sp` with those bounds gets a search of its own, with the root's
// incumbent (objective `offset` short in sp's terms) as its cutoff, and its
// outcome is taken over.
int repeat_presolve(Environment& env, Problem& sp, const std::vector<BoundChange>& fixings, double offset,
                    int display, MipSearchRecord& record, int* status_out);

}  // namespace korva::mip
