// The queries on a finished search (KRVgetnodecnt and its neighbours).
// Each needs a mixed-integer problem (3003) that holds a search record
// (1217).
#pragma once
#include <cstdint>

#include "model/problem.h"

namespace korva::mip {

enum class MipCounter { Nodes, NodesLeft, Iterations, IncumbentNode, SubStatus, SubMethod };
enum class MipValue { BestBound, RelativeGap, Cutoff };

int get_mip_counter(Environment& env, Problem& p, MipCounter which, int64_t* value);
int get_mip_value(Environment& env, Problem& p, MipValue which, double* value);

}  // namespace korva::mip
