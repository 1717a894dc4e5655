// The MPS writers' file layout, through the C interface: header, padded
// name fields, entries per line, markers, sets of the RHS, RANGES and
// BOUNDS sections, the optional sections and generic names.
#include <string>
#include <vector>

#include "support/korva_test.h"

namespace {

class MpsWriteTest : public korva_test::EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    int status = 0;
    lp = KRVcreateprob(env, &status, "small");
    ASSERT_EQ(status, 0);
  }
  // min x + 2y  s.t.  lim: x + y <= 4,  dem: x - y >= 1,  band: 1 <= y <= 3.
  void load_small() {
    const double obj[] = {1, 2}, rhs[] = {4, 1, 1}, rng[] = {0, 0, 2};
    const char sense[] = {'L', 'G', 'R'};
    const int beg[] = {0, 2}, cnt[] = {2, 3}, ind[] = {0, 1, 0, 1, 2};
    const double val[] = {1, 1, 1, -1, 1}, lb[] = {0, -1e20}, ub[] = {1e20, 5};
    char* cols[] = {const_cast<char*>("x"), const_cast<char*>("y")};
    char* rows[] = {const_cast<char*>("lim"), const_cast<char*>("dem"),
                    const_cast<char*>("band")};
    ASSERT_EQ(KRVcopylpwnames(env, lp, 2, 3, KRV_MIN, obj, rhs, sense, beg, cnt, ind, val, lb,
                              ub, rng, cols, rows),
              0);
  }
  std::string write(int (*writer)(KRVenv, KRVprob, const char*) = KRVmpswrite) {
    const std::string path = dir.file("out.mps");
    EXPECT_EQ(writer(env, lp, path.c_str()), 0) << errors->text();
    return korva_test::read_file(path);
  }
  void TearDown() override {
    KRVfreeprob(env, &lp);
    EnvTest::TearDown();
  }
  KRVprob lp = nullptr;
  korva_test::TempDir dir;
};

// One name/value pair line with names padded to 8 and a 23-character number.
std::string entry(const std::string& first, const std::string& label, const std::string& value) {
  std::string line = "    " + first + std::string(first.size() < 8 ? 8 - first.size() : 0, ' ');
  line += "  " + label + std::string(label.size() < 8 ? 8 - label.size() : 0, ' ') + "  ";
  return line + std::string(23 - value.size(), ' ') + value + "\n";
}

TEST_F(MpsWriteTest, WritesTheSmallModelExactly) {
  load_small();
  const std::string expected =
      "* ENCODING=ISO-8859-1\n"
      "NAME          small\n"
      "ROWS\n"
      " N  obj\n"
      " L  lim\n"
      " G  dem\n"
      " E  band\n"
      "COLUMNS\n" +
      entry("x", "obj", "1") + entry("x", "lim", "1") + entry("x", "dem", "1") +
      entry("y", "obj", "2") + entry("y", "lim", "1") + entry("y", "dem", "-1") +
      entry("y", "band", "1") + "RHS\n" + entry("rhs", "lim", "4") + entry("rhs", "dem", "1") +
      entry("rhs", "band", "1") + "RANGES\n" + entry("rng", "band", "2") +
      "BOUNDS\n"
      " MI bnd       y\n"
      " UP bnd       y         " +
      std::string(22, ' ') + "5\n" + "ENDATA\n";
  EXPECT_EQ(write(), expected);
}

TEST_F(MpsWriteTest, ShortNumbersPutTwoEntriesOnALine) {
  load_small();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MPSLONGNUM, 0), 0);
  const std::string text = write();
  EXPECT_NE(text.find("    x         obj                  1   lim                  1\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("    x         dem                  1\n"), std::string::npos) << text;
  for (size_t p = 0, q; (q = text.find('\n', p)) != std::string::npos; p = q + 1)
    EXPECT_LT(q - p, 75u);
}

TEST_F(MpsWriteTest, ShortNumbersFitTwelveCharacters) {
  const double obj[] = {0.1, 1.0 / 3}, lb[] = {0, 0}, ub[] = {1e20, 1e20};
  ASSERT_EQ(KRVnewcols(env, lp, 2, obj, lb, ub, nullptr, nullptr), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MPSLONGNUM, 0), 0);
  const std::string text = write();
  EXPECT_NE(text.find("    x1        obj                0.1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    x2        obj       0.3333333333\n"), std::string::npos) << text;
}

TEST_F(MpsWriteTest, LongNamesWidenTheirFields) {
  const double obj[] = {1}, lb[] = {0}, ub[] = {1e20};
  char* names[] = {const_cast<char*>("a_rather_long_column")};
  ASSERT_EQ(KRVnewcols(env, lp, 1, obj, lb, ub, nullptr, names), 0);
  EXPECT_NE(write().find("    a_rather_long_column  obj       " + std::string(22, ' ') + "1\n"),
            std::string::npos);
}

TEST_F(MpsWriteTest, IntegerColumnsSitBetweenNumberedMarkers) {
  const double obj[] = {1, 1, 1, 1}, lb[] = {0, 0, 0, 0}, ub[] = {1, 1e20, 10, 1e20};
  ASSERT_EQ(KRVnewcols(env, lp, 4, obj, lb, ub, "BCII", nullptr), 0);
  const std::string text = write();
  const std::string expected_columns =
      "COLUMNS\n"
      "    MARK0000  'MARKER'                 'INTORG'\n" +
      entry("x1", "obj", "1") +
      "    MARK0001  'MARKER'                 'INTEND'\n" + entry("x2", "obj", "1") +
      "    MARK0002  'MARKER'                 'INTORG'\n" + entry("x3", "obj", "1") +
      entry("x4", "obj", "1") + "    MARK0003  'MARKER'                 'INTEND'\n";
  EXPECT_NE(text.find(expected_columns), std::string::npos) << text;
  EXPECT_NE(text.find(" UP bnd       x1                              1\n"), std::string::npos);
  EXPECT_NE(text.find(" LI bnd       x3                              0\n"), std::string::npos);
  EXPECT_NE(text.find(" UP bnd       x3                             10\n"), std::string::npos);
  EXPECT_NE(text.find(" LI bnd       x4                              0\n"), std::string::npos);
}

TEST_F(MpsWriteTest, BoundLinesByKind) {
  const double obj[] = {0, 0, 0, 0, 0, 0};
  const double lb[] = {-1e20, -1e20, 2, 3, 0, 1};
  const double ub[] = {1e20, 4, 1e20, 3, -1, 9};
  ASSERT_EQ(KRVnewcols(env, lp, 6, obj, lb, ub, "CCCCCS", nullptr), 0);
  const std::string text = write();
  const std::string bounds = text.substr(text.find("BOUNDS\n"));
  const std::string pad(22, ' ');
  EXPECT_EQ(bounds,
            "BOUNDS\n"
            " FR bnd       x1\n"
            " MI bnd       x2\n"
            " UP bnd       x2        " + pad + "4\n" +
            " LO bnd       x3        " + pad + "2\n" +
            " FX bnd       x4        " + pad + "3\n" +
            " LO bnd       x5        " + pad + "0\n" +
            " UP bnd       x5        " + std::string(21, ' ') + "-1\n" +
            " LO bnd       x6        " + pad + "1\n" +
            " SC bnd       x6        " + pad + "9\n" + "ENDATA\n");
}

TEST_F(MpsWriteTest, GenericNamesReplaceTheProblemsNames) {
  load_small();
  warnings->clear();
  const std::string text = write(KRVmpsrewrite);
  EXPECT_NE(text.find(" L  c1\n G  c2\n E  c3\n"), std::string::npos) << text;
  EXPECT_NE(text.find(entry("x2", "c3", "1")), std::string::npos) << text;
  EXPECT_EQ(warnings->text(),
            "Default variable names x1, x2 ... being created.\n"
            "Default row names c1, c2 ... being created.\n");
}

TEST_F(MpsWriteTest, MaximisationIsWrittenNegatedWithItsComment) {
  load_small();
  ASSERT_EQ(KRVchgobjsen(env, lp, KRV_MAX), 0);
  const std::string text = write();
  EXPECT_EQ(text.find("NAME          small\n"
                      "* Objective sense: MAXIMIZE (coefficients written negated)\n"
                      "ROWS\n"),
            text.find("NAME"));
  EXPECT_NE(text.find(entry("y", "obj", "-2")), std::string::npos);
  EXPECT_EQ(text.find("OBJSENSE"), std::string::npos);
}

TEST_F(MpsWriteTest, OptionalSectionsFollowBounds) {
  load_small();
  const double rhs[] = {2}, val[] = {1, 1};
  const int beg[] = {0}, ind[] = {0, 1};
  char* cut[] = {const_cast<char*>("cut")};
  char* lazy[] = {const_cast<char*>("lazy")};
  ASSERT_EQ(KRVaddusercuts(env, lp, 1, 2, rhs, "L", beg, ind, val, cut), 0);
  ASSERT_EQ(KRVaddlazyconstraints(env, lp, 1, 2, rhs, "G", beg, ind, val, lazy), 0);
  const int qbeg[] = {0, 1}, qcnt[] = {1, 1}, qind[] = {0, 1};
  const double qval[] = {2, 4};
  ASSERT_EQ(KRVcopyquad(env, lp, qbeg, qcnt, qind, qval), 0);
  const std::string text = write();
  EXPECT_NE(text.find(" E  band\nUSERCUTS\n L  cut\nLAZYCONS\n G  lazy\nCOLUMNS\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(entry("x", "cut", "1")), std::string::npos);
  EXPECT_NE(text.find(entry("rhs", "lazy", "2")), std::string::npos);
  EXPECT_NE(text.find("QMATRIX\n" + entry("x", "x", "2") + entry("y", "y", "4") + "ENDATA\n"),
            std::string::npos)
      << text;
}

TEST_F(MpsWriteTest, UnwritableFileIsReported) {
  load_small();
  EXPECT_EQ(KRVmpswrite(env, lp, (dir.file("missing") + "/out.mps").c_str()), 1422);
  EXPECT_NE(errors->text().find("KORVA Error  1422: Could not open file"), std::string::npos);
}

TEST_F(MpsWriteTest, DualOfASmallLp) {
  load_small();
  double shift = -1;
  const std::string path = dir.file("dual.mps");
  ASSERT_EQ(KRVdualwrite(env, lp, path.c_str(), &shift), 0) << errors->text();
  EXPECT_EQ(shift, 0);
  const std::string text = korva_test::read_file(path);
  EXPECT_NE(text.find("NAME          small.dual\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" E  x\n E  y\n E  Rgband\n"), std::string::npos) << text;
}

}  // namespace
