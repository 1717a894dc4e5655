#include "support/korva_test.h"

using korva_test::EnvTest;

TEST_F(EnvTest, OpensWithVersionAndClosesOnce) {
  EXPECT_STREQ(KRVversion(env), "1.0.0.0");
  KRVenv copy = env;
  EXPECT_EQ(KRVcloseKORVA(&env), 0);
  EXPECT_EQ(env, nullptr);
  EXPECT_EQ(KRVversion(copy), nullptr);
}
