// Nested time-limit frames, the tick counter and the random generator.
#include "env/environment.h"
#include "env/time_limit.h"
#include "support/korva_test.h"

using korva::ScopedTimeLimit;
using korva::TimeLimitFrame;
using korva_test::EnvTest;

TEST_F(EnvTest, OutermostFrameHasNoLimits) {
  const TimeLimitFrame* f = env->time_limit_top;
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->previous, nullptr);
  EXPECT_EQ(f->deadline, 1e75);
  EXPECT_EQ(f->tick_deadline, ~0ULL);
}

TEST_F(EnvTest, InnerTimeLimitNeverExtendsTheEnclosingDeadline) {
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_TILIM, 100.0), 0);
  ScopedTimeLimit outer(*env);
  EXPECT_NEAR(outer.frame().deadline, outer.frame().start_time + 100.0, 1e-9);
  EXPECT_EQ(outer.frame().deadline_inherited, 0u);
  {
    ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_TILIM, 1000.0), 0);
    ScopedTimeLimit inner(*env);
    EXPECT_EQ(inner.frame().deadline, outer.frame().deadline);
    EXPECT_EQ(inner.frame().deadline_inherited, outer.frame().deadline_inherited);
    EXPECT_EQ(env->time_limit_top, &inner.frame());
  }
  {
    ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_TILIM, 10.0), 0);
    ScopedTimeLimit inner(*env);
    EXPECT_NEAR(inner.frame().deadline, inner.frame().start_time + 10.0, 1e-9);
    EXPECT_LT(inner.frame().deadline, outer.frame().deadline);
    EXPECT_EQ(inner.frame().deadline_inherited, 0u);
    EXPECT_LT(korva::time_remaining(*env), 10.0 + 1e-9);
  }
  EXPECT_EQ(env->time_limit_top, &outer.frame());
}

TEST_F(EnvTest, ZeroTimeLimitIsReachedAtOnce) {
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_TILIM, 0.0), 0);
  ScopedTimeLimit frame(*env);
  EXPECT_TRUE(korva::time_limit_reached(*env));
}

TEST_F(EnvTest, DeterministicLimitInTicks) {
  env->ticks.charge(500);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_DETTILIM, 2.0), 0);
  ScopedTimeLimit outer(*env);
  EXPECT_GE(outer.frame().start_ticks, 500u);
  EXPECT_EQ(outer.frame().tick_deadline, outer.frame().start_ticks + 2u * 1048576u);
  {
    ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_DETTILIM, 3.0), 0);
    ScopedTimeLimit inner(*env);
    EXPECT_EQ(inner.frame().tick_deadline, outer.frame().tick_deadline);
  }
  {
    ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_DETTILIM, 0.5), 0);
    env->ticks.charge(100);
    ScopedTimeLimit inner(*env);
    EXPECT_EQ(inner.frame().tick_deadline, inner.frame().start_ticks + 524288u);
    EXPECT_FALSE(korva::tick_limit_reached(*env));
    env->ticks.charge(524288 + 100);
    EXPECT_TRUE(korva::tick_limit_reached(*env));
  }
}

TEST_F(EnvTest, HugeDeterministicLimitMeansNone) {
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_DETTILIM, 1e14), 0);  // 2^64 ticks and more
  ScopedTimeLimit frame(*env);
  EXPECT_EQ(frame.frame().tick_deadline, ~0ULL);
}

TEST_F(EnvTest, TickStackRestoresTheCounterEvenBeyond128Levels) {
  korva::TickCounter other;
  for (int i = 0; i < 200; ++i) env->ticks.push(&other);
  env->ticks.charge(1);
  for (int i = 0; i < 200; ++i) env->ticks.pop();
  EXPECT_EQ(env->ticks.current, &env->ticks.own);
  EXPECT_EQ(env->ticks.depth, 0);
  EXPECT_EQ(other.value, 1u);
}

TEST_F(EnvTest, RandomGeneratorFollowsItsRecurrence) {
  EXPECT_EQ(env->random.seed, 201109222u);
  uint64_t s = 201109222u;
  for (int i = 0; i < 5; ++i) {
    s = 6364136223846793005ULL * s + 1442695040888963407ULL;
    EXPECT_EQ(env->random.next(), static_cast<double>((s >> 32) & 0x7fffffff) / 2147483648.0);
  }
}

TEST_F(EnvTest, SettingTheSeedParameterRestartsTheSequence) {
  ASSERT_EQ(KRVsetintparam(env, 1124, 7), 0);
  EXPECT_EQ(env->random.seed, 7u);
  EXPECT_EQ(env->random.state, 7u);
  const double first = env->random.next();
  int status = 0;
  KRVenv child = KRVparenv(env, &status);
  EXPECT_EQ(child->random.seed, 7u);
  EXPECT_EQ(child->random.next(), first);
}

TEST_F(EnvTest, RestartedRandomGivesTheSequenceBack) {
  env->random.next();
  const uint64_t saved = env->random.state;
  double first = 0;
  {
    korva::RestartedRandom run(env->random);
    EXPECT_EQ(env->random.state, env->random.seed);
    first = env->random.next();
  }
  EXPECT_EQ(env->random.state, saved);
  korva::RestartedRandom again(env->random);
  EXPECT_EQ(env->random.next(), first);
}
