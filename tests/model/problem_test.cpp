// Problem objects: creation, copies of whole models, clones, types, and the
// range and surplus conventions of the queries.
#include "model_fixture.h"

using model_test::ModelTest;
using model_test::Names;

// ---- life cycle ------------------------------------------------------------

TEST_F(ModelTest, NewProblemIsAnEmptyMinimisingLp) {
  EXPECT_EQ(KRVgetnumcols(env, lp), 0);
  EXPECT_EQ(KRVgetnumrows(env, lp), 0);
  EXPECT_EQ(KRVgetnumnz(env, lp), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_LP);
  EXPECT_EQ(KRVgetobjsen(env, lp), 1);
  char name[16];
  int surplus = 0;
  EXPECT_EQ(KRVgetprobname(env, lp, name, sizeof name, &surplus), 0);
  EXPECT_STREQ(name, "small");
  EXPECT_EQ(surplus, 16 - 6);
}

TEST_F(ModelTest, CreateWithoutNameFailsWithStatus) {
  int status = 0;
  EXPECT_EQ(KRVcreateprob(env, &status, nullptr), nullptr);
  EXPECT_EQ(status, 1004);
}

TEST_F(ModelTest, FreeClearsHandleAndLaterCallsSeeNoProblem) {
  KRVprob copy = lp;
  EXPECT_EQ(KRVfreeprob(env, &lp), 0);
  EXPECT_EQ(lp, nullptr);
  EXPECT_EQ(KRVfreeprob(env, &lp), 1009);
  EXPECT_EQ(KRVfreeprob(env, nullptr), 1004);
  EXPECT_EQ(KRVgetprobtype(env, nullptr), -1);
  (void)copy;
}

TEST_F(ModelTest, ProblemOfAnotherEnvironmentIsRefused) {
  int status = 0;
  KRVenv other = KRVopenKORVA(&status);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(KRVgetnumcols(other, lp), 0);
  double v;
  EXPECT_EQ(KRVgetobj(other, lp, &v, 0, 0), 1806);
  KRVcloseKORVA(&other);
}

TEST_F(ModelTest, ClosingTheEnvironmentFreesProblems) {
  load();
  KRVprob second = KRVcreateprob(env, nullptr, "second");
  ASSERT_NE(second, nullptr);
  // TearDown closes the environment with both problems alive; sanitizer
  // builds would report a leak or a double free here.
}

// ---- whole-model copies -------------------------------------------------------

TEST_F(ModelTest, CopyLpStoresEveryArray) {
  ASSERT_EQ(load(), 0);
  EXPECT_EQ(KRVgetnumcols(env, lp), 3);
  EXPECT_EQ(KRVgetnumrows(env, lp), 2);
  EXPECT_EQ(KRVgetnumnz(env, lp), 4);
  EXPECT_EQ(objective(), (std::vector<double>{1, 2, 3}));
  double lb[3], ub[3], rhs[2];
  char sense[2];
  EXPECT_EQ(KRVgetlb(env, lp, lb, 0, 2), 0);
  EXPECT_EQ(KRVgetub(env, lp, ub, 0, 2), 0);
  EXPECT_EQ(KRVgetrhs(env, lp, rhs, 0, 1), 0);
  EXPECT_EQ(KRVgetsense(env, lp, sense, 0, 1), 0);
  EXPECT_EQ(lb[2], -1);
  EXPECT_EQ(ub[1], 1e20);
  EXPECT_EQ(rhs[1], 1);
  EXPECT_EQ(sense[0], 'L');
  EXPECT_EQ(coef(1, 0), 3);
  EXPECT_EQ(coef(1, 1), 0);
}

TEST_F(ModelTest, CopyLpIgnoresGapsBetweenColumns) {
  // Column 0 uses positions 0..1, column 1 starts at 3: position 2 is junk.
  const double obj[] = {1, 1}, rhs[] = {0, 0}, lb[] = {0, 0}, ub[] = {1, 1};
  const char sense[] = {'E', 'E'};
  const int beg[] = {0, 3}, cnt[] = {2, 1}, ind[] = {0, 1, 99, 1};
  const double val[] = {1, 2, 99, 4};
  ASSERT_EQ(KRVcopylp(env, lp, 2, 2, -1, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr),
            0);
  EXPECT_EQ(KRVgetnumnz(env, lp), 3);
  EXPECT_EQ(coef(1, 1), 4);
  EXPECT_EQ(KRVgetobjsen(env, lp), -1);
}

TEST_F(ModelTest, CopyLpChecksCountsBeforeArrays) {
  const double d[1] = {0};
  const char s[1] = {'E'};
  const int i[1] = {0};
  EXPECT_EQ(KRVcopylp(env, lp, -1, 0, 1, d, d, s, i, i, i, d, d, d, nullptr), 1003);
  EXPECT_EQ(KRVcopylp(env, lp, -1, 0, 1, nullptr, d, s, i, i, i, d, d, d, nullptr), 1003);
  EXPECT_EQ(KRVcopylp(env, lp, 1, 1, 1, nullptr, d, s, i, i, i, d, d, d, nullptr), 1004);
  EXPECT_EQ(KRVgetnumcols(env, lp), 0);
}

TEST_F(ModelTest, FailedCopyLeavesTheModelUnchanged) {
  ASSERT_EQ(load(true), 0);
  set_param(KRV_PARAM_DATACHECK, 1);
  const double obj[] = {1}, rhs[] = {0}, lb[] = {0}, ub[] = {1};
  const char sense[] = {'X'};
  const int beg[] = {0}, cnt[] = {1}, ind[] = {0};
  const double val[] = {1};
  EXPECT_EQ(KRVcopylp(env, lp, 1, 1, 1, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr),
            1215);
  EXPECT_EQ(KRVgetnumcols(env, lp), 3);
  EXPECT_EQ(col_names(), (std::vector<std::string>{"x", "y", "z"}));
}

// ---- clones ----------------------------------------------------------------------

TEST_F(ModelTest, CloneIsIndependentOfItsSource) {
  ASSERT_EQ(load(true), 0);
  int status = -1;
  KRVprob copy = KRVcloneprob(env, lp, &status);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(status, 0);
  const int idx[] = {0};
  const double v[] = {42};
  ASSERT_EQ(KRVchgobj(env, lp, 1, idx, v), 0);
  ASSERT_EQ(KRVdelrows(env, lp, 0, 0), 0);
  double obj = 0;
  EXPECT_EQ(KRVgetobj(env, copy, &obj, 0, 0), 0);
  EXPECT_EQ(obj, 1);
  EXPECT_EQ(KRVgetnumrows(env, copy), 2);
  EXPECT_EQ(KRVgetnumnz(env, copy), 4);
  int index = -1;
  EXPECT_EQ(KRVgetrowindex(env, copy, "cap", &index), 0);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(KRVfreeprob(env, &copy), 0);
  EXPECT_EQ(KRVgetnumrows(env, lp), 1);
}

TEST_F(ModelTest, CloneStartsWithoutBasis) {
  ASSERT_EQ(load(), 0);
  const int cstat[] = {0, 0, 0}, rstat[] = {1, 1};
  ASSERT_EQ(KRVcopybase(env, lp, cstat, rstat), 0);
  KRVprob copy = KRVcloneprob(env, lp, nullptr);
  ASSERT_NE(copy, nullptr);
  int c[3], r[2];
  EXPECT_EQ(KRVgetbase(env, copy, c, r), 1262);
  EXPECT_EQ(KRVgetbase(env, lp, c, r), 0);
}

// ---- problem types ------------------------------------------------------------------

TEST_F(ModelTest, UnknownOrInternalTypesAreRefused) {
  ASSERT_EQ(load(), 0);
  for (int type : {2, 4, 9, 12, 14, -1}) {
    errors->clear();
    EXPECT_EQ(KRVchgprobtype(env, lp, type), 1022) << type;
    EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_LP);
  }
  EXPECT_NE(errors->text().find("Unknown problem type.  Problem not changed"), std::string::npos);
}

TEST_F(ModelTest, FixedTypesNeedAnIncumbent) {
  ASSERT_EQ(load(), 0);
  EXPECT_EQ(KRVchgprobtype(env, lp, KRVPROB_FIXEDMILP), 1024);
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_MILP), 0);
  EXPECT_EQ(KRVchgprobtype(env, lp, KRVPROB_FIXEDMILP), 1024);
  EXPECT_EQ(KRVchgprobtype(env, lp, KRVPROB_FIXEDMIQP), 1029);
  EXPECT_EQ(KRVchgprobtype(env, lp, KRVPROB_FIXEDMIQCP), 9019);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_MILP);
}

TEST_F(ModelTest, TypeChangesCreateWhatTheTypeNeeds) {
  ASSERT_EQ(load(), 0);
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_MILP), 0);
  char ctype[3];
  EXPECT_EQ(KRVgetctype(env, lp, ctype, 0, 2), 0);
  EXPECT_EQ(std::string(ctype, 3), "CCC");
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_QP), 0);
  EXPECT_EQ(KRVgetctype(env, lp, ctype, 0, 2), 3003);
  EXPECT_EQ(KRVgetnumqpnz(env, lp), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_QP);
}

TEST_F(ModelTest, CopyLpMakesAMipAnLpAgain) {
  ASSERT_EQ(load(), 0);
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_MILP), 0);
  ASSERT_EQ(load(), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_LP);
}

// ---- range convention ----------------------------------------------------------------

TEST_F(ModelTest, EmptyRangeIsValid) {
  ASSERT_EQ(load(), 0);
  EXPECT_EQ(KRVgetobj(env, lp, nullptr, 0, -1), 0);
  EXPECT_EQ(KRVgetobj(env, lp, nullptr, 3, 2), 0);
  EXPECT_EQ(errors->text(), "");
}

TEST_F(ModelTest, EndPastTheLastIndexNamesTheFunction) {
  ASSERT_EQ(load(), 0);
  double v[4];
  EXPECT_EQ(KRVgetobj(env, lp, v, 0, 3), 1200);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1206: KRVgetobj: 'end' value 3 is greater than 2.\n"
            "KORVA Error  1200: Index is outside range of valid values.\n");
}

TEST_F(ModelTest, NegativeBeginNamesTheFunction) {
  ASSERT_EQ(load(), 0);
  double v[2];
  EXPECT_EQ(KRVgetrhs(env, lp, v, -1, 0), 1200);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1205: KRVgetrhs: 'begin' value -1 is less than 0.\n"
            "KORVA Error  1200: Index is outside range of valid values.\n");
}

TEST_F(ModelTest, RangeValuesNeedARangeArray) {
  ASSERT_EQ(load(), 0);
  double r[2];
  EXPECT_EQ(KRVgetrngval(env, lp, r, 0, 1), 1216);
  const int idx[] = {1};
  const double val[] = {-2};
  ASSERT_EQ(KRVchgrngval(env, lp, 1, idx, val), 0);
  EXPECT_EQ(KRVgetrngval(env, lp, r, 0, 1), 0);
  EXPECT_EQ(r[0], 0);
  EXPECT_EQ(r[1], -2);
}

TEST_F(ModelTest, CoefficientOutsideTheMatrixIsARangeError) {
  ASSERT_EQ(load(), 0);
  double v;
  EXPECT_EQ(KRVgetcoef(env, lp, 2, 0, &v), 1200);
  EXPECT_EQ(KRVgetcoef(env, lp, 0, -1, &v), 1200);
  EXPECT_EQ(KRVgetcoef(env, lp, 0, 0, nullptr), 1004);
}

// ---- surplus convention ----------------------------------------------------------------

TEST_F(ModelTest, ZeroSpaceAsksForTheSizeSilently) {
  ASSERT_EQ(load(), 0);
  // Seven nonzeros in the range: add a dense column of two and one of one.
  const int beg[] = {0, 2}, ind[] = {0, 1, 0};
  const double val[] = {1, 1, 1};
  ASSERT_EQ(KRVaddcols(env, lp, 2, 3, nullptr, beg, ind, val, nullptr, nullptr, nullptr), 0);
  int nz = -1, surplus = 0;
  EXPECT_EQ(KRVgetcols(env, lp, &nz, nullptr, nullptr, nullptr, 0, &surplus, 0, 4), 1207);
  EXPECT_EQ(surplus, -7);
  EXPECT_EQ(nz, 0);
  EXPECT_EQ(errors->text(), "");
}

TEST_F(ModelTest, ShortSpaceIsReported) {
  ASSERT_EQ(load(), 0);
  int nz, surplus, beg[3], ind[3];
  double val[3];
  EXPECT_EQ(KRVgetcols(env, lp, &nz, beg, ind, val, 3, &surplus, 0, 2), 1207);
  EXPECT_EQ(surplus, -1);
  EXPECT_EQ(errors->text(), "KORVA Error  1207: Insufficient array length.\n");
}

TEST_F(ModelTest, ColumnsAndRowsReadBackTheMatrix) {
  ASSERT_EQ(load(), 0);
  int nz, surplus, beg[3], ind[8];
  double val[8];
  ASSERT_EQ(KRVgetcols(env, lp, &nz, beg, ind, val, 8, &surplus, 1, 2), 0);
  EXPECT_EQ(nz, 2);
  EXPECT_EQ(surplus, 6);
  EXPECT_EQ(beg[0], 0);
  EXPECT_EQ(beg[1], 1);
  EXPECT_EQ(ind[1], 1);
  EXPECT_EQ(val[0], 2);
  ASSERT_EQ(KRVgetrows(env, lp, &nz, beg, ind, val, 8, &surplus, 0, 1), 0);
  EXPECT_EQ(nz, 4);
  EXPECT_EQ(std::vector<int>(beg, beg + 2), (std::vector<int>{0, 2}));
  EXPECT_EQ(std::vector<int>(ind, ind + 4), (std::vector<int>{0, 1, 0, 2}));
  EXPECT_EQ(std::vector<double>(val, val + 4), (std::vector<double>{1, 2, 3, 1}));
}

TEST_F(ModelTest, NameBufferFollowsTheSurplusConvention) {
  char buf[4];
  int surplus = 0;
  EXPECT_EQ(KRVgetprobname(env, lp, buf, 0, &surplus), 1207);
  EXPECT_EQ(surplus, -6);
  EXPECT_EQ(errors->text(), "");
  EXPECT_EQ(KRVgetprobname(env, lp, buf, 4, &surplus), 1207);
  EXPECT_EQ(surplus, -2);
  ASSERT_EQ(KRVcopyobjname(env, lp, "cost"), 0);
  char obj[8];
  EXPECT_EQ(KRVgetobjname(env, lp, obj, 8, &surplus), 0);
  EXPECT_STREQ(obj, "cost");
}
