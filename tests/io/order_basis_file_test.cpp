// Priority-order and basis files through the C API: exact lines written,
// round trips, and the reader's warnings and errors.
#include <string>
#include <vector>

#include "support/korva_test.h"

namespace {

using korva_test::EnvTest;
using korva_test::TempDir;
using korva_test::read_file;
using korva_test::write_file;

class TextFileTest : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
    int status = 0;
    lp = KRVcreateprob(env, &status, "tiny");
    ASSERT_EQ(status, 0);
    // max x + 2y + 3z  s.t.  r1: x + y + z <= 2,  r2: x - z >= -1,  0 <= x, y, z <= 1.
    const double obj[] = {1, 2, 3}, rhs[] = {2, -1}, lb[] = {0, 0, 0}, ub[] = {1, 1, 1};
    const char sense[] = {'L', 'G'};
    const int beg[] = {0, 2, 3}, cnt[] = {2, 1, 2}, ind[] = {0, 1, 0, 0, 1};
    const double val[] = {1, 1, 1, 1, -1};
    ASSERT_EQ(KRVcopylp(env, lp, 3, 2, KRV_MAX, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr), 0);
    const int cols[] = {0, 1, 2}, rows[] = {0, 1};
    char* cn[] = {const_cast<char*>("x"), const_cast<char*>("y"), const_cast<char*>("z")};
    char* rn[] = {const_cast<char*>("r1"), const_cast<char*>("r2")};
    ASSERT_EQ(KRVchgcolname(env, lp, 3, cols, cn), 0);
    ASSERT_EQ(KRVchgrowname(env, lp, 2, rows, rn), 0);
  }
  void TearDown() override {
    KRVfreeprob(env, &lp);
    EnvTest::TearDown();
  }
  void make_mip() {
    const int cols[] = {0, 1, 2};
    const char types[] = {'B', 'I', 'C'};
    ASSERT_EQ(KRVchgctype(env, lp, 3, cols, types), 0);
  }
  KRVprob lp = nullptr;
  TempDir dir;
};

TEST_F(TextFileTest, OrderFileLinesAndRoundTrip) {
  make_mip();
  const int idx[] = {1, 0, 2}, prio[] = {10, 5, 1}, dir_[] = {1, -1, 0};
  ASSERT_EQ(KRVcopyorder(env, lp, 3, idx, prio, dir_), 0);
  const std::string file = dir.file("tiny.ord");
  ASSERT_EQ(KRVordwrite(env, lp, file.c_str()), 0);
  EXPECT_EQ(read_file(file),
            "* ENCODING=ISO-8859-1\n"
            "NAME          tiny   Priority Order\n"
            " UP y           10\n"
            " DN x            5\n"
            "    z            1\n"
            "ENDATA\n");
  ASSERT_EQ(KRVcopyorder(env, lp, 0, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(KRVreadcopyorder(env, lp, file.c_str()), 0);
  int cnt = 0, surplus = 0, got_idx[3], got_prio[3], got_dir[3];
  ASSERT_EQ(KRVgetorder(env, lp, &cnt, got_idx, got_prio, got_dir, 3, &surplus), 0);
  ASSERT_EQ(cnt, 3);
  EXPECT_EQ(std::vector<int>(got_idx, got_idx + 3), (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(std::vector<int>(got_prio, got_prio + 3), (std::vector<int>{10, 5, 1}));
  EXPECT_EQ(std::vector<int>(got_dir, got_dir + 3), (std::vector<int>{1, -1, 0}));
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(TextFileTest, OrderReaderWarnsAndRejectsBadDirections) {
  make_mip();
  const std::string file = dir.file("bad.ord");
  write_file(file, "NAME x\n UP nope 3\n UP x 1\n DN x 2\n");
  ASSERT_EQ(KRVreadcopyorder(env, lp, file.c_str()), 0);
  EXPECT_EQ(warnings->text(),
            "Warning, line 2: 'nope' is not a variable.\n"
            "Warning, line 4: repeated entry for 'x'.\n"
            "Warning: 'ENDATA' missing.\n");
  write_file(file, "NAME x\n UX x 1\nENDATA\n");
  EXPECT_EQ(KRVreadcopyorder(env, lp, file.c_str()), 3012);
  EXPECT_NE(errors->text().find("Line 2: Unrecognized direction 'UX'"), std::string::npos);
  warnings->clear();
  write_file(file, "NAME x\nENDATA\n");
  ASSERT_EQ(KRVreadcopyorder(env, lp, file.c_str()), 0);
  EXPECT_EQ(warnings->text(), "Warning:  No priority order values read or loaded.\n");
}

TEST_F(TextFileTest, BasisFileRoundTripRestartsWithoutIterations) {
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  const std::string file = dir.file("tiny.bas");
  ASSERT_EQ(KRVmbasewrite(env, lp, file.c_str()), 0);
  const std::string text = read_file(file);
  EXPECT_EQ(text.rfind("* ENCODING=ISO-8859-1\nNAME          tiny  Iterations ", 0), 0u) << text;
  EXPECT_NE(text.find("  Rows 2  Cols 3\n"), std::string::npos) << text;
  EXPECT_NE(text.find("ENDATA\n"), std::string::npos);
  std::vector<int> cstat(3), rstat(2);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);

  int status = 0;
  KRVprob copy = KRVcloneprob(env, lp, &status);
  ASSERT_EQ(status, 0);
  const int slack_c[] = {0, 0, 0}, slack_r[] = {1, 1};
  ASSERT_EQ(KRVcopybase(env, copy, slack_c, slack_r), 0);
  ASSERT_EQ(KRVreadcopybase(env, copy, file.c_str()), 0);
  std::vector<int> c2(3), r2(2);
  ASSERT_EQ(KRVgetbase(env, copy, c2.data(), r2.data()), 0);
  EXPECT_EQ(c2, cstat);
  EXPECT_EQ(r2, rstat);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ADVIND, 1), 0);
  ASSERT_EQ(KRVlpopt(env, copy), 0);
  EXPECT_EQ(KRVgetitcnt(env, copy), 0);
  KRVfreeprob(env, &copy);
}

TEST_F(TextFileTest, BasisReaderErrors) {
  const std::string file = dir.file("bad.bas");
  write_file(file, "NAME t\n XU x\nENDATA\n");
  EXPECT_EQ(KRVreadcopybase(env, lp, file.c_str()), 1553);
  EXPECT_NE(errors->text().find("Line 2: Wrong number of entries"), std::string::npos);
  write_file(file, "NAME t\n QQ x\nENDATA\n");
  EXPECT_EQ(KRVreadcopybase(env, lp, file.c_str()), 1551);
  EXPECT_NE(errors->text().find("Line 2: Unrecognized basis indicator 'QQ'"), std::string::npos);
  write_file(file, "NAME t\n XU x r1\n XL y r2\n BS z\nENDATA\n");
  EXPECT_EQ(KRVreadcopybase(env, lp, file.c_str()), 1555);
  EXPECT_NE(errors->text().find("1 extra basic variable(s)"), std::string::npos) << errors->text();
  write_file(file, "NAME t\n XU x r1\n");
  EXPECT_EQ(KRVreadcopybase(env, lp, file.c_str()), 1552);
  write_file(file, "NAME t\n XU w r1\n XL y r9\n XL x r2\nENDATA\n");
  warnings->clear();
  EXPECT_EQ(KRVreadcopybase(env, lp, file.c_str()), 0);
  EXPECT_EQ(warnings->text(),
            "Warning, line 2: 'w' is not a variable.\n"
            "Warning, line 3: 'r9' is not a row.\n");
}

// The variant with values: every basic variable carries its value, and
// superbasic columns and rows come with theirs.
TEST_F(TextFileTest, BasisFilesWithValues) {
  const std::string file = dir.file("values.bas");
  // x basic with r1 at its limit, z superbasic at 0.5, r2 basic.
  write_file(file,
             "NAME tiny\n XL x r1 2.000000000000000e-01\n SC z 5.000000000000000e-01\n"
             " BR r2 -3.000000000000000e-01\n UL y\nENDATA\n");
  ASSERT_EQ(KRVreadcopybase(env, lp, file.c_str()), 0) << errors->text();
  std::vector<int> cstat(3), rstat(2);
  ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
  EXPECT_EQ(cstat, (std::vector<int>{KRV_BASIC, KRV_AT_UPPER, KRV_FREE_SUPER}));
  EXPECT_EQ(rstat, (std::vector<int>{KRV_AT_LOWER, KRV_BASIC}));
  // The start solves to the optimum: x + y + z = 2 with y, z at 1 is best.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ADVIND, 1), 0);
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  double obj = 0;
  ASSERT_EQ(KRVgetobjval(env, lp, &obj), 0);
  EXPECT_NEAR(obj, 5.0, 1e-9);

  // A basic row without its value.
  write_file(file, "NAME tiny\n XL x r1 2.0e-01\n UL y\nENDATA\n");
  EXPECT_EQ(KRVreadcopybase(env, lp, file.c_str()), 1550);
  EXPECT_NE(errors->text().find("Basis missing some basic values"), std::string::npos);
  // Value lines with the wrong number of fields, and SB entries.
  write_file(file, "NAME tiny\n BR r2\nENDATA\n");
  EXPECT_EQ(KRVreadcopybase(env, lp, file.c_str()), 1553);
  write_file(file, "NAME tiny\n SB x\nENDATA\n");
  EXPECT_EQ(KRVreadcopybase(env, lp, file.c_str()), 1554);
}

}  // namespace
