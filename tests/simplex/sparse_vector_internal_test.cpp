// The sparse vector's contract with the kernels: cancellations stay listed
// once, tidy() leaves exactly the significant entries listed, and clear()
// leaves an all-zero vector whatever state the list was in.
#include <gtest/gtest.h>

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
