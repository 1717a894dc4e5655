// Environment life cycle and misuse of handles through the C API.
#include <chrono>
#include <cmath>
#include <thread>

#include "support/korva_test.h"

using korva_test::Capture;
using korva_test::EnvTest;

namespace {

KRVenv open_env() {
  int status = -1;
  KRVenv env = KRVopenKORVA(&status);
  EXPECT_EQ(status, 0);
  return env;
}

KRVchannel error_channel(KRVenv env) {
  KRVchannel error = nullptr;
  KRVgetchannels(env, nullptr, nullptr, &error, nullptr);
  return error;
}

}  // namespace

TEST(EnvironmentLifecycle, OpenWithoutStatusPointerGivesNull) {
  EXPECT_EQ(KRVopenKORVA(nullptr), nullptr);
  EXPECT_EQ(KRVopenKORVAruntime(nullptr, 7, "licence"), nullptr);
}

TEST(EnvironmentLifecycle, RuntimeOpenIgnoresItsExtraArguments) {
  int status = -1;
  KRVenv env = KRVopenKORVAruntime(&status, 12345, "anything");
  ASSERT_NE(env, nullptr);
  EXPECT_EQ(status, 0);
  EXPECT_STREQ(KRVversion(env), "1.0.0.0");
  EXPECT_EQ(KRVcloseKORVA(&env), 0);
}

TEST(EnvironmentLifecycle, ClosedEnvironmentIsNoEnvironment) {
  KRVenv env = open_env();
  KRVenv stale = env;
  ASSERT_EQ(KRVcloseKORVA(&env), 0);
  EXPECT_EQ(env, nullptr);
  EXPECT_EQ(KRVversion(stale), nullptr);
  double t = 0;
  EXPECT_EQ(KRVgettime(stale, &t), 1002);
  EXPECT_EQ(KRVsetterminate(stale, nullptr), 1002);
  EXPECT_EQ(KRVflushstdchannels(stale), 1002);
  EXPECT_EQ(KRVaddchannel(stale), nullptr);
  EXPECT_EQ(KRVEgetmaxthreads(stale), 0);
  EXPECT_EQ(KRVcloseKORVA(&stale), 1002);
  int status = 0;
  EXPECT_EQ(KRVparenv(stale, &status), nullptr);
  EXPECT_EQ(status, 1002);
}

TEST(EnvironmentLifecycle, CloseRejectsMissingHandles) {
  EXPECT_EQ(KRVcloseKORVA(nullptr), 1002);
  KRVenv none = nullptr;
  EXPECT_EQ(KRVcloseKORVA(&none), 1002);
}

TEST(EnvironmentLifecycle, ManyEnvironmentsCoexist) {
  KRVenv envs[8];
  for (KRVenv& e : envs) e = open_env();
  for (KRVenv& e : envs) EXPECT_NE(KRVversion(e), nullptr);
  for (KRVenv& e : envs) EXPECT_EQ(KRVcloseKORVA(&e), 0);
}

TEST(EnvironmentLifecycle, ObjectsLeftOpenAreFreedWithTheEnvironment) {
  KRVenv env = open_env();
  ASSERT_NE(KRVaddchannel(env), nullptr);
  ASSERT_NE(KRVaddchannel(env), nullptr);
  int status = 0;
  KRVenv child = KRVparenv(env, &status);
  ASSERT_NE(child, nullptr);
  ASSERT_NE(KRVaddchannel(child), nullptr);
  EXPECT_EQ(KRVcloseKORVA(&env), 0);
  EXPECT_EQ(KRVversion(child), nullptr);
}

class ChildEnvironment : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    int status = -1;
    child = KRVparenv(env, &status);
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(status, 0);
  }
  KRVenv child = nullptr;
};

TEST_F(ChildEnvironment, CannotBeClosedAndStaysIntact) {
  Capture child_errors(child, error_channel(child));
  KRVenv handle = child;
  EXPECT_EQ(KRVcloseKORVA(&handle), 1021);
  EXPECT_EQ(handle, child);
  EXPECT_EQ(child_errors.text(), "KORVA Error  1021: Cannot close a child environment.\n");
  EXPECT_STREQ(KRVversion(child), "1.0.0.0");
}

TEST_F(ChildEnvironment, CannotHaveChildren) {
  Capture child_errors(child, error_channel(child));
  int status = 0;
  EXPECT_EQ(KRVparenv(child, &status), nullptr);
  EXPECT_EQ(status, 1019);
  EXPECT_EQ(child_errors.text(), "KORVA Error  1019: Cannot clone a cloned environment.\n");
}

TEST_F(ChildEnvironment, StartsWithTheParentsParameters) {
  int status = 0;
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 2), 0);
  KRVenv second = KRVparenv(env, &status);
  ASSERT_NE(second, nullptr);
  int value = -1;
  EXPECT_EQ(KRVgetintparam(second, KRV_PARAM_SIMDISPLAY, &value), 0);
  EXPECT_EQ(value, 2);
  ASSERT_EQ(KRVsetintparam(second, KRV_PARAM_SIMDISPLAY, 0), 0);
  EXPECT_EQ(KRVgetintparam(env, KRV_PARAM_SIMDISPLAY, &value), 0);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(KRVfreeparenv(env, &second), 0);
}

TEST_F(ChildEnvironment, HasItsOwnChannels) {
  KRVchannel parent_ch[4], child_ch[4];
  KRVgetchannels(env, &parent_ch[0], &parent_ch[1], &parent_ch[2], &parent_ch[3]);
  KRVgetchannels(child, &child_ch[0], &child_ch[1], &child_ch[2], &child_ch[3]);
  for (int i = 0; i < 4; ++i) EXPECT_NE(parent_ch[i], child_ch[i]);
}

TEST_F(ChildEnvironment, IsFreedByItsParentOnly) {
  int status = 0;
  KRVenv other = KRVopenKORVA(&status);
  ASSERT_NE(other, nullptr);
  KRVenv handle = child;
  EXPECT_EQ(KRVfreeparenv(other, &handle), 1003);
  EXPECT_EQ(handle, child);
  EXPECT_STREQ(KRVversion(child), "1.0.0.0");
  EXPECT_EQ(KRVcloseKORVA(&other), 0);

  EXPECT_EQ(KRVfreeparenv(env, &handle), 0);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(KRVversion(child), nullptr);
}

TEST_F(ChildEnvironment, FreeingANullChildDoesNothing) {
  KRVenv none = nullptr;
  EXPECT_EQ(KRVfreeparenv(env, &none), 0);
  EXPECT_EQ(KRVfreeparenv(env, nullptr), 0);
  EXPECT_EQ(errors->text(), "");
}

TEST_F(ChildEnvironment, FreeingTheParentAsAChildIsRefused) {
  KRVenv self = env;
  EXPECT_EQ(KRVfreeparenv(env, &self), 1003);
  EXPECT_EQ(errors->text(), "KORVA Error  1003: Bad argument to Callable Library function.\n");
  EXPECT_EQ(self, env);
}

TEST_F(EnvTest, ReportsTheVersionAsFourNumbers) {
  const char* version = KRVversion(env);
  ASSERT_NE(version, nullptr);
  int parts[4];
  char tail = 0;
  EXPECT_EQ(std::sscanf(version, "%d.%d.%d.%d%c", &parts[0], &parts[1], &parts[2], &parts[3],
                        &tail),
            4);
}

TEST_F(EnvTest, GivesTheFourStandardChannelsInItsOwnOrder) {
  KRVchannel ch[4] = {};
  ASSERT_EQ(KRVgetchannels(env, &ch[0], &ch[1], &ch[2], &ch[3]), 0);
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(ch[i], nullptr);
    for (int j = 0; j < i; ++j) EXPECT_NE(ch[i], ch[j]);
  }
  // Results, warning, error, log: an error report lands on the third.
  Capture third(env, ch[2]);
  KRVgettime(env, nullptr);
  EXPECT_EQ(third.text(), "KORVA Error  1004: Null pointer for required data.\n");
  EXPECT_EQ(KRVgetchannels(env, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(KRVflushstdchannels(env), 0);
}

TEST_F(EnvTest, TerminationFlagCanBeSetAndCleared) {
  volatile int flag = 0;
  EXPECT_EQ(KRVsetterminate(env, &flag), 0);
  EXPECT_EQ(KRVsetterminate(env, nullptr), 0);
  EXPECT_EQ(KRVsetterminate(nullptr, &flag), 1002);
}

TEST_F(EnvTest, NameProvidersAreAccepted) {
  EXPECT_EQ(KRVEsetnamefunctions(env, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(KRVEsetnamefunctions(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            1002);
}

TEST_F(EnvTest, MaxThreadsFollowsTheThreadsParameter) {
  const int machine = KRVEgetmaxthreads(env);
  EXPECT_GE(machine, 1);
  EXPECT_LE(machine, 32);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, 1), 0);
  EXPECT_EQ(KRVEgetmaxthreads(env), 1);
}

// -------------------------------------------------------------------------
// Clocks

namespace {
void burn_cpu(double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  volatile double x = 0;
  while (std::chrono::steady_clock::now() < end) x = x + std::sqrt(x + 1.0);
}
double time_with_clock(KRVenv env, int clocktype) {
  EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_CLOCKTYPE, clocktype), 0);
  double t = -1;
  EXPECT_EQ(KRVgettime(env, &t), 0);
  return t;
}
}  // namespace

TEST_F(EnvTest, WallClockAdvancesWhileSleeping) {
  const double before = time_with_clock(env, 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  const double after = time_with_clock(env, 2);
  EXPECT_GE(after - before, 0.1);
}

TEST_F(EnvTest, CpuClockCountsWorkNotSleep) {
  burn_cpu(0.05);
  const double before = time_with_clock(env, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  const double after = time_with_clock(env, 1);
  EXPECT_LT(after - before, 0.1);
  EXPECT_GT(before, 0.0);
}

TEST_F(EnvTest, AutomaticClockWithOneThreadIsCpuTime) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, 1), 0);
  burn_cpu(0.05);
  const double cpu = time_with_clock(env, 1);
  const double automatic = time_with_clock(env, 0);
  EXPECT_NEAR(automatic, cpu, 0.02);
}

TEST_F(EnvTest, GetTimeNeedsSomewhereToWrite) {
  EXPECT_EQ(KRVgettime(env, nullptr), 1004);
  EXPECT_EQ(KRVgettime(nullptr, nullptr), 1002);
}
