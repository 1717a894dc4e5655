// The clique table's growth and merging: pairs of conflicting literals
// (what probing adds) grow into the largest cliques they belong to, and
// cliques another holds leave, so that the table says the same with fewer
// members.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "mip/clique_table.h"

namespace {

using korva::mip::CliqueTable;
using korva::mip::literal_of;

std::set<std::set<int>> cliques(const CliqueTable& t) {
  std::set<std::set<int>> all;
  for (int c = 0; c < t.size(); ++c) all.insert(std::set<int>(t.begin(c), t.end(c)));
  return all;
}

TEST(CliqueTable, PairsGrowIntoTheCliqueTheyFormAndTheMergeKeepsOnlyIt) {
  // x0, x1, x2 pairwise in conflict, and x2 with the complement of x3.
  const int a = literal_of(0, false), b = literal_of(1, false), c = literal_of(2, false), d = literal_of(3, true);
  CliqueTable t;
  t.add({a, b});
  t.add({b, c});
  t.add({a, c});
  t.add({c, d});
  t.add({a, b});  // twice
  t.grow(1000000, nullptr);
  t.merge(1000000, nullptr);
  EXPECT_EQ(cliques(t), (std::set<std::set<int>>{{a, b, c}, {c, d}}));
  EXPECT_EQ(t.members(), 5);
  // Every literal knows its cliques again.
  EXPECT_EQ(t.cliques_of(c).size(), 2u);
  EXPECT_EQ(t.cliques_of(d).size(), 1u);
}

TEST(CliqueTable, AStopRequestLeavesAValidTable) {
  CliqueTable t;
  for (int k = 0; k < 600; ++k) t.add({literal_of(k, false), literal_of(k + 1, false)});
  const std::set<std::set<int>> before = cliques(t);
  int calls = 0;
  t.grow(1000000, [&](double) { return ++calls < 2; });
  t.merge(1000000, [](double) { return false; });
  // Nothing grows on a path; the stopped merge drops nothing.
  EXPECT_EQ(cliques(t), before);
  EXPECT_EQ(calls, 2);
}

}  // namespace
