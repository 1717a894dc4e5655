// Network bases in files: what is written, the errors, and a basis read
// back restarting the network simplex where it stopped.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "korva/korva.h"
#include "network/network_lp_form.h"
#include "support/korva_test.h"

namespace {

using korva_test::EnvTest;
using korva_test::TempDir;

std::string contents(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class NetworkBasisFileTest : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    KRVsetintparam(env, KRV_PARAM_NETDISPLAY, 0);
  }
  TempDir dir;
};

// Two nodes, two parallel arcs: the cheap one full at its capacity, the
// dear one basic.
KRVnet two_arcs(KRVenv env) {
  int status = 0;
  KRVnet net = KRVNETcreateprob(env, &status, "pair");
  const double supply[] = {5.0, -5.0};
  const int from[] = {0, 0}, to[] = {1, 1};
  const double up[] = {3.0, 10.0}, cost[] = {1.0, 2.0};
  EXPECT_EQ(KRVNETcopynet(env, net, KRV_MIN, 2, supply, nullptr, 2, from, to, nullptr, up, cost, nullptr), 0);
  return net;
}

TEST_F(NetworkBasisFileTest, WritesTheTreeInBasisLayout) {
  KRVnet net = two_arcs(env);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  ASSERT_EQ(KRVNETgetstat(env, net), 1);
  const std::string path = dir.file("pair.bas");
  ASSERT_EQ(KRVNETbasewrite(env, net, path.c_str()), 0);
  const std::string text = contents(path);
  std::ostringstream head;
  head << "NAME          pair  Iterations " << KRVNETgetitcnt(env, net) << "  Rows 2  Cols 2\n";
  EXPECT_EQ(text.rfind("* ENCODING=", 0), 0u) << text;
  EXPECT_NE(text.find(head.str()), std::string::npos) << text;
  EXPECT_NE(text.find(" UL a1      \n"), std::string::npos) << text;
  EXPECT_NE(text.find(" XL a2        n"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 7), "ENDATA\n");
  KRVNETfreeprob(env, &net);
}

TEST_F(NetworkBasisFileTest, ErrorsBeforeASolveWithoutNameAndForAnUnwritablePath) {
  KRVnet net = two_arcs(env);
  EXPECT_EQ(KRVNETbasewrite(env, net, dir.file("x.bas").c_str()), 1262);
  ASSERT_EQ(KRVNETprimopt(env, net), 0);
  EXPECT_EQ(KRVNETbasewrite(env, net, nullptr), 1421);
  EXPECT_EQ(KRVNETbasewrite(env, net, dir.file("no/such/dir/x.bas").c_str()), 1422);
  EXPECT_NE(errors->text().find("1422"), std::string::npos);
  EXPECT_EQ(KRVNETreadcopybase(env, net, dir.file("missing.bas").c_str()), 1423);
  KRVNETfreeprob(env, &net);
}

TEST_F(NetworkBasisFileTest, AReadBasisRestartsAtTheOptimum) {
  const netgen::Instance g = netlp::small_instance(netgen::Kind::Transshipment, 7);
  KRVnet solved = netlp::load_network(env, g);
  ASSERT_EQ(KRVNETprimopt(env, solved), 0);
  ASSERT_EQ(KRVNETgetstat(env, solved), 1);
  ASSERT_GT(KRVNETgetitcnt(env, solved), 0);
  const std::string path = dir.file("gen.bas");
  ASSERT_EQ(KRVNETbasewrite(env, solved, path.c_str()), 0);

  KRVnet fresh = netlp::load_network(env, g);
  ASSERT_EQ(KRVNETreadcopybase(env, fresh, path.c_str()), 0);
  ASSERT_EQ(KRVNETprimopt(env, fresh), 0);
  EXPECT_EQ(KRVNETgetstat(env, fresh), 1);
  EXPECT_EQ(KRVNETgetitcnt(env, fresh), 0);
  EXPECT_NEAR(netlp::net_objective(env, fresh), netlp::net_objective(env, solved), 1e-9);
  KRVNETfreeprob(env, &fresh);
  KRVNETfreeprob(env, &solved);
}

TEST_F(NetworkBasisFileTest, ReaderErrorsAndUnknownNames) {
  KRVnet net = two_arcs(env);
  const std::string bad = dir.file("bad.bas");
  std::ofstream(bad) << "NAME x\n XL a1\nENDATA\n";
  EXPECT_EQ(KRVNETreadcopybase(env, net, bad.c_str()), 1553);
  const std::string open = dir.file("open.bas");
  std::ofstream(open) << "NAME x\n UL a1\n";
  EXPECT_EQ(KRVNETreadcopybase(env, net, open.c_str()), 1552);
  const std::string stale = dir.file("stale.bas");
  std::ofstream(stale) << "NAME x\n UL zz\n XL a2 n2\nENDATA\n";
  EXPECT_EQ(KRVNETreadcopybase(env, net, stale.c_str()), 0);
  EXPECT_NE(warnings->text().find("'zz' is not a variable"), std::string::npos);
  int astat[2], nstat[2];
  ASSERT_EQ(KRVNETgetbase(env, net, astat, nstat), 0);
  EXPECT_EQ(astat[0], KRV_AT_LOWER);
  EXPECT_EQ(astat[1], KRV_BASIC);
  EXPECT_EQ(nstat[0], 1);
  EXPECT_EQ(nstat[1], 0);
  KRVNETfreeprob(env, &net);
}

}  // namespace
