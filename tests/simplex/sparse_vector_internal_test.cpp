// The sparse vector's contract with the kernels: cancellations stay listed
// once, tidy() leaves exactly the significant entries listed, and clear()
// leaves an all-zero vector whatever state the list was in.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "simplex/sparse_vector.h"

using korva::SparseVector;

TEST(SparseVector, CancelledEntryIsListedOnceAndDroppedByTidy) {
  SparseVector v(10);
  v.add(3, 2.0);
  v.add(3, -2.0);
  v.add(3, 5.0);
  v.add(7, 1e-20);
  EXPECT_EQ(v.count, 2);
  v.tidy(1e-14);
  ASSERT_EQ(v.count, 1);
  EXPECT_EQ(v.index[0], 3);
  EXPECT_DOUBLE_EQ(v.values[3], 5.0);
  EXPECT_EQ(v.values[7], 0.0);
}

TEST(SparseVector, ClearWorksWithAStaleList) {
  SparseVector v(100);
  for (int i = 0; i < 100; i += 7) v.values[i] = 1.0;
  v.indexed = false;
  v.clear();
  for (double x : v.values) EXPECT_EQ(x, 0.0);
  EXPECT_TRUE(v.indexed);
  EXPECT_EQ(v.count, 0);
  v.values[42] = 3.0;
  v.indexed = false;
  v.tidy(1e-14);
  ASSERT_EQ(v.count, 1);
  EXPECT_EQ(v.index[0], 42);
}

// Appends write one slot ahead of the count; a vector whose every entry is
// nonzero must still list each exactly once (and stay within its arrays).
TEST(SparseVector, FullVectorListsEveryEntryOnce) {
  constexpr int kSize = 9;
  SparseVector v(kSize);
  for (int i = kSize - 1; i >= 0; --i) v.add(i, 1.0 + i);
  for (int i = 0; i < kSize; ++i) v.add(i, 0.5);
  ASSERT_EQ(v.count, kSize);
  std::vector<int> listed(v.index.begin(), v.index.begin() + v.count);
  std::sort(listed.begin(), listed.end());
  for (int i = 0; i < kSize; ++i) EXPECT_EQ(listed[i], i);
  v.indexed = false;
  v.rebuild_index();
  ASSERT_EQ(v.count, kSize);
  for (int i = 0; i < kSize; ++i) EXPECT_EQ(v.index[i], i);
}
