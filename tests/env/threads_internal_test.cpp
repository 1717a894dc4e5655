// Thread teams, the optimiser entry, worker clones and registered locks.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "env/locks.h"
#include "env/optimizer_entry.h"
#include "env/threads.h"
#include "support/korva_test.h"

using korva::Environment;
using korva::Threads;
using korva_test::EnvTest;
using korva_test::read_file;
using korva_test::TempDir;

namespace {

struct FakeProblem {
  korva::ObjectHeader header;
  int type = 0;
};

class Optimizer : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    problem.header.self = &problem;
    problem.header.root_env = env;
    problem.header.created_in = env;
    // Each test pretends to have the processors it needs for its team, so
    // that teams larger than the machine form.
  }
  FakeProblem problem;
};

struct RunInfo {
  int nesting = -1;
  int team_size = 0;
  bool deterministic = false;
  bool own_frame = false;
  int tasks_run = 0;
};

// An "algorithm" that runs one task on every worker of its team.
int record_run(Environment& e, FakeProblem&, RunInfo& info) {
  info.nesting = e.nesting;
  info.own_frame = e.time_limit_top != &e.outermost_frame;
  if (!e.team) return 0;
  info.team_size = e.team->size();
  info.deterministic = e.team->deterministic();
  std::atomic<int> done{0};
  for (int w = 0; w < e.team->size() - 1; ++w) e.team->run(w, [&] { ++done; });
  e.team->wait_all();
  info.tasks_run = done.load();
  return 0;
}

}  // namespace

TEST_F(Optimizer, SerialEntryRunsOnTheCallingThreadInsideAFrame) {
  RunInfo info;
  EXPECT_EQ(korva::optimizer_entry(env, &problem, Threads::Serial,
                                   [&](Environment& e, FakeProblem& p) { return record_run(e, p, info); }),
            0);
  EXPECT_EQ(info.nesting, 1);
  EXPECT_EQ(info.team_size, 0);
  EXPECT_TRUE(info.own_frame);
  EXPECT_EQ(env->nesting, 0);
  EXPECT_EQ(env->time_limit_top, &env->outermost_frame);
}

TEST_F(Optimizer, ParallelEntryFormsADeterministicTeam) {
  env->processor_count = 4;
  RunInfo info;
  ASSERT_EQ(korva::optimizer_entry(env, &problem, Threads::Parallel,
                                   [&](Environment& e, FakeProblem& p) { return record_run(e, p, info); }),
            0);
  EXPECT_EQ(info.team_size, 4);
  EXPECT_TRUE(info.deterministic);
  EXPECT_EQ(info.tasks_run, 3);
  EXPECT_EQ(env->team, nullptr);
}

TEST_F(Optimizer, OpportunisticModeOnRequest) {
  env->processor_count = 3;
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PARALLELMODE, -1), 0);
  RunInfo info;
  korva::optimizer_entry(env, &problem, Threads::Parallel,
                         [&](Environment& e, FakeProblem& p) { return record_run(e, p, info); });
  EXPECT_EQ(info.team_size, 3);
  EXPECT_FALSE(info.deterministic);
}

TEST_F(Optimizer, SingleThreadIsOpportunisticAndHasNoTeam) {
  EXPECT_FALSE(korva::optimizer_deterministic(*env, 1));
  EXPECT_TRUE(korva::optimizer_deterministic(*env, 2));
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, 1), 0);
  RunInfo info;
  korva::optimizer_entry(env, &problem, Threads::Parallel,
                         [&](Environment& e, FakeProblem& p) { return record_run(e, p, info); });
  EXPECT_EQ(info.team_size, 0);
}

TEST_F(Optimizer, ThreadChoiceCanDependOnTheProblem) {
  env->processor_count = 2;
  problem.type = 5;
  RunInfo info;
  auto by_type = [](Environment&, FakeProblem& p) {
    return p.type == 5 ? Threads::Parallel : Threads::Serial;
  };
  korva::optimizer_entry(env, &problem, by_type,
                         [&](Environment& e, FakeProblem& p) { return record_run(e, p, info); });
  EXPECT_EQ(info.team_size, 2);
}

TEST_F(Optimizer, FrameChecksComeFirst) {
  int runs = 0;
  auto count = [&](Environment&, FakeProblem&) { return ++runs, 0; };
  EXPECT_EQ(korva::optimizer_entry(nullptr, &problem, Threads::Serial, count), 1002);
  EXPECT_EQ(korva::optimizer_entry(env, static_cast<FakeProblem*>(nullptr), Threads::Serial, count),
            1009);
  env->info_callback_depth = 1;
  EXPECT_EQ(korva::optimizer_entry(env, &problem, Threads::Serial, count), 1804);
  env->info_callback_depth = 0;
  EXPECT_EQ(runs, 0);
}

TEST_F(Optimizer, AlgorithmErrorIsReportedOnce) {
  env->processor_count = 2;
  EXPECT_EQ(korva::optimizer_entry(env, &problem, Threads::Parallel,
                                   [](Environment&, FakeProblem&) { return 1217; }),
            1217);
  EXPECT_EQ(errors->text(), "KORVA Error  1217: No solution exists.\n");
}

TEST_F(Optimizer, NestedEntryTakesTheInnerPath) {
  env->processor_count = 2;
  RunInfo inner;
  korva::optimizer_entry(env, &problem, Threads::Parallel, [&](Environment& e, FakeProblem& p) {
    return korva::optimizer_entry(&e, &p, Threads::Parallel,
                                  [&](Environment& e2, FakeProblem& p2) { return record_run(e2, p2, inner); });
  });
  EXPECT_EQ(inner.nesting, 1);  // no second team
  EXPECT_EQ(inner.team_size, 2);
}

TEST_F(Optimizer, WorkersAreReusedAcrossManyRuns) {
  env->processor_count = 4;
  RunInfo info;
  auto algorithm = [&](Environment& e, FakeProblem& p) { return record_run(e, p, info); };
  korva::optimizer_entry(env, &problem, Threads::Parallel, algorithm);
  const int pool = korva::worker_pool_size();
  EXPECT_GE(pool, 3);
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(korva::optimizer_entry(env, &problem, Threads::Parallel, algorithm), 0);
    ASSERT_EQ(info.tasks_run, 3);
  }
  EXPECT_EQ(korva::worker_pool_size(), pool);
  EXPECT_EQ(korva::idle_worker_count(), pool);
}

TEST_F(Optimizer, ImpossibleTeamIsAnInvalidThreadCount) {
  int runs = 0;
  EXPECT_EQ(korva::run_in_team(*env, 100000, false, [&] { return ++runs, 0; }), -9031);
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(env->nesting, 0);
  EXPECT_EQ(errors->text(), "KORVA Error  9031: MT: invalid threadcount.\n");
}

TEST_F(Optimizer, MaxThreadsInsideATeamCountsItsFreeWorkers) {
  env->processor_count = 64;
  EXPECT_EQ(KRVEgetmaxthreads(env), 32);
  int inside = 0;
  korva::run_in_team(*env, 4, true, [&] {
    inside = KRVEgetmaxthreads(env);
    return 0;
  });
  EXPECT_EQ(inside, 4);
}

TEST_F(Optimizer, FinalizeStopsEveryWorker) {
  env->processor_count = 3;
  RunInfo info;
  korva::optimizer_entry(env, &problem, Threads::Parallel,
                         [&](Environment& e, FakeProblem& p) { return record_run(e, p, info); });
  EXPECT_GT(korva::worker_pool_size(), 0);
  EXPECT_EQ(KRVfinalize(), 0);
  EXPECT_EQ(korva::worker_pool_size(), 0);
  EXPECT_EQ(KRVinitialize(), 0);
  // The pool starts again on demand.
  korva::optimizer_entry(env, &problem, Threads::Parallel,
                         [&](Environment& e, FakeProblem& p) { return record_run(e, p, info); });
  EXPECT_EQ(info.tasks_run, 2);
}

// -------------------------------------------------------------------------
// Worker clones

namespace {

// Clone logs are created in the working directory; each test gets its own.
class Clones : public EnvTest {
 protected:
  void SetUp() override {
    previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EnvTest::SetUp();
  }
  void TearDown() override {
    EnvTest::TearDown();
    std::filesystem::current_path(previous);
  }
  bool exists(const char* name) { return std::filesystem::exists(dir.path() / name); }
  TempDir dir;
  std::filesystem::path previous;
};

}  // namespace

TEST_F(Clones, CloneCopiesParametersAndIsKeptForReuse) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 2), 0);
  int status = -1;
  Environment* clone = korva::worker_clone(*env, 0, &status);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(clone->parent, env);
  EXPECT_TRUE(clone->is_worker_clone);
  EXPECT_EQ(clone->int_param(KRV_PARAM_SIMDISPLAY), 2);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
  EXPECT_EQ(korva::worker_clone(*env, 0, &status), clone);
  EXPECT_EQ(clone->int_param(KRV_PARAM_SIMDISPLAY), 0);
  EXPECT_EQ(env->live_children, 0);  // clones are not the application's children
  KRVenv handle = clone;
  EXPECT_EQ(KRVcloseKORVA(&handle), 1021);
  EXPECT_EQ(KRVfreeparenv(env, &handle), 1003);
  EXPECT_FALSE(exists("clone0.log"));  // no log: the parent has none
}

TEST_F(Clones, CloneLogWhenAskedFor) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_CLONELOG, 1), 0);
  int status = 0;
  Environment* c0 = korva::worker_clone(*env, 0, &status);
  Environment* c1 = korva::worker_clone(*env, 1, &status);
  ASSERT_NE(c0, nullptr);
  ASSERT_NE(c1, nullptr);
  korva::msg(c1->results(), "from clone one\n");
  FILE* log = nullptr;
  KRVgetlogfile(c1, &log);
  EXPECT_NE(log, nullptr);
  KRVcloseKORVA(&env);  // closes the clone logs
  EXPECT_TRUE(exists("clone0.log"));
  EXPECT_EQ(read_file((dir.path() / "clone1.log").string()), "from clone one\n");
}

TEST_F(Clones, CloneLogFollowsTheParentsLogByDefault) {
  FILE* parent_log = std::fopen("parent.log", "w");
  ASSERT_EQ(KRVsetlogfile(env, parent_log), 0);
  int status = 0;
  Environment* clone = korva::worker_clone(*env, 0, &status);
  ASSERT_NE(clone, nullptr);
  EXPECT_TRUE(exists("clone0.log"));
  EXPECT_NE(clone->params.log_file, parent_log);
  KRVcloseKORVA(&env);
  std::fclose(parent_log);  // still ours: the library never closed it
}

TEST_F(Clones, NeverACloneLogWhenSwitchedOff) {
  FILE* parent_log = std::fopen("parent.log", "w");
  ASSERT_EQ(KRVsetlogfile(env, parent_log), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_CLONELOG, -1), 0);
  int status = 0;
  Environment* clone = korva::worker_clone(*env, 0, &status);
  ASSERT_NE(clone, nullptr);
  EXPECT_FALSE(exists("clone0.log"));
  EXPECT_EQ(clone->params.log_file, nullptr);
  KRVcloseKORVA(&env);
  std::fclose(parent_log);
}

TEST_F(Clones, CloneTicksAreMergedByMaximum) {
  int status = 0;
  Environment* c0 = korva::worker_clone(*env, 0, &status);
  Environment* c1 = korva::worker_clone(*env, 1, &status);
  const uint64_t start = env->ticks.own.value;
  c0->ticks.charge(100);
  c1->ticks.charge(250);
  korva::free_worker_clones(*env);
  EXPECT_EQ(env->ticks.own.value, start + 250);
  EXPECT_TRUE(env->worker_clones.empty());
}

TEST_F(Clones, ClonesFollowTheTeam) {
  env->processor_count = 4;
  int status = 0;
  Environment* clone = korva::worker_clone(*env, 0, &status);
  korva::ThreadTeam* seen = nullptr;
  int nesting = -1;
  korva::run_in_team(*env, 2, true, [&] {
    seen = clone->team;
    nesting = clone->nesting;
    return 0;
  });
  EXPECT_NE(seen, nullptr);
  EXPECT_EQ(nesting, 1);
  EXPECT_EQ(clone->team, nullptr);
  EXPECT_EQ(clone->nesting, 0);
}

TEST_F(Clones, CloneInheritsTheRunningDeadline) {
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_TILIM, 50.0), 0);
  korva::ScopedTimeLimit frame(*env);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_TILIM, 1e75), 0);
  int status = 0;
  Environment* clone = korva::worker_clone(*env, 0, &status);
  EXPECT_EQ(clone->time_limit_top->deadline, frame.frame().deadline);
}

// -------------------------------------------------------------------------
// Locks

TEST_F(EnvTest, LocksRegisterAndAccumulateWaiting) {
  EXPECT_EQ(korva::registered_lock_count(*env), 0);
  {
    korva::RegisteredLock a(*env), b(*env);
    EXPECT_EQ(korva::registered_lock_count(*env), 2);
    a.lock();
    std::atomic<bool> about_to_wait{false};
    std::thread waiter([&] {
      about_to_wait = true;
      std::lock_guard<korva::RegisteredLock> guard(a);
    });
    while (!about_to_wait) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    a.unlock();
    waiter.join();
    EXPECT_GT(a.wait_seconds(), 0.0);
    EXPECT_EQ(b.wait_seconds(), 0.0);
    EXPECT_GE(korva::lock_wait_total(*env), a.wait_seconds());
  }
  EXPECT_EQ(korva::registered_lock_count(*env), 0);
}

