// Priority-order files: the branching order of a MIP as text.
//
//   * ENCODING=ISO-8859-1
//   NAME          problem   Priority Order
//    UP x1                10
//    DN x2                 5
//       x3                 1
//   ENDATA
//
// Each line gives a direction (UP, DN, or blanks for none), a column name
// and its priority.
#pragma once
#include "model/problem.h"

namespace korva {

// 3003 without MIP data, 3016 without an order. Columns without stored
// names are written under their default names.
int write_order_file(Environment& env, Problem& p, const char* filename);

// Replaces the order with the file's (3003 without MIP data, 1219 without
// column names). Unknown and repeated names are warnings (the later entry
// wins); 3012 for a direction other than UP or DN; a file without entries
// leaves the order as it was.
int read_order_file(Environment& env, Problem& p, const char* filename);

}  // namespace korva
