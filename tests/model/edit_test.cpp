// Editing a model in place: additions, deletions with their index maps,
// coefficient changes, bound normalisation, senses and ranges.
#include "model_fixture.h"

using model_test::ModelTest;
using model_test::Names;

namespace {

class EditTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    ASSERT_EQ(load(), 0);
  }
  double lower(int j) {
    double v = 0;
    EXPECT_EQ(KRVgetlb(env, lp, &v, j, j), 0);
    return v;
  }
  double upper(int j) {
    double v = 0;
    EXPECT_EQ(KRVgetub(env, lp, &v, j, j), 0);
    return v;
  }
  int change_bound(int j, char lu, double value) {
    return KRVchgbds(env, lp, 1, &j, &lu, &value);
  }
};

// ---- additions ----------------------------------------------------------------

TEST_F(EditTest, NewRowsTakeDefaults) {
  ASSERT_EQ(KRVnewrows(env, lp, 2, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(KRVgetnumrows(env, lp), 4);
  double rhs[2];
  char sense[2];
  ASSERT_EQ(KRVgetrhs(env, lp, rhs, 2, 3), 0);
  ASSERT_EQ(KRVgetsense(env, lp, sense, 2, 3), 0);
  EXPECT_EQ(rhs[1], 0);
  EXPECT_EQ(sense[0], 'E');
  double r;
  EXPECT_EQ(KRVgetrngval(env, lp, &r, 0, 0), 1216);
}

TEST_F(EditTest, AddRowsCanCreateColumns) {
  const double rhs[] = {7};
  const char sense[] = {'L'};
  const int beg[] = {0}, ind[] = {0, 3, 4};
  const double val[] = {1, 2, 3};
  ASSERT_EQ(KRVaddrows(env, lp, 2, 1, 3, rhs, sense, beg, ind, val, nullptr, nullptr), 0);
  EXPECT_EQ(KRVgetnumcols(env, lp), 5);
  EXPECT_EQ(KRVgetnumnz(env, lp), 7);
  EXPECT_EQ(coef(2, 4), 3);
  EXPECT_EQ(lower(3), 0);
  EXPECT_EQ(upper(4), 1e20);
  EXPECT_EQ(objective()[4], 0);
}

TEST_F(EditTest, NewColumnsTakeDefaultsAndBinaryUpperBoundOne) {
  const char ctype[] = {'C', 'B'};
  ASSERT_EQ(KRVnewcols(env, lp, 2, nullptr, nullptr, nullptr, ctype, nullptr), 0);
  EXPECT_EQ(upper(3), 1e20);
  EXPECT_EQ(upper(4), 1);
  EXPECT_EQ(lower(4), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_MILP);
  char types[5];
  ASSERT_EQ(KRVgetctype(env, lp, types, 0, 4), 0);
  EXPECT_EQ(std::string(types, 5), "CCCCB");
}

TEST_F(EditTest, ManyRowsOneAtATimeKeepEveryColumnIntact) {
  // Rows added one by one make the columns grow past their room again and
  // again; the matrix must read back exactly.
  for (int r = 0; r < 200; ++r) {
    const int beg[] = {0}, ind[] = {r % 3, (r + 1) % 3};
    const double val[] = {double(r), double(r) + 0.5};
    ASSERT_EQ(KRVaddrows(env, lp, 0, 1, 2, nullptr, nullptr, beg, ind, val, nullptr, nullptr),
              0);
  }
  EXPECT_EQ(KRVgetnumnz(env, lp), 404);
  for (int r = 0; r < 200; ++r) {
    EXPECT_EQ(coef(2 + r, r % 3), r);
    EXPECT_EQ(coef(2 + r, (r + 1) % 3), r + 0.5);
  }
  EXPECT_EQ(coef(0, 1), 2);
}

// ---- deletions ----------------------------------------------------------------------

TEST_F(EditTest, DeletingRowsRenumbersTheRest) {
  ASSERT_EQ(KRVnewrows(env, lp, 1, nullptr, nullptr, nullptr, nullptr), 0);
  const int beg[] = {0}, ind[] = {2};
  const double val[] = {9};
  ASSERT_EQ(KRVaddrows(env, lp, 0, 1, 1, nullptr, nullptr, beg, ind, val, nullptr, nullptr), 0);
  ASSERT_EQ(KRVdelrows(env, lp, 0, 1), 0);
  EXPECT_EQ(KRVgetnumrows(env, lp), 2);
  EXPECT_EQ(KRVgetnumnz(env, lp), 1);
  EXPECT_EQ(coef(1, 2), 9);
}

TEST_F(EditTest, DeleteRangeOutsideTheRowsFails) {
  EXPECT_EQ(KRVdelrows(env, lp, 1, 2), 1200);
  EXPECT_NE(errors->text().find("KRVdelrows: 'end' value 2 is greater than 1"), std::string::npos);
  EXPECT_EQ(KRVgetnumrows(env, lp), 2);
}

TEST_F(EditTest, DeleteSetOfRowsReturnsTheIndexMap) {
  ASSERT_EQ(KRVnewrows(env, lp, 2, nullptr, nullptr, nullptr, nullptr), 0);
  int delstat[] = {1, 0, 1, 0};
  ASSERT_EQ(KRVdelsetrows(env, lp, delstat), 0);
  EXPECT_EQ(std::vector<int>(delstat, delstat + 4), (std::vector<int>{-1, 0, -1, 1}));
  EXPECT_EQ(KRVgetnumrows(env, lp), 2);
  EXPECT_EQ(coef(0, 0), 3);
  EXPECT_EQ(coef(0, 2), 1);
}

TEST_F(EditTest, DeleteSetWithNothingFlaggedKeepsEveryIndex) {
  int delstat[] = {0, 0, 0};
  ASSERT_EQ(KRVdelsetcols(env, lp, delstat), 0);
  EXPECT_EQ(std::vector<int>(delstat, delstat + 3), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(KRVgetnumnz(env, lp), 4);
  EXPECT_EQ(KRVdelsetcols(env, lp, nullptr), 1004);
}

TEST_F(EditTest, DeleteSetOfColumnsCompactsEveryArray) {
  int delstat[] = {1, 0, 0};
  ASSERT_EQ(KRVdelsetcols(env, lp, delstat), 0);
  EXPECT_EQ(std::vector<int>(delstat, delstat + 3), (std::vector<int>{-1, 0, 1}));
  EXPECT_EQ(objective(), (std::vector<double>{2, 3}));
  EXPECT_EQ(lower(1), -1);
  EXPECT_EQ(coef(0, 0), 2);
  EXPECT_EQ(coef(1, 1), 1);
  EXPECT_EQ(KRVgetnumnz(env, lp), 2);
}

TEST_F(EditTest, DeletingColumnsAfterManyAdditionsStaysConsistent) {
  for (int k = 0; k < 100; ++k) {
    const int beg[] = {0}, ind[] = {k % 2};
    const double val[] = {double(k + 1)};
    ASSERT_EQ(KRVaddcols(env, lp, 1, 1, nullptr, beg, ind, val, nullptr, nullptr, nullptr), 0);
  }
  ASSERT_EQ(KRVdelcols(env, lp, 3, 101), 0);
  EXPECT_EQ(KRVgetnumcols(env, lp), 4);
  EXPECT_EQ(coef(1, 3), 100);  // the last column added: k = 99, row 1
  EXPECT_EQ(KRVgetnumnz(env, lp), 5);
}

// ---- coefficients ---------------------------------------------------------------------

TEST_F(EditTest, ChangeCoefAddressesObjectiveRhsRangeAndMatrix) {
  ASSERT_EQ(KRVchgcoef(env, lp, -1, 2, 7), 0);
  ASSERT_EQ(KRVchgcoef(env, lp, 1, -1, 8), 0);
  ASSERT_EQ(KRVchgcoef(env, lp, 0, -2, -3), 0);
  ASSERT_EQ(KRVchgcoef(env, lp, 0, 2, 5), 0);
  EXPECT_EQ(objective()[2], 7);
  double rhs, rng[2];
  KRVgetrhs(env, lp, &rhs, 1, 1);
  EXPECT_EQ(rhs, 8);
  ASSERT_EQ(KRVgetrngval(env, lp, rng, 0, 1), 0);
  EXPECT_EQ(rng[0], -3);
  EXPECT_EQ(coef(0, 2), 5);
  EXPECT_EQ(KRVgetnumnz(env, lp), 5);
}

TEST_F(EditTest, ZeroCoefficientRemovesTheEntry) {
  ASSERT_EQ(KRVchgcoef(env, lp, 1, 0, 0.0), 0);
  EXPECT_EQ(KRVgetnumnz(env, lp), 3);
  EXPECT_EQ(coef(1, 0), 0);
  ASSERT_EQ(KRVchgcoef(env, lp, 1, 1, 0.0), 0);
  EXPECT_EQ(KRVgetnumnz(env, lp), 3);
}

TEST_F(EditTest, RhsHasNoCoefficientInTheObjective) {
  EXPECT_EQ(KRVchgcoef(env, lp, -1, -1, 1), 1211);
  EXPECT_EQ(KRVchgcoef(env, lp, -1, -2, 1), 1211);
  EXPECT_EQ(errors->text().find("KORVA Error  1211: 'rhs' has no coefficient in 'obj'.\n"), 0u);
  EXPECT_EQ(KRVchgcoef(env, lp, 2, 0, 1), 1200);
  EXPECT_EQ(KRVchgcoef(env, lp, 0, -3, 1), 1200);
}

TEST_F(EditTest, CoefficientListSetsAndRemoves) {
  const int rows[] = {0, 1, 0};
  const int cols[] = {2, 0, 0};
  const double vals[] = {4, 0, 6};
  ASSERT_EQ(KRVchgcoeflist(env, lp, 3, rows, cols, vals), 0);
  EXPECT_EQ(coef(0, 2), 4);
  EXPECT_EQ(coef(1, 0), 0);
  EXPECT_EQ(coef(0, 0), 6);
  EXPECT_EQ(KRVgetnumnz(env, lp), 4);
  const int bad[] = {5};
  EXPECT_EQ(KRVchgcoeflist(env, lp, 1, bad, cols, vals), 1200);
}

// ---- bounds ---------------------------------------------------------------------------

TEST_F(EditTest, BothBoundsFixTheColumn) {
  ASSERT_EQ(change_bound(1, 'B', 2.5), 0);
  EXPECT_EQ(lower(1), 2.5);
  EXPECT_EQ(upper(1), 2.5);
}

TEST_F(EditTest, InfiniteUpperBoundIsClipped) {
  ASSERT_EQ(change_bound(0, 'U', 1e30), 0);
  EXPECT_EQ(upper(0), 1e20);
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(EditTest, InfiniteLowerBoundIsIgnoredWithAWarning) {
  ASSERT_EQ(change_bound(2, 'L', 1e30), 0);
  EXPECT_EQ(lower(2), -1);
  EXPECT_EQ(warnings->text(), "Warning:  Infinity lower bound ignored.\n");
}

TEST_F(EditTest, MinusInfiniteBoundsAreClippedOrIgnored) {
  ASSERT_EQ(change_bound(2, 'L', -1e25), 0);
  EXPECT_EQ(lower(2), -1e20);
  ASSERT_EQ(change_bound(2, 'U', -1e25), 0);
  EXPECT_EQ(upper(2), 5);
  EXPECT_EQ(warnings->text(), "Warning:  -Infinity upper bound ignored.\n");
}

TEST_F(EditTest, TinyBoundBecomesZero) {
  ASSERT_EQ(change_bound(2, 'L', 1e-12), 0);
  EXPECT_EQ(lower(2), 0.0);
  ASSERT_EQ(change_bound(2, 'U', -1e-11), 0);
  EXPECT_EQ(upper(2), 0.0);
}

TEST_F(EditTest, TightenBoundsChangesLikeChangeBounds) {
  int j = 0;
  char lu = 'U';
  double bd = 3;
  ASSERT_EQ(KRVtightenbds(env, lp, 1, &j, &lu, &bd), 0);
  EXPECT_EQ(upper(0), 3);
}

// ---- senses, rhs, ranges, objective --------------------------------------------------------

TEST_F(EditTest, RangedRowWithNegativeRangeKeepsItsValue) {
  const int idx[] = {0};
  const char sense[] = {'R'};
  const double range[] = {-2.5};
  ASSERT_EQ(KRVchgsense(env, lp, 1, idx, sense), 0);
  ASSERT_EQ(KRVchgrngval(env, lp, 1, idx, range), 0);
  char s;
  double r;
  KRVgetsense(env, lp, &s, 0, 0);
  ASSERT_EQ(KRVgetrngval(env, lp, &r, 0, 0), 0);
  EXPECT_EQ(s, 'R');
  EXPECT_EQ(r, -2.5);
}

TEST_F(EditTest, ListChangesCheckTheirIndices) {
  const int bad[] = {3};
  const double v[] = {1};
  EXPECT_EQ(KRVchgobj(env, lp, 1, bad, v), 1200);
  EXPECT_EQ(KRVchgrhs(env, lp, 1, bad, v), 1200);
  EXPECT_EQ(KRVchgobj(env, lp, -1, bad, v), 1003);
  EXPECT_EQ(KRVchgobj(env, lp, 1, nullptr, v), 1004);
  set_param(KRV_PARAM_DATACHECK, 1);
  errors->clear();
  EXPECT_EQ(KRVchgobj(env, lp, 1, bad, v), 1201);
  EXPECT_EQ(errors->text(), "KORVA Error  1201: Column index 0 out of range.\n");
}

TEST_F(EditTest, ObjectiveSenseIsOneOrMinusOne) {
  ASSERT_EQ(KRVchgobjsen(env, lp, KRV_MAX), 0);
  EXPECT_EQ(KRVgetobjsen(env, lp), -1);
  EXPECT_EQ(KRVchgobjsen(env, lp, 2), 1003);
  EXPECT_EQ(KRVgetobjsen(env, lp), -1);
}

}  // namespace
