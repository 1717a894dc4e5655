// The growth policies behind the amortised costs of editing: the matrix
// pool and the name store must stay within a constant factor of what they
// hold, however the entries arrive.
#include <gtest/gtest.h>

#include <korva/korva.h>

#include "model/model.h"

namespace {

using korva::ColumnMatrix;
using korva::NameStore;

TEST(ColumnMatrixGrowth, RowByRowInsertionKeepsThePoolProportional) {
  ColumnMatrix a;
  const int cols = 50;
  a.reserve_columns(cols);
  a.append_empty_columns(cols);
  for (int row = 0; row < 2000; ++row) {
    for (int k = 0; k < 5; ++k) {
      const int j = (row * 7 + k * 11) % cols;
      a.ensure_free(a.room_needed(j, 1));
      a.make_room(j, 1);
      a.push(j, row, row + 0.5);
    }
  }
  EXPECT_EQ(a.nonzeros(), 10000);
  EXPECT_LE(a.pool_size(), 8 * a.nonzeros());
  const korva::RowCopy& rows = a.row_copy(2000);
  EXPECT_EQ(rows.begin[2000], 10000);
  EXPECT_EQ(rows.value[rows.begin[1999]], 1999.5);
}

TEST(ColumnMatrixGrowth, RemovedColumnsAreReclaimed) {
  ColumnMatrix a;
  std::vector<int> rows(100, 0);
  std::vector<double> vals(100, 1.0);
  for (int j = 0; j < 200; ++j) {
    a.reserve_columns(1);
    a.ensure_free(100);
    a.append_column(rows.data(), vals.data(), 100);
  }
  std::vector<int> map(200);
  for (int j = 0; j < 200; ++j) map[j] = j < 190 ? -1 : j - 190;
  a.remove_columns(map.data());
  a.reclaim();
  EXPECT_EQ(a.nonzeros(), 1000);
  EXPECT_LE(a.pool_size(), 2 * 1000 + 100);
  EXPECT_EQ(a.count(9), 100);
}

TEST(NameStoreGrowth, RenamesReclaimDeadBytes) {
  NameStore s;
  s.make_defaults(3, 'x');
  for (int k = 0; k < 100000; ++k) {
    if (s.mostly_dead()) s.compact();
    s.reserve_more(0, 16);
    s.rename(k % 3, "n" + std::to_string(k));
  }
  EXPECT_STREQ(s.get(0), "n99999");
  EXPECT_EQ(s.bytes_in_use(), 3 * 7);
}

// Writers name unnamed rows and columns through the environment's provider
// when one is installed, by default otherwise.
const char* provide_column(void*, long long index, char* buffer, size_t size) {
  std::snprintf(buffer, size, "col_%lld", index);
  return buffer;
}

TEST(WriterNames, ProviderDefaultAndStoredNames) {
  int status = 0;
  KRVenv env = KRVopenKORVA(&status);
  ASSERT_NE(env, nullptr);
  korva::Problem* lp = korva::model::create_problem(*env, "p", &status);
  ASSERT_NE(lp, nullptr);
  ASSERT_EQ(korva::model::new_rows(*env, *lp, 2, nullptr, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(korva::model::new_cols(*env, *lp, 2, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(korva::model::row_name(*env, *lp, 1), "c2");
  EXPECT_EQ(korva::model::col_name(*env, *lp, 0), "x1");
  EXPECT_EQ(korva::model::col_name(*env, *lp, 2), "");
  ASSERT_EQ(KRVEsetnamefunctions(env, nullptr, provide_column, nullptr, nullptr, nullptr,
                                 nullptr),
            0);
  EXPECT_EQ(korva::model::col_name(*env, *lp, 1), "col_1");
  EXPECT_EQ(korva::model::row_name(*env, *lp, 0), "c1");
  ASSERT_EQ(korva::model::chg_name(*env, *lp, 'c', 1, "own"), 0);
  EXPECT_EQ(korva::model::col_name(*env, *lp, 1), "own");
  KRVcloseKORVA(&env);
}

}  // namespace
