// The report routine: what it prints for each code, what it keeps quiet,
// the formatted path, the hash table and the 32-bit clamp.
#include <set>
#include <string>

#include "env/environment.h"
#include "env/errors.h"
#include "expected_errors.h"
#include "support/korva_test.h"

using korva_test::EnvTest;
using korva_test::kExpectedErrors;

namespace {

std::string composed(int code, const std::string& text) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "KORVA Error %5d: ", code);
  return prefix + text + ".\n";
}

bool silent_by_default(int code) { return code == 9034; }

}  // namespace

TEST_F(EnvTest, ReportPrintsEveryCodeWithItsMessage) {
  for (const auto& e : kExpectedErrors) {
    errors->clear();
    EXPECT_EQ(korva::report_error(env, e.code), e.code);
    const std::string expected = silent_by_default(e.code) ? "" : composed(e.code, e.text);
    EXPECT_EQ(errors->text(), expected) << e.code;
  }
}

TEST_F(EnvTest, ReportOfAnAlreadyReportedCodeIsSilent) {
  EXPECT_EQ(korva::report_error(env, -1001), 1001);
  EXPECT_EQ(korva::report_error(env, 0), 0);
  EXPECT_EQ(errors->text(), "");
}

TEST_F(EnvTest, ReportWithoutEnvironmentOnlyReturnsTheCode) {
  EXPECT_EQ(korva::report_error(nullptr, 1001), 1001);
}

TEST_F(EnvTest, UnknownCodeIsReportedWithTwoBlanks) {
  EXPECT_EQ(korva::report_error(env, 1005), 1005);
  EXPECT_EQ(errors->text(), "KORVA Error  1005:  Unknown error code.\n");
}

TEST_F(EnvTest, PresolveOutcomesFollowHiddenParameter1043) {
  ASSERT_EQ(KRVsetintparam(env, 1043, 0), 0);
  for (int code : {1101, 1106, 1117, 1118, 1123, 1124}) EXPECT_EQ(korva::report_error(env, code), code);
  EXPECT_EQ(errors->text(), "");
  EXPECT_EQ(korva::report_error(env, 1103), 1103);  // not an outcome: still printed
  EXPECT_EQ(errors->text(), "KORVA Error  1103: No presolved problem created.\n");
  errors->clear();
  ASSERT_EQ(KRVsetintparam(env, 1043, 1), 0);
  korva::report_error(env, 1117);
  EXPECT_EQ(errors->text(), "KORVA Error  1117: Presolve determines problem is infeasible.\n");
}

TEST_F(EnvTest, FormattedReportFillsTheMessageAndReturnsTheCodeNegated) {
  EXPECT_EQ(korva::report_formatted(env, 1422, "out.lp"), -1422);
  EXPECT_EQ(errors->text(), "KORVA Error  1422: Could not open file 'out.lp' for writing.\n");
  errors->clear();
  EXPECT_EQ(korva::report_formatted(env, 1201, 17LL), -1201);
  EXPECT_EQ(errors->text(), "KORVA Error  1201: Column index 17 out of range.\n");
  errors->clear();
  EXPECT_EQ(korva::report_formatted(env, 1005), -1005);
  EXPECT_EQ(errors->text(), "Unknown error code 1005.\n");
}

TEST_F(EnvTest, ErrorFormatIsComposedInTheEnvironmentBuffer) {
  const char* format = korva::error_format(env, 1205);
  ASSERT_EQ(format, env->message_buffer);
  EXPECT_STREQ(format, "KORVA Error  1205: %s: 'begin' value %lld is less than %lld.\n");
  EXPECT_STREQ(korva::error_format(env, 4), "Unknown error code 4.\n");
  EXPECT_EQ(korva::error_format(nullptr, 1001), nullptr);
}

TEST_F(EnvTest, RangeCheckNamesTheFunction) {
  EXPECT_EQ(korva::check_range(env, "KRVgetx", -1, 2, 5), 1200);
  EXPECT_EQ(korva::check_range(env, "KRVgetx", 0, 5, 5), 1200);
  EXPECT_EQ(korva::check_range(env, "KRVgetx", 0, 4, 5), 0);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1205: KRVgetx: 'begin' value -1 is less than 0.\n"
            "KORVA Error  1206: KRVgetx: 'end' value 5 is greater than 4.\n");
}

TEST(ErrorTable, HasEachCodeOnceAndMatchesTheExpectedTexts) {
  std::set<int> codes;
  int n = 0;
  for (; korva::kErrorTable[n].code != 0; ++n) codes.insert(korva::kErrorTable[n].code);
  EXPECT_EQ(n, 252);
  EXPECT_EQ(codes.size(), 252u);
  for (const auto& e : kExpectedErrors) {
    const int i = korva::error_index(nullptr, e.code);
    ASSERT_GE(i, 0) << e.code;
    EXPECT_STREQ(korva::kErrorTable[i].text, e.text) << e.code;
  }
}

TEST(ErrorTable, HashFindsEveryCodeIncludingCollisions) {
  int32_t slots[korva::kErrorHashSlots];
  korva::fill_error_hash(slots);
  int collisions = 0;
  for (int i = 0; korva::kErrorTable[i].code != 0; ++i) {
    const int code = korva::kErrorTable[i].code;
    EXPECT_EQ(korva::error_index(slots, code), i) << code;
    if (korva::kErrorTable[slots[code % korva::kErrorHashSlots]].code != code) ++collisions;
  }
  EXPECT_GT(collisions, 0);  // the probe sequence really is exercised
  EXPECT_EQ(korva::error_index(slots, 1005), -1);
  EXPECT_EQ(korva::error_index(slots, 1005 + 3 * 479), -1);
}

TEST(ErrorTable, CollidingCodesFollowTheSecondaryStep) {
  int32_t slots[korva::kErrorHashSlots];
  korva::fill_error_hash(slots);
  // 1001 is placed before 1480 and owns the home slot; 1480 moves on by
  // 477 - (1480 mod 477).
  const int home = 1001 % 479;
  EXPECT_EQ(korva::kErrorTable[slots[home]].code, 1001);
  int s = home;
  while (korva::kErrorTable[slots[s]].code != 1480) s = (s + 477 - 1480 % 477) % 479;
  EXPECT_EQ(korva::kErrorTable[slots[s]].code, 1480);
}

TEST_F(EnvTest, ClampReportsOverflowOnce) {
  EXPECT_EQ(korva::clamp_to_int(env, 5), 5);
  EXPECT_EQ(korva::clamp_to_int(env, -2147483648LL), -2147483647 - 1);
  EXPECT_EQ(errors->text(), "");
  EXPECT_EQ(korva::clamp_to_int(env, 2147483648LL), 2147483647);
  EXPECT_EQ(korva::clamp_to_int(env, -2147483649LL), -2147483647 - 1);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1810: Overflow of 32-bit integer value.\n"
            "KORVA Error  1810: Overflow of 32-bit integer value.\n");
}

namespace {
// A destination that does work while a report is printed: the work must
// not count as the environment's deterministic time.
void charging_destination(void* handle, const char*) {
  static_cast<KRVenv>(handle)->ticks.charge(1000);
}
}  // namespace

TEST_F(EnvTest, ReportingNeverChargesTicks) {
  KRVchannel error = channel(2);
  ASSERT_EQ(KRVaddfuncdest(env, error, env, charging_destination), 0);
  const uint64_t before = env->ticks.own.value;
  korva::report_error(env, 1001);
  korva::report_formatted(env, 1422, "x");
  EXPECT_EQ(env->ticks.own.value, before);
  EXPECT_EQ(env->ticks.current, &env->ticks.own);
  KRVdelfuncdest(env, error, env, charging_destination);
}
