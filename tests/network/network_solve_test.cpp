// The network simplex against the dual simplex on the same problem written
// as an LP, on generated networks of every kind, with every pricing; and
// the proofs that come with a flow: conservation and reduced costs.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "korva/korva.h"
#include "support/korva_test.h"
#include "network/netgen.h"
#include "network/network_lp_form.h"

namespace {

using korva_test::EnvTest;

KRVnet load(KRVenv env, const netgen::Instance& g) { return netlp::load_network(env, g); }

// The dual simplex on the LP form.
double lp_objective(KRVenv env, const netgen::Instance& g, int* lpstat) {
  KRVprob lp = netlp::load_lp(env, g);
  EXPECT_EQ(KRVdualopt(env, lp), 0);
  *lpstat = KRVgetstat(env, lp);
  double obj = 0.0;
  KRVgetobjval(env, lp, &obj);
  KRVfreeprob(env, &lp);
  return obj;
}

// Conservation at every node, bounds on every arc, and complementary
// reduced costs: the flow is optimal, whatever the LP side says.
void expect_optimal_flow(KRVenv env, KRVnet net, const netgen::Instance& g) {
  std::vector<double> x(g.arcs()), pi(g.nodes), slack(g.nodes), dj(g.arcs());
  int stat = 0;
  double obj = 0.0;
  ASSERT_EQ(KRVNETsolution(env, net, &stat, &obj, x.data(), pi.data(), slack.data(), dj.data()), 0);
  ASSERT_EQ(stat, KRV_STAT_OPTIMAL);
  std::vector<double> outflow(g.nodes, 0.0);
  double cost = 0.0;
  for (int a = 0; a < g.arcs(); ++a) {
    outflow[g.from[a]] += x[a];
    outflow[g.to[a]] -= x[a];
    cost += g.cost[a] * x[a];
    EXPECT_GE(x[a], g.lower[a] - 1e-9);
    EXPECT_LE(x[a], g.upper[a] + 1e-9);
    EXPECT_NEAR(dj[a], g.cost[a] - pi[g.from[a]] + pi[g.to[a]], 1e-9);
    if (x[a] < g.upper[a] - 1e-9) {
      EXPECT_GE(dj[a], -1e-6) << "arc " << a;
    }
    if (x[a] > g.lower[a] + 1e-9) {
      EXPECT_LE(dj[a], 1e-6) << "arc " << a;
    }
  }
  for (int i = 0; i < g.nodes; ++i) {
    EXPECT_NEAR(outflow[i], g.supply[i], 1e-9) << "node " << i;
    EXPECT_NEAR(slack[i], 0.0, 1e-9);
  }
  EXPECT_NEAR(cost, obj, 1e-9 * (1.0 + std::fabs(obj)));
}

struct Case {
  netgen::Kind kind;
  int nodes, arcs;
};

class NetworkSolve : public EnvTest, public ::testing::WithParamInterface<int> {};

TEST_P(NetworkSolve, GeneratedNetworksMatchTheDualSimplex) {
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_NETPPRIIND, GetParam()), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_NETDISPLAY, 0), 0);
  const Case cases[] = {{netgen::Kind::Transshipment, 60, 400},
                        {netgen::Kind::Transshipment, 300, 3000},
                        {netgen::Kind::Transportation, 40, 500},
                        {netgen::Kind::Assignment, 50, 600}};
  for (const Case& c : cases) {
    for (uint64_t seed = 1; seed <= 3; ++seed) {
      netgen::Spec spec;
      spec.kind = c.kind;
      spec.nodes = c.nodes;
      spec.arcs = c.arcs;
      spec.sources = c.kind == netgen::Kind::Transportation ? c.nodes / 2 : 8;
      spec.sinks = c.kind == netgen::Kind::Transportation ? c.nodes / 2 : 6;
      spec.seed = seed;
      const netgen::Instance g = netgen::generate(spec);
      SCOPED_TRACE("kind " + std::to_string(static_cast<int>(c.kind)) + " seed " + std::to_string(seed));
      KRVnet net = load(env, g);
      ASSERT_EQ(KRVNETprimopt(env, net), 0);
      ASSERT_EQ(KRVNETgetstat(env, net), KRV_STAT_OPTIMAL);
      expect_optimal_flow(env, net, g);
      double obj = 0.0;
      ASSERT_EQ(KRVNETgetobjval(env, net, &obj), 0);
      int lpstat = 0;
      const double lpobj = lp_objective(env, g, &lpstat);
      ASSERT_EQ(lpstat, KRV_STAT_OPTIMAL);
      EXPECT_NEAR(obj, lpobj, 1e-9 * std::max(1.0, std::fabs(lpobj)));
      KRVNETfreeprob(env, &net);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pricing, NetworkSolve, ::testing::Values(0, 1, 2, 3));

class NetworkOutcomes : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    int status = 0;
    net = KRVNETcreateprob(env, &status, "small");
    ASSERT_EQ(status, 0);
    KRVsetintparam(env, KRV_PARAM_NETDISPLAY, 0);
  }
  void TearDown() override {
    KRVNETfreeprob(env, &net);
    EnvTest::TearDown();
  }
  // Two sources, two sinks: the textbook transportation example.
  void small_transport() {
    const double supply[] = {5, 5, -4, -6};
    const int from[] = {0, 0, 1, 1};
    const int to[] = {2, 3, 2, 3};
    const double cost[] = {1, 3, 2, 1};
    ASSERT_EQ(KRVNETcopynet(env, net, KRV_MIN, 4, supply, nullptr, 4, from, to, nullptr, nullptr, cost,
                            nullptr),
              0);
  }
  KRVnet net = nullptr;
};

TEST_F(NetworkOutcomes, SmallTransportationOptimum) {
  small_transport();
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  EXPECT_EQ(KRVNETgetstat(env, net), KRV_STAT_OPTIMAL);
  double obj = 0.0, x[4];
  ASSERT_EQ(KRVNETgetobjval(env, net, &obj), 0);
  EXPECT_DOUBLE_EQ(obj, 4 * 1 + 1 * 3 + 5 * 1);  // 0->2: 4, 0->3: 1, 1->3: 5
  ASSERT_EQ(KRVNETgetx(env, net, x, 0, 3), 0);
  EXPECT_DOUBLE_EQ(x[0], 4);
  EXPECT_DOUBLE_EQ(x[1], 1);
  EXPECT_DOUBLE_EQ(x[3], 5);
  int pfeas = 0, dfeas = 0;
  ASSERT_EQ(KRVNETsolninfo(env, net, &pfeas, &dfeas), 0);
  EXPECT_EQ(pfeas, 1);
  EXPECT_EQ(dfeas, 1);
  EXPECT_GT(KRVNETgetitcnt(env, net), 0);
}

TEST_F(NetworkOutcomes, MaximisationReportsInTheUsersSense) {
  small_transport();
  ASSERT_EQ(KRVNETchgobjsen(env, net, KRV_MAX), 0);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  double obj = 0.0;
  ASSERT_EQ(KRVNETgetobjval(env, net, &obj), 0);
  EXPECT_DOUBLE_EQ(obj, 24.0);  // 0->3: 5, 1->2: 4, 1->3: 1
}

TEST_F(NetworkOutcomes, UnbalancedSuppliesAreInfeasible) {
  const double supply[] = {5, -3};
  const int from[] = {0}, to[] = {1};
  ASSERT_EQ(KRVNETcopynet(env, net, KRV_MIN, 2, supply, nullptr, 1, from, to, nullptr, nullptr, nullptr,
                          nullptr),
            0);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  EXPECT_EQ(KRVNETgetstat(env, net), KRV_STAT_INFEASIBLE);
}

TEST_F(NetworkOutcomes, TooLittleCapacityIsInfeasible) {
  const double supply[] = {5, -5};
  const int from[] = {0}, to[] = {1};
  const double up[] = {3};
  ASSERT_EQ(KRVNETcopynet(env, net, KRV_MIN, 2, supply, nullptr, 1, from, to, nullptr, up, nullptr, nullptr),
            0);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  EXPECT_EQ(KRVNETgetstat(env, net), KRV_STAT_INFEASIBLE);
}

TEST_F(NetworkOutcomes, NegativeCycleWithoutCapacityIsUnbounded) {
  const double supply[] = {1, -1, 0};
  const int from[] = {0, 1, 2, 2}, to[] = {1, 2, 1, 0};
  const double cost[] = {1, -2, 1, 5};
  ASSERT_EQ(KRVNETcopynet(env, net, KRV_MIN, 3, supply, nullptr, 4, from, to, nullptr, nullptr, cost,
                          nullptr),
            0);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  EXPECT_EQ(KRVNETgetstat(env, net), KRV_STAT_UNBOUNDED);
}

TEST_F(NetworkOutcomes, SelfLoopOnlyFlipsItsBound) {
  const double supply[] = {0};
  const int from[] = {0}, to[] = {0};
  const double up[] = {7}, cost[] = {-1};
  ASSERT_EQ(KRVNETcopynet(env, net, KRV_MIN, 1, supply, nullptr, 1, from, to, nullptr, up, cost, nullptr), 0);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  EXPECT_EQ(KRVNETgetstat(env, net), KRV_STAT_OPTIMAL);
  double x = 0.0, obj = 0.0;
  KRVNETgetx(env, net, &x, 0, 0);
  KRVNETgetobjval(env, net, &obj);
  EXPECT_DOUBLE_EQ(x, 7.0);
  EXPECT_DOUBLE_EQ(obj, -7.0);
}

// Costs so large that no penalty on artificial flow could outweigh them
// exactly: phase 1 then prices feasibility alone, and phase 2 the costs.
TEST_F(NetworkOutcomes, HugeCostsStillReachTheOptimum) {
  const double supply[] = {2, 0, -2};
  const int from[] = {0, 1, 0}, to[] = {1, 2, 2};
  const double cost[] = {3e13, 2e13, 9e13};
  ASSERT_EQ(KRVNETcopynet(env, net, KRV_MIN, 3, supply, nullptr, 3, from, to, nullptr, nullptr, cost, nullptr), 0);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  EXPECT_EQ(KRVNETgetstat(env, net), KRV_STAT_OPTIMAL);
  double x[3] = {}, obj = 0.0;
  KRVNETgetx(env, net, x, 0, 2);
  KRVNETgetobjval(env, net, &obj);
  EXPECT_DOUBLE_EQ(x[0], 2.0);
  EXPECT_DOUBLE_EQ(x[1], 2.0);
  EXPECT_DOUBLE_EQ(x[2], 0.0);
  EXPECT_DOUBLE_EQ(obj, 1e14);
}

TEST_F(NetworkOutcomes, ContradictoryBoundsWarnAndAreInfeasible) {
  small_transport();
  const int idx[] = {1, 1};
  const char lu[] = {'L', 'U'};
  const double bd[] = {2, 1};
  ASSERT_EQ(KRVNETchgbds(env, net, 2, idx, lu, bd), 0);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  EXPECT_EQ(KRVNETgetstat(env, net), KRV_STAT_INFEASIBLE);
  EXPECT_NE(warnings->text().find("Warning:  Bounds on 'a2' contradictory.\n"), std::string::npos);
}

TEST_F(NetworkOutcomes, IterationLimitZeroStopsInPhaseOne) {
  small_transport();
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_NETITLIM, 0), 0);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  EXPECT_EQ(KRVNETgetstat(env, net), KRV_STAT_ABORT_IT_LIM);
  EXPECT_EQ(KRVNETgetitcnt(env, net), 0);
}

TEST_F(NetworkOutcomes, EditsDiscardTheSolution) {
  small_transport();
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  const int idx[] = {0};
  const double c[] = {10};
  ASSERT_EQ(KRVNETchgobj(env, net, 1, idx, c), 0);
  EXPECT_EQ(KRVNETgetstat(env, net), 0);
  double obj = 0.0;
  EXPECT_EQ(KRVNETgetobjval(env, net, &obj), 1217);
  // The next solve starts from the old basis and still finds the optimum.
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  EXPECT_EQ(KRVNETgetstat(env, net), KRV_STAT_OPTIMAL);
  ASSERT_EQ(KRVNETgetobjval(env, net, &obj), 0);
  EXPECT_DOUBLE_EQ(obj, 24.0);  // 0->3: 5, 1->2: 4, 1->3: 1
}

TEST_F(NetworkOutcomes, SmallNetworksLogEveryTenIterations) {
  KRVsetintparam(env, KRV_PARAM_NETDISPLAY, 1);
  netgen::Spec spec;
  spec.nodes = 30;
  spec.arcs = 90;
  spec.sources = 5;
  spec.sinks = 5;
  const netgen::Instance g = netgen::generate(spec);
  KRVNETfreeprob(env, &net);
  net = load(env, g);
  results->clear();
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  const std::string& log = results->text();
  ASSERT_EQ(log.rfind("Iteration log . . .\n", 0), 0u) << log;
  const int iterations = KRVNETgetitcnt(env, net);
  ASSERT_GE(iterations, 10);
  EXPECT_NE(log.find("Iteration:    10   "), std::string::npos) << log;
  EXPECT_EQ(log.find("Iteration:    11   "), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - 2), "\n\n");
}

int count_calls(KRVenv, void*, int wherefrom, void* handle) {
  if (wherefrom == 3) ++*static_cast<int*>(handle);
  return 1;  // stop at the first call
}

TEST_F(NetworkOutcomes, CallbackStopsTheSolve) {
  netgen::Spec spec;
  spec.nodes = 30;
  spec.arcs = 60;
  spec.sources = spec.sinks = 3;
  const netgen::Instance g = netgen::generate(spec);
  KRVNETfreeprob(env, &net);
  net = load(env, g);
  ASSERT_LT(KRVNETgetnumarcs(env, net), 100) << "a log point every 10 iterations";
  int calls = 0;
  ASSERT_EQ(KRVsetnetcallbackfunc(env, count_calls, &calls), 0);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(KRVNETgetstat(env, net), KRV_STAT_ABORT_USER);
  EXPECT_EQ(KRVNETgetitcnt(env, net), 10);
}

}  // namespace
