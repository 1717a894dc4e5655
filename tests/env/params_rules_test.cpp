// Setting and reading parameters: conversions between int and long, bound
// checks, the polishing combinations, strings, the list of changed
// parameters, resetting and child environments.
#include <string>
#include <vector>

#include "support/korva_test.h"

using korva_test::EnvTest;

namespace {

constexpr long long kLongInf = 9223372036800000000LL;

long long get_long(KRVenv env, int number) {
  long long v = 0;
  EXPECT_EQ(KRVgetlongparam(env, number, &v), 0);
  return v;
}

double get_dbl(KRVenv env, int number) {
  double v = 0;
  EXPECT_EQ(KRVgetdblparam(env, number, &v), 0);
  return v;
}

std::string get_str(KRVenv env, int number) {
  char v[KRV_STRBUFSIZE] = {};
  EXPECT_EQ(KRVgetstrparam(env, number, v), 0);
  return v;
}

std::vector<int> changed(KRVenv env) {
  int numbers[400];
  int count = -1, surplus = -1;
  EXPECT_EQ(KRVgetchgparam(env, &count, numbers, 400, &surplus), 0);
  return std::vector<int>(numbers, numbers + count);
}

}  // namespace

TEST_F(EnvTest, IntSetterWidensNoLimitForLongParameters) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ITLIM, 2100000000), 0);
  EXPECT_EQ(get_long(env, KRV_PARAM_ITLIM), kLongInf);
  int clamped = 0;
  EXPECT_EQ(KRVgetintparam(env, KRV_PARAM_ITLIM, &clamped), 0);
  EXPECT_EQ(clamped, 2147483647);

  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPINTERVAL, -2100000000), 0);
  EXPECT_EQ(get_long(env, KRV_PARAM_MIPINTERVAL), -kLongInf);
  EXPECT_EQ(KRVgetintparam(env, KRV_PARAM_MIPINTERVAL, &clamped), 0);
  EXPECT_EQ(clamped, -2147483647 - 1);

  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ITLIM, 2099999999), 0);
  EXPECT_EQ(get_long(env, KRV_PARAM_ITLIM), 2099999999);
  EXPECT_EQ(errors->text(), "");
}

TEST_F(EnvTest, LongSetterChecksThe32BitRangeOfIntParameters) {
  EXPECT_EQ(KRVsetlongparam(env, KRV_PARAM_AGGIND, 2147483648LL), 1015);
  EXPECT_EQ(KRVsetlongparam(env, KRV_PARAM_AGGIND, -2147483649LL), 1014);
  EXPECT_EQ(KRVsetlongparam(env, KRV_PARAM_AGGIND, 2100000001LL), 1015);  // own maximum
  EXPECT_EQ(KRVsetlongparam(env, KRV_PARAM_AGGIND, 7), 0);
  int value = 0;
  ASSERT_EQ(KRVgetintparam(env, KRV_PARAM_AGGIND, &value), 0);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1015: Parameter value too big.\n"
            "KORVA Error  1014: Parameter value too small.\n"
            "KORVA Error  1015: Parameter value too big.\n");
}

TEST_F(EnvTest, DoubleBoundsAreCheckedOnlyWhenTheyDiffer) {
  // The default lies below the minimum: it is registered, not set.
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_SINGTOL, 1e-13), 1014);
  EXPECT_EQ(get_dbl(env, KRV_PARAM_SINGTOL), 1e-13);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_EPOPT, 0.2), 1015);
  EXPECT_EQ(get_dbl(env, KRV_PARAM_EPOPT), 1e-6);
  for (int unchecked : {KRV_PARAM_OBJLLIM, KRV_PARAM_OBJULIM, KRV_PARAM_CUTLO, KRV_PARAM_CUTUP,
                        KRV_PARAM_OBJDIF}) {
    EXPECT_EQ(KRVsetdblparam(env, unchecked, -1e300), 0);
    EXPECT_EQ(get_dbl(env, unchecked), -1e300);
  }
}

TEST_F(EnvTest, WrongTypeOrNumberIsRefusedBeforeMissingOutput) {
  EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_EPOPT, 1), 1013);
  EXPECT_EQ(KRVsetintparam(env, 1011, 1), 1013);  // unused number
  EXPECT_EQ(KRVgetintparam(env, KRV_PARAM_EPOPT, nullptr), 1013);
  EXPECT_EQ(KRVgetintparam(env, KRV_PARAM_ADVIND, nullptr), 1004);
  EXPECT_EQ(KRVsetstrparam(env, KRV_PARAM_WORKDIR, nullptr), 1004);
}

TEST_F(EnvTest, PolishingTimeExcludesThePolishingTriggers) {
  EXPECT_EQ(KRVsetlongparam(env, KRV_PARAM_POLISHAFTERNODE, 209999999), 0);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHTIME, 5), 1807);
  EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_POLISHAFTERNODE, 2100000000), 0);  // no limit again
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHTIME, 5), 0);

  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHAFTEREPGAP, 0.5), 1807);
  EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_POLISHAFTERINTSOL, 10), 1807);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHAFTERTIME, 100), 1807);
  EXPECT_EQ(KRVsetdblparam(env, KRV_PARAM_POLISHAFTEREPAGAP, 0), 0);  // zero is no trigger
  EXPECT_EQ(get_dbl(env, KRV_PARAM_POLISHAFTERTIME), 1e75);
  EXPECT_EQ(errors->text().rfind("KORVA Error  1807: Incompatible parameters.\n", 0), 0u);
}

TEST_F(EnvTest, StringsKeepTheirBytesAndRefuseOverlongValues) {
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_WORKDIR, "/tmp/caf\xe9"), 0);
  EXPECT_EQ(get_str(env, KRV_PARAM_WORKDIR), "/tmp/caf\xe9");
  const std::string longest(511, 'a');
  EXPECT_EQ(KRVsetstrparam(env, KRV_PARAM_INTSOLFILEPREFIX, longest.c_str()), 0);
  EXPECT_EQ(get_str(env, KRV_PARAM_INTSOLFILEPREFIX), longest);
  const std::string too_long(512, 'b');
  EXPECT_EQ(KRVsetstrparam(env, KRV_PARAM_INTSOLFILEPREFIX, too_long.c_str()), 1026);
  EXPECT_EQ(get_str(env, KRV_PARAM_INTSOLFILEPREFIX), longest);
  EXPECT_EQ(errors->text(), "KORVA Error  1026: String parameter is too long.\n");
}

TEST_F(EnvTest, UnknownEncodingNamesAreRefused) {
  EXPECT_EQ(KRVsetstrparam(env, KRV_PARAM_FILEENCODING, "NO-SUCH-ENCODING"), 1003);
  EXPECT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "NO-SUCH-ENCODING"), 1003);
  EXPECT_EQ(get_str(env, KRV_PARAM_FILEENCODING), "ISO-8859-1");
  EXPECT_EQ(get_str(env, KRV_PARAM_APIENCODING), "ISO-8859-1");
  EXPECT_EQ(errors->text(),
            "KORVA Error  1003: Bad argument to Callable Library function.\n"
            "KORVA Error  1003: Bad argument to Callable Library function.\n");
  EXPECT_EQ(KRVsetstrparam(env, KRV_PARAM_FILEENCODING, "UTF-8"), 0);
  EXPECT_EQ(get_str(env, KRV_PARAM_FILEENCODING), "UTF-8");
}

TEST_F(EnvTest, NewInterfaceEncodingConvertsCallerTextWhileDestinationsKeepTheirs) {
  // The capture was added under ISO-8859-1 and keeps receiving it.
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8"), 0);
  KRVmsg(channel(0), "%s", "caf\xc3\xa9\n");
  EXPECT_EQ(results->text(), "caf\xe9\n");
  ASSERT_EQ(KRVsetdefaults(env), 0);
  results->clear();
  KRVmsg(channel(0), "%s", "caf\xe9\n");
  EXPECT_EQ(results->text(), "caf\xe9\n");
}

TEST_F(EnvTest, ChangedParametersAreListedInRegistryOrder) {
  EXPECT_TRUE(changed(env).empty());
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_NETEPOPT, 1e-7), 0);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_WORKDIR, "/tmp"), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 4), 0);
  ASSERT_EQ(KRVsetintparam(env, 1124, 7), 0);  // hidden: never listed
  EXPECT_EQ(changed(env), (std::vector<int>{KRV_PARAM_WORKDIR, KRV_PARAM_MIPDISPLAY,
                                            KRV_PARAM_NETEPOPT}));

  int numbers[2] = {0, 0};
  int count = -1, surplus = 0;
  EXPECT_EQ(KRVgetchgparam(env, &count, numbers, 2, &surplus), 1207);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(surplus, -1);
  EXPECT_EQ(numbers[1], KRV_PARAM_MIPDISPLAY);
  EXPECT_EQ(errors->text(), "KORVA Error  1207: Insufficient array length.\n");
}

TEST_F(EnvTest, AnEmptyArraySucceedsAndCountsTheChangedParameters) {
  int count = -1, surplus = 0;
  EXPECT_EQ(KRVgetchgparam(env, &count, nullptr, 0, &surplus), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(surplus, 0);

  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_NETEPOPT, 1e-7), 0);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_WORKDIR, "/tmp"), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 4), 0);
  int numbers[1] = {-1};
  count = -1;
  EXPECT_EQ(KRVgetchgparam(env, &count, numbers, 0, &surplus), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(surplus, -3);
  EXPECT_EQ(numbers[0], -1);  // nothing is written into an empty array
  EXPECT_EQ(errors->text(), "");

  // Sized from that surplus, the next call gets them all.
  std::vector<int> all(-surplus);
  EXPECT_EQ(KRVgetchgparam(env, &count, all.data(), static_cast<int>(all.size()), &surplus), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(surplus, 0);
}

TEST_F(EnvTest, SetDefaultsResetsHiddenParametersAndKeepsLogFileAndTerminate) {
  korva_test::TempDir dir;
  FILE* log = std::fopen(dir.file("run.log").c_str(), "w");
  ASSERT_NE(log, nullptr);
  volatile int stop = 0;
  ASSERT_EQ(KRVsetlogfile(env, log), 0);
  ASSERT_EQ(KRVsetterminate(env, &stop), 0);
  ASSERT_EQ(KRVsetintparam(env, 1043, 0), 0);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_EPRHS, 1e-7), 0);

  ASSERT_EQ(KRVsetdefaults(env), 0);
  EXPECT_EQ(get_long(env, 1043), 1);
  EXPECT_EQ(get_dbl(env, KRV_PARAM_EPRHS), 1e-6);
  FILE* still = nullptr;
  ASSERT_EQ(KRVgetlogfile(env, &still), 0);
  EXPECT_EQ(still, log);
  KRVsetlogfile(env, nullptr);
  std::fclose(log);
}

TEST_F(EnvTest, ChildEnvironmentsStartWithACopyAndEvolveApart) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ADVIND, 2), 0);
  int status = -1;
  KRVenv child = KRVparenv(env, &status);
  ASSERT_NE(child, nullptr);
  long long value = 0;
  ASSERT_EQ(KRVgetlongparam(child, KRV_PARAM_ADVIND, &value), 0);
  EXPECT_EQ(value, 2);
  ASSERT_EQ(KRVsetintparam(child, KRV_PARAM_ADVIND, 0), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_REINV, 5), 0);
  EXPECT_EQ(get_long(env, KRV_PARAM_ADVIND), 2);
  EXPECT_EQ(get_long(child, KRV_PARAM_REINV), 0);
  EXPECT_EQ(KRVfreeparenv(env, &child), 0);
}
