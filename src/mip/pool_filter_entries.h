// The operations behind the exported filter entries of the solution pool.
// Filters may be set before the first optimisation: on a MIP problem the
// entries that add filters create the pool on demand; on a problem without
// MIP data they fail with 3003 ("Not a mixed-integer problem"), since only
// a MIP search offers solutions to a pool. The queries and deletions need
// a pool (3024). Names are UTF-8; a filter added without a name is called
// "f1", "f2", ... (a counter that never repeats within the pool's life).
// Each returns 0 or an error code; a failed call changes nothing.
#pragma once
#include <cstdint>
#include <vector>

#include "mip/pool_filters.h"

namespace korva::mip {

// nzcnt < 0: 1003; null ind or refval (diversity) / val (range) with
// nzcnt > 0: 1004; weight may be null. Columns outside the problem: 1200
// (1201 with its position under the data check); a diversity filter on a
// column that is not binary: 3414.
int add_diversity_filter(Environment& env, Problem& p, double lower_cutoff, double upper_cutoff, int nzcnt,
                         const int* ind, const double* weight, const double* refval, const char* name_utf8);
int add_range_filter(Environment& env, Problem& p, double lb, double ub, int nzcnt, const int* ind,
                     const double* val, const char* name_utf8);
// Replaces the problem's filters (the filter file reader), with the checks
// of the add entries applied to every filter first.
int replace_filters(Environment& env, Problem& p, std::vector<PoolFilter>& filters);

// 0 without a pool.
int num_pool_filters(Environment& env, Problem& p);
// KRV_FILTER_DIVERSITY or KRV_FILTER_RANGE.
int get_filter_type(Environment& env, Problem& p, int* type, int which);
// The filter's data under the surplus convention of the list (nzcnt and
// surplus required, 1004). Asking a filter of the other type gives 1003.
// A diversity filter given without weights reports weight 1 per column.
int get_diversity_filter(Environment& env, Problem& p, double* lower_cutoff, double* upper_cutoff, int* nzcnt,
                         int* ind, double* weight, double* refval, int space, int* surplus, int which);
int get_range_filter(Environment& env, Problem& p, double* lb, double* ub, int* nzcnt, int* ind, double* val,
                     int space, int* surplus, int which);
int get_filter_name(Environment& env, Problem& p, char* buf, int64_t space, int64_t* surplus, int which);
// 1210 (not printed) when no filter has that name.
int find_filter(Environment& env, Problem& p, const char* name_utf8, int* index);
// delstat as for the solutions. A pool left without filters and solutions goes.
int del_filters(Environment& env, Problem& p, const char* fname, int begin, int end);
int del_set_filters(Environment& env, Problem& p, int* delstat);

}  // namespace korva::mip
