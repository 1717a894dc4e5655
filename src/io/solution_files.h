// Solution files: the current solution (KRVsolwrite), pool members
// (KRVsolwritesolnpool, KRVsolwritesolnpoolall) and pool members as MIP
// starts (KRVmstwritesolnpoolall), written as XML; and solution files read
// into a continuous problem as its advanced start (KRVreadcopysol).
#pragma once
#include "model/problem.h"

namespace korva {

// 1217 without a solution. Returns 0 or an error code.
int write_solution_file(Environment& env, Problem& p, const char* filename);
// Pool member `soln` (-1: the incumbent). 3003 for a problem without MIP
// data, 3024 without a pool, 1200 for an index outside the pool.
int write_pool_solution_file(Environment& env, Problem& p, int soln, const char* filename);
// Every pool member, in a KORVASolutions document; 1217 for an empty pool.
int write_pool_file(Environment& env, Problem& p, const char* filename);
// Every pool member as a MIP start, in a KORVASolutions document.
int write_pool_mip_starts_file(Environment& env, Problem& p, const char* filename);

// A continuous problem takes the file's first solution as its start:
// values, slacks, duals and reduced costs, and the basis when the file
// gives statuses. A MIP reads it as MIP starts (io/mip_start_files.h).
int read_solution_file(Environment& env, Problem& p, const char* filename);

}  // namespace korva
