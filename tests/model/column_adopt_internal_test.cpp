// A matrix that takes over a reader's arrays must be the matrix assign
// would have built from them, and must stay editable afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "model/column_matrix.h"

namespace {

using korva::ColumnMatrix;

void expect_same(const ColumnMatrix& a, const ColumnMatrix& b) {
  ASSERT_EQ(a.num_cols(), b.num_cols());
  EXPECT_EQ(a.nonzeros(), b.nonzeros());
  for (int j = 0; j < a.num_cols(); ++j) {
    ASSERT_EQ(a.count(j), b.count(j)) << j;
    for (int k = 0; k < a.count(j); ++k) {
      EXPECT_EQ(a.rows(j)[k], b.rows(j)[k]);
      EXPECT_EQ(a.values(j)[k], b.values(j)[k]);
    }
  }
}

TEST(ColumnMatrixAdopt, BackToBackColumnsBecomeThePool) {
  std::vector<int64_t> beg{0, 2, 2, 5};
  std::vector<int> cnt{2, 0, 3, 1};
  std::vector<int> ind{0, 3, 1, 2, 3, 0};
  std::vector<double> val{1, 2, 3, 4, 5, 6};
  ColumnMatrix copied;
  copied.assign(4, beg.data(), cnt.data(), ind.data(), val.data());
  const int* pool = ind.data();
  ColumnMatrix taken;
  taken.adopt(std::move(beg), std::move(cnt), std::move(ind), std::move(val));
  expect_same(taken, copied);
  EXPECT_EQ(taken.rows(0), pool);  // no copy was made
  EXPECT_EQ(taken.pool_size(), 6);
}

TEST(ColumnMatrixAdopt, OtherLayoutsAreCopied) {
  // Column 1 comes before column 0 in the arrays, and one slot is unused.
  std::vector<int64_t> beg{3, 0};
  std::vector<int> cnt{2, 2};
  std::vector<int> ind{1, 2, -7, 0, 4};
  std::vector<double> val{10, 20, -7, 30, 40};
  ColumnMatrix copied;
  copied.assign(2, beg.data(), cnt.data(), ind.data(), val.data());
  ColumnMatrix taken;
  taken.adopt(std::move(beg), std::move(cnt), std::move(ind), std::move(val));
  expect_same(taken, copied);
  EXPECT_EQ(taken.pool_size(), 4);
}

TEST(ColumnMatrixAdopt, SpareEntriesAtTheEndAreDropped) {
  std::vector<int64_t> beg{0, 1};
  std::vector<int> cnt{1, 1};
  std::vector<int> ind{2, 0, 9, 9};
  std::vector<double> val{1.5, 2.5, 9, 9};
  ColumnMatrix taken;
  taken.adopt(std::move(beg), std::move(cnt), std::move(ind), std::move(val));
  EXPECT_EQ(taken.nonzeros(), 2);
  EXPECT_EQ(taken.pool_size(), 2);
  EXPECT_EQ(taken.rows(1)[0], 0);
}

TEST(ColumnMatrixAdopt, TakenMatrixGrowsLikeAnyOther) {
  std::vector<int64_t> beg{0, 2};
  std::vector<int> cnt{2, 1};
  std::vector<int> ind{0, 1, 1};
  std::vector<double> val{1, 2, 3};
  ColumnMatrix m;
  m.adopt(std::move(beg), std::move(cnt), std::move(ind), std::move(val));
  for (int row = 2; row < 200; ++row) {
    m.ensure_free(m.room_needed(0, 1));
    m.make_room(0, 1);
    m.push(0, row, row);
  }
  m.reserve_columns(1);
  const int rows[] = {5};
  const double values[] = {7.0};
  m.ensure_free(1);
  m.append_column(rows, values, 1);
  EXPECT_EQ(m.num_cols(), 3);
  EXPECT_EQ(m.count(0), 200);
  EXPECT_EQ(m.rows(0)[199], 199);
  EXPECT_EQ(m.count(1), 1);
  EXPECT_EQ(m.values(1)[0], 3.0);
  EXPECT_EQ(m.values(2)[0], 7.0);
  const korva::RowCopy& rc = m.row_copy(200);
  EXPECT_EQ(rc.begin[2] - rc.begin[1], 2);  // row 1 in columns 0 and 1
}

}  // namespace
