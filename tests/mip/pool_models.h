// The small model the solution-pool suites share.
#pragma once
#include "mip/mip_test_support.h"

namespace pool_test {

// Columns 0..3 binary, 4 integer in [0, 10], 5 continuous in [0, 100];
// x0 + x1 + x2 + x3 <= 3, x4 + x5 >= 1, x0 + x4 <= 10; minimise
// x0 + 2 x1 + 3 x2 + 4 x3 + x4 + x5.
inline mip_test::SmallMip pool_model() {
  mip_test::SmallMip m;
  m.obj = {1, 2, 3, 4, 1, 1};
  m.lb = {0, 0, 0, 0, 0, 0};
  m.ub = {1, 1, 1, 1, 10, 100};
  m.ctype = {'B', 'B', 'B', 'B', 'I', 'C'};
  m.rows.push_back({{{0, 1.0}, {1, 1.0}, {2, 1.0}, {3, 1.0}}, 'L', 3.0});
  m.rows.push_back({{{4, 1.0}, {5, 1.0}}, 'G', 1.0});
  m.rows.push_back({{{0, 1.0}, {4, 1.0}}, 'L', 10.0});
  return m;
}

}  // namespace pool_test
