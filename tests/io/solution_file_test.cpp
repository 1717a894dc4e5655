// Solution files through the C API: the layout of the XML a solved LP
// writes, round trips that restart the simplex from the read start, names
// that need escaping, write levels, and the reader's warnings and errors.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/korva_test.h"

namespace {

using korva_test::EnvTest;
using korva_test::TempDir;
using korva_test::read_file;
using korva_test::write_file;

// min -x - 2y  s.t.  c1: x + y <= 4,  c2: x + 3y <= 6,  0 <= x, y <= 3.
struct SmallLp {
  std::vector<std::string> cols{"x", "y"}, rows{"c1", "c2"};
  int load(KRVenv env, KRVprob lp) const {
    const double obj[] = {-1, -2}, rhs[] = {4, 6}, lb[] = {0, 0}, ub[] = {3, 3};
    const char sense[] = {'L', 'L'};
    const int beg[] = {0, 2}, cnt[] = {2, 2}, ind[] = {0, 1, 0, 1};
    const double val[] = {1, 1, 1, 3};
    if (int s = KRVcopylp(env, lp, 2, 2, KRV_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr)) return s;
    const int which[] = {0, 1};
    char* cn[] = {const_cast<char*>(cols[0].c_str()), const_cast<char*>(cols[1].c_str())};
    char* rn[] = {const_cast<char*>(rows[0].c_str()), const_cast<char*>(rows[1].c_str())};
    if (int s = KRVchgcolname(env, lp, 2, which, cn)) return s;
    return KRVchgrowname(env, lp, 2, which, rn);
  }
};

class SolutionFileTest : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
    lp = create();
  }
  void TearDown() override {
    for (KRVprob& p : made) KRVfreeprob(env, &p);
    EnvTest::TearDown();
  }
  KRVprob create() {
    int status = 0;
    KRVprob p = KRVcreateprob(env, &status, "small");
    EXPECT_EQ(status, 0);
    made.push_back(p);
    return p;
  }
  KRVprob lp = nullptr;
  std::vector<KRVprob> made;
  TempDir dir;
};

TEST_F(SolutionFileTest, SolvedLpWritesHeaderQualityAndListsInOrder) {
  ASSERT_EQ(SmallLp().load(env, lp), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  const std::string file = dir.file("small.sol");
  ASSERT_EQ(KRVsolwrite(env, lp, file.c_str()), 0);
  const std::string xml = read_file(file);
  EXPECT_EQ(xml.rfind("<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<KORVASolution version=\"1.2\">\n"
                      " <header\n"
                      " problemName=\"small\"\n"
                      " objectiveValue=\"-5\"\n"
                      " solutionTypeValue=\"1\"\n"
                      " solutionTypeString=\"basic\"\n"
                      " solutionStatusValue=\"1\"\n",
                      0),
            0u)
      << xml;
  EXPECT_NE(xml.find(" <quality\n epRHS=\"1e-06\"\n"), std::string::npos) << xml;
  const size_t header = xml.find("<header"), quality = xml.find("<quality"),
               rows = xml.find("<linearConstraints>"), vars = xml.find("<variables>");
  EXPECT_LT(header, quality);
  EXPECT_LT(quality, rows);
  EXPECT_LT(rows, vars);
  EXPECT_NE(xml.find("  <constraint name=\"c1\" index=\"0\" status=\""), std::string::npos) << xml;
  EXPECT_NE(xml.find("  <variable name=\"y\" index=\"1\" status=\""), std::string::npos) << xml;
  EXPECT_NE(xml.find(" writeLevel=\"1\"/>\n"), std::string::npos) << xml;
  EXPECT_NE(xml.find(" </variables>\n</KORVASolution>\n"), std::string::npos) << xml;
}

TEST_F(SolutionFileTest, NoSolutionIs1217) {
  ASSERT_EQ(SmallLp().load(env, lp), 0);
  EXPECT_EQ(KRVsolwrite(env, lp, dir.file("none.sol").c_str()), 1217);
  EXPECT_NE(errors->text().find("No solution exists"), std::string::npos);
}

// Writes the solution of `lp`, reads it into a fresh copy of the model and
// re-solves: the start must be optimal as it is.
void expect_zero_iteration_restart(KRVenv env, KRVprob solved, KRVprob fresh, const std::string& file) {
  ASSERT_EQ(KRVsolwrite(env, solved, file.c_str()), 0);
  ASSERT_EQ(KRVreadcopysol(env, fresh, file.c_str()), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ADVIND, 1), 0);
  ASSERT_EQ(KRVlpopt(env, fresh), 0);
  EXPECT_EQ(KRVgetstat(env, fresh), KRV_STAT_OPTIMAL);
  EXPECT_EQ(KRVgetitcnt(env, fresh), 0);
  double a = 0, b = 0;
  KRVgetobjval(env, solved, &a);
  KRVgetobjval(env, fresh, &b);
  EXPECT_DOUBLE_EQ(a, b);
}

TEST_F(SolutionFileTest, RoundTripRestartsWithoutIterationsWithAndWithoutNames) {
  ASSERT_EQ(SmallLp().load(env, lp), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  KRVprob copy = create();
  ASSERT_EQ(SmallLp().load(env, copy), 0);
  expect_zero_iteration_restart(env, lp, copy, dir.file("named.sol"));

  KRVprob unnamed = create(), unnamed_copy = create();
  ASSERT_EQ(SmallLp().load(env, unnamed), 0);
  ASSERT_EQ(SmallLp().load(env, unnamed_copy), 0);
  ASSERT_EQ(KRVdelnames(env, unnamed), 0);
  ASSERT_EQ(KRVdelnames(env, unnamed_copy), 0);
  ASSERT_EQ(KRVlpopt(env, unnamed), 0);
  expect_zero_iteration_restart(env, unnamed, unnamed_copy, dir.file("unnamed.sol"));
  EXPECT_EQ(read_file(dir.file("unnamed.sol")).find("name=\""), std::string::npos);
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(SolutionFileTest, CollectionModelRestartsFromItsSolutionFile) {
  KORVA_REQUIRE_SHARED_DATA();
  const std::string model = korva_test::data_path("netlib/afiro.mps.gz");
  ASSERT_EQ(KRVreadcopyprob(env, lp, model.c_str(), nullptr), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  KRVprob copy = create();
  ASSERT_EQ(KRVreadcopyprob(env, copy, model.c_str(), nullptr), 0);
  expect_zero_iteration_restart(env, lp, copy, dir.file("afiro.sol.gz"));
}

TEST_F(SolutionFileTest, NamesNeedingEscapesAndUtf8ComeBackByName) {
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8"), 0);
  SmallLp model;
  model.cols = {"q\"a&b'c<d>e", "\xC3\xA9t\xC3\xA9_\xE2\x82\xAC_\xE5\x90\x8D"};
  model.rows = {"r&<>", "\xF0\x9F\x98\x80\"'"};
  ASSERT_EQ(model.load(env, lp), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  const std::string file = dir.file("escaped.sol");
  KRVprob copy = create();
  ASSERT_EQ(model.load(env, copy), 0);
  expect_zero_iteration_restart(env, lp, copy, file);
  const std::string xml = read_file(file);
  EXPECT_NE(xml.find("name=\"q&quot;a&amp;b&apos;c&lt;d&gt;e\""), std::string::npos) << xml;
  EXPECT_NE(xml.find("name=\"\xC3\xA9t\xC3\xA9_\xE2\x82\xAC_\xE5\x90\x8D\""), std::string::npos);
  EXPECT_NE(xml.find("name=\"r&amp;&lt;&gt;\""), std::string::npos);
  EXPECT_EQ(warnings->text(), "");

  // A second, independent parser must read the same names back.
  if (access("/usr/bin/python3", X_OK) != 0) GTEST_SKIP() << "no /usr/bin/python3";
  const std::string names = dir.file("names.txt");
  const std::string command =
      "/usr/bin/python3 -c \"import sys, xml.dom.minidom as m; d = m.parse(sys.argv[1]); "
      "open(sys.argv[2], 'w', encoding='utf-8').write('|'.join(e.getAttribute('name') for t in "
      "('constraint', 'variable') for e in d.getElementsByTagName(t)))\" " +
      file + " " + names;
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(read_file(names), model.rows[0] + "|" + model.rows[1] + "|" + model.cols[0] + "|" + model.cols[1]);
}

TEST_F(SolutionFileTest, WriteLevelThreeWithAllZeroValuesWritesAnEmptyList) {
  // min x + y, x + y >= 0: the optimum is all zero.
  const double obj[] = {1, 1}, rhs[] = {0}, lb[] = {0, 0}, ub[] = {1, 1}, val[] = {1, 1};
  const char sense[] = {'G'};
  const int beg[] = {0, 1}, cnt[] = {1, 1}, ind[] = {0, 0};
  ASSERT_EQ(KRVcopylp(env, lp, 2, 1, KRV_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_WRITELEVEL, 3), 0);
  const std::string file = dir.file("zero.sol");
  ASSERT_EQ(KRVsolwrite(env, lp, file.c_str()), 0);
  const std::string xml = read_file(file);
  EXPECT_NE(xml.find(" writeLevel=\"3\"/>\n"), std::string::npos) << xml;
  EXPECT_NE(xml.find(" <variables/>\n</KORVASolution>\n"), std::string::npos) << xml;
}

class SolutionReadTest : public SolutionFileTest {
 protected:
  void SetUp() override {
    SolutionFileTest::SetUp();
    ASSERT_EQ(SmallLp().load(env, lp), 0);
  }
  int read(const std::string& xml) {
    const std::string file = dir.file("in.sol");
    write_file(file, xml);
    return KRVreadcopysol(env, lp, file.c_str());
  }
  static std::string document(const std::string& variables) {
    return "<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<KORVASolution version=\"1.2\">\n"
           " <variables>\n" +
           variables + " </variables>\n</KORVASolution>\n";
  }
};

TEST_F(SolutionReadTest, UnknownNamesIndicesAndRepeatsAreWarnedWithLineNumbers) {
  ASSERT_EQ(read(document("  <variable name=\"nope\" index=\"0\" value=\"1\"/>\n"
                          "  <variable index=\"7\" value=\"1\"/>\n"
                          "  <variable name=\"x\" index=\"1\" value=\"1\"/>\n"
                          "  <variable name=\"x\" value=\"2\"/>\n")),
            0);
  EXPECT_EQ(warnings->text(),
            "Warning, line 4: 'nope' is not a variable.\n"
            "Warning, line 5: Variable index '7' out of range.\n"
            "Warning, line 7: repeated entry for 'x'.\n");
}

TEST_F(SolutionReadTest, AtMostTwentyWarningsArePrinted) {
  std::string vars;
  for (int k = 0; k < 25; ++k) vars += "  <variable name=\"v" + std::to_string(k) + "\" value=\"1\"/>\n";
  ASSERT_EQ(read(document(vars)), 0);
  const std::string& w = warnings->text();
  EXPECT_NE(w.find("'v19' is not a variable"), std::string::npos);
  EXPECT_EQ(w.find("'v20' is not a variable"), std::string::npos);
  EXPECT_NE(w.find("5 warnings not printed.\n"), std::string::npos) << w;
}

TEST_F(SolutionReadTest, LowerCaseStatusIs1551AndMalformedXmlIs1425) {
  EXPECT_EQ(read(document("  <variable name=\"x\" status=\"bs\" value=\"1\"/>\n")), 1551);
  EXPECT_NE(errors->text().find("Line 4: Unrecognized basis indicator 'bs'"), std::string::npos)
      << errors->text();
  errors->clear();
  EXPECT_EQ(read("<?xml version=\"1.0\"?>\n<KORVASolution>\n <variables>\n</KORVASolution>\n"), 1425);
  EXPECT_NE(errors->text().find("XML parsing error at line 4: mismatched tag"), std::string::npos)
      << errors->text();
}

TEST_F(SolutionReadTest, SolutionNestedInAnOpenOneStartsAfresh) {
  // Found by fuzzing: the repeated-entry bookkeeping of the outer solution
  // pointed into the inner one's empty list.
  EXPECT_EQ(read("<KORVASolutions>\n<KORVASolution>\n<variables>\n<variable name=\"x\" value=\"1\"/>\n"
                 "<KORVASolution>\n<variables>\n<variable name=\"x\" value=\"2\"/>\n</variables>\n"
                 "</KORVASolution>\n</variables>\n</KORVASolution>\n</KORVASolutions>\n"),
            0);
  EXPECT_EQ(warnings->text(), "Warning: more than one solution read, only first one processed.\n");
}

TEST_F(SolutionReadTest, LeadingBlanksStillMeanXml) {
  EXPECT_EQ(read("  \n " + document("  <variable name=\"x\" value=\"1\"/>\n")), 0);
  EXPECT_EQ(errors->text(), "");
}

}  // namespace
