// The basis kept in a problem: loading it, and which edits keep, extend,
// compact or discard it.
#include <functional>

#include "model_fixture.h"

using model_test::ModelTest;
using model_test::Names;

namespace {

class BasisTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    ASSERT_EQ(load(), 0);
    const int cstat[] = {KRV_AT_LOWER, KRV_BASIC, KRV_AT_UPPER};
    const int rstat[] = {KRV_AT_UPPER, KRV_BASIC};
    ASSERT_EQ(KRVcopybase(env, lp, cstat, rstat), 0);
  }
  bool has_basis() {
    std::vector<int> c(KRVgetnumcols(env, lp)), r(KRVgetnumrows(env, lp));
    return KRVgetbase(env, lp, c.data(), r.data()) == 0;
  }
  std::vector<int> cstat() {
    std::vector<int> c(KRVgetnumcols(env, lp));
    EXPECT_EQ(KRVgetbase(env, lp, c.data(), nullptr), 0);
    return c;
  }
  std::vector<int> rstat() {
    std::vector<int> r(KRVgetnumrows(env, lp));
    EXPECT_EQ(KRVgetbase(env, lp, nullptr, r.data()), 0);
    return r;
  }
};

TEST_F(BasisTest, LoadedBasisReadsBack) {
  EXPECT_EQ(cstat(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(rstat(), (std::vector<int>{2, 1}));
}

TEST_F(BasisTest, InvalidStatusIsRejectedWithItsPosition) {
  const int bad_cols[] = {0, 4, 0};
  const int rows[] = {1, 1};
  EXPECT_EQ(KRVcopybase(env, lp, bad_cols, rows), 1253);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1253: Invalid status entry 1 for basis specification.\n");
  EXPECT_EQ(cstat(), (std::vector<int>{0, 1, 2}));
}

TEST_F(ModelTest, ProblemWithoutBasisReportsIt) {
  ASSERT_EQ(load(), 0);
  int c[3], r[2];
  EXPECT_EQ(KRVgetbase(env, lp, c, r), 1262);
  EXPECT_EQ(errors->text(), "KORVA Error  1262: No basis exists.\n");
}

// Edits that keep the basis, each applied to a fresh copy of the fixture.
struct KeepingEdit {
  const char* name;
  std::function<int(KRVenv, KRVprob)> edit;
};

const KeepingEdit kKeepingEdits[] = {
    {"objective", [](KRVenv e, KRVprob p) { int j = 0; double v = 5; return KRVchgobj(e, p, 1, &j, &v); }},
    {"objective sense", [](KRVenv e, KRVprob p) { return KRVchgobjsen(e, p, -1); }},
    {"rhs", [](KRVenv e, KRVprob p) { int i = 1; double v = 2; return KRVchgrhs(e, p, 1, &i, &v); }},
    {"bounds", [](KRVenv e, KRVprob p) { int j = 0; char lu = 'U'; double v = 3; return KRVchgbds(e, p, 1, &j, &lu, &v); }},
    {"sense", [](KRVenv e, KRVprob p) { int i = 0; char s = 'E'; return KRVchgsense(e, p, 1, &i, &s); }},
    {"range", [](KRVenv e, KRVprob p) { int i = 0; double v = 1; return KRVchgrngval(e, p, 1, &i, &v); }},
    {"coefficient of a basic column", [](KRVenv e, KRVprob p) { return KRVchgcoef(e, p, 1, 1, 4); }},
    {"coefficient of a nonbasic column", [](KRVenv e, KRVprob p) { return KRVchgcoef(e, p, 0, 2, 4); }},
    {"coefficient list", [](KRVenv e, KRVprob p) { int i = 0, j = 0; double v = 2; return KRVchgcoeflist(e, p, 1, &i, &j, &v); }},
    {"row name", [](KRVenv e, KRVprob p) { return KRVchgname(e, p, 'r', 0, "a"); }},
    {"column types", [](KRVenv e, KRVprob p) { return KRVcopyctype(e, p, "CIC"); }},
};

TEST_F(BasisTest, ValueAndPatternEditsKeepTheBasis) {
  for (const KeepingEdit& k : kKeepingEdits) {
    SCOPED_TRACE(k.name);
    ASSERT_EQ(load(), 0);
    const int cols[] = {0, 1, 2}, rows[] = {2, 1};
    ASSERT_EQ(KRVcopybase(env, lp, cols, rows), 0);
    EXPECT_EQ(k.edit(env, lp), 0);
    EXPECT_EQ(cstat(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(rstat(), (std::vector<int>{2, 1}));
  }
}

TEST_F(BasisTest, AddedRowsAreBasicAndAddedColumnsNonbasic) {
  ASSERT_EQ(KRVnewrows(env, lp, 1, nullptr, nullptr, nullptr, nullptr), 0);
  const double lb[] = {0, -1e20, -1e20}, ub[] = {1, 4, 1e20};
  ASSERT_EQ(KRVnewcols(env, lp, 3, nullptr, lb, ub, nullptr, nullptr), 0);
  EXPECT_EQ(rstat(), (std::vector<int>{2, 1, KRV_BASIC}));
  EXPECT_EQ(cstat(), (std::vector<int>{0, 1, 2, KRV_AT_LOWER, KRV_AT_UPPER, KRV_FREE_SUPER}));
}

TEST_F(BasisTest, DeletionsCompactTheBasis) {
  ASSERT_EQ(KRVdelcols(env, lp, 1, 1), 0);
  EXPECT_EQ(cstat(), (std::vector<int>{0, 2}));
  int delstat[] = {1, 0};
  ASSERT_EQ(KRVdelsetrows(env, lp, delstat), 0);
  EXPECT_EQ(rstat(), (std::vector<int>{1}));
}

TEST_F(BasisTest, WholeModelReplacementDiscardsTheBasis) {
  ASSERT_EQ(load(), 0);
  EXPECT_FALSE(has_basis());
}

TEST_F(BasisTest, TypeConversionDiscardsTheBasis) {
  ASSERT_EQ(KRVchgprobtype(env, lp, KRVPROB_MILP), 0);
  EXPECT_FALSE(has_basis());
}

TEST_F(BasisTest, QuadraticChangesDiscardTheBasis) {
  ASSERT_EQ(KRVchgqpcoef(env, lp, 0, 1, 1.0), 0);
  EXPECT_FALSE(has_basis());
}

TEST_F(BasisTest, QuadraticConstraintsDiscardTheBasis) {
  const int ind[] = {0};
  const double val[] = {1};
  ASSERT_EQ(KRVaddqconstr(env, lp, 1, 1, 4, 'L', ind, val, ind, ind, val, "q"), 0);
  EXPECT_FALSE(has_basis());
}

}  // namespace
