// The hybrid network optimiser: the network part of an LP solved by the
// network simplex, the rest by the primal or dual simplex from its basis;
// and the network method of KRVlpopt on the Netlib models.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "korva/korva.h"
#include "network/network_lp_form.h"
#include "support/korva_test.h"

namespace {

using korva_test::EnvTest;

class NetworkHybridTest : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    KRVsetintparam(env, KRV_PARAM_NETDISPLAY, 0);
    KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0);
  }
  // The optimum of a copy by the dual simplex alone.
  double dual_reference(KRVprob lp, int* stat) {
    int status = 0;
    KRVprob copy = KRVcloneprob(env, lp, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(KRVdualopt(env, copy), 0);
    *stat = KRVgetstat(env, copy);
    const double obj = netlp::objective(env, copy);
    KRVfreeprob(env, &copy);
    return obj;
  }
};

// Rows over random arcs with coefficients 1 to 3, each capped at half of
// what the network optimum puts through them, so that they bind.
void add_side_rows(KRVenv env, KRVprob lp, const netgen::Instance& g, int rows, uint64_t seed) {
  KRVnet net = netlp::load_network(env, g);
  EXPECT_EQ(KRVNETprimopt(env, net), 0);
  std::vector<double> flow(g.arcs());
  EXPECT_EQ(KRVNETgetx(env, net, flow.data(), 0, g.arcs() - 1), 0);
  KRVNETfreeprob(env, &net);
  netgen::Random r(seed);
  for (int k = 0; k < rows; ++k) {
    std::vector<int> ind;
    std::vector<double> val;
    double through = 0.0;
    for (int t = 0; t < 30; ++t) {
      const int a = r.uniform(0, g.arcs() - 1);
      if (std::find(ind.begin(), ind.end(), a) != ind.end()) continue;
      ind.push_back(a);
      val.push_back(r.uniform(1, 3));
      through += val.back() * flow[a];
    }
    const double rhs = std::floor(0.5 * through);
    const int beg = 0;
    const char sense = 'L';
    EXPECT_EQ(KRVaddrows(env, lp, 0, 1, static_cast<int>(ind.size()), &rhs, &sense, &beg, ind.data(), val.data(),
                         nullptr, nullptr),
              0);
  }
}

void expect_same_optimum(double got, double want) { EXPECT_NEAR(got, want, 1e-9 * (1 + std::fabs(want))); }

TEST_F(NetworkHybridTest, PureNetworksEqualTheDualSimplex) {
  for (netgen::Kind kind : {netgen::Kind::Transshipment, netgen::Kind::Transportation, netgen::Kind::Assignment}) {
    const netgen::Instance g = netlp::small_instance(kind, 21);
    KRVprob lp = netlp::load_lp(env, g);
    int stat = 0;
    const double want = dual_reference(lp, &stat);
    ASSERT_EQ(stat, KRV_STAT_OPTIMAL);
    for (int method : {'d', 'p'}) {
      ASSERT_EQ(KRVhybnetopt(env, lp, method), 0);
      EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
      EXPECT_EQ(KRVgetmethod(env, lp), KRV_ALG_NET);
      expect_same_optimum(netlp::objective(env, lp), want);
    }
    KRVfreeprob(env, &lp);
  }
}

TEST_F(NetworkHybridTest, SideConstraintsAreFinishedByEitherSimplex) {
  for (uint64_t seed : {31u, 32u, 33u}) {
    const netgen::Instance g = netlp::small_instance(netgen::Kind::Transshipment, seed);
    KRVprob lp = netlp::load_lp(env, g);
    add_side_rows(env, lp, g, 4, seed);
    int stat = 0;
    const double want = dual_reference(lp, &stat);
    ASSERT_EQ(stat, KRV_STAT_OPTIMAL) << seed;
    for (int method : {'d', 'p'}) {
      ASSERT_EQ(KRVhybnetopt(env, lp, method), 0);
      EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL) << seed;
      expect_same_optimum(netlp::objective(env, lp), want);
      EXPECT_GT(KRVgetitcnt(env, lp), 0);
    }
    KRVfreeprob(env, &lp);
  }
}

TEST_F(NetworkHybridTest, MaximisationAndInfeasibilityAgreeWithTheDualSimplex) {
  netgen::Instance g = netlp::small_instance(netgen::Kind::Transportation, 41);
  for (double& c : g.cost) c = -c;
  KRVprob lp = netlp::load_lp(env, g, KRV_MAX);
  int stat = 0;
  const double want = dual_reference(lp, &stat);
  ASSERT_EQ(KRVhybnetopt(env, lp, 'd'), 0);
  EXPECT_EQ(KRVgetstat(env, lp), stat);
  expect_same_optimum(netlp::objective(env, lp), want);
  KRVfreeprob(env, &lp);

  g.supply[0] += 1e6;  // more supply than the arcs can carry away
  g.supply.back() -= 1e6;
  for (double& u : g.upper) u = std::min(u, 1000.0);
  lp = netlp::load_lp(env, g, KRV_MAX);
  ASSERT_EQ(KRVhybnetopt(env, lp, 'd'), 0);
  EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_INFEASIBLE);
  KRVfreeprob(env, &lp);
}

TEST_F(NetworkHybridTest, TheNetworkMethodOfLpoptRunsTheHybrid) {
  const netgen::Instance g = netlp::small_instance(netgen::Kind::Transshipment, 51);
  KRVprob lp = netlp::load_lp(env, g);
  add_side_rows(env, lp, g, 2, 51);
  int stat = 0;
  const double want = dual_reference(lp, &stat);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_LPMETHOD, KRV_ALG_NET), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), stat);
  EXPECT_EQ(KRVgetmethod(env, lp), KRV_ALG_NET);
  expect_same_optimum(netlp::objective(env, lp), want);
  KRVfreeprob(env, &lp);
}

std::map<std::string, double> netlib_optima() {
  std::map<std::string, double> out;
  std::ifstream in(korva_test::data_path("netlib/optimal.csv"));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::stringstream fields(line);
    std::string name, value;
    std::getline(fields, name, ',');
    std::getline(fields, value, ',');
    if (!name.empty() && !value.empty()) out[name] = std::stod(value);
  }
  return out;
}

TEST_F(NetworkHybridTest, CollectionModelsReachTheirReferenceOptimaByTheNetworkMethod) {
  const std::map<std::string, double> optima = netlib_optima();
  if (optima.empty()) GTEST_SKIP() << "no Netlib collection";
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_LPMETHOD, KRV_ALG_NET), 0);
  for (const char* name : {"afiro", "sc50a", "sc50b", "adlittle", "blend", "kb2", "share2b", "sc105", "recipe"}) {
    int status = 0;
    KRVprob lp = KRVcreateprob(env, &status, name);
    ASSERT_EQ(KRVreadcopyprob(env, lp, korva_test::data_path(std::string("netlib/") + name + ".mps.gz").c_str(),
                              nullptr),
              0)
        << name;
    ASSERT_EQ(KRVlpopt(env, lp), 0) << name;
    EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL) << name;
    const double want = optima.at(name);
    EXPECT_NEAR(netlp::objective(env, lp), want, 1e-6 * (1 + std::fabs(want))) << name;
    KRVfreeprob(env, &lp);
  }
}

}  // namespace
