// Solution and MIP-start files of mixed-integer problems: the incumbent
// written as a solution file and read back into a fresh copy of the model
// becomes the search's first incumbent; pool members written one by one,
// all together, and as MIP starts.
#include <string>

#include "support/korva_test.h"

namespace {

using korva_test::EnvTest;
using korva_test::TempDir;
using korva_test::read_file;

size_t count_of(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class MipSolutionFileTest : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    KORVA_REQUIRE_SHARED_DATA();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 0), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
    solved = load();
    ASSERT_EQ(KRVmipopt(env, solved), 0);
    ASSERT_EQ(KRVgetobjval(env, solved, &optimum), 0);
  }
  void TearDown() override {
    if (solved) KRVfreeprob(env, &solved);
    if (fresh) KRVfreeprob(env, &fresh);
    EnvTest::TearDown();
  }
  KRVprob load() {
    int status = 0;
    KRVprob p = KRVcreateprob(env, &status, "p0033");
    EXPECT_EQ(KRVreadcopyprob(env, p, korva_test::data_path("miplib3/p0033.mps.gz").c_str(), nullptr), 0);
    return p;
  }
  KRVprob solved = nullptr, fresh = nullptr;
  double optimum = 0;
  TempDir dir;
};

TEST_F(MipSolutionFileTest, IncumbentFileBecomesTheFirstIncumbent) {
  const std::string file = dir.file("p0033.sol");
  ASSERT_EQ(KRVsolwrite(env, solved, file.c_str()), 0);
  const std::string xml = read_file(file);
  EXPECT_NE(xml.find(" solutionTypeValue=\"3\"\n solutionTypeString=\"primal\"\n"), std::string::npos) << xml;
  EXPECT_NE(xml.find(" solutionMethodString=\"mip\"\n primalFeasible=\"1\"\n dualFeasible=\"0\"\n MIPNodes=\""),
            std::string::npos);
  EXPECT_NE(xml.find(" maxIntInfeas=\""), std::string::npos);
  EXPECT_EQ(xml.find("reducedCost"), std::string::npos);

  fresh = load();
  ASSERT_EQ(KRVreadcopysol(env, fresh, file.c_str()), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 1), 0);
  results->clear();
  ASSERT_EQ(KRVmipopt(env, fresh), 0);
  EXPECT_NE(results->text().find("defined initial solution with objective"), std::string::npos) << results->text();
  double again = 0;
  ASSERT_EQ(KRVgetobjval(env, fresh, &again), 0);
  EXPECT_DOUBLE_EQ(again, optimum);
}

TEST_F(MipSolutionFileTest, PoolMembersAsSolutionsAndAsMipStarts) {
  const int members = KRVgetsolnpoolnumsolns(env, solved);
  ASSERT_GT(members, 0);
  const std::string all = dir.file("pool.sol"), starts = dir.file("pool.mst"), one = dir.file("one.sol");
  ASSERT_EQ(KRVsolwritesolnpoolall(env, solved, all.c_str()), 0);
  const std::string xml = read_file(all);
  EXPECT_NE(xml.find("\n<KORVASolutions version=\"1.2\">\n <KORVASolution version=\"1.2\">\n"), std::string::npos);
  EXPECT_EQ(count_of(xml, "<KORVASolution version"), static_cast<size_t>(members));
  EXPECT_NE(xml.find("  solutionName=\"p"), std::string::npos) << xml.substr(0, 600);
  EXPECT_NE(xml.find("  solutionStatusValue=\"127\"\n"), std::string::npos);

  ASSERT_EQ(KRVsolwritesolnpool(env, solved, 0, one.c_str()), 0);
  EXPECT_NE(read_file(one).find(" solutionIndex=\"0\"\n"), std::string::npos);
  EXPECT_EQ(KRVsolwritesolnpool(env, solved, members, one.c_str()), 1200);
  ASSERT_EQ(KRVsolwritesolnpool(env, solved, -1, one.c_str()), 0);

  ASSERT_EQ(KRVmstwritesolnpoolall(env, solved, starts.c_str()), 0);
  const std::string mst = read_file(starts);
  EXPECT_NE(mst.find("  MIPStartEffortLevel=\""), std::string::npos);
  EXPECT_EQ(mst.find("<quality"), std::string::npos);
  fresh = load();
  ASSERT_EQ(KRVreadcopymipstarts(env, fresh, starts.c_str()), 0);
  EXPECT_EQ(KRVgetnummipstarts(env, fresh), members);
}

}  // namespace
