// The solution queries after an optimisation of a small LP whose solution
// is known by hand: status and its texts, method and solution type, the
// vectors in full and by range, counters, quality measures, and the error
// cases (no solution, bad ranges, null pointers, edits that discard the
// solution).
#include <cmath>
#include <string>
#include <vector>

#include "support/korva_test.h"

namespace {

using korva_test::EnvTest;

// max 3x + 2y  s.t.  c1: x + y <= 4,  c2: x + 3y <= 7,  c3: x - y >= -2,
// 0 <= x <= 3, y >= 0.  Optimum x = 3, y = 1, objective 11; c1 is tight
// with dual 2, c2 and c3 are loose; x sits at its upper bound with reduced
// cost 1.
const char* const kSmallLp =
    "Maximize\n obj: 3 x + 2 y\nSubject To\n c1: x + y <= 4\n c2: x + 3 y <= 7\n"
    " c3: x - y >= -2\nBounds\n x <= 3\nEnd\n";

class SolutionQueriesTest : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
    int status = 0;
    lp = KRVcreateprob(env, &status, "queries");
    ASSERT_NE(lp, nullptr);
    const std::string file = dir.file("small.lp");
    korva_test::write_file(file, kSmallLp);
    ASSERT_EQ(KRVreadcopyprob(env, lp, file.c_str(), nullptr), 0);
  }
  void TearDown() override {
    if (lp) KRVfreeprob(env, &lp);
    EnvTest::TearDown();
  }
  void solve() {
    ASSERT_EQ(KRVdualopt(env, lp), 0);
    ASSERT_EQ(KRVgetstat(env, lp), 1);
  }

  KRVprob lp = nullptr;
  korva_test::TempDir dir;
};

TEST_F(SolutionQueriesTest, StatusTextsAndUnknownCodes) {
  char buffer[KRV_MESSAGEBUFSIZE];
  EXPECT_EQ(KRVgetstatstring(env, 1, buffer), buffer);
  EXPECT_STREQ(buffer, "optimal");
  EXPECT_EQ(KRVgetstatstring(env, 12, buffer), buffer);
  EXPECT_STREQ(buffer, "objective limit exceeded");
  EXPECT_EQ(KRVgetstatstring(env, 25, buffer), buffer);
  EXPECT_STREQ(buffer, "deterministic time limit exceeded");
  EXPECT_EQ(KRVgetstatstring(env, 134, buffer), buffer);
  EXPECT_STREQ(buffer, "iteration limit exceeded, no integer solution");
  for (int code : {0, 7, 26, 99, 135}) {
    EXPECT_EQ(KRVgetstatstring(env, code, buffer), nullptr) << code;
    EXPECT_STREQ(buffer, "Unknown status value") << code;
  }
}

TEST_F(SolutionQueriesTest, EveryQueryWithoutASolutionFails) {
  double obj = 0.0, v[3];
  EXPECT_EQ(KRVgetstat(env, lp), 0);
  EXPECT_EQ(KRVgetobjval(env, lp, &obj), 1217);
  EXPECT_EQ(KRVgetx(env, lp, v, 0, 1), 1217);
  EXPECT_EQ(KRVgetpi(env, lp, v, 0, 2), 1217);
  EXPECT_EQ(KRVgetslack(env, lp, v, 0, 2), 1217);
  EXPECT_EQ(KRVgetdj(env, lp, v, 0, 1), 1217);
  EXPECT_EQ(KRVsolution(env, lp, nullptr, &obj, nullptr, nullptr, nullptr, nullptr), 1217);
  EXPECT_EQ(KRVgetmethod(env, lp), 0);
  EXPECT_EQ(KRVgetitcnt(env, lp), 0);
  double quality = 0.0;
  EXPECT_EQ(KRVgetdblquality(env, lp, &quality, 1), 1217);
  EXPECT_NE(errors->text().find("KORVA Error  1217: No solution exists."), std::string::npos) << errors->text();

  int method = 7, type = 7, pfeas = 7, dfeas = 7;
  EXPECT_EQ(KRVsolninfo(env, lp, &method, &type, &pfeas, &dfeas), 0);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(pfeas, 0);
  EXPECT_EQ(dfeas, 0);
}

TEST_F(SolutionQueriesTest, SolutionVectorsOfTheKnownOptimum) {
  solve();
  int stat = 0;
  double obj = 0.0, x[2], pi[3], slack[3], dj[2];
  ASSERT_EQ(KRVsolution(env, lp, &stat, &obj, x, pi, slack, dj), 0);
  EXPECT_EQ(stat, 1);
  EXPECT_NEAR(obj, 11.0, 1e-9);
  EXPECT_NEAR(x[0], 3.0, 1e-9);
  EXPECT_NEAR(x[1], 1.0, 1e-9);
  EXPECT_NEAR(pi[0], 2.0, 1e-9);
  EXPECT_NEAR(pi[1], 0.0, 1e-9);
  EXPECT_NEAR(pi[2], 0.0, 1e-9);
  // rhs - activity, with the sign of the row's sense: c3 has activity 2
  // against -2.
  EXPECT_NEAR(slack[0], 0.0, 1e-9);
  EXPECT_NEAR(slack[1], 1.0, 1e-9);
  EXPECT_NEAR(slack[2], -4.0, 1e-9);
  EXPECT_NEAR(dj[0], 1.0, 1e-9);
  EXPECT_NEAR(dj[1], 0.0, 1e-9);

  // Every vector may be left out.
  EXPECT_EQ(KRVsolution(env, lp, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  double value = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &value), 0);
  EXPECT_NEAR(value, 11.0, 1e-9);

  // Ranges give the same entries.
  double one = 0.0;
  ASSERT_EQ(KRVgetx(env, lp, &one, 1, 1), 0);
  EXPECT_NEAR(one, 1.0, 1e-9);
  double two[2];
  ASSERT_EQ(KRVgetslack(env, lp, two, 1, 2), 0);
  EXPECT_NEAR(two[0], 1.0, 1e-9);
  EXPECT_NEAR(two[1], -4.0, 1e-9);
  ASSERT_EQ(KRVgetpi(env, lp, two, 0, 1), 0);
  EXPECT_NEAR(two[0], 2.0, 1e-9);
  ASSERT_EQ(KRVgetdj(env, lp, &one, 0, 0), 0);
  EXPECT_NEAR(one, 1.0, 1e-9);
  double ax[3];
  ASSERT_EQ(KRVgetax(env, lp, ax, 0, 2), 0);
  EXPECT_NEAR(ax[0], 4.0, 1e-9);
  EXPECT_NEAR(ax[1], 6.0, 1e-9);
  EXPECT_NEAR(ax[2], 2.0, 1e-9);
}

TEST_F(SolutionQueriesTest, MethodTypeCountersAndBasis) {
  solve();
  EXPECT_EQ(KRVgetmethod(env, lp), 2);
  int method = 0, type = 0, pfeas = 0, dfeas = 0;
  ASSERT_EQ(KRVsolninfo(env, lp, &method, &type, &pfeas, &dfeas), 0);
  EXPECT_EQ(method, 2);
  EXPECT_EQ(type, 1);
  EXPECT_EQ(pfeas, 1);
  EXPECT_EQ(dfeas, 1);
  ASSERT_EQ(KRVsolninfo(env, lp, nullptr, nullptr, nullptr, nullptr), 0);

  EXPECT_GT(KRVgetitcnt(env, lp), 0);
  EXPECT_EQ(KRVLgetitcnt(env, lp), KRVgetitcnt(env, lp));
  EXPECT_LE(KRVgetphase1cnt(env, lp), KRVgetitcnt(env, lp));
  EXPECT_EQ(KRVgetbaritcnt(env, lp), 0);
  EXPECT_EQ(KRVgetcrossppushcnt(env, lp), 0);
  EXPECT_EQ(KRVgetcrossdexchcnt(env, lp), 0);
  EXPECT_EQ(KRVgetsiftitcnt(env, lp), 0);

  int cstat[2], rstat[3];
  ASSERT_EQ(KRVgetbase(env, lp, cstat, rstat), 0);
  EXPECT_EQ(cstat[0], 2);  // x at its upper bound
  EXPECT_EQ(cstat[1], 1);
  EXPECT_EQ(rstat[0], 0);  // c1 tight
  EXPECT_EQ(rstat[1], 1);
  EXPECT_EQ(rstat[2], 1);
}

TEST_F(SolutionQueriesTest, QualityMeasures) {
  solve();
  double value = -1.0;
  int index = -1;
  ASSERT_EQ(KRVgetdblquality(env, lp, &value, 1), 0);
  EXPECT_LE(value, 1e-9);
  ASSERT_EQ(KRVgetdblquality(env, lp, &value, 13), 0);
  EXPECT_LE(value, 1e-9);
  ASSERT_EQ(KRVgetdblquality(env, lp, &value, 25), 0);
  EXPECT_NEAR(value, 3.0, 1e-9);  // max |x|
  ASSERT_EQ(KRVgetintquality(env, lp, &index, 25), 0);
  EXPECT_EQ(index, 0);
  ASSERT_EQ(KRVgetdblquality(env, lp, &value, 51), 0);
  EXPECT_NEAR(value, 11.0, 1e-9);
  ASSERT_EQ(KRVgetdblquality(env, lp, &value, 52), 0);
  EXPECT_NEAR(value, 11.0, 1e-9);  // dual objective equals primal at the optimum
  ASSERT_EQ(KRVgetdblquality(env, lp, &value, 53), 0);
  EXPECT_NEAR(value, 0.0, 1e-9);
  ASSERT_EQ(KRVgetdblquality(env, lp, &value, 57), 0);
  EXPECT_EQ(value, 0.0);

  EXPECT_EQ(KRVgetdblquality(env, lp, &value, 0), 1003);
  EXPECT_EQ(KRVgetdblquality(env, lp, &value, 58), 1003);
  EXPECT_EQ(KRVgetintquality(env, lp, &index, 58), 1003);
  EXPECT_EQ(KRVgetdblquality(env, lp, nullptr, 1), 1004);
}

TEST_F(SolutionQueriesTest, BadRangesAndNullPointers) {
  solve();
  double v[4];
  errors->clear();
  EXPECT_EQ(KRVgetx(env, lp, v, -1, 1), 1200);
  EXPECT_NE(errors->text().find("KRVgetx: 'begin' value -1 is less than 0"), std::string::npos) << errors->text();
  errors->clear();
  EXPECT_EQ(KRVgetx(env, lp, v, 0, 2), 1200);
  EXPECT_NE(errors->text().find("KRVgetx: 'end' value 2 is greater than 1"), std::string::npos) << errors->text();
  errors->clear();
  EXPECT_EQ(KRVgetpi(env, lp, v, 0, 3), 1200);
  EXPECT_NE(errors->text().find("KRVgetpi: 'end' value 3 is greater than 2"), std::string::npos) << errors->text();
  EXPECT_EQ(KRVgetslack(env, lp, v, -2, 0), 1200);
  EXPECT_EQ(KRVgetdj(env, lp, v, 0, 2), 1200);
  EXPECT_NE(errors->text().find("KRVgetdj"), std::string::npos);

  EXPECT_EQ(KRVgetx(env, lp, nullptr, 0, 1), 1004);
  EXPECT_EQ(KRVgetobjval(env, lp, nullptr), 1004);
  EXPECT_EQ(KRVgetstat(env, nullptr), 0);
  double obj = 0.0;
  EXPECT_EQ(KRVgetobjval(env, nullptr, &obj), 1009);
  EXPECT_EQ(KRVgetobjval(nullptr, lp, &obj), 1002);
}

TEST_F(SolutionQueriesTest, AnEditDiscardsTheSolution) {
  solve();
  const int index = 1;
  const double cost = 1.0;
  ASSERT_EQ(KRVchgobj(env, lp, 1, &index, &cost), 0);
  double obj = 0.0, x[2];
  EXPECT_EQ(KRVgetstat(env, lp), 0);
  EXPECT_EQ(KRVgetobjval(env, lp, &obj), 1217);
  EXPECT_EQ(KRVgetx(env, lp, x, 0, 1), 1217);
  EXPECT_EQ(KRVgetitcnt(env, lp), 0);

  // Solving again gives the solution of the edited model: 3x + y is best
  // at x = 3, y = 1 still, objective 10.
  solve();
  ASSERT_EQ(KRVgetobjval(env, lp, &obj), 0);
  EXPECT_NEAR(obj, 10.0, 1e-9);
}

}  // namespace
