// The parameter registry as seen through the C API: names, numbers, types,
// defaults and bounds of the public parameters, the hidden numbers, and the
// machine-dependent thread bounds.
#include <unistd.h>

#include <string>
#include <vector>

#include "support/korva_test.h"

using korva_test::EnvTest;

namespace {

constexpr long long kLongInf = 9223372036800000000LL;

struct IntRow {
  int number;
  const char* name;
  int type;
  long long def, min, max;
};

// Sample rows covering every type, the signed, unbounded and "no limit"
// ranges of integers and longs.
const IntRow kIntegralRows[] = {
    {1001, "KRV_PARAM_ADVIND", KRV_PARAMTYPE_INT, 1, 0, 2},
    {1002, "KRV_PARAM_AGGFILL", KRV_PARAMTYPE_LONG, 10, 0, kLongInf},
    {1003, "KRV_PARAM_AGGIND", KRV_PARAMTYPE_INT, -1, -1, 2100000000},
    {1020, "KRV_PARAM_ITLIM", KRV_PARAMTYPE_LONG, kLongInf, 0, kLongInf},
    {2013, "KRV_PARAM_MIPINTERVAL", KRV_PARAMTYPE_LONG, 0, -kLongInf, kLongInf},
    {2061, "KRV_PARAM_RINSHEUR", KRV_PARAMTYPE_LONG, 0, -2, kLongInf},
    {2129, "KRV_PARAM_POLISHAFTERINTSOL", KRV_PARAMTYPE_LONG, kLongInf, 1, kLongInf},
    {3013, "KRV_PARAM_BARMAXCOR", KRV_PARAMTYPE_LONG, -1, -1, kLongInf},
    {5005, "KRV_PARAM_NETDISPLAY", KRV_PARAMTYPE_INT, 2, 0, 2},
};

struct DblRow {
  int number;
  const char* name;
  double def, min, max;
};

const DblRow kDoubleRows[] = {
    {1005, "KRV_PARAM_CFILEMUL", 3, 1.1, 1e75},
    {1025, "KRV_PARAM_OBJLLIM", -1e75, 0, 0},  // unchecked: registered as 0, 0
    {1038, "KRV_PARAM_SINGTOL", 1e-13, 1e-10, 0.9},
    {2007, "KRV_PARAM_CUTUP", 1e75, 0, 0},
    {3003, "KRV_PARAM_BARGROWTH", 1e12, 1, 1e75},
    {5002, "KRV_PARAM_NETEPOPT", 1e-6, 1e-11, 0.1},
};

struct StrRow {
  int number;
  const char* name;
  const char* def;
};

const StrRow kStringRows[] = {
    {1064, "KRV_PARAM_WORKDIR", "."},
    {1130, "KRV_PARAM_APIENCODING", "ISO-8859-1"},
    {2143, "KRV_PARAM_INTSOLFILEPREFIX", ""},
    {1106, "", ".lp"},
    {1134, "", ""},
};

std::string name_of(KRVenv env, int number) {
  char name[KRV_STRBUFSIZE] = "unset";
  EXPECT_EQ(KRVgetparamname(env, number, name), 0) << number;
  return name;
}

int type_of(KRVenv env, int number) {
  int type = -1;
  EXPECT_EQ(KRVgetparamtype(env, number, &type), 0) << number;
  return type;
}

int processors() { return static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN)); }

}  // namespace

TEST_F(EnvTest, IntegerAndLongRowsMatchTheirDescriptions) {
  for (const IntRow& row : kIntegralRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(name_of(env, row.number), row.name);
    int number = 0;
    ASSERT_EQ(KRVgetparamnum(env, row.name, &number), 0);
    EXPECT_EQ(number, row.number);
    EXPECT_EQ(type_of(env, row.number), row.type);
    long long def = 0, min = 0, max = 0, value = 0;
    ASSERT_EQ(KRVinfolongparam(env, row.number, &def, &min, &max), 0);
    EXPECT_EQ(def, row.def);
    EXPECT_EQ(min, row.min);
    EXPECT_EQ(max, row.max);
    ASSERT_EQ(KRVgetlongparam(env, row.number, &value), 0);
    EXPECT_EQ(value, row.def);
  }
}

TEST_F(EnvTest, DoubleRowsMatchTheirDescriptions) {
  for (const DblRow& row : kDoubleRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(name_of(env, row.number), row.name);
    EXPECT_EQ(type_of(env, row.number), KRV_PARAMTYPE_DOUBLE);
    double def = 0, min = -1, max = -1, value = 0;
    ASSERT_EQ(KRVinfodblparam(env, row.number, &def, &min, &max), 0);
    EXPECT_EQ(def, row.def);
    EXPECT_EQ(min, row.min);
    EXPECT_EQ(max, row.max);
    ASSERT_EQ(KRVgetdblparam(env, row.number, &value), 0);
    EXPECT_EQ(value, row.def);
  }
}

TEST_F(EnvTest, StringRowsMatchTheirDescriptions) {
  for (const StrRow& row : kStringRows) {
    SCOPED_TRACE(row.number);
    EXPECT_EQ(name_of(env, row.number), row.name);
    EXPECT_EQ(type_of(env, row.number), KRV_PARAMTYPE_STRING);
    char def[KRV_STRBUFSIZE] = "x", value[KRV_STRBUFSIZE] = "x";
    ASSERT_EQ(KRVinfostrparam(env, row.number, def), 0);
    ASSERT_EQ(KRVgetstrparam(env, row.number, value), 0);
    EXPECT_STREQ(def, row.def);
    EXPECT_STREQ(value, row.def);
  }
}

TEST_F(EnvTest, ThreadBoundsFollowTheProcessorCount) {
  int min = 0, max = 0;
  ASSERT_EQ(KRVinfointparam(env, KRV_PARAM_THREADS, nullptr, &min, &max), 0);
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, processors());
  ASSERT_EQ(KRVinfointparam(env, KRV_PARAM_AUXROOTTHREADS, nullptr, &min, &max), 0);
  EXPECT_EQ(min, -1);
  EXPECT_EQ(max, processors() - 1);

  EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, processors()), 0);
  EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, processors() + 1), 1015);
  EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_AUXROOTTHREADS, processors()), 1015);
}

TEST_F(EnvTest, RegistryHoldsAllPublicAndHiddenNumbers) {
  int named = 0, hidden = 0;
  for (int number = 1001; number < 6000; ++number) {
    int type = -1;
    if (KRVgetparamtype(env, number, &type) != 0 || type == KRV_PARAMTYPE_NONE) continue;
    const std::string name = name_of(env, number);
    if (name.empty()) {
      ++hidden;
      continue;
    }
    ++named;
    EXPECT_EQ(name.rfind("KRV_PARAM_", 0), 0u) << name;
    int back = 0;
    EXPECT_EQ(KRVgetparamnum(env, name.c_str(), &back), 0);
    EXPECT_EQ(back, number);
  }
  EXPECT_EQ(named, 159);
  EXPECT_EQ(hidden, 145);
}

TEST_F(EnvTest, HiddenParametersWithKnownRolesHaveTheirDefaults) {
  long long value = 0, max = 0;
  ASSERT_EQ(KRVinfolongparam(env, 1124, &value, nullptr, &max), 0);
  EXPECT_EQ(value, 201109222);
  EXPECT_EQ(max, 2100000000);
  ASSERT_EQ(KRVinfolongparam(env, 3023, &value, nullptr, &max), 0);
  EXPECT_EQ(value, 50);
  EXPECT_EQ(max, kLongInf);
  double def = 0, dmax = -1;
  ASSERT_EQ(KRVinfodblparam(env, 3001, &def, nullptr, &dmax), 0);
  EXPECT_EQ(dmax, 1e18);
  ASSERT_EQ(KRVinfodblparam(env, 3035, &def, nullptr, &dmax), 0);
  EXPECT_EQ(def, 1.0);
}

TEST_F(EnvTest, NumbersOutsideTheRangesAndUnusedNumbers) {
  int type = -1;
  EXPECT_EQ(KRVgetparamtype(env, 1011, &type), 0);  // inside the general range, unused
  EXPECT_EQ(type, KRV_PARAMTYPE_NONE);
  EXPECT_EQ(name_of(env, 1011), "");
  EXPECT_EQ(KRVgetparamtype(env, 1500, &type), 1013);  // between ranges
  EXPECT_EQ(KRVgetparamtype(env, 6000, &type), 1013);
  EXPECT_EQ(KRVgetparamtype(env, 1000, &type), 1013);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1013: Bad parameter number to KORVA parameter routine.\n"
            "KORVA Error  1013: Bad parameter number to KORVA parameter routine.\n"
            "KORVA Error  1013: Bad parameter number to KORVA parameter routine.\n");
}

TEST_F(EnvTest, NameLookupIsExactAndCaseSensitive) {
  int number = 0;
  EXPECT_EQ(KRVgetparamnum(env, "KRV_PARAM_EPRHS", &number), 0);
  EXPECT_EQ(number, KRV_PARAM_EPRHS);
  EXPECT_EQ(KRVgetparamnum(env, "krv_param_eprhs", &number), 1028);
  EXPECT_EQ(KRVgetparamnum(env, "KRV_PARAM_EPRHS ", &number), 1028);
  EXPECT_EQ(KRVgetparamnum(env, "", &number), 1028);
  EXPECT_EQ(KRVgetparamnum(env, nullptr, &number), 1004);
  EXPECT_EQ(KRVgetparamnum(env, "KRV_PARAM_EPRHS", nullptr), 1004);
  EXPECT_EQ(errors->text().rfind(
                "KORVA Error  1028: Bad parameter name to KORVA parameter routine.\n", 0),
            0u);
}
