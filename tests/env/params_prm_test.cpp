// Parameter files: what the writer puts in them, what the reader accepts,
// and that a bad file changes nothing.
#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/korva_test.h"

using korva_test::EnvTest;
using korva_test::read_file;
using korva_test::TempDir;
using korva_test::write_file;

namespace {

const std::string kHeader = "KORVA Parameter File Version 1.0.0.0\n";

std::vector<int> changed(KRVenv env) {
  int numbers[400];
  int count = -1, surplus = -1;
  EXPECT_EQ(KRVgetchgparam(env, &count, numbers, 400, &surplus), 0);
  return std::vector<int>(numbers, numbers + count);
}

double get_dbl(KRVenv env, int number) {
  double v = 0;
  EXPECT_EQ(KRVgetdblparam(env, number, &v), 0);
  return v;
}

long long get_long(KRVenv env, int number) {
  long long v = 0;
  EXPECT_EQ(KRVgetlongparam(env, number, &v), 0);
  return v;
}

std::string get_str(KRVenv env, int number) {
  char v[KRV_STRBUFSIZE] = {};
  EXPECT_EQ(KRVgetstrparam(env, number, v), 0);
  return v;
}

// Switches the process to a locale with a decimal comma for one test. The
// locale is generated into a private directory when the system lacks it.
class CommaLocale {
 public:
  bool activate() {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8")) return true;
    const std::string command = "localedef -i de_DE -f UTF-8 " + dir_.file("de_DE.UTF-8") +
                                " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return false;
    setenv("LOCPATH", dir_.path().c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  ~CommaLocale() {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
  }

 private:
  TempDir dir_;
};

class PrmTest : public EnvTest {
 protected:
  TempDir dir;
  std::string path = dir.file("settings.prm");
};

}  // namespace

TEST_F(PrmTest, FreshEnvironmentWritesOnlyTheHeader) {
  ASSERT_EQ(KRVwriteparam(env, path.c_str()), 0);
  EXPECT_EQ(read_file(path), kHeader);
}

TEST_F(PrmTest, WriterFormatsEachTypeAndHiddenNumbers) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ADVIND, 2), 0);
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_NODELIM, 123456789012LL), 0);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_EPRHS, 1e-7), 0);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_WORKDIR, "/tmp/work dir"), 0);
  ASSERT_EQ(KRVsetintparam(env, 1124, 42), 0);
  ASSERT_EQ(KRVsetlongparam(env, 1004, 77), 0);
  ASSERT_EQ(KRVsetdblparam(env, 3001, 2.5), 0);
  ASSERT_EQ(KRVsetstrparam(env, 1134, "a b"), 0);
  ASSERT_EQ(KRVsetintparam(env, 1053, 1), 0);  // never written
  ASSERT_EQ(KRVwriteparam(env, path.c_str()), 0);
  EXPECT_EQ(read_file(path), kHeader +
                                 "KRV_PARAM_ADVIND                 2\n"
                                 "1004                             77\n"
                                 "KRV_PARAM_EPRHS                  1.00000000000000e-07   \n"
                                 "KRV_PARAM_WORKDIR                \"/tmp/work dir\"\n"
                                 "1124                             42\n"
                                 "1134                             \"a b\"\n"
                                 "KRV_PARAM_NODELIM                123456789012\n"
                                 "3001                             2.50000000000000e+00   \n");
}

TEST_F(PrmTest, WriteResetReadRestoresTheSameSettings) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPEMPHASIS, 3), 0);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_OBJULIM, -12345.6789), 0);
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_BARMAXCOR, 9), 0);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_INTSOLFILEPREFIX, "inc"), 0);
  ASSERT_EQ(KRVsetintparam(env, 2014, 1), 0);
  const std::vector<int> before = changed(env);
  const double objulim = get_dbl(env, KRV_PARAM_OBJULIM);
  ASSERT_EQ(KRVwriteparam(env, path.c_str()), 0);

  ASSERT_EQ(KRVsetdefaults(env), 0);
  ASSERT_TRUE(changed(env).empty());
  ASSERT_EQ(KRVreadcopyparam(env, path.c_str()), 0);
  EXPECT_EQ(changed(env), before);
  EXPECT_EQ(get_dbl(env, KRV_PARAM_OBJULIM), objulim);
  EXPECT_EQ(get_long(env, 2014), 1);
  EXPECT_EQ(get_str(env, KRV_PARAM_INTSOLFILEPREFIX), "inc");
  EXPECT_EQ(errors->text(), "");
}

TEST_F(PrmTest, ReadingReplacesEverySettingNotInTheFile) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_REINV, 17), 0);
  write_file(path, "\n" + kHeader +
                       "KRV_PARAM_EPRHS 1e-7   # tighter than usual\n"
                       "\n"
                       "# a comment line\n"
                       "1124 99\n"
                       "1011 5\n"  // unused number: skipped
                       "KRV_PARAM_WORKDIR \"/tmp/#not a comment\"\n"
                       "KRV_PARAM_FILEENCODING UTF-8\n");
  ASSERT_EQ(KRVreadcopyparam(env, path.c_str()), 0);
  EXPECT_EQ(get_dbl(env, KRV_PARAM_EPRHS), 1e-7);
  EXPECT_EQ(get_long(env, 1124), 99);
  EXPECT_EQ(get_long(env, KRV_PARAM_REINV), 0);
  EXPECT_EQ(get_str(env, KRV_PARAM_WORKDIR), "/tmp/#not a comment");
  EXPECT_EQ(get_str(env, KRV_PARAM_FILEENCODING), "UTF-8");
  EXPECT_EQ(errors->text(), "");
  EXPECT_EQ(warnings->text(), "");
}

TEST_F(PrmTest, DefaultExtensionIsTriedWhenTheNameFails) {
  write_file(dir.file("tuned.prm"), kHeader + "KRV_PARAM_ADVIND 0\n");
  ASSERT_EQ(KRVreadcopyparam(env, dir.file("tuned").c_str()), 0);
  EXPECT_EQ(get_long(env, KRV_PARAM_ADVIND), 0);

  const std::string missing = dir.file("missing");
  EXPECT_EQ(KRVreadcopyparam(env, missing.c_str()), 1423);
  EXPECT_EQ(errors->text(), "KORVA Error  1423: Could not open file '" + missing +
                                "' for reading.\nKORVA Error  1423: Could not open file '" +
                                missing + ".prm' for reading.\n");
}

TEST_F(PrmTest, FileNameErrors) {
  EXPECT_EQ(KRVreadcopyparam(env, nullptr), 1421);
  EXPECT_EQ(KRVwriteparam(env, ""), 1421);
  const std::string unwritable = dir.file("no/such/dir.prm");
  EXPECT_EQ(KRVwriteparam(env, unwritable.c_str()), 1422);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1421: File name not specified.\n"
            "KORVA Error  1421: File name not specified.\n"
            "KORVA Error  1422: Could not open file '" + unwritable + "' for writing.\n");
}

TEST_F(PrmTest, ABadLineLeavesEverythingUnchanged) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_REINV, 17), 0);
  struct Case {
    const char* body;
    int code;
    const char* message;
  } cases[] = {
      {"KRV_PARAM_ADVIND 2\nKRV_PARAM_NOSUCH 1\n", 1028,
       "KORVA Error  1028: Bad parameter name to KORVA parameter routine.\n"},
      {"KRV_PARAM_ADVIND 2\nKRV_PARAM_ADVIND 7\n", 1015,
       "KORVA Error  1015: Parameter value too big.\n"},
      {"KRV_PARAM_ADVIND 2\nKRV_PARAM_EPRHS abc\n", 1434,
       "KORVA Error  1434: Line 3: Couldn't convert 'abc' to a number.\n"},
      {"KRV_PARAM_ADVIND 2\nKRV_PARAM_WORKDIR \"open\n", 1660,
       "KORVA Error  1660: Line 3:  Not enough entries.\n"},
      {"KRV_PARAM_ADVIND 2\n   \n", 1660, "KORVA Error  1660: Line 3:  Not enough entries.\n"},
      {"KRV_PARAM_APIENCODING NO-SUCH-ENCODING\n", 1003,
       "KORVA Error  1003: Bad argument to Callable Library function.\n"},
      {"KRV_PARAM_POLISHTIME 10\nKRV_PARAM_POLISHAFTERNODE 100\n", 1807,
       "KORVA Error  1807: Incompatible parameters.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    errors->clear();
    write_file(path, kHeader + c.body);
    EXPECT_EQ(KRVreadcopyparam(env, path.c_str()), c.code);
    EXPECT_EQ(errors->text(), c.message);
    EXPECT_EQ(changed(env), std::vector<int>{KRV_PARAM_REINV});
    EXPECT_EQ(get_long(env, KRV_PARAM_REINV), 17);
  }
}

TEST_F(PrmTest, HeaderIsRequiredAndItsVersionChecked) {
  write_file(path, "\nKRV_PARAM_ADVIND 2\n");
  EXPECT_EQ(KRVreadcopyparam(env, path.c_str()), 1661);
  EXPECT_EQ(errors->text(), "KORVA Error  1661: Line 2:  Missing or invalid header.\n");

  write_file(path, "KORVA Parameter File Version 0.9\nKRV_PARAM_ADVIND 2\n");
  ASSERT_EQ(KRVreadcopyparam(env, path.c_str()), 0);
  EXPECT_EQ(warnings->text(), "Warning:  KORVA version found in file " + path +
                                  " (0.9) does not match\n"
                                  "          this KORVA version (1.0.0.0).\n");
  EXPECT_EQ(get_long(env, KRV_PARAM_ADVIND), 2);
}

TEST_F(PrmTest, NonIntegralValuesKeepTheIntegerPartWithAWarning) {
  write_file(path, kHeader + "KRV_PARAM_ADVIND 1.7\nKRV_PARAM_ITLIM 25-3\nKRV_PARAM_AGGIND -1\n");
  ASSERT_EQ(KRVreadcopyparam(env, path.c_str()), 0);
  EXPECT_EQ(get_long(env, KRV_PARAM_ADVIND), 1);
  EXPECT_EQ(get_long(env, KRV_PARAM_ITLIM), 25);
  EXPECT_EQ(warnings->text(),
            "Warning, line 2: non-integral value specified for integer parameter.\n"
            "Warning, line 3: non-integral value specified for integer parameter.\n");
}

TEST_F(PrmTest, NamesOnlySwitchTreatsNumbersAsNames) {
  write_file(path, kHeader + "1001 0\n");
  ASSERT_EQ(KRVsetintparam(env, 1053, 1), 0);
  EXPECT_EQ(KRVreadcopyparam(env, path.c_str()), 1028);
  ASSERT_EQ(KRVsetintparam(env, 1053, 0), 0);
  EXPECT_EQ(KRVreadcopyparam(env, path.c_str()), 0);
  EXPECT_EQ(get_long(env, KRV_PARAM_ADVIND), 0);
}

TEST_F(PrmTest, SessionSettingsStayOutOfFilesWrittenForOtherLayers) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPCBREDLP, 0), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_REINV, 3), 0);
  ASSERT_EQ(KRVEwriteparam(env, path.c_str()), 0);
  EXPECT_EQ(read_file(path), kHeader + "KRV_PARAM_REINV                  3\n");
  EXPECT_EQ(get_long(env, KRV_PARAM_MIPCBREDLP), 0);
}

TEST_F(PrmTest, NumbersIgnoreTheApplicationsDecimalComma) {
  CommaLocale locale;
  if (!locale.activate()) GTEST_SKIP() << "no de_DE.UTF-8 locale and localedef failed";
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_EPRHS, 2.5e-7), 0);
  ASSERT_EQ(KRVwriteparam(env, path.c_str()), 0);
  EXPECT_EQ(read_file(path),
            kHeader + "KRV_PARAM_EPRHS                  2.50000000000000e-07   \n");

  write_file(path, kHeader + "KRV_PARAM_EPOPT 1.5e-7\n");
  ASSERT_EQ(KRVreadcopyparam(env, path.c_str()), 0);
  EXPECT_EQ(get_dbl(env, KRV_PARAM_EPOPT), 1.5e-7);
}
