// Networks on the LP side: the LP form of a network, network files read
// into LP problems, networks written in the LP formats, and the network
// part that extraction finds in an LP.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "korva/korva.h"
#include "network/network_lp_form.h"
#include "support/korva_test.h"

namespace {

using korva_test::EnvTest;
using korva_test::TempDir;

class NetworkLpSideTest : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    KRVsetintparam(env, KRV_PARAM_NETDISPLAY, 0);
    int status = 0;
    lp = KRVcreateprob(env, &status, "target");
  }
  void TearDown() override {
    KRVfreeprob(env, &lp);
    EnvTest::TearDown();
  }
  double network_optimum(KRVnet net) {
    EXPECT_EQ(KRVNETprimopt(env, net), 0);
    EXPECT_EQ(KRVNETgetstat(env, net), 1);
    return netlp::net_objective(env, net);
  }
  double lp_optimum() {
    EXPECT_EQ(KRVdualopt(env, lp), 0);
    EXPECT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
    return netlp::objective(env, lp);
  }
  KRVprob lp = nullptr;
  TempDir dir;
};

std::string name_of(KRVenv env, KRVprob lp, bool row, int index) {
  char* name = nullptr;
  char store[64];
  int surplus = 0;
  const int status = row ? KRVgetrowname(env, lp, &name, store, sizeof store, &surplus, index, index)
                         : KRVgetcolname(env, lp, &name, store, sizeof store, &surplus, index, index);
  EXPECT_EQ(status, 0);
  return name ? name : "";
}

TEST_F(NetworkLpSideTest, TheLpFormHasTheNetworksRowsColumnsNamesAndOptimum) {
  const netgen::Instance g = netlp::small_instance(netgen::Kind::Transshipment, 3);
  KRVnet net = netlp::load_network(env, g, KRV_MAX);
  ASSERT_EQ(KRVNETchgobjsen(env, net, KRV_MIN), 0);
  ASSERT_EQ(KRVcopynettolp(env, lp, net), 0);
  EXPECT_EQ(KRVgetnumrows(env, lp), g.nodes);
  EXPECT_EQ(KRVgetnumcols(env, lp), g.arcs());
  EXPECT_EQ(KRVgetobjsen(env, lp), KRV_MIN);
  EXPECT_EQ(name_of(env, lp, true, 0), "n1");
  EXPECT_EQ(name_of(env, lp, false, 4), "a5");
  double coef = 0.0;
  ASSERT_EQ(KRVgetcoef(env, lp, g.from[0], 0, &coef), 0);
  EXPECT_EQ(coef, 1.0);
  ASSERT_EQ(KRVgetcoef(env, lp, g.to[0], 0, &coef), 0);
  EXPECT_EQ(coef, -1.0);
  EXPECT_NEAR(lp_optimum(), network_optimum(net), 1e-9 * (1 + std::fabs(network_optimum(net))));
  KRVNETfreeprob(env, &net);
}

TEST_F(NetworkLpSideTest, AMaximisingNetworkKeepsItsSenseAndBadHandlesAreRefused) {
  netgen::Instance g = netlp::small_instance(netgen::Kind::Assignment, 5);
  for (double& c : g.cost) c = -c;
  KRVnet net = netlp::load_network(env, g, KRV_MAX);
  ASSERT_EQ(KRVcopynettolp(env, lp, net), 0);
  EXPECT_EQ(KRVgetobjsen(env, lp), KRV_MAX);
  const double expected = network_optimum(net);
  EXPECT_NEAR(lp_optimum(), expected, 1e-9 * (1 + std::fabs(expected)));
  EXPECT_EQ(KRVcopynettolp(env, lp, nullptr), 1009);
  EXPECT_EQ(KRVcopynettolp(env, nullptr, net), 1009);
  KRVNETfreeprob(env, &net);
}

TEST_F(NetworkLpSideTest, NetworkFilesReadIntoAnLpProblem) {
  const netgen::Instance g = netlp::small_instance(netgen::Kind::Transportation, 11);
  KRVnet net = netlp::load_network(env, g);
  const double expected = network_optimum(net);
  int status = 0;
  for (const char* file : {"gen.net", "gen.min", "gen.min.gz"}) {
    const std::string path = dir.file(file);
    ASSERT_EQ(KRVNETwriteprob(env, net, path.c_str(), nullptr), 0) << file;
    ASSERT_EQ(KRVreadcopyprob(env, lp, path.c_str(), nullptr), 0) << file;
    // The keyword format leaves out nodes without supply and arcs.
    KRVnet read = KRVNETcreateprob(env, &status, "read");
    ASSERT_EQ(KRVNETreadcopyprob(env, read, path.c_str()), 0) << file;
    EXPECT_EQ(KRVgetnumrows(env, lp), KRVNETgetnumnodes(env, read)) << file;
    EXPECT_EQ(KRVgetnumcols(env, lp), g.arcs()) << file;
    KRVNETfreeprob(env, &read);
    EXPECT_NEAR(lp_optimum(), expected, 1e-9 * (1 + std::fabs(expected))) << file;
  }
  // A type string chooses the network reader whatever the name says.
  const std::string odd = dir.file("network.data");
  ASSERT_EQ(KRVNETwriteprob(env, net, odd.c_str(), "MIN"), 0);
  ASSERT_EQ(KRVreadcopyprob(env, lp, odd.c_str(), "MIN"), 0);
  EXPECT_NEAR(lp_optimum(), expected, 1e-9 * (1 + std::fabs(expected)));
  KRVNETfreeprob(env, &net);
}

TEST_F(NetworkLpSideTest, ABadNetworkFileGivesItsErrorThroughTheLpReader) {
  const std::string path = dir.file("bad.min");
  std::ofstream(path) << "p min 2 1\na 1 7 0 1 1\n";
  EXPECT_EQ(KRVreadcopyprob(env, lp, path.c_str(), nullptr), 1530);
}

TEST_F(NetworkLpSideTest, NetworksWrittenInLpFormatsReadBackAsTheSameLp) {
  const netgen::Instance g = netlp::small_instance(netgen::Kind::Transshipment, 13);
  KRVnet net = netlp::load_network(env, g);
  const double expected = network_optimum(net);
  for (const auto& [file, type] : std::vector<std::pair<std::string, const char*>>{
           {"w.lp", nullptr}, {"w.mps", nullptr}, {"w.sav", nullptr}, {"w.rew", "REW"}, {"w.mps.gz", nullptr}}) {
    const std::string path = dir.file(file);
    ASSERT_EQ(KRVNETwriteprob(env, net, path.c_str(), type), 0) << file;
    ASSERT_EQ(KRVreadcopyprob(env, lp, path.c_str(), type ? "MPS" : nullptr), 0) << file;
    EXPECT_EQ(KRVgetnumcols(env, lp), g.arcs()) << file;
    EXPECT_NEAR(lp_optimum(), expected, 1e-9 * (1 + std::fabs(expected))) << file;
  }
  EXPECT_EQ(KRVNETwriteprob(env, net, dir.file("w.xyz").c_str(), nullptr), 1424);
  KRVNETfreeprob(env, &net);
}

TEST_F(NetworkLpSideTest, ExtractionTakesEveryRowOfAnLpForm) {
  const netgen::Instance g = netlp::small_instance(netgen::Kind::Transshipment, 17);
  KRVprob form = netlp::load_lp(env, g);
  int status = 0;
  KRVnet net = KRVNETcreateprob(env, &status, "part");
  std::vector<int> colmap(g.arcs() + g.nodes), rowmap(g.nodes + 1);
  ASSERT_EQ(KRVNETextract(env, net, form, colmap.data(), rowmap.data()), 0);
  EXPECT_EQ(KRVNETgetnumnodes(env, net), g.nodes);
  EXPECT_EQ(KRVNETgetnumarcs(env, net), g.arcs());
  for (int a = 0; a < g.arcs(); ++a) ASSERT_EQ(colmap[a], a);
  for (int i = 0; i < g.nodes; ++i) ASSERT_EQ(rowmap[i], i);
  EXPECT_EQ(KRVdualopt(env, form), 0);
  const double expected = netlp::objective(env, form);
  EXPECT_NEAR(network_optimum(net), expected, 1e-9 * (1 + std::fabs(expected)));
  KRVNETfreeprob(env, &net);
  KRVfreeprob(env, &form);
}

// Supplies as <= rows and demands as >= rows, both with +1: the demand
// rows are taken negated, and the slacks join a ground node.
TEST_F(NetworkLpSideTest, ExtractionScalesAndFlipsRowsAndAddsSlacks) {
  // Two sources (supply 4 and 6), two sinks (demand 5 each), scaled rows.
  const int beg[] = {0, 2, 4, 6}, cnt[] = {2, 2, 2, 2};
  const int ind[] = {0, 2, 0, 3, 1, 2, 1, 3};
  const double val[] = {2, 3, 2, 3, 2, 3, 2, 3};
  const double obj[] = {1, 4, 3, 2}, rhs[] = {8, 12, 15, 15};
  const double lb[] = {0, 0, 0, 0}, ub[] = {KRV_INFBOUND, KRV_INFBOUND, KRV_INFBOUND, KRV_INFBOUND};
  ASSERT_EQ(KRVcopylp(env, lp, 4, 4, KRV_MIN, obj, rhs, "LLGG", beg, cnt, ind, val, lb, ub, nullptr), 0);
  int status = 0;
  KRVnet net = KRVNETcreateprob(env, &status, "part");
  std::vector<int> colmap(8), rowmap(5);
  ASSERT_EQ(KRVNETextract(env, net, lp, colmap.data(), rowmap.data()), 0);
  ASSERT_EQ(KRVNETgetnumnodes(env, net), 5);
  ASSERT_EQ(KRVNETgetnumarcs(env, net), 8);
  EXPECT_EQ(rowmap[4], -1);
  EXPECT_EQ(colmap[4], -1);
  EXPECT_EQ(colmap[7], -4);
  double supply[5];
  ASSERT_EQ(KRVNETgetsupply(env, net, supply, 0, 4), 0);
  EXPECT_DOUBLE_EQ(supply[0], 4.0);
  EXPECT_DOUBLE_EQ(supply[2], -5.0);
  EXPECT_DOUBLE_EQ(supply[4], 0.0);
  EXPECT_NEAR(network_optimum(net), lp_optimum(), 1e-9);
  KRVNETfreeprob(env, &net);
}

}  // namespace
