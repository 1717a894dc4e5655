// The optional parts a model carries: column types, special ordered sets,
// indicator constraints, cut and lazy constraint pools, quadratic data and
// priority orders; how they follow the problem type and survive a clone.
#include "model_fixture.h"

using model_test::ModelTest;
using model_test::Names;

namespace {

class PartsTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    ASSERT_EQ(load(), 0);
  }
  // One part of every kind.
  void add_all_parts() {
    ASSERT_EQ(KRVcopyctype(env, lp, "CIB"), 0);
    const char type[] = {'1'};
    const int sbeg[] = {0}, sind[] = {1, 2};
    const double swt[] = {1, 2};
    Names sname{"s"};
    ASSERT_EQ(KRVaddsos(env, lp, 1, 2, type, sbeg, sind, swt, sname.get()), 0);
    const int lind[] = {0};
    const double lval[] = {1};
    ASSERT_EQ(KRVaddindconstr(env, lp, 2, 0, 1, 3.0, 'L', lind, lval, "ind"), 0);
    ASSERT_EQ(KRVaddusercuts(env, lp, 1, 1, lval, "L", sbeg, lind, lval, nullptr), 0);
    ASSERT_EQ(KRVaddlazyconstraints(env, lp, 1, 1, lval, "G", sbeg, lind, lval, nullptr), 0);
    const int order[] = {1};
    ASSERT_EQ(KRVcopyorder(env, lp, 1, order, nullptr, nullptr), 0);
    ASSERT_EQ(KRVchgqpcoef(env, lp, 0, 0, 2.0), 0);
    ASSERT_EQ(KRVaddqconstr(env, lp, 1, 1, 9, 'L', lind, lval, lind, lind, lval, "qc"), 0);
  }
  void expect_all_parts(KRVprob p) {
    EXPECT_EQ(KRVgetprobtype(env, p), KRVPROB_MIQCP);
    char ctype[3];
    ASSERT_EQ(KRVgetctype(env, p, ctype, 0, 2), 0);
    EXPECT_EQ(std::string(ctype, 3), "CIB");
    EXPECT_EQ(KRVgetnumsos(env, p), 1);
    EXPECT_EQ(KRVgetnumindconstrs(env, p), 1);
    EXPECT_EQ(KRVgetnumusercuts(env, p), 1);
    EXPECT_EQ(KRVgetnumlazyconstraints(env, p), 1);
    EXPECT_EQ(KRVgetnumqpnz(env, p), 1);
    EXPECT_EQ(KRVgetnumqconstrs(env, p), 1);
    int cnt = 0, idx[1], surplus;
    EXPECT_EQ(KRVgetorder(env, p, &cnt, idx, nullptr, nullptr, 1, &surplus), 0);
    EXPECT_EQ(cnt, 1);
  }
};

// ---- column types ---------------------------------------------------------------------

TEST_F(PartsTest, ColumnTypesMakeAMip) {
  ASSERT_EQ(KRVcopyctype(env, lp, "CIB"), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_MILP);
  double ub[3];
  KRVgetub(env, lp, ub, 0, 2);
  EXPECT_EQ(ub[2], 5);  // a finite upper bound stays
  const int j = 1;
  ASSERT_EQ(KRVchgctype(env, lp, 1, &j, "B"), 0);
  KRVgetub(env, lp, ub, 0, 2);
  EXPECT_EQ(ub[1], 1);  // the infinite one becomes 1
}

TEST_F(PartsTest, IllegalColumnTypeIsPrintedWithItsPosition) {
  EXPECT_EQ(KRVcopyctype(env, lp, "CXB"), 3021);
  EXPECT_EQ(errors->text(), "KORVA Error  3021: Illegal ctype entry 1.\n");
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_LP);
  char ctype[1];
  EXPECT_EQ(KRVgetctype(env, lp, ctype, 0, 0), 3003);
}

// ---- special ordered sets ------------------------------------------------------------------

TEST_F(PartsTest, SetsReadBackAndDelete) {
  const char type[] = {'1', '2'};
  const int beg[] = {0, 2}, ind[] = {0, 1, 1, 2};
  const double wt[] = {1, 2, 3, 4};
  ASSERT_EQ(KRVaddsos(env, lp, 2, 4, type, beg, ind, wt, nullptr), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_MILP);
  int nz, surplus, sbeg[1], sind[2];
  char stype[1];
  double swt[2];
  ASSERT_EQ(KRVgetsos(env, lp, &nz, stype, sbeg, sind, swt, 2, &surplus, 1, 1), 0);
  EXPECT_EQ(stype[0], '2');
  EXPECT_EQ(sind[1], 2);
  EXPECT_EQ(swt[0], 3);
  ASSERT_EQ(KRVdelsos(env, lp, 0, 1), 0);
  EXPECT_EQ(KRVgetsos(env, lp, &nz, stype, sbeg, sind, swt, 2, &surplus, 0, 0), 3015);
}

TEST_F(PartsTest, IllegalSetTypeIsRejected) {
  const char type[] = {'3'};
  const int beg[] = {0}, ind[] = {0};
  const double wt[] = {1};
  EXPECT_EQ(KRVaddsos(env, lp, 1, 1, type, beg, ind, wt, nullptr), 3009);
  EXPECT_EQ(errors->text(), "KORVA Error  3009: Illegal sostype entry 0.\n");
  EXPECT_EQ(KRVgetnumsos(env, lp), 0);
}

TEST_F(PartsTest, DeletedColumnsLeaveTheSets) {
  const char type[] = {'1'};
  const int beg[] = {0}, ind[] = {0, 2};
  const double wt[] = {1, 2};
  ASSERT_EQ(KRVaddsos(env, lp, 1, 2, type, beg, ind, wt, nullptr), 0);
  ASSERT_EQ(KRVdelcols(env, lp, 0, 0), 0);
  int nz, surplus, sbeg[1], sind[2];
  char stype[1];
  double swt[2];
  ASSERT_EQ(KRVgetsos(env, lp, &nz, stype, sbeg, sind, swt, 2, &surplus, 0, 0), 0);
  EXPECT_EQ(nz, 1);
  EXPECT_EQ(sind[0], 1);
  EXPECT_EQ(swt[0], 2);
}

// ---- indicator constraints, pools, quadratic data, orders ---------------------------------------

TEST_F(PartsTest, IndicatorConstraintReadsBack) {
  const int ind[] = {0, 1};
  const double val[] = {1, -1};
  ASSERT_EQ(KRVaddindconstr(env, lp, 2, 1, 2, 4.0, 'G', ind, val, nullptr), 0);
  int indvar, comp, nz, surplus, lind[2];
  double rhs, lval[2];
  char sense;
  EXPECT_EQ(KRVgetindconstr(env, lp, &indvar, &comp, &nz, &rhs, &sense, lind, lval, 0, &surplus,
                            0),
            1207);
  EXPECT_EQ(surplus, -2);
  ASSERT_EQ(KRVgetindconstr(env, lp, &indvar, &comp, &nz, &rhs, &sense, lind, lval, 2, &surplus,
                            0),
            0);
  EXPECT_EQ(indvar, 2);
  EXPECT_EQ(comp, 1);
  EXPECT_EQ(sense, 'G');
  EXPECT_EQ(lval[1], -1);
  EXPECT_EQ(KRVgetindconstr(env, lp, &indvar, &comp, &nz, &rhs, &sense, lind, lval, 2, &surplus,
                            1),
            1200);
}

TEST_F(PartsTest, PoolsAreFreedOnRequest) {
  const double rhs[] = {1, 2};
  const int beg[] = {0, 1}, ind[] = {0, 2};
  const double val[] = {1, 1};
  ASSERT_EQ(KRVaddusercuts(env, lp, 2, 2, rhs, "LG", beg, ind, val, nullptr), 0);
  EXPECT_EQ(KRVaddusercuts(env, lp, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(KRVgetnumusercuts(env, lp), 2);
  EXPECT_EQ(KRVfreeusercuts(env, lp), 0);
  EXPECT_EQ(KRVgetnumusercuts(env, lp), 0);
  EXPECT_EQ(KRVfreelazyconstraints(env, lp), 0);
}

TEST_F(PartsTest, QuadraticObjectiveStaysSymmetric) {
  ASSERT_EQ(KRVchgqpcoef(env, lp, 0, 2, 1.5), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_QP);
  EXPECT_EQ(KRVgetnumqpnz(env, lp), 2);
  EXPECT_EQ(KRVgetnumquad(env, lp), 2);
  int nz, surplus, beg[3], ind[4];
  double val[4];
  ASSERT_EQ(KRVgetquad(env, lp, &nz, beg, ind, val, 4, &surplus, 0, 2), 0);
  EXPECT_EQ(nz, 2);
  EXPECT_EQ(ind[0], 2);
  EXPECT_EQ(ind[1], 0);
  EXPECT_EQ(beg[2], 1);
}

TEST_F(PartsTest, SeparableQuadraticObjective) {
  const double diag[] = {1, 0, 4};
  ASSERT_EQ(KRVcopyqpsep(env, lp, diag), 0);
  EXPECT_EQ(KRVgetnumqpnz(env, lp), 2);
  const int beg[] = {0, 1, 1}, cnt[] = {1, 0, 1}, ind[] = {0, 2};
  const double val[] = {3, 5};
  ASSERT_EQ(KRVcopyquad(env, lp, beg, cnt, ind, val), 0);
  int nz, surplus, qbeg[1], qind[1];
  double qval[1];
  ASSERT_EQ(KRVgetquad(env, lp, &nz, qbeg, qind, qval, 1, &surplus, 2, 2), 0);
  EXPECT_EQ(qval[0], 5);
}

TEST_F(PartsTest, QuadraticConstraintsCheckTheirSense) {
  const int ind[] = {0};
  const double val[] = {1};
  EXPECT_EQ(KRVaddqconstr(env, lp, 1, 1, 1, 'E', ind, val, ind, ind, val, nullptr), 6002);
  ASSERT_EQ(KRVaddqconstr(env, lp, 1, 1, 1, 'G', ind, val, ind, ind, val, nullptr), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_QCP);
  int lnz, qnz, lsur, qsur, lind[1], qrow[1], qcol[1];
  double rhs, lval[1], qval[1];
  char sense;
  EXPECT_EQ(KRVgetqconstr(env, lp, &lnz, &qnz, &rhs, &sense, lind, lval, 0, &lsur, qrow, qcol,
                          qval, 0, &qsur, 0),
            1207);
  EXPECT_EQ(errors->text().find("1207"), std::string::npos);
  ASSERT_EQ(KRVgetqconstr(env, lp, &lnz, &qnz, &rhs, &sense, lind, lval, 1, &lsur, qrow, qcol,
                          qval, 1, &qsur, 0),
            0);
  EXPECT_EQ(sense, 'G');
  ASSERT_EQ(KRVdelqconstrs(env, lp, 0, 0), 0);
  EXPECT_EQ(KRVgetnumqconstrs(env, lp), 0);
}

TEST_F(PartsTest, OrderNeedsAMip) {
  const int idx[] = {0};
  EXPECT_EQ(KRVcopyorder(env, lp, 1, idx, nullptr, nullptr), 3003);
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_MILP), 0);
  int cnt, surplus, ind[1];
  EXPECT_EQ(KRVgetorder(env, lp, &cnt, ind, nullptr, nullptr, 1, &surplus), 3016);
  set_param(KRV_PARAM_DATACHECK, 1);
  const int prio[] = {-1}, dir[] = {2};
  EXPECT_EQ(KRVcopyorder(env, lp, 1, idx, prio, nullptr), 3006);
  EXPECT_EQ(KRVcopyorder(env, lp, 1, idx, nullptr, dir), 3007);
  EXPECT_NE(errors->text().find("KORVA Error  3007: Illegal direction entry 0.\n"),
            std::string::npos);
  const int prio2[] = {5};
  ASSERT_EQ(KRVcopyorder(env, lp, 1, idx, prio2, nullptr), 0);
  int p[1];
  ASSERT_EQ(KRVgetorder(env, lp, &cnt, ind, p, nullptr, 1, &surplus), 0);
  EXPECT_EQ(p[0], 5);
  ASSERT_EQ(KRVcopyorder(env, lp, 0, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(KRVgetorder(env, lp, &cnt, ind, nullptr, nullptr, 1, &surplus), 3016);
}

// ---- clones and type changes ----------------------------------------------------------------

TEST_F(PartsTest, EveryPartSurvivesAClone) {
  add_all_parts();
  expect_all_parts(lp);
  KRVprob copy = KRVcloneprob(env, lp, nullptr);
  ASSERT_NE(copy, nullptr);
  expect_all_parts(copy);
}

TEST_F(PartsTest, ChangingToLpFreesTheOtherPartsAndSaysSo) {
  add_all_parts();
  set_param(KRV_PARAM_DATACHECK, 1);
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_LP), 0);
  EXPECT_EQ(warnings->text(), "Freeing MIP data.\nFreeing QP data.\nFreeing QCONSTR data.\n");
  EXPECT_EQ(KRVgetnumsos(env, lp), 0);
  EXPECT_EQ(KRVgetnumindconstrs(env, lp), 0);
  EXPECT_EQ(KRVgetnumqpnz(env, lp), 0);
  EXPECT_EQ(KRVgetnumqconstrs(env, lp), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_LP);
}

TEST_F(PartsTest, ChangingToLpIsQuietWithoutTheDataCheck) {
  add_all_parts();
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_LP), 0);
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(PartsTest, OnlyPartsActuallyPresentAreMentioned) {
  ASSERT_EQ(KRVcopyctype(env, lp, "CIC"), 0);
  set_param(KRV_PARAM_DATACHECK, 1);
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_QP), 0);
  EXPECT_EQ(warnings->text(), "Freeing MIP data.\n");
  ASSERT_EQ(load(), 0);
  EXPECT_EQ(warnings->text(), "Freeing MIP data.\nFreeing QP data.\n");
}

}  // namespace
