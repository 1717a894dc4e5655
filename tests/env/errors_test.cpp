// Error texts as the application reads them through KRVgeterrorstring.
#include <cstring>
#include <string>

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

}  // namespace

TEST(ErrorStrings, EveryCodeHasItsTextWithoutEnvironment) {
  int count = 0;
  for (const auto& e : kExpectedErrors) {
    char buffer[KRV_MESSAGEBUFSIZE];
    ASSERT_EQ(KRVgeterrorstring(nullptr, e.code, buffer), buffer) << e.code;
    EXPECT_EQ(std::string(buffer), composed(e.code, e.text)) << e.code;
    ++count;
  }
  EXPECT_EQ(count, 252);
}

TEST_F(EnvTest, EveryCodeHasItsTextThroughTheHashTable) {
  for (const auto& e : kExpectedErrors) {
    char buffer[KRV_MESSAGEBUFSIZE];
    ASSERT_EQ(KRVgeterrorstring(env, e.code, buffer), buffer) << e.code;
    EXPECT_EQ(std::string(buffer), composed(e.code, e.text)) << e.code;
  }
}

TEST_F(EnvTest, CodesSharingAHashSlotAreBothFound) {
  // 1001 and 1480 (and 1017 and 3412) are equal modulo 479.
  const int pairs[][2] = {{1001, 1480}, {1017, 3412}, {1051, 1530}};
  for (const auto& pair : pairs) {
    for (int code : pair) {
      char buffer[KRV_MESSAGEBUFSIZE];
      EXPECT_NE(KRVgeterrorstring(env, code, buffer), nullptr) << code;
    }
  }
  char buffer[KRV_MESSAGEBUFSIZE];
  KRVgeterrorstring(env, 1480, buffer);
  EXPECT_STREQ(buffer, "KORVA Error  1480: Line %lld: 'INTORG' found while reading integers.\n");
}

TEST(ErrorStrings, CodesOutsideTheRangeReturnNullAndLeaveTheBuffer) {
  for (int code : {0, -1, -1001, 100000, 2147483647}) {
    char buffer[KRV_MESSAGEBUFSIZE];
    std::strcpy(buffer, "untouched");
    EXPECT_EQ(KRVgeterrorstring(nullptr, code, buffer), nullptr) << code;
    EXPECT_STREQ(buffer, "untouched") << code;
  }
}

TEST(ErrorStrings, UnknownCodeFillsTheBufferButReturnsNull) {
  char buffer[KRV_MESSAGEBUFSIZE];
  EXPECT_EQ(KRVgeterrorstring(nullptr, 1005, buffer), nullptr);
  EXPECT_STREQ(buffer, "KORVA Error  1005: Unknown error code.\n");
  EXPECT_EQ(KRVgeterrorstring(nullptr, 99999, buffer), nullptr);
  EXPECT_STREQ(buffer, "KORVA Error 99999: Unknown error code.\n");
}

TEST(ErrorStrings, ConversionsInTheMessageStayUnfilled) {
  char buffer[KRV_MESSAGEBUFSIZE];
  ASSERT_NE(KRVgeterrorstring(nullptr, 1201, buffer), nullptr);
  EXPECT_STREQ(buffer, "KORVA Error  1201: Column index %lld out of range.\n");
}

TEST(ErrorStrings, SmallCodesAreRightAligned) {
  char buffer[KRV_MESSAGEBUFSIZE];
  ASSERT_NE(KRVgeterrorstring(nullptr, 1001, buffer), nullptr);
  EXPECT_STREQ(buffer, "KORVA Error  1001: Out of memory.\n");
}

TEST_F(EnvTest, ErrorStringIsConvertedToTheInterfaceEncoding) {
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-16LE"), 0);
  char buffer[KRV_MESSAGEBUFSIZE];
  ASSERT_NE(KRVgeterrorstring(env, 1001, buffer), nullptr);
  const std::string expected = composed(1001, "Out of memory");
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(buffer[2 * i], expected[i]) << i;
    EXPECT_EQ(buffer[2 * i + 1], '\0') << i;
  }
  // Without an environment nothing is converted.
  ASSERT_NE(KRVgeterrorstring(nullptr, 1001, buffer), nullptr);
  EXPECT_EQ(std::string(buffer), expected);
}

TEST(ErrorStrings, NullBufferIsRefused) {
  EXPECT_EQ(KRVgeterrorstring(nullptr, 1001, nullptr), nullptr);
}
