// Random small networks with lower bounds, negative costs and tight
// capacities around a feasible ring, solved cold and again after edits from the previous basis:
// the network simplex agrees with the dual simplex on the LP form, in
// status and optimum, with every pricing.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "korva/korva.h"
#include "network/network_lp_form.h"
#include "support/korva_test.h"

namespace {

using korva_test::EnvTest;

netgen::Instance random_network(uint64_t seed) {
  netgen::Random r(seed);
  netgen::Instance g;
  g.nodes = r.uniform(5, 40);
  g.supply.assign(g.nodes, 0.0);
  // A dear uncapacitated ring both ways keeps every instance feasible.
  for (int i = 0; i < g.nodes; ++i) {
    netgen::add_arc(g, i, (i + 1) % g.nodes, 1e20, 100);
    netgen::add_arc(g, (i + 1) % g.nodes, i, 1e20, 100);
  }
  const int arcs = r.uniform(g.nodes, 6 * g.nodes);
  for (int a = 0; a < arcs; ++a) {
    g.from.push_back(r.uniform(0, g.nodes - 1));
    g.to.push_back(r.uniform(0, g.nodes - 1));
    const double lo = r.uniform(0, 3) == 0 ? r.uniform(1, 5) : 0.0;
    g.lower.push_back(lo);
    g.upper.push_back(r.uniform(0, 4) == 0 ? 1e20 : lo + r.uniform(0, 30));
    g.cost.push_back(r.uniform(-20, 50));
  }
  for (int k = 0; k < g.nodes / 3; ++k) {
    const int i = r.uniform(0, g.nodes - 1), j = r.uniform(0, g.nodes - 1);
    const double amount = r.uniform(1, 40);
    g.supply[i] += amount;
    g.supply[j] -= amount;
  }
  return g;
}

class NetworkRandomTest : public EnvTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    KRVsetintparam(env, KRV_PARAM_NETDISPLAY, 0);
    KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0);
    KRVsetintparam(env, KRV_PARAM_NETPPRIIND, GetParam());
  }
  // Status (1 optimal, 2 unbounded, 3 infeasible, 4 either) and optimum.
  void expect_agreement(KRVnet net, const netgen::Instance& g, uint64_t seed) {
    ASSERT_EQ(KRVNETprimopt(env, net), 0);
    const int netstat = KRVNETgetstat(env, net);
    KRVprob lp = netlp::load_lp(env, g);
    ASSERT_EQ(KRVdualopt(env, lp), 0);
    const int lpstat = KRVgetstat(env, lp);
    if (lpstat == KRV_STAT_OPTIMAL) {
      ++optimal;
      ASSERT_EQ(netstat, 1) << "seed " << seed;
      const double want = netlp::objective(env, lp);
      EXPECT_NEAR(netlp::net_objective(env, net), want, 1e-9 * (1 + std::fabs(want))) << "seed " << seed;
    } else {
      EXPECT_NE(netstat, 1) << "seed " << seed << " lp status " << lpstat;
    }
    KRVfreeprob(env, &lp);
  }
  int optimal = 0;
};

TEST_P(NetworkRandomTest, ColdAndWarmSolvesAgreeWithTheDualSimplex) {
  for (uint64_t seed = 1; seed <= 60; ++seed) {
    netgen::Instance g = random_network(seed);
    KRVnet net = netlp::load_network(env, g);
    expect_agreement(net, g, seed);
    // New costs on a third of the arcs, then a solve from the last basis.
    netgen::Random r(seed + 1000);
    std::vector<int> index;
    std::vector<double> cost;
    for (int a = 0; a < g.arcs(); a += 3) {
      g.cost[a] = r.uniform(-5, 60);
      index.push_back(a);
      cost.push_back(g.cost[a]);
    }
    ASSERT_EQ(KRVNETchgobj(env, net, static_cast<int>(index.size()), index.data(), cost.data()), 0);
    expect_agreement(net, g, seed);
    KRVNETfreeprob(env, &net);
  }
  // Most of them have an optimum: the comparison is not only of verdicts.
  EXPECT_GT(optimal, 60);
}

INSTANTIATE_TEST_SUITE_P(Pricing, NetworkRandomTest, ::testing::Values(0, 1, 2));

}  // namespace
