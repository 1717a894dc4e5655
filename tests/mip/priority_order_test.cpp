// Generated priority orders in KRVmipopt (KRV_PARAM_MIPORDTYPE 1, 2, 3):
// the search runs exactly as it does with the same priorities given by
// KRVcopyorder, the rule's line goes to the results channel, and the
// problem keeps the order its owner gave (or none). An order of the
// problem's own, or KRV_PARAM_MIPORDIND 0, means no order is generated.
#include <cmath>
#include <string>
#include <vector>

#include "mip/priority_models.h"

namespace {


struct SearchTrace {
  int status = 0;
  double objective = 0.0;
  double bound = 0.0;
  long long nodes = 0;
  long long iterations = 0;
};

class PriorityOrderSearch : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_EPGAP, 0.0), 0);
    ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_EPAGAP, 0.0), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 1), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, 1), 0);
  }
  SearchTrace solve() {
    SearchTrace t;
    EXPECT_EQ(KRVmipopt(env, lp), 0);
    t.status = KRVgetstat(env, lp);
    EXPECT_EQ(KRVgetobjval(env, lp, &t.objective), 0);
    EXPECT_EQ(KRVgetbestobjval(env, lp, &t.bound), 0);
    t.nodes = KRVLgetnodecnt(env, lp);
    t.iterations = KRVLgetmipitcnt(env, lp);
    return t;
  }
  // The search with no generated order but this one given by the caller
  // (removed again afterwards).
  SearchTrace solve_with_order(const std::vector<int>& indices, const std::vector<int>& priority) {
    EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_MIPORDTYPE, 0), 0);
    EXPECT_EQ(KRVcopyorder(env, lp, static_cast<int>(indices.size()), indices.data(), priority.data(), nullptr), 0);
    const SearchTrace t = solve();
    EXPECT_EQ(KRVcopyorder(env, lp, 0, nullptr, nullptr, nullptr), 0);
    return t;
  }
  SearchTrace solve_generated(int type) {
    EXPECT_EQ(KRVsetintparam(env, KRV_PARAM_MIPORDTYPE, type), 0);
    return solve();
  }
  int order_count() {
    int count = -1, surplus = 0;
    const int code = KRVgetorder(env, lp, &count, nullptr, nullptr, nullptr, 0, &surplus);
    return code == 3016 ? -1 : count - surplus;  // -1: no order
  }
};

void expect_same_search(const SearchTrace& a, const SearchTrace& b, const std::string& what) {
  EXPECT_EQ(a.status, b.status) << what;
  EXPECT_EQ(a.objective, b.objective) << what;
  EXPECT_EQ(a.bound, b.bound) << what;
  EXPECT_EQ(a.nodes, b.nodes) << what;
  EXPECT_EQ(a.iterations, b.iterations) << what;
}

TEST_F(PriorityOrderSearch, GeneratedOrdersSteerTheSearchLikeTheSameOrderGiven) {
  ASSERT_EQ(priority_test::knapsack_model().load(env, lp), 0);
  const SearchTrace plain = solve_generated(0);
  ASSERT_EQ(plain.status, 101);
  int differs = 0;
  for (const auto& expected : priority_test::knapsack_model_orders()) {
    const std::string what = "type " + std::to_string(expected.type);
    results->clear();
    const SearchTrace generated = solve_generated(expected.type);
    EXPECT_NE(results->text().find(priority_test::order_message(expected.type)), std::string::npos) << what;
    expect_same_search(generated, solve_with_order(expected.indices, expected.priority), what);
    EXPECT_NEAR(generated.objective, plain.objective, 1e-9) << what;
    if (generated.nodes != plain.nodes || generated.iterations != plain.iterations) ++differs;
  }
  // Each order changes the search of this model: the comparison above can
  // tell a wrong order from the right one.
  EXPECT_EQ(differs, 3);
}

TEST_F(PriorityOrderSearch, TheProblemKeepsNoOrderOrItsOwn) {
  ASSERT_EQ(priority_test::knapsack_model().load(env, lp), 0);
  solve_generated(2);
  EXPECT_EQ(order_count(), -1);

  // An order of the problem's own is used as it is: nothing is generated.
  const std::vector<int> indices = {3, 2}, priority = {1, 5}, direction = {1, -1};
  ASSERT_EQ(KRVcopyorder(env, lp, 2, indices.data(), priority.data(), direction.data()), 0);
  results->clear();
  const SearchTrace own = solve_generated(2);
  EXPECT_EQ(results->text().find("Generated priority order"), std::string::npos);
  std::vector<int> ind(2), pri(2), dir(2);
  int count = 0, surplus = 0;
  ASSERT_EQ(KRVgetorder(env, lp, &count, ind.data(), pri.data(), dir.data(), 2, &surplus), 0);
  EXPECT_EQ(ind, indices);
  EXPECT_EQ(pri, priority);
  EXPECT_EQ(dir, direction);
  EXPECT_EQ(own.status, 101);
}

TEST_F(PriorityOrderSearch, NoOrderIsGeneratedWhenOrdersAreSwitchedOffOrTheLogIs) {
  ASSERT_EQ(priority_test::knapsack_model().load(env, lp), 0);
  const SearchTrace plain = solve_generated(0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPORDIND, 0), 0);
  results->clear();
  const SearchTrace off = solve_generated(1);
  expect_same_search(off, plain, "orders off");
  EXPECT_EQ(results->text().find("Generated priority order"), std::string::npos);

  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPORDIND, 1), 0);
  const SearchTrace shown = solve_generated(1);
  EXPECT_NE(shown.iterations, off.iterations);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 0), 0);
  results->clear();
  expect_same_search(solve_generated(1), shown, "display off");
  EXPECT_EQ(results->text(), "");
}

// p0033: 33 binaries. Every generated order keeps the search exact, and
// the range order, which ranks all binaries alike, is no order at all.
TEST_F(PriorityOrderSearch, GeneratedOrdersOnACollectionModel) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection_model("p0033");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 1), 0);
  const SearchTrace plain = solve_generated(0);
  ASSERT_EQ(plain.status, 101);
  EXPECT_NEAR(plain.objective, 3089.0, 1e-6);
  for (int type : {1, 2, 3}) {
    results->clear();
    const SearchTrace generated = solve_generated(type);
    EXPECT_EQ(generated.status, 101) << type;
    EXPECT_NEAR(generated.objective, 3089.0, 1e-6) << type;
    EXPECT_NE(results->text().find(priority_test::order_message(type)), std::string::npos) << type;
    if (type == 2) expect_same_search(generated, plain, "range order of binaries");
  }
  EXPECT_EQ(order_count(), -1);
}

}  // namespace
