// The data check (KRV_PARAM_DATACHECK): what is rejected, in which order,
// with which position in the message; and what passes when it is off.
#include <cmath>
#include <limits>

#include "model_fixture.h"

using model_test::ModelTest;
using model_test::Names;

namespace {

// A 2x2 model whose arrays a test corrupts one at a time.
struct Arrays {
  int objsense = 1;
  double obj[2] = {1, 1}, rhs[2] = {1, 1}, lb[2] = {0, 0}, ub[2] = {1, 1};
  char sense[2] = {'L', 'G'};
  int beg[2] = {0, 2}, cnt[2] = {2, 2}, ind[4] = {0, 1, 0, 1};
  double val[4] = {1, 2, 3, 4};
  double* rng = nullptr;

  int copy(KRVenv env, KRVprob lp) {
    return KRVcopylp(env, lp, 2, 2, objsense, obj, rhs, sense, beg, cnt, ind, val, lb, ub, rng);
  }
};

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

class DataCheckTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    set_param(KRV_PARAM_DATACHECK, 1);
  }
  // The first line printed for a failure.
  std::string first_error() const {
    const std::string& t = errors->text();
    return t.substr(0, t.find('\n'));
  }
};

TEST_F(DataCheckTest, BadObjectiveSenseComesFirst) {
  Arrays a;
  a.objsense = 0;
  a.obj[0] = kNan;
  EXPECT_EQ(a.copy(env, lp), 1003);
}

TEST_F(DataCheckTest, NanIsPrintedWithItsPosition) {
  Arrays a;
  a.lb[1] = kNan;
  EXPECT_EQ(a.copy(env, lp), 1225);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1225: Numeric entry 1 is not a double precison number (NAN).\n");
}

TEST_F(DataCheckTest, InfinityIsPrintedWithTheLargestDouble) {
  Arrays a;
  a.rhs[0] = -kInf;
  EXPECT_EQ(a.copy(env, lp), 1233);
  EXPECT_EQ(first_error(),
            "KORVA Error  1233: Numeric entry 0 is larger than allowed maximum of 1.79769e+308.");
}

TEST_F(DataCheckTest, NumbersAreCheckedBeforeSenses) {
  Arrays a;
  a.sense[0] = 'X';
  a.ub[1] = kNan;
  EXPECT_EQ(a.copy(env, lp), 1225);
}

TEST_F(DataCheckTest, BadSenseIsPrintedWithItsPosition) {
  Arrays a;
  a.sense[1] = 'Q';
  EXPECT_EQ(a.copy(env, lp), 1215);
  EXPECT_EQ(first_error(), "KORVA Error  1215: Illegal sense entry 1.");
}

TEST_F(DataCheckTest, RangedRowNeedsRangeValues) {
  Arrays a;
  a.sense[0] = 'R';
  EXPECT_EQ(a.copy(env, lp), 1003);
  double rng[2] = {1, 0};
  a.rng = rng;
  EXPECT_EQ(a.copy(env, lp), 0);
}

TEST_F(DataCheckTest, DescendingBeginIsRejected) {
  Arrays a;
  a.beg[1] = -1;
  EXPECT_EQ(a.copy(env, lp), 1226);
  EXPECT_EQ(first_error(), "KORVA Error  1226: Array entry 1 not ascending.");
}

TEST_F(DataCheckTest, CountLargerThanTheRowsIsRejected) {
  Arrays a;
  a.cnt[1] = 3;
  EXPECT_EQ(a.copy(env, lp), 1227);
  EXPECT_EQ(first_error(), "KORVA Error  1227: Count entry 1 negative or larger than allowed.");
}

TEST_F(DataCheckTest, OverlappingColumnsAreRejected) {
  Arrays a;
  a.beg[1] = 1;
  EXPECT_EQ(a.copy(env, lp), 1228);
  EXPECT_EQ(first_error(), "KORVA Error  1228: Count entry 0 indicates overlapping entries.");
}

TEST_F(DataCheckTest, RowIndexOutOfRangeNamesTheEntry) {
  Arrays a;
  a.ind[3] = 2;
  EXPECT_EQ(a.copy(env, lp), 1203);
  EXPECT_EQ(first_error(), "KORVA Error  1203: Row index 3 out of range.");
}

TEST_F(DataCheckTest, DuplicateRowInAColumnIsRejected) {
  Arrays a;
  a.ind[1] = 0;
  EXPECT_EQ(a.copy(env, lp), 1222);
  EXPECT_EQ(first_error(), "KORVA Error  1222: Duplicate entry.");
}

TEST_F(DataCheckTest, DuplicatesPassWithoutTheCheck) {
  set_param(KRV_PARAM_DATACHECK, 0);
  Arrays a;
  a.ind[1] = 0;
  EXPECT_EQ(a.copy(env, lp), 0);
  EXPECT_EQ(errors->text(), "");
}

TEST_F(DataCheckTest, CoefficientsAreCheckedAfterTheLayout) {
  Arrays a;
  a.val[2] = kNan;
  EXPECT_EQ(a.copy(env, lp), 1225);
  EXPECT_EQ(first_error(),
            "KORVA Error  1225: Numeric entry 2 is not a double precison number (NAN).");
}

TEST_F(DataCheckTest, NullNameIsPrintedWithItsPosition) {
  Arrays a;
  char x[] = "x";
  char* cols[] = {x, nullptr};
  EXPECT_EQ(KRVcopylpwnames(env, lp, 2, 2, 1, a.obj, a.rhs, a.sense, a.beg, a.cnt, a.ind, a.val,
                            a.lb, a.ub, nullptr, cols, nullptr),
            1224);
  EXPECT_EQ(first_error(), "KORVA Error  1224: Null pointer 1 in name array.");
}

TEST_F(DataCheckTest, ColumnIndexOfAddedRowsNamesTheEntry) {
  ASSERT_EQ(load(), 0);
  const int beg[] = {0};
  const int ind[] = {0, 3};
  const double val[] = {1, 1};
  EXPECT_EQ(KRVaddrows(env, lp, 0, 1, 2, nullptr, nullptr, beg, ind, val, nullptr, nullptr),
            1201);
  EXPECT_EQ(first_error(), "KORVA Error  1201: Column index 1 out of range.");
  // One new column makes index 3 valid.
  EXPECT_EQ(KRVaddrows(env, lp, 1, 1, 2, nullptr, nullptr, beg, ind, val, nullptr, nullptr), 0);
  EXPECT_EQ(KRVgetnumcols(env, lp), 4);
}

TEST_F(DataCheckTest, BadIndicesFailWithoutMessageWhenTheCheckIsOff) {
  set_param(KRV_PARAM_DATACHECK, 0);
  ASSERT_EQ(load(), 0);
  const int beg[] = {0}, ind[] = {5};
  const double val[] = {1};
  EXPECT_EQ(KRVaddcols(env, lp, 1, 1, nullptr, beg, ind, val, nullptr, nullptr, nullptr), 1200);
  EXPECT_EQ(errors->text(), "KORVA Error  1200: Index is outside range of valid values.\n");
  EXPECT_EQ(KRVgetnumcols(env, lp), 3);
}

TEST_F(DataCheckTest, BoundIndicatorIsCheckedWithItsPosition) {
  ASSERT_EQ(load(), 0);
  const int idx[] = {0, 1};
  const char lu[] = {'L', 'X'};
  const double bd[] = {1, 1};
  EXPECT_EQ(KRVchgbds(env, lp, 2, idx, lu, bd), 1229);
  EXPECT_EQ(first_error(), "KORVA Error  1229: Illegal bound change indicator entry 1.");
  double lb;
  KRVgetlb(env, lp, &lb, 0, 0);
  EXPECT_EQ(lb, 0);
}

}  // namespace
