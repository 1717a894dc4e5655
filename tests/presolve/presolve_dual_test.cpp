// Solving the dual formulation (KRV_PARAM_PREDUAL 1): models of the LP
// collection reach their reference optimum with a solution that passes the
// quality checks through both simplex drivers, verdicts on models without
// an optimum stay right, and the functions that map between original and
// reduced problem refuse a reduced problem that is the dual.
// KORVA_PRESOLVE_ALL_MODELS=1 runs every model of the collection.
#include <cstdlib>
#include <filesystem>

#include "presolve/presolve_support.h"

namespace {

using presolve_test::near_reference;
using presolve_test::PresolveTest;

constexpr int kDualFormulation = 1119;

const char* const kModels[] = {"afiro",  "adlittle", "sc105",    "blend",  "share1b", "kb2",   "scagr7", "boeing1",
                               "israel", "bore3d",   "brandy",   "e226",   "capri",   "etamacro", "finnis", "grow7",
                               "sctap1", "scfxm1",   "standmps", "ship04s", "bandm",  "degen2", "pilot4", "perold"};

std::vector<std::string> models() { return presolve_test::models_to_run(kModels); }

class DualFormulationTest : public PresolveTest {
 protected:
  void SetUp() override {
    PresolveTest::SetUp();
    KORVA_REQUIRE_SHARED_DATA();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREDUAL, 1), 0);
  }
  // The solution meets the reference optimum and the quality checks.
  void expect_reference_optimum(const std::string& what, double reference) {
    ASSERT_EQ(KRVgetstat(env, lp), 1) << what;
    EXPECT_TRUE(near_reference(objective(), reference)) << what << " " << objective();
    EXPECT_LE(quality(1), 1e-5) << what << ": primal infeasibility";
    EXPECT_LE(dual_violation(), 1e-6) << what << ": dual infeasibility";
    int pfeas = 0, dfeas = 0;
    EXPECT_EQ(KRVsolninfo(env, lp, nullptr, nullptr, &pfeas, &dfeas), 0);
    EXPECT_EQ(pfeas, 1) << what;
    EXPECT_EQ(dfeas, 1) << what;
  }
  // Solution status of the model in `lp` solved by `opt` without presolve,
  // then (re-read by `load`) with the dual formulation.
  template <class Load>
  void expect_same_status(const char* what, Load load, int (*opt)(KRVenv, KRVprob)) {
    load();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 0), 0);
    ASSERT_EQ(opt(env, lp), 0);
    const int plain = KRVgetstat(env, lp);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, 1), 0);
    load();
    ASSERT_EQ(opt(env, lp), 0);
    EXPECT_EQ(KRVgetstat(env, lp), plain) << what;
  }
};

TEST_F(DualFormulationTest, CollectionModelsReachTheirOptimumThroughBothDrivers) {
  const auto ref = presolve_test::reference_optima();
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
  const std::pair<const char*, int (*)(KRVenv, KRVprob)> drivers[] = {
      {"lpopt", KRVlpopt}, {"primopt", KRVprimopt}, {"dualopt", KRVdualopt}};
  for (const std::string& name : models()) {
    if (!std::filesystem::exists(korva_test::data_path("netlib/" + name + ".mps.gz"))) continue;
    for (const auto& [driver, opt] : drivers) {
      read_collection(name);
      ASSERT_EQ(opt(env, lp), 0) << name << " " << driver;
      expect_reference_optimum(name + " " + driver, ref.at(name));
    }
  }
}

TEST_F(DualFormulationTest, MaximisationReachesTheNegatedOptimum) {
  const auto ref = presolve_test::reference_optima();
  for (const char* name : {"sc50a", "scagr7", "ship04s"}) {
    read_collection(name);
    const int n = KRVgetnumcols(env, lp);
    std::vector<double> c(n);
    std::vector<int> ind(n);
    ASSERT_EQ(KRVgetobj(env, lp, c.data(), 0, n - 1), 0);
    for (int j = 0; j < n; ++j) {
      c[j] = -c[j];
      ind[j] = j;
    }
    ASSERT_EQ(KRVchgobj(env, lp, n, ind.data(), c.data()), 0);
    ASSERT_EQ(KRVchgobjsen(env, lp, KRV_MAX), 0);
    ASSERT_EQ(KRVprimopt(env, lp), 0) << name;
    expect_reference_optimum(name, -ref.at(name));
  }
}

TEST_F(DualFormulationTest, PresolveSaysSoAndTheMapsAreNotAvailable) {
  read_collection("ship04s");
  ASSERT_EQ(KRVpresolve(env, lp, 2), 0);
  EXPECT_NE(results->text().find("DUAL formed by presolve\n"), std::string::npos) << results->text();
  int prestat = -1;
  EXPECT_EQ(KRVgetprestat(env, lp, &prestat, nullptr, nullptr, nullptr, nullptr), kDualFormulation);
  EXPECT_NE(errors->text().find("The feature is not available for solving dual formulation"), std::string::npos);

  // The reduced problem is the dual: one row per column of the primal.
  KRVprob red = nullptr;
  ASSERT_EQ(KRVgetredlp(env, lp, &red), 0);
  ASSERT_NE(red, nullptr);
  const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
  EXPECT_LE(KRVgetnumrows(env, red), n);

  // Vectors and forms of the original do not map onto the dual.
  std::vector<double> x(n, 0.0), pi(m, 0.0), big(n + m + KRVgetnumcols(env, red), 0.0);
  EXPECT_EQ(KRVcrushx(env, lp, x.data(), big.data()), kDualFormulation);
  EXPECT_EQ(KRVcrushpi(env, lp, pi.data(), big.data()), kDualFormulation);
  EXPECT_EQ(KRVuncrushx(env, lp, big.data(), x.data()), kDualFormulation);
  int plen = 0, origindex = -1;
  double offset = 0.0;
  std::vector<int> ind(n);
  std::vector<double> val(n);
  const int one = 0;
  const double coef = 1.0;
  EXPECT_EQ(KRVcrushform(env, lp, 1, &one, &coef, &plen, &offset, ind.data(), val.data()), kDualFormulation);
  EXPECT_EQ(KRVEgetorigcolind(env, lp, 0, &origindex), kDualFormulation);
}

TEST_F(DualFormulationTest, NeverWhenSwitchedOffOrWhenAnAdvancedStartIsKept) {
  read_collection("afiro");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREDUAL, -1), 0);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(results->text().find("DUAL formed"), std::string::npos);

  // With KRV_PARAM_ADVIND 2 the basis of the last solve is carried into
  // the reduced problem instead.
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREDUAL, 1), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_ADVIND, 2), 0);
  ASSERT_EQ(KRVfreepresolve(env, lp), 0);
  results->clear();
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  EXPECT_EQ(results->text().find("DUAL formed"), std::string::npos);
  EXPECT_EQ(KRVgetstat(env, lp), 1);
}

TEST_F(DualFormulationTest, ModelsWithoutAnOptimumKeepTheirVerdict) {
  const auto infeasible = [&] { read_infeasible_sc105(); };
  // min -x - y with x - y <= 1: y and x grow together without end.
  const auto unbounded = [&] {
    read_lp_text("Minimize\n obj: - x - y - z\nSubject To\n c1: x - y + z <= 1\n c2: x + z <= 4\n"
                 " c3: x - 2 y <= 3\nEnd\n");
  };
  // x + y >= 3 and x + y <= 2 over two rows each with a third column.
  const auto small_infeasible = [&] {
    read_lp_text("Minimize\n obj: x + y + z\nSubject To\n c1: x + y + z >= 3\n c2: x + y + 2 z <= 2\n"
                 " c3: x - y + z >= -1\nBounds\n z <= 0.5\nEnd\n");
  };
  for (auto opt : {KRVprimopt, KRVdualopt}) {
    expect_same_status("sc105 made infeasible", infeasible, opt);
    expect_same_status("unbounded", unbounded, opt);
    expect_same_status("small infeasible", small_infeasible, opt);
  }
  unbounded();
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 2);
  small_infeasible();
  ASSERT_EQ(KRVdualopt(env, lp), 0);
  EXPECT_EQ(KRVgetstat(env, lp), 3);
}

TEST_F(DualFormulationTest, KeptDualFormulationRestartsWarm) {
  const auto ref = presolve_test::reference_optima();
  read_collection("scagr7");
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), 1);
  const int cold = KRVgetitcnt(env, lp);
  ASSERT_EQ(KRVlpopt(env, lp), 0);
  expect_reference_optimum("scagr7 again", ref.at("scagr7"));
  EXPECT_LE(KRVgetitcnt(env, lp), cold / 20);

  // A new dual formulation starts from the basis the original kept.
  ASSERT_EQ(KRVfreepresolve(env, lp), 0);
  results->clear();
  ASSERT_EQ(KRVprimopt(env, lp), 0);
  EXPECT_NE(results->text().find("DUAL formed by presolve"), std::string::npos);
  expect_reference_optimum("scagr7 presolved again", ref.at("scagr7"));
  EXPECT_LE(KRVgetitcnt(env, lp), cold / 10);
}

}  // namespace
