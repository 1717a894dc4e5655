// Small models whose generated priority orders are worked out by hand,
// shared by the suites that check the generator itself and the search
// that uses it.
#pragma once
#include <vector>

#include "mip/mip_test_support.h"

namespace priority_test {

// Columns (type, bounds, cost) and the nonzeros per column:
//   0 C [0, 10]   3    2        4 I [0, inf)  2    2
//   1 B           5    2        5 S [2, 6]    5.2  2
//   2 I [0, 4]    1    2        6 N [1, 3]    6    3
//   3 I [-2, 7]   8    3        7 B           0    1
inline mip_test::SmallMip mixed_model() {
  mip_test::SmallMip m;
  m.objsense = -1;
  m.ctype = {'C', 'B', 'I', 'I', 'I', 'S', 'N', 'B'};
  m.obj = {3, 5, 1, 8, 2, 5.2, 6, 0};
  m.lb = {0, 0, 0, -2, 0, 2, 1, 0};
  m.ub = {10, 1, 4, 7, 1e20, 6, 3, 1};
  m.rows = {
      {{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}}, 'L', 9.5},
      {{{2, 2}, {3, 3}, {6, 1}}, 'G', 4.5},
      {{{1, 1}, {3, 1}, {4, -1}}, 'L', 3.7},
      {{{5, 1}, {6, 1}, {0, 1}}, 'G', 2.5},
  };
  return m;
}

struct ExpectedOrder {
  int type;
  std::vector<int> indices;   // the continuous column 0 is left out
  std::vector<int> priority;
};

// Type 1: |c| ascending 0 (7), 1 (2), 2 (4), 5 (1), 5.2 (5), 6 (6), 8 (3);
//   six costed columns, step 8·0.25/6 = 1/3: only 5 and 5.2 share a level.
// Type 2: ranges 1 (1, 5, 7), 4 (2), 9 (3), infinite (4), 2 (6); R = 9:
//   binary and semi-continuous 11, integers 11 - r, infinite 1.
// Type 3: |c|/nonzeros 0 (7), .5 (2), 1 (4), 2 (6), 2.5 (1), 2.6 (5),
//   2.667 (3); step 2.667·0.25/6 = .111: levels 1..5 with the last three
//   on level 5, then reversed (6 - level).
inline std::vector<ExpectedOrder> mixed_model_orders() {
  return {
      {1, {1, 2, 3, 4, 5, 6, 7}, {4, 2, 6, 3, 4, 5, 1}},
      {2, {1, 2, 3, 4, 5, 6, 7}, {11, 7, 2, 1, 11, 9, 11}},
      {3, {1, 2, 3, 4, 5, 6, 7}, {1, 4, 1, 3, 1, 2, 5}},
  };
}

// Ten columns in six dense '<=' rows, maximised: the search branches
// enough that each generated order leads it its own way.
//   column  0  1  2  3  4  5  6  7  8  9
//   type    B  I  I  B  C  I  B  I  C  I
//   upper   1  3  5  1  4  2  1  6  3  4
//   cost    9 14  4 17 11  7 12  2  6 19
inline mip_test::SmallMip knapsack_model() {
  mip_test::SmallMip m;
  m.objsense = -1;
  m.ctype = {'B', 'I', 'I', 'B', 'C', 'I', 'B', 'I', 'C', 'I'};
  m.obj = {9, 14, 4, 17, 11, 7, 12, 2, 6, 19};
  m.lb.assign(10, 0.0);
  m.ub = {1, 3, 5, 1, 4, 2, 1, 6, 3, 4};
  const double a[6][10] = {{4, 9, 7, 9, 1, 2, 3, 9, 2, 3}, {1, 4, 2, 4, 4, 7, 4, 9, 5, 8},
                           {4, 3, 7, 5, 2, 4, 8, 3, 1, 5}, {7, 9, 4, 5, 6, 4, 2, 9, 2, 8},
                           {8, 7, 9, 8, 3, 1, 7, 5, 8, 8}, {9, 8, 1, 8, 1, 3, 2, 1, 8, 7}};
  const double rhs[6] = {52.5, 54.5, 39.5, 61.5, 63.5, 38.5};
  for (int i = 0; i < 6; ++i) {
    mip_test::Row r;
    for (int j = 0; j < 10; ++j) r.entries.emplace_back(j, a[i][j]);
    r.rhs = rhs[i];
    m.rows.push_back(r);
  }
  return m;
}

// Every column has six nonzeros and the costs lie more than a step apart
// (17·0.25/8 by cost, a sixth of that per coefficient): type 1 ranks the
// eight integer columns by cost, 1 for the cheapest; type 3 turns that
// round; type 2 gives the binaries R + 2 = 8 and an integer 8 - its range.
inline std::vector<ExpectedOrder> knapsack_model_orders() {
  return {
      {1, {0, 1, 2, 3, 5, 6, 7, 9}, {4, 6, 2, 7, 3, 5, 1, 8}},
      {2, {0, 1, 2, 3, 5, 6, 7, 9}, {8, 5, 3, 8, 6, 8, 2, 4}},
      {3, {0, 1, 2, 3, 5, 6, 7, 9}, {5, 3, 7, 2, 6, 4, 8, 1}},
  };
}

// The line each type writes on the results channel.
inline const char* order_message(int type) {
  switch (type) {
    case 1:
      return "Generated priority order by decreasing cost.\n";
    case 2:
      return "Generated priority order by increasing bound range.\n";
    default:
      return "Generated priority order by increasing cost per coefficient count.\n";
  }
}

}  // namespace priority_test
