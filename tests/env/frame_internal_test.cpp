// The calling frame: the order of its checks, the informational-callback
// restriction, exception handling and single reporting.
#include <new>

#include "env/callbacks.h"
#include "env/frame.h"
#include "support/korva_test.h"

using korva::Environment;
using korva_test::Capture;
using korva_test::EnvTest;
namespace api = korva::api;

namespace {

// Stands in for a problem object: what the frame sees of one.
struct FakeProblem {
  korva::ObjectHeader header;
  int value = 0;
};

void make_member(FakeProblem& p, Environment* env) {
  p.header.self = &p;
  p.header.root_env = env->root();
  p.header.created_in = env;
}

class Frame : public EnvTest {
 protected:
  int call_with(FakeProblem* p, unsigned flags, int body_status = 0) {
    body_runs = 0;
    return api::call(env, p, flags, [&](Environment&, FakeProblem&) {
      ++body_runs;
      return body_status;
    });
  }
  int body_runs = 0;
};

}  // namespace

TEST_F(Frame, ChecksEnvironmentFirst) {
  FakeProblem p;
  make_member(p, env);
  EXPECT_EQ(api::call(nullptr, &p, api::kNone, [](Environment&, FakeProblem&) { return 0; }),
            1002);
}

TEST_F(Frame, ProblemOfAnotherEnvironmentIsNotAMember) {
  int status = 0;
  KRVenv other = KRVopenKORVA(&status);
  FakeProblem foreign;
  make_member(foreign, other);
  EXPECT_EQ(call_with(&foreign, api::kNone), 1806);
  EXPECT_EQ(body_runs, 0);
  EXPECT_EQ(errors->text(), "KORVA Error  1806: Problem is not member of this environment.\n");
  KRVcloseKORVA(&other);
}

TEST_F(Frame, ProblemIsAMemberThroughAChildEnvironment) {
  int status = 0;
  KRVenv child = KRVparenv(env, &status);
  FakeProblem p;
  make_member(p, env);
  EXPECT_EQ(api::call(child, &p, api::kNone, [](Environment&, FakeProblem& q) { return q.value; }),
            0);
  FakeProblem made_in_child;
  make_member(made_in_child, child);
  EXPECT_EQ(call_with(&made_in_child, api::kNone), 0);
  EXPECT_EQ(body_runs, 1);
}

TEST_F(Frame, MissingProblemIsNoProblemUnlessTheBodyTakesNull) {
  EXPECT_EQ(call_with(nullptr, api::kNone), 1009);
  EXPECT_EQ(body_runs, 0);
  int seen_null = 0;
  EXPECT_EQ(api::call(env, static_cast<FakeProblem*>(nullptr), api::kNullProblemOk,
                      [&](Environment&, FakeProblem* p) {
                        seen_null = p == nullptr;
                        return 0;
                      }),
            0);
  EXPECT_EQ(seen_null, 1);
}

TEST_F(Frame, FreedProblemIsNoProblem) {
  FakeProblem p;
  make_member(p, env);
  p.header.self = nullptr;
  EXPECT_EQ(call_with(&p, api::kNone), 1009);
}

TEST_F(Frame, MembershipAndMissingProblemComeBeforeTheCallbackCheck) {
  int status = 0;
  KRVenv other = KRVopenKORVA(&status);
  FakeProblem foreign;
  make_member(foreign, other);
  env->info_callback_depth = 1;
  EXPECT_EQ(call_with(&foreign, api::kNone), 1806);
  EXPECT_EQ(call_with(nullptr, api::kNone), 1009);
  FakeProblem own;
  make_member(own, env);
  EXPECT_EQ(call_with(&own, api::kNone), 1804);
  EXPECT_EQ(call_with(&own, api::kInfoCallbackOk), 0);
  env->info_callback_depth = 0;
  KRVcloseKORVA(&other);
}

TEST_F(Frame, ArgumentChecksRunOnlyAfterTheCallbackCheck) {
  FakeProblem own;
  make_member(own, env);
  env->info_callback_depth = 1;
  EXPECT_EQ(call_with(&own, api::kNone, 1004), 1804);
  EXPECT_EQ(body_runs, 0);
  env->info_callback_depth = 0;
  EXPECT_EQ(call_with(&own, api::kNone, 1004), 1004);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1804: Calling routines from info callback.\n"
            "KORVA Error  1004: Null pointer for required data.\n");
}

TEST_F(Frame, PermissionOnTheParentChainLiftsTheCallbackRestriction) {
  int status = 0;
  KRVenv child = KRVparenv(env, &status);
  env->info_callback_depth = 1;
  EXPECT_EQ(api::call(child, api::kNone, [](Environment&) { return 0; }), 1804);
  env->callback_permission = 1;
  EXPECT_EQ(api::call(child, api::kNone, [](Environment&) { return 0; }), 0);
  env->callback_permission = 0;
  env->info_callback_depth = 0;
}

TEST_F(Frame, ReportsEachFailureOnce) {
  EXPECT_EQ(api::call(env, api::kNone, [&](Environment& e) {
              return -korva::report_error(&e, 1003);  // printed down below already
            }),
            1003);
  EXPECT_EQ(errors->text(), "KORVA Error  1003: Bad argument to Callable Library function.\n");
}

TEST_F(Frame, TurnsExceptionsIntoCodes) {
  EXPECT_EQ(api::call(env, api::kNone, [](Environment&) -> int { throw std::bad_alloc(); }),
            1001);
  EXPECT_EQ(api::call(env, api::kNone, [](Environment&) -> int { korva::fail(1217); }), 1217);
  EXPECT_EQ(errors->text(),
            "KORVA Error  1001: Out of memory.\n"
            "KORVA Error  1217: No solution exists.\n");
}

TEST_F(Frame, LongOperationsRunInTheirOwnTimeLimitFrame) {
  korva::TimeLimitFrame* outside = env->time_limit_top;
  korva::TimeLimitFrame* inside = nullptr;
  korva::TimeLimitFrame* enclosing = nullptr;
  api::call(env, api::kLongOperation, [&](Environment& e) {
    inside = e.time_limit_top;
    enclosing = inside->previous;
    return 0;
  });
  EXPECT_NE(inside, outside);
  EXPECT_EQ(enclosing, outside);
  EXPECT_EQ(env->time_limit_top, outside);
}

// -------------------------------------------------------------------------
// Informational callbacks

namespace {

struct CallbackProbe {
  int set_status = -1;
  int time_status = -1;
  int channels_status = -1;
  int depth_seen = -1;
};

int probing_callback(KRVenv env, void*, int wherefrom, void* handle) {
  auto* probe = static_cast<CallbackProbe*>(handle);
  probe->set_status = KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 2);
  double t = 0;
  probe->time_status = KRVgettime(env, &t);
  KRVchannel results = nullptr;
  probe->channels_status = KRVgetchannels(env, &results, nullptr, nullptr, nullptr);
  probe->depth_seen = env->info_callback_depth;
  return wherefrom == 101 ? 0 : 1;
}

}  // namespace

TEST_F(EnvTest, InfoCallbackMayOnlyQuery) {
  CallbackProbe probe;
  korva::CallbackSlot<KRVcallbackfunc> slot{probing_callback, &probe};
  EXPECT_EQ(korva::invoke_info_callback(*env, slot, nullptr, 101), 0);
  EXPECT_EQ(probe.set_status, 1804);
  EXPECT_EQ(probe.time_status, 0);
  EXPECT_EQ(probe.channels_status, 0);
  EXPECT_EQ(probe.depth_seen, 1);
  EXPECT_EQ(errors->text(), "KORVA Error  1804: Calling routines from info callback.\n");

  // Afterwards the environment accepts everything again.
  EXPECT_EQ(env->info_callback_depth, 0);
  EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 2), 0);
}

TEST_F(EnvTest, InfoCallbackValueAsksToStop) {
  CallbackProbe probe;
  korva::CallbackSlot<KRVcallbackfunc> slot{probing_callback, &probe};
  EXPECT_EQ(korva::invoke_info_callback(*env, slot, nullptr, 107), 1);
  korva::CallbackSlot<KRVcallbackfunc> empty;
  EXPECT_EQ(korva::invoke_info_callback(*env, empty, nullptr, 101), 0);
}

TEST_F(EnvTest, InfoCallbackOnAChildMarksTheRoot) {
  int status = 0;
  KRVenv child = KRVparenv(env, &status);
  CallbackProbe probe;
  korva::CallbackSlot<KRVcallbackfunc> slot{probing_callback, &probe};
  korva::invoke_info_callback(*child, slot, nullptr, 101);
  EXPECT_EQ(probe.set_status, 1804);
  EXPECT_EQ(probe.depth_seen, 0);  // the child's own counter stays; the root carries the mark
  EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 2), 0);
}

TEST_F(EnvTest, ChildrenAreLimitedByTheThreadLimit) {
  env->thread_limit = 2;
  int status = 0;
  KRVenv a = KRVparenv(env, &status);
  KRVenv b = KRVparenv(env, &status);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(KRVparenv(env, &status), nullptr);
  EXPECT_EQ(status, 1020);
  EXPECT_EQ(errors->text(), "KORVA Error  1020: Thread limit exceeded.\n");
  EXPECT_EQ(a->thread_limit, 2);  // children inherit the limit
  ASSERT_EQ(KRVfreeparenv(env, &a), 0);
  EXPECT_NE(KRVparenv(env, &status), nullptr);
  EXPECT_EQ(KRVparenv(env, nullptr), nullptr);
}
