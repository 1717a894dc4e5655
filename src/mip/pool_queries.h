// The operations behind the exported solution-pool queries and deletions.
// Each returns 0 or an error code (printed ones negated); a failed call
// changes nothing. Solution index -1 stands for the incumbent in the value
// queries (1217 when there is none). A problem without a pool gives 3024;
// a solution index outside the pool 1200; a bad begin/end range 1200 with
// the 1205/1206 line naming `fname`.
#pragma once
#include <cstdint>

#include "model/problem.h"

namespace korva::mip {

// Counts; 0 without a pool.
int num_pool_solutions(Environment& env, Problem& p);
int64_t num_pool_replaced(Environment& env, Problem& p);

int get_pool_objective(Environment& env, Problem& p, int soln, double* out);
enum class PoolVector { X, Slack, QconstrSlack };
// Entries begin..end of the solution's column values, row slacks (rhs -
// a·x) or quadratic-constraint slacks (rhs - lin·x - x'Qx).
int get_pool_vector(Environment& env, Problem& p, const char* fname, PoolVector which, int soln, double* out,
                    int begin, int end);
// Mean objective of the stored solutions; 1217 when the pool holds none.
int get_pool_mean_objective(Environment& env, Problem& p, double* out);
// The solution's name in the interface encoding, under the surplus convention.
int get_pool_solution_name(Environment& env, Problem& p, char* buf, int64_t space, int64_t* surplus, int soln);
// Index of the solution called `name_utf8`; 1210 (not printed) when none is.
int find_pool_solution(Environment& env, Problem& p, const char* name_utf8, int* index);

// Deletions at the user's request (not counted as replaced). delstat[k]
// == 1 deletes solution k; on return delstat holds the new indices (-1
// for deleted ones). A pool left without solutions and filters goes.
int del_pool_solutions(Environment& env, Problem& p, const char* fname, int begin, int end);
int del_set_pool_solutions(Environment& env, Problem& p, int* delstat);

// Shared by the solution and filter entries.
int copy_text(Environment& env, const std::string& utf8, char* buf, int64_t space, int64_t* surplus);
// Frees the pool when it no longer holds anything.
void drop_pool_if_empty(Problem& p);

}  // namespace korva::mip
