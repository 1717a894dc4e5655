// KRVlpopt with presolve on models of the LP collection: the reference optimum, a
// feasible uncrushed solution, and a mapped basis that reproduces it.
// KORVA_PRESOLVE_ALL_MODELS=1 runs every model of the collection.
#include <cstdlib>
#include <filesystem>

#include "presolve/presolve_support.h"

namespace {

using presolve_test::near_reference;
using presolve_test::PresolveTest;

const char* const kModels[] = {"afiro", "adlittle", "sc50a", "sc105", "blend", "share2b", "kb2", "scagr7",
                               "recipe", "boeing2", "israel", "stocfor1", "bore3d", "brandy", "e226", "lotfi",
                               "scorpion", "vtpbase", "scsd1", "standata", "agg", "ship04s"};

std::vector<std::string> models() { return presolve_test::models_to_run(kModels); }

TEST_F(PresolveTest, CollectionModelsSolveWithPresolveAndTheirBasisReproducesTheSolution) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = presolve_test::reference_optima();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
  for (const std::string& name : models()) {
    if (!std::filesystem::exists(korva_test::data_path("netlib/" + name + ".mps.gz"))) continue;
    read_collection(name);
    ASSERT_EQ(KRVlpopt(env, lp), 0) << name;
    ASSERT_EQ(KRVgetstat(env, lp), 1) << name;
    EXPECT_TRUE(near_reference(objective(), ref.at(name))) << name << " " << objective();
    // Unscaled: the simplex holds its tolerance on the scaled problem.
    EXPECT_LE(quality(1), 1e-5) << name << ": primal infeasibility";
    EXPECT_LE(dual_violation(), 1e-6) << name << ": dual infeasibility";
    int pfeas = 0, dfeas = 0;
    EXPECT_EQ(KRVsolninfo(env, lp, nullptr, nullptr, &pfeas, &dfeas), 0);
    EXPECT_EQ(pfeas, 1) << name;
    EXPECT_EQ(dfeas, 1) << name;

    // The basis alone, without presolve, is optimal at once.
    const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
    std::vector<int> cstat(n), rstat(m);
    ASSERT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0) << name;
    read_collection(name);
    ASSERT_EQ(KRVcopybase(env, lp, cstat.data(), rstat.data()), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
    ASSERT_EQ(KRVlpopt(env, lp), 0) << name;
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 1), 0);
    EXPECT_EQ(KRVgetstat(env, lp), 1) << name;
    EXPECT_EQ(KRVgetitcnt(env, lp), 0) << name;
    EXPECT_TRUE(near_reference(objective(), ref.at(name))) << name;
  }
}

// The basis carried into the new reduced problem starts it warm.
TEST_F(PresolveTest, ReoptimisingAnUnchangedModelStartsFromItsBasis) {
  KORVA_REQUIRE_SHARED_DATA();
  const auto ref = presolve_test::reference_optima();
  read_collection("scagr7");
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  const int cold = KRVgetitcnt(env, lp);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
  EXPECT_LE(KRVgetitcnt(env, lp), cold / 20);
  EXPECT_TRUE(near_reference(objective(), ref.at("scagr7")));
}

}  // namespace
