// The three families of the packed-array functions: plain and KRVS with
// 32-bit positions, KRVL with 64-bit positions, one behaviour.
#include "model_fixture.h"

using model_test::ModelTest;
using model_test::Names;

namespace {

class FamiliesTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    ASSERT_EQ(load(), 0);
  }
};

TEST_F(FamiliesTest, LongFamilyReadsTheSameColumns) {
  long long nz = 0, surplus = 0, beg[3];
  int ind[4];
  double val[4];
  ASSERT_EQ(KRVLgetcols(env, lp, &nz, beg, ind, val, 4, &surplus, 0, 2), 0);
  EXPECT_EQ(nz, 4);
  EXPECT_EQ(surplus, 0);
  EXPECT_EQ(beg[2], 3);
  int snz = 0, ssurplus = 0, sbeg[3];
  ASSERT_EQ(KRVSgetcols(env, lp, &snz, sbeg, ind, val, 4, &ssurplus, 0, 2), 0);
  EXPECT_EQ(snz, 4);
  EXPECT_EQ(sbeg[2], 3);
  EXPECT_EQ(KRVLgetnumnz(env, lp), 4);
  EXPECT_EQ(KRVSgetnumnz(env, lp), 4);
}

TEST_F(FamiliesTest, RangeMessagesNameTheCalledFunction) {
  long long nz, surplus;
  EXPECT_EQ(KRVLgetrows(env, lp, &nz, nullptr, nullptr, nullptr, 0, &surplus, 0, 2), 1200);
  EXPECT_NE(errors->text().find("KRVLgetrows: 'end' value 2 is greater than 1"),
            std::string::npos);
}

TEST_F(FamiliesTest, LongFamilyAddsWithLongPositions) {
  const long long beg[] = {0, 1};
  const int ind[] = {0, 1, 2};
  const double val[] = {1, 2, 3};
  ASSERT_EQ(KRVLaddrows(env, lp, 0, 2, 3, nullptr, nullptr, beg, ind, val, nullptr, nullptr),
            0);
  EXPECT_EQ(coef(3, 2), 3);
  const long long cbeg[] = {0};
  ASSERT_EQ(KRVLaddcols(env, lp, 1, 2, nullptr, cbeg, ind, val, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(coef(1, 3), 2);
  const int sbeg[] = {0};
  ASSERT_EQ(KRVSaddcols(env, lp, 1, 1, nullptr, sbeg, ind, val, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(KRVgetnumcols(env, lp), 5);
}

TEST_F(FamiliesTest, LongFamilyCopiesWholeModels) {
  const double obj[] = {1}, rhs[] = {2}, lb[] = {0}, ub[] = {3};
  const long long beg[] = {0};
  const int cnt[] = {1}, ind[] = {0};
  const double val[] = {4};
  Names cols{"only"};
  ASSERT_EQ(KRVLcopylpwnames(env, lp, 1, 1, -1, obj, rhs, "L", beg, cnt, ind, val, lb, ub,
                             nullptr, cols.get(), nullptr),
            0);
  EXPECT_EQ(col_names(), (std::vector<std::string>{"only"}));
  EXPECT_EQ(coef(0, 0), 4);
  const int sbeg[] = {0};
  ASSERT_EQ(KRVScopylp(env, lp, 1, 1, 1, obj, rhs, "G", sbeg, cnt, ind, val, lb, ub, nullptr), 0);
  EXPECT_EQ(KRVgetobjsen(env, lp), 1);
}

TEST_F(FamiliesTest, NameStoreSpaceIsLongInTheLongFamily) {
  ASSERT_EQ(load(true), 0);
  long long surplus = 0;
  EXPECT_EQ(KRVLgetcolname(env, lp, nullptr, nullptr, 0, &surplus, 0, 2), 1207);
  EXPECT_EQ(surplus, -6);
  int ssurplus = 0;
  EXPECT_EQ(KRVSgetrowname(env, lp, nullptr, nullptr, 0, &ssurplus, 0, 1), 1207);
  EXPECT_EQ(ssurplus, -8);
}

TEST_F(FamiliesTest, SetsInTheLongFamily) {
  const char type[] = {'1'};
  const long long beg[] = {0};
  const int ind[] = {0, 1};
  const double wt[] = {1, 2};
  ASSERT_EQ(KRVLaddsos(env, lp, 1, 2, type, beg, ind, wt, nullptr), 0);
  long long nz, surplus, sbeg[1];
  int sind[2];
  double swt[2];
  char stype[1];
  ASSERT_EQ(KRVLgetsos(env, lp, &nz, stype, sbeg, sind, swt, 2, &surplus, 0, 0), 0);
  EXPECT_EQ(nz, 2);
  EXPECT_EQ(sind[1], 1);
}

}  // namespace
