// The node and delete-node adapters between the library's 64-bit numbers and
// the application's 32-bit callbacks.
#include "env/callbacks.h"
#include "env/environment.h"
#include "support/korva_test.h"

using korva_test::EnvTest;

namespace {

int pick_next(KRVenv, void*, int, void* handle, int* nodeindex, int* useraction) {
  *static_cast<int*>(handle) = *nodeindex;
  *nodeindex += 1;
  *useraction = 0;
  return 0;
}

int pick_far(KRVenv, void*, int, void*, long long* nodeindex, int*) {
  *nodeindex = 5000000000LL;
  return 0;
}

int deleted_calls = 0;
int last_seqnum = 0;
void count_deleted(KRVenv, int, void*, int seqnum, void*) {
  ++deleted_calls;
  last_seqnum = seqnum;
}

struct FakeProblem {
  korva::ObjectHeader header;
  int discarded = 0;
};
void discard(korva::ObjectHeader* h) { ++reinterpret_cast<FakeProblem*>(h)->discarded; }

}  // namespace

TEST_F(EnvTest, NodeCallbackSeesA32BitIndex) {
  int seen = -1;
  ASSERT_EQ(KRVsetnodecallbackfunc(env, pick_next, &seen), 0);
  int64_t index = 41;
  int action = -1;
  EXPECT_EQ(korva::invoke_node_callback(*env, nullptr, 103, &index, &action), 0);
  EXPECT_EQ(seen, 41);
  EXPECT_EQ(index, 42);
  index = 3000000000LL;
  EXPECT_EQ(korva::invoke_node_callback(*env, nullptr, 103, &index, &action), 1810);
}

TEST_F(EnvTest, InternalNodeCallbackWorksIn64Bits) {
  korva::install_node_callback64(*env, pick_far, nullptr);
  KRVnodecallbackfunc user = pick_next;
  KRVgetnodecallbackfunc(env, &user, nullptr);
  EXPECT_EQ(user, nullptr);  // the application's slot is empty
  int64_t index = 0;
  int action = 0;
  EXPECT_EQ(korva::invoke_node_callback(*env, nullptr, 103, &index, &action), 0);
  EXPECT_EQ(index, 5000000000LL);
  // Setting the application's callback replaces the internal one.
  int seen = 0;
  KRVsetnodecallbackfunc(env, pick_next, &seen);
  EXPECT_FALSE(env->callbacks.node64.is_set());
}

TEST_F(EnvTest, DeleteNodeCallbackRefusesSequenceNumbersBeyond32Bits) {
  deleted_calls = 0;
  ASSERT_EQ(KRVsetdeletenodecallbackfunc(env, count_deleted, nullptr), 0);
  EXPECT_EQ(korva::invoke_delete_node_callback(*env, 0, 77, nullptr), 0);
  EXPECT_EQ(last_seqnum, 77);
  EXPECT_EQ(korva::invoke_delete_node_callback(*env, 0, 1LL << 33, nullptr), -1810);
  EXPECT_EQ(deleted_calls, 1);
  EXPECT_EQ(errors->text(), "KORVA Error  1810: Overflow of 32-bit integer value.\n");
}

TEST_F(EnvTest, ChangingTheDeleteNodeCallbackDropsSearches) {
  FakeProblem p;
  p.header.self = &p;
  p.header.root_env = env;
  p.header.created_in = env;
  p.header.discard_search = discard;
  korva::track_object(*env, korva::ObjectKind::Problem, &p);
  int h = 0;
  KRVsetdeletenodecallbackfunc(env, count_deleted, nullptr);
  EXPECT_EQ(p.discarded, 1);
  KRVsetdeletenodecallbackfunc(env, count_deleted, nullptr);  // unchanged
  EXPECT_EQ(p.discarded, 1);
  KRVsetdeletenodecallbackfunc(env, count_deleted, &h);  // new handle
  EXPECT_EQ(p.discarded, 2);
  KRVsetdeletenodecallbackfunc(env, nullptr, nullptr);
  EXPECT_EQ(p.discarded, 3);
  korva::untrack_object(*env, &p);
}

TEST_F(EnvTest, SerialCallbacksLimitTheMipCountOnly) {
  env->processor_count = 64;
  EXPECT_EQ(KRVEgetmaxthreads(env), 32);
  ASSERT_EQ(KRVsetlpcallbackfunc(env, [](KRVenv, void*, int, void*) { return 0; }, nullptr), 0);
  // The general and barrier counts still allow 32.
  EXPECT_EQ(KRVEgetmaxthreads(env), 32);
}
