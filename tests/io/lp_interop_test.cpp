// LP files written by another tool read correctly: Netlib models converted
// to LP format by glpsol (glpk-utils) read into the same model as the MPS
// original, and solve to the same optimum. Skipped when glpsol is not on
// the search path. (PuLP's writer is not covered: it is not installed here.)
#include <cmath>
#include <cstdlib>
#include <string>

#include "io/lp_test_support.h"

namespace korva_test {
namespace {

bool glpsol_available() {
  return std::system("command -v glpsol >/dev/null 2>&1") == 0;
}

class LpInterop : public LpFileTest, public ::testing::WithParamInterface<const char*> {
 protected:
  // The objective after solving, or NaN when the solve did not end optimal.
  double solved_objective(KRVprob p) {
    if (KRVlpopt(env, p) != 0 || KRVgetstat(env, p) != KRV_STAT_OPTIMAL) return std::nan("");
    double z = 0;
    KRVgetobjval(env, p, &z);
    return z;
  }
  double objective_sum(KRVprob p) {
    double sum = 0;
    for (double c : obj(p)) sum += c;
    return sum;
  }
};

TEST_P(LpInterop, GlpsolLpFileReadsAsTheMpsModel) {
  if (!glpsol_available()) GTEST_SKIP() << "glpsol not installed";
  const std::string model = GetParam();
  const std::string mps = path(model + ".mps"), lpfile = path(model + ".lp");
  const std::string convert = "gzip -cd " + data_path("netlib/" + model + ".mps.gz") + " > " +
                              mps + " && glpsol --mps " + mps + " --wlp " + lpfile +
                              " --check >/dev/null 2>&1";
  ASSERT_EQ(std::system(convert.c_str()), 0) << convert;
  ASSERT_EQ(KRVreadcopyprob(env, lp, mps.c_str(), nullptr), 0) << errors->text();
  int status = 0;
  KRVprob other = KRVcreateprob(env, &status, "glpk");
  ASSERT_EQ(KRVreadcopyprob(env, other, lpfile.c_str(), nullptr), 0) << errors->text();
  EXPECT_EQ(KRVgetnumrows(env, other), KRVgetnumrows(env, lp)) << model;
  EXPECT_EQ(KRVgetnumcols(env, other), KRVgetnumcols(env, lp)) << model;
  EXPECT_EQ(KRVgetnumnz(env, other), KRVgetnumnz(env, lp)) << model;
  EXPECT_EQ(KRVgetobjsen(env, other), KRVgetobjsen(env, lp)) << model;
  EXPECT_NEAR(objective_sum(other), objective_sum(lp), 1e-9 * (1 + std::fabs(objective_sum(lp))));
  const double z_mps = solved_objective(lp), z_lp = solved_objective(other);
  if (!std::isnan(z_mps)) {
    EXPECT_NEAR(z_lp, z_mps, 1e-6 * (1 + std::fabs(z_mps))) << model;
  }
  KRVfreeprob(env, &other);
}

// Small models without ranged or free rows, whose LP form holds the same
// rows; some keep their own names, others get glpk's generic ones.
INSTANTIATE_TEST_SUITE_P(Netlib, LpInterop,
                         ::testing::Values("afiro", "adlittle", "sc50a", "sc105", "blend",
                                           "share2b", "kb2", "scagr7", "stocfor1", "israel"));

}  // namespace
}  // namespace korva_test
