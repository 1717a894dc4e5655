// The barrier with a working memory too small for its factor: the factor
// goes to temporary files under the working directory, the optimum is the
// one found in memory, the log says what happened, and no file outlives the
// optimisation.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "support/lp_test.h"

namespace {

namespace fs = std::filesystem;

class BarrierOutOfCore : public korva_test::LpTest {
 protected:
  void SetUp() override {
    LpTest::SetUp();
    ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_WORKDIR, workdir.path().c_str()), 0);
  }
  void use_tiny_memory() { ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_WORKMEM, 0.01), 0); }
  void expect_reference_optimum(const std::string& name) {
    static const auto reference = korva_test::reference_optima();
    const auto it = reference.find(name);
    ASSERT_NE(it, reference.end()) << name;
    EXPECT_NEAR(objective(), it->second, 1e-6 * (1.0 + std::fabs(it->second))) << name;
  }
  bool workdir_empty() const { return fs::is_empty(workdir.path()); }
  size_t find(const std::string& text) const { return results->text().find(text); }

  korva_test::TempDir workdir;
};

class BarrierOutOfCoreCollection : public BarrierOutOfCore, public ::testing::WithParamInterface<const char*> {};

TEST_P(BarrierOutOfCoreCollection, ReachesTheReferenceOptimumAndCleansUp) {
  KORVA_REQUIRE_SHARED_DATA();
  const std::string name = GetParam();
  read_collection(name);
  use_tiny_memory();
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL) << name;
  expect_reference_optimum(name);
  EXPECT_TRUE(workdir_empty()) << "the factor's files and directory are gone";

  const std::string creating = "Creating directory " + workdir.path().string() + "/krv";
  const size_t created = find(creating);
  ASSERT_NE(created, std::string::npos) << results->text();
  EXPECT_NE(results->text().find(" for Barrier out-of-core files\n", created), std::string::npos);
  // 0.01MB holds 1310 doubles: too little for any of these factors' live panels.
  EXPECT_NE(find("WARNING: not enough working storage allocated, increasing to 0.02MB\n"), std::string::npos);
  const size_t writing = find("MB factor matrix and ");
  EXPECT_NE(writing, std::string::npos);
  EXPECT_NE(find("MB update matrix\n"), std::string::npos);
  EXPECT_EQ(find("Out-of-core factorization with"), std::string::npos) << "display level 2 only";
  // After the factor statistics, before the iterations.
  EXPECT_LT(find("Summary statistics for Cholesky factor:\n"), created);
  EXPECT_LT(writing, find(" Itn "));
}

INSTANTIATE_TEST_SUITE_P(Netlib, BarrierOutOfCoreCollection, ::testing::Values("25fv47", "pilot", "bandm"));

TEST_F(BarrierOutOfCore, DisplayLevelTwoNamesTheWorkingStorage) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("sc205");
  use_tiny_memory();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARDISPLAY, 2), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  expect_reference_optimum("sc205");
  const size_t line = find("Out-of-core factorization with ");
  ASSERT_NE(line, std::string::npos) << results->text();
  EXPECT_NE(results->text().find("MB of working storage\n", line), std::string::npos);
  EXPECT_TRUE(workdir_empty());
}

TEST_F(BarrierOutOfCore, SameIterationsAsInMemory) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("25fv47");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARCROSSALG, -1), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(find("Creating directory"), std::string::npos) << "the default memory holds this factor";
  const int iterations = KRVgetbaritcnt(env, lp);
  const double in_memory = objective();

  use_tiny_memory();
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_NE(find("Creating directory"), std::string::npos);
  EXPECT_EQ(KRVgetbaritcnt(env, lp), iterations);
  EXPECT_NEAR(objective(), in_memory, 1e-12 * (1.0 + std::fabs(in_memory)));
}

TEST_F(BarrierOutOfCore, QuadraticProgramsFactorTheAugmentedSystemOnDisk) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("sc205");
  const int n = KRVgetnumcols(env, lp);
  std::vector<double> q(n);
  for (int j = 0; j < n; ++j) q[j] = 0.5 + (j % 3);
  ASSERT_EQ(KRVcopyqpsep(env, lp, q.data()), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  const double in_memory = objective();

  use_tiny_memory();
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_NE(find("Creating directory"), std::string::npos);
  EXPECT_NEAR(objective(), in_memory, 1e-12 * (1.0 + std::fabs(in_memory)));
  EXPECT_TRUE(workdir_empty());
}

TEST_F(BarrierOutOfCore, AnUnusableDirectoryKeepsTheFactorInMemory) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("25fv47");
  use_tiny_memory();
  ASSERT_EQ(KRVsetstrparam(env, KRV_PARAM_WORKDIR, workdir.file("missing").c_str()), 0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  expect_reference_optimum("25fv47");
  EXPECT_EQ(find("Creating directory"), std::string::npos);
  EXPECT_TRUE(workdir_empty());
}

TEST_F(BarrierOutOfCore, DisplayZeroPrintsNothing) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection("bandm");
  use_tiny_memory();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_BARDISPLAY, 0), 0);
  results->clear();
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  expect_reference_optimum("bandm");
  EXPECT_EQ(find("Creating directory"), std::string::npos);
  EXPECT_EQ(find("factor matrix"), std::string::npos);
  EXPECT_TRUE(workdir_empty());
}

}  // namespace
