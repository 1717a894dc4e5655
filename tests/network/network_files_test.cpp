// Network files: both formats written and read back give the same network;
// the reader's choice by content and its errors.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "korva/korva.h"
#include "support/korva_test.h"
#include "network/netgen.h"

namespace {

using korva_test::EnvTest;
using korva_test::TempDir;

struct Snapshot {
  int sense = 0;
  std::vector<double> supply, lower, upper, obj;
  std::vector<int> from, to;
};

Snapshot snapshot(KRVenv env, KRVnet net) {
  Snapshot s;
  const int n = KRVNETgetnumnodes(env, net), m = KRVNETgetnumarcs(env, net);
  s.sense = KRVNETgetobjsen(env, net);
  s.supply.resize(n);
  s.lower.resize(m);
  s.upper.resize(m);
  s.obj.resize(m);
  s.from.resize(m);
  s.to.resize(m);
  EXPECT_EQ(KRVNETgetsupply(env, net, s.supply.data(), 0, n - 1), 0);
  EXPECT_EQ(KRVNETgetlb(env, net, s.lower.data(), 0, m - 1), 0);
  EXPECT_EQ(KRVNETgetub(env, net, s.upper.data(), 0, m - 1), 0);
  EXPECT_EQ(KRVNETgetobj(env, net, s.obj.data(), 0, m - 1), 0);
  EXPECT_EQ(KRVNETgetarcnodes(env, net, s.from.data(), s.to.data(), 0, m - 1), 0);
  return s;
}

// The nodes' names; a file that names its nodes may list them in another
// order, and the network is the same when its data agree name by name.
std::vector<std::string> node_names(KRVenv env, KRVnet net) {
  const int n = KRVNETgetnumnodes(env, net);
  std::vector<char*> names(static_cast<size_t>(n));
  std::vector<char> store(static_cast<size_t>(n) * 32 + 64);
  int surplus = 0;
  EXPECT_EQ(KRVNETgetnodename(env, net, names.data(), store.data(), static_cast<int>(store.size()), &surplus, 0,
                              n - 1),
            0);
  return std::vector<std::string>(names.begin(), names.end());
}

// b's node data in a's node order, through the names.
void in_order_of(const std::vector<std::string>& a_names, const std::vector<std::string>& b_names, Snapshot& b) {
  std::map<std::string, int> a_index;
  for (size_t i = 0; i < a_names.size(); ++i) a_index[a_names[i]] = static_cast<int>(i);
  std::vector<double> supply(b.supply.size());
  for (size_t i = 0; i < b_names.size(); ++i) supply[a_index.at(b_names[i])] = b.supply[i];
  b.supply = supply;
  for (int& v : b.from) v = a_index.at(b_names[v]);
  for (int& v : b.to) v = a_index.at(b_names[v]);
}

class NetworkFiles : public EnvTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(NetworkFiles, WrittenAndReadBackGiveTheSameNetwork) {
  netgen::Spec spec;
  spec.nodes = 40;
  spec.arcs = 200;
  const netgen::Instance g = netgen::generate(spec);
  int status = 0;
  KRVnet net = KRVNETcreateprob(env, &status, "round");
  ASSERT_EQ(KRVNETcopynet(env, net, KRV_MAX, g.nodes, g.supply.data(), nullptr, g.arcs(), g.from.data(),
                          g.to.data(), g.lower.data(), g.upper.data(), g.cost.data(), nullptr),
            0);
  TempDir dir;
  const std::string file = dir.file(std::string("round.") + GetParam());
  ASSERT_EQ(KRVNETwriteprob(env, net, file.c_str(), nullptr), 0);
  KRVnet back = KRVNETcreateprob(env, &status, "back");
  ASSERT_EQ(KRVNETreadcopyprob(env, back, file.c_str()), 0);
  const Snapshot a = snapshot(env, net);
  Snapshot b = snapshot(env, back);
  ASSERT_EQ(KRVNETgetnumnodes(env, back), KRVNETgetnumnodes(env, net));
  in_order_of(node_names(env, net), node_names(env, back), b);
  EXPECT_EQ(a.sense, b.sense);
  EXPECT_EQ(a.supply, b.supply);
  EXPECT_EQ(a.lower, b.lower);
  EXPECT_EQ(a.upper, b.upper);
  EXPECT_EQ(a.obj, b.obj);
  EXPECT_EQ(a.from, b.from);
  EXPECT_EQ(a.to, b.to);
  KRVNETfreeprob(env, &back);
  KRVNETfreeprob(env, &net);
}

INSTANTIATE_TEST_SUITE_P(Formats, NetworkFiles, ::testing::Values("min", "net"));

TEST_F(EnvTest, TwoSenseLinesWarnAndTheLaterHolds) {
  TempDir dir;
  const std::string file = dir.file("two.min");
  korva_test::write_file(file, "c two senses\np min 2 1\ns max\ns min\nn 1 3\nn 2 -3\na 1 2 0 10 4\n");
  int status = 0;
  KRVnet net = KRVNETcreateprob(env, &status, "x");
  ASSERT_EQ(KRVNETreadcopyprob(env, net, file.c_str()), 0);
  EXPECT_EQ(KRVNETgetobjsen(env, net), KRV_MIN);
  EXPECT_NE(warnings->text().find("Multiple definitions of objective sense\n"), std::string::npos);
  KRVNETfreeprob(env, &net);
}

TEST_F(EnvTest, KeywordArcsCreateUnlistedNodes) {
  TempDir dir;
  const std::string file = dir.file("k.net");
  korva_test::write_file(file,
                         "MINIMIZE NETWORK k\nSUPPLY\ns : 2\nDEMAND\nt : 2\nARCS\na1 : s -> m\na2 : m -> t\n"
                         "OBJECTIVE\na1 : 3\nBOUNDS\n 1 <= a2 <= 5\nENDNETWORK\n");
  int status = 0;
  KRVnet net = KRVNETcreateprob(env, &status, "x");
  ASSERT_EQ(KRVNETreadcopyprob(env, net, file.c_str()), 0);
  EXPECT_EQ(KRVNETgetnumnodes(env, net), 3);
  double supply[3];
  KRVNETgetsupply(env, net, supply, 0, 2);
  EXPECT_EQ(supply[2], 0.0);
  KRVsetintparam(env, KRV_PARAM_NETDISPLAY, 0);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  double obj = 0.0;
  KRVNETgetobjval(env, net, &obj);
  EXPECT_DOUBLE_EQ(obj, 6.0);
  KRVNETfreeprob(env, &net);
}

TEST_F(EnvTest, BadNetworkFilesGiveTheirErrors) {
  TempDir dir;
  int status = 0;
  KRVnet net = KRVNETcreateprob(env, &status, "x");
  const std::string empty = dir.file("e.min");
  korva_test::write_file(empty, "  \n\n");
  EXPECT_EQ(KRVNETreadcopyprob(env, net, empty.c_str()), 1538);
  const std::string maxflow = dir.file("f.min");
  korva_test::write_file(maxflow, "p max 2 1\n");
  korva_test::write_file(maxflow, "p flow 2 1\n");
  EXPECT_EQ(KRVNETreadcopyprob(env, net, maxflow.c_str()), 1531);
  const std::string bad = dir.file("b.min");
  korva_test::write_file(bad, "p min 2 1\na 1 3 0 1 1\n");
  EXPECT_EQ(KRVNETreadcopyprob(env, net, bad.c_str()), 1530);
  KRVNETfreeprob(env, &net);
}

}  // namespace
