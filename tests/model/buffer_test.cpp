// The modification buffer of modelling layers: pending additions, edits
// that address them, and their application before the model is read.
#include "model_fixture.h"

using model_test::ModelTest;
using model_test::Names;

namespace {

class BufferTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    ASSERT_EQ(load(), 0);
  }
  void pending(int* cols, int* rows, long long* nzs) {
    ASSERT_EQ(KRVEgetCache(env, lp, cols, rows, nzs), 0);
  }
};

TEST_F(BufferTest, AdditionsWaitUntilTheModelIsRead) {
  const double obj[] = {5};
  ASSERT_EQ(KRVEcacheNewCols(env, lp, 1, obj, nullptr, nullptr, nullptr, nullptr), 0);
  const double rhs[] = {2};
  ASSERT_EQ(KRVEcacheNewRows(env, lp, 1, rhs, "G", nullptr, nullptr), 0);
  const int rows[] = {2, 0}, cols[] = {3, 3};
  const double vals[] = {7, 8};
  ASSERT_EQ(KRVEcacheNewNZsByNZ(env, lp, 2, rows, cols, vals), 0);
  int c = 0, r = 0;
  long long nz = 0;
  pending(&c, &r, &nz);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(nz, 2);

  // Any getter applies the buffer first.
  EXPECT_EQ(KRVgetnumcols(env, lp), 4);
  pending(&c, &r, &nz);
  EXPECT_EQ(c + r + nz, 0);
  EXPECT_EQ(KRVgetnumrows(env, lp), 3);
  EXPECT_EQ(coef(2, 3), 7);
  EXPECT_EQ(coef(0, 3), 8);
  EXPECT_EQ(objective()[3], 5);
}

TEST_F(BufferTest, CompleteAppliesExplicitly) {
  ASSERT_EQ(KRVEcacheNewRows(env, lp, 2, nullptr, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(KRVcompletelp(env, lp), 0);
  int r = -1;
  pending(nullptr, &r, nullptr);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(KRVcompletelp(env, lp), 0);
}

TEST_F(BufferTest, ChangeCoefOnPendingItemsGoesIntoTheBuffer) {
  ASSERT_EQ(KRVEcacheNewCols(env, lp, 1, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(KRVEcacheNewRows(env, lp, 1, nullptr, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(KRVchgcoef(env, lp, -1, 3, 4.5), 0);
  ASSERT_EQ(KRVchgcoef(env, lp, 2, -1, 6), 0);
  ASSERT_EQ(KRVchgcoef(env, lp, 2, 0, 1.25), 0);
  long long nz = 0;
  pending(nullptr, nullptr, &nz);
  EXPECT_EQ(nz, 1);
  EXPECT_EQ(KRVchgcoef(env, lp, 3, 0, 1), 1200);
  EXPECT_EQ(objective()[3], 4.5);
  double rhs;
  ASSERT_EQ(KRVgetrhs(env, lp, &rhs, 2, 2), 0);
  EXPECT_EQ(rhs, 6);
  EXPECT_EQ(coef(2, 0), 1.25);
}

TEST_F(BufferTest, BoundsOfPendingColumnsChangeInTheBuffer) {
  ASSERT_EQ(KRVEcacheNewCols(env, lp, 1, nullptr, nullptr, nullptr, "B", nullptr), 0);
  int j = 3;
  char lu = 'L';
  double bd = 1;
  ASSERT_EQ(KRVchgbds(env, lp, 1, &j, &lu, &bd), 0);
  int c = 0;
  pending(&c, nullptr, nullptr);
  EXPECT_EQ(c, 1);
  double lb, ub;
  ASSERT_EQ(KRVgetlb(env, lp, &lb, 3, 3), 0);
  ASSERT_EQ(KRVgetub(env, lp, &ub, 3, 3), 0);
  EXPECT_EQ(lb, 1);
  EXPECT_EQ(ub, 1);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_MILP);
}

TEST_F(BufferTest, PendingNamesAndDefaults) {
  ASSERT_EQ(load(true), 0);
  Names n{"fresh"};
  ASSERT_EQ(KRVEcacheNewCols(env, lp, 1, nullptr, nullptr, nullptr, nullptr, n.get()), 0);
  ASSERT_EQ(KRVEcacheNewCols(env, lp, 1, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(col_names(), (std::vector<std::string>{"x", "y", "z", "fresh", "x5"}));
}

TEST_F(BufferTest, NonzerosMustAddressExistingOrPendingItems) {
  const int rows[] = {2}, cols[] = {0};
  const double vals[] = {1};
  EXPECT_EQ(KRVEcacheNewNZsByNZ(env, lp, 1, rows, cols, vals), 1200);
  EXPECT_EQ(KRVEcacheNewNZsByNZ(env, lp, -1, rows, cols, vals), 1003);
  EXPECT_EQ(KRVEcacheNewNZsByNZ(env, lp, 1, nullptr, cols, vals), 1004);
}

TEST_F(BufferTest, CloneSeesPendingAdditions) {
  ASSERT_EQ(KRVEcacheNewRows(env, lp, 1, nullptr, nullptr, nullptr, nullptr), 0);
  KRVprob copy = KRVcloneprob(env, lp, nullptr);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(KRVgetnumrows(env, copy), 3);
}

}  // namespace
