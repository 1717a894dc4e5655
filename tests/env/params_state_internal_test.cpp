// Environment state that follows parameters without being visible through
// the C API: the random generator's seed, the name index, and restoring
// saved values.
#include <gtest/gtest.h>

#include "env/environment.h"
#include "env/name_hash.h"

namespace {

// Only the environment itself: nothing here needs captured channels.
class ParamState : public ::testing::Test {
 protected:
  void SetUp() override {
    int status = -1;
    env = KRVopenKORVA(&status);
    ASSERT_NE(env, nullptr);
  }
  void TearDown() override { KRVcloseKORVA(&env); }
  KRVenv env = nullptr;
};

}  // namespace

TEST_F(ParamState, SeedParameterReseedsTheGeneratorOfTheEnvironmentAndNewChildren) {
  EXPECT_EQ(env->random.seed, 201109222u);
  env->random.next();
  ASSERT_EQ(KRVsetintparam(env, 1124, 7), 0);
  EXPECT_EQ(env->random.seed, 7u);
  EXPECT_EQ(env->random.state, 7u);

  int status = -1;
  KRVenv child = KRVparenv(env, &status);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->random.seed, 7u);
  KRVfreeparenv(env, &child);
}

TEST(ParamRegistry, NameIndexCoversTheVisibleParametersInRegistryOrder) {
  const auto& visible = korva::visible_params();
  ASSERT_EQ(visible.size(), 159u);
  EXPECT_EQ(korva::NameHash::table_size(static_cast<int64_t>(visible.size())), 1021u);
  for (size_t i = 1; i < visible.size(); ++i) EXPECT_LT(visible[i - 1]->number, visible[i]->number);
  for (const korva::ParamDef* def : visible) EXPECT_EQ(korva::find_param_by_name(def->name), def);
}

TEST_F(ParamState, RestoringSavedValuesBringsScreenAndConverterBack) {
  const korva::ParamValues saved = env->params;
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SCRIND, 1), 0);
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_APIENCODING, "UTF-8"), 0);
  ASSERT_EQ(KRVsetintparam(env, 1124, 5), 0);
  korva::restore_params(*env, saved);
  EXPECT_FALSE(env->results()->has_file(stdout));
  EXPECT_EQ(env->api_converter.name(), "ISO-8859-1");
  EXPECT_EQ(env->random.seed, 201109222u);
}
