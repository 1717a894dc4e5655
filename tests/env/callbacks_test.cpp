// The callback registry: every slot stores a function with its handle.
#include <functional>

#include "support/korva_test.h"

using korva_test::EnvTest;

namespace {

int info_fn(KRVenv, void*, int, void*) { return 0; }
int cut_fn(KRVenv, void*, int, void*, int*) { return 0; }
int cut_fn2(KRVenv, void*, int, void*, int*) { return 0; }
int branch_fn(KRVenv, void*, int, void*, int, int, int, int, const int*, const int*, const char*,
              const double*, const double*, int*) {
  return 0;
}
int node_fn(KRVenv, void*, int, void*, int*, int*) { return 0; }
int heur_fn(KRVenv, void*, int, void*, double*, double*, int*, int*) { return 0; }
int incumbent_fn(KRVenv, void*, int, void*, double, double*, int*, int*) { return 0; }
int solve_fn(KRVenv, void*, int, void*, int*) { return 0; }
void delete_fn(KRVenv, int, void*, int, void*) {}

// One row per slot: store a function with a handle, read both back, clear.
struct SlotCase {
  const char* name;
  std::function<int(KRVenv, bool set, void* handle)> set;
  std::function<int(KRVenv, bool* same_fn, void** handle)> get;
};

template <class Fn>
SlotCase make_case(const char* name, int (*setter)(KRVenv, Fn, void*),
                   int (*getter)(KRVenv, Fn*, void**), Fn fn) {
  return {name, [=](KRVenv env, bool set, void* h) { return setter(env, set ? fn : nullptr, h); },
          [=](KRVenv env, bool* same, void** h) {
            Fn out = nullptr;
            const int status = getter(env, &out, h);
            *same = out == fn;
            return status;
          }};
}

std::vector<SlotCase> all_slots() {
  return {
      make_case("mip", KRVsetmipcallbackfunc, KRVgetmipcallbackfunc, info_fn),
      make_case("info", KRVsetinfocallbackfunc, KRVgetinfocallbackfunc, info_fn),
      make_case("lp", KRVsetlpcallbackfunc, KRVgetlpcallbackfunc, info_fn),
      make_case("net", KRVsetnetcallbackfunc, KRVgetnetcallbackfunc, info_fn),
      make_case("tuning", KRVsettuningcallbackfunc, KRVgettuningcallbackfunc, info_fn),
      make_case("branch", KRVsetbranchcallbackfunc, KRVgetbranchcallbackfunc, branch_fn),
      make_case("branchnosoln", KRVsetbranchnosolncallbackfunc, KRVgetbranchnosolncallbackfunc,
                branch_fn),
      make_case("cut", KRVsetcutcallbackfunc, KRVgetcutcallbackfunc, cut_fn),
      make_case("lazy", KRVsetlazyconstraintcallbackfunc, KRVgetlazyconstraintcallbackfunc,
                cut_fn),
      make_case("usercut", KRVsetusercutcallbackfunc, KRVgetusercutcallbackfunc, cut_fn),
      make_case("node", KRVsetnodecallbackfunc, KRVgetnodecallbackfunc, node_fn),
      make_case("heuristic", KRVsetheuristiccallbackfunc, KRVgetheuristiccallbackfunc, heur_fn),
      make_case("incumbent", KRVsetincumbentcallbackfunc, KRVgetincumbentcallbackfunc,
                incumbent_fn),
      make_case("solve", KRVsetsolvecallbackfunc, KRVgetsolvecallbackfunc, solve_fn),
      make_case("deletenode", KRVsetdeletenodecallbackfunc, KRVgetdeletenodecallbackfunc,
                delete_fn),
  };
}

}  // namespace

TEST_F(EnvTest, EverySlotStoresFunctionAndHandle) {
  int handle_target = 0;
  for (const SlotCase& c : all_slots()) {
    ASSERT_EQ(c.set(env, true, &handle_target), 0) << c.name;
    bool same = false;
    void* handle = nullptr;
    ASSERT_EQ(c.get(env, &same, &handle), 0) << c.name;
    EXPECT_TRUE(same) << c.name;
    EXPECT_EQ(handle, &handle_target) << c.name;
    ASSERT_EQ(c.set(env, false, nullptr), 0) << c.name;
    ASSERT_EQ(c.get(env, &same, &handle), 0) << c.name;
    EXPECT_FALSE(same) << c.name;
    EXPECT_EQ(handle, nullptr) << c.name;
  }
  EXPECT_EQ(errors->text(), "");
}

TEST_F(EnvTest, EverySlotNeedsAnEnvironment) {
  for (const SlotCase& c : all_slots()) {
    bool same = false;
    void* handle = nullptr;
    EXPECT_EQ(c.set(nullptr, true, nullptr), 1002) << c.name;
    EXPECT_EQ(c.get(nullptr, &same, &handle), 1002) << c.name;
  }
  EXPECT_EQ(KRVsetprofcallbackfunc(nullptr, nullptr, nullptr), 1002);
}

TEST_F(EnvTest, GettersAcceptNullOutputs) {
  ASSERT_EQ(KRVsetinfocallbackfunc(env, info_fn, env), 0);
  EXPECT_EQ(KRVgetinfocallbackfunc(env, nullptr, nullptr), 0);
}

TEST_F(EnvTest, ProfileCallbackCanBeSet) {
  auto prof = [](KRVenv, int, void*) {};
  EXPECT_EQ(KRVsetprofcallbackfunc(env, prof, nullptr), 0);
  EXPECT_EQ(KRVsetprofcallbackfunc(env, nullptr, nullptr), 0);
}

TEST_F(EnvTest, CutCallbackAfterLazyConstraintCallbackIsStoredWithError) {
  int h1 = 0, h2 = 0;
  ASSERT_EQ(KRVsetlazyconstraintcallbackfunc(env, cut_fn, &h1), 0);
  EXPECT_EQ(KRVsetcutcallbackfunc(env, cut_fn2, &h2), 1006);
  EXPECT_EQ(errors->text(), "KORVA Error  1006: Error during callback.\n");
  KRVcutcallbackfunc fn = nullptr;
  void* handle = nullptr;
  EXPECT_EQ(KRVgetcutcallbackfunc(env, &fn, &handle), 0);
  EXPECT_EQ(fn, cut_fn2);
  EXPECT_EQ(handle, &h2);
  EXPECT_EQ(KRVgetlazyconstraintcallbackfunc(env, &fn, &handle), 0);
  EXPECT_EQ(fn, cut_fn);
  EXPECT_EQ(handle, &h1);
}

TEST_F(EnvTest, CutCallbackAfterUserCutCallbackIsStoredWithError) {
  ASSERT_EQ(KRVsetusercutcallbackfunc(env, cut_fn, nullptr), 0);
  EXPECT_EQ(KRVsetcutcallbackfunc(env, cut_fn2, nullptr), 1006);
}

TEST_F(EnvTest, LazyOrUserCutCallbackAfterCutCallbackIsStoredWithError) {
  ASSERT_EQ(KRVsetcutcallbackfunc(env, cut_fn, nullptr), 0);
  EXPECT_EQ(KRVsetlazyconstraintcallbackfunc(env, cut_fn2, nullptr), 1006);
  EXPECT_EQ(KRVsetusercutcallbackfunc(env, cut_fn2, nullptr), 1006);
  KRVcutcallbackfunc fn = nullptr;
  KRVgetusercutcallbackfunc(env, &fn, nullptr);
  EXPECT_EQ(fn, cut_fn2);
  // Clearing a slot never conflicts, and without the cut callback the
  // dedicated ones are accepted again.
  EXPECT_EQ(KRVsetlazyconstraintcallbackfunc(env, nullptr, nullptr), 0);
  EXPECT_EQ(KRVsetcutcallbackfunc(env, nullptr, nullptr), 0);
  EXPECT_EQ(KRVsetlazyconstraintcallbackfunc(env, cut_fn, nullptr), 0);
}

TEST_F(EnvTest, ControlCallbacksDoNotChangeTheDefaultThreadCount) {
  const int before = KRVEgetmaxthreads(env);
  ASSERT_EQ(KRVsetbranchcallbackfunc(env, branch_fn, nullptr), 0);
  ASSERT_EQ(KRVsetlpcallbackfunc(env, info_fn, nullptr), 0);
  EXPECT_EQ(KRVEgetmaxthreads(env), before);
}

TEST_F(EnvTest, ChildEnvironmentStartsWithTheParentsCallbacks) {
  int h = 0;
  ASSERT_EQ(KRVsetincumbentcallbackfunc(env, incumbent_fn, &h), 0);
  int status = 0;
  KRVenv child = KRVparenv(env, &status);
  KRVincumbentcallbackfunc fn = nullptr;
  void* handle = nullptr;
  EXPECT_EQ(KRVgetincumbentcallbackfunc(child, &fn, &handle), 0);
  EXPECT_EQ(fn, incumbent_fn);
  EXPECT_EQ(handle, &h);
}
