// A seeded slice of the robustness sweep (bench/robustness.py): LP
// collection models rewritten into equivalent ones (rows and columns
// permuted, multiplied by factors in [1e-3, 1e3] that are not powers of
// two) must end, under each simplex method with presolve on and off, at
// the reference objective, or with an honest non-optimal status and a
// warning. Never with a wrong "optimal", "infeasible" or "unbounded".
// The cases are ones that went wrong before the answers were checked on
// the user's data: a false infeasibility, optima off by 1e-6 to 1e-5, a
// singular basis that ended the run with an error.
#include <cmath>
#include <string>
#include <vector>

#include "support/lp_test.h"
#include "support/model_transform.h"

namespace {

using korva_test::data_path;

struct SweepCase {
  const char* model;
  int method;  // 1 primal, 2 dual
  bool presolve;
  uint64_t seed;
  bool permute;
  double scale_exponent;
  double tolerance;  // KRV_PARAM_EPRHS and KRV_PARAM_EPOPT
};

std::string case_name(const testing::TestParamInfo<SweepCase>& info) {
  const SweepCase& c = info.param;
  std::string name = std::string(c.model) + (c.method == 1 ? "_primal" : "_dual") +
                     (c.presolve ? "_pre" : "_nopre") + "_seed" + std::to_string(c.seed);
  if (c.permute) name += "_permuted";
  if (c.scale_exponent > 0) name += "_scaled";
  if (c.tolerance != 1e-6) name += "_tight";
  return name;
}

class RobustnessSweep : public korva_test::LpTest, public testing::WithParamInterface<SweepCase> {};

TEST_P(RobustnessSweep, EndsAtTheReferenceOrSaysItDidNot) {
  KORVA_REQUIRE_SHARED_DATA();
  const SweepCase& c = GetParam();
  ASSERT_EQ(KRVreadcopyprob(env, lp, data_path(std::string("netlib/") + c.model + ".mps.gz").c_str(), nullptr),
            0);
  korva_test::LpArrays original;
  ASSERT_EQ(original.read(env, lp), 0);
  korva_test::TransformOptions options;
  options.seed = c.seed;
  options.permute = c.permute;
  options.scale_exponent = c.scale_exponent;
  const korva_test::LpArrays rewritten =
      korva_test::apply_transform(original, korva_test::make_transform(original.n, original.m, options));
  ASSERT_EQ(rewritten.copy_into(env, lp), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_PREIND, c.presolve ? 1 : 0), 0);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_EPRHS, c.tolerance), 0);
  ASSERT_EQ(KRVsetdblparam(env, KRV_PARAM_EPOPT, c.tolerance), 0);
  warnings->clear();

  ASSERT_EQ(c.method == 1 ? KRVprimopt(env, lp) : KRVdualopt(env, lp), 0);
  const double reference = korva_test::reference_optima().at(c.model);
  const int status = KRVgetstat(env, lp);
  if (status == 1) {
    double objective = 0.0;
    ASSERT_EQ(KRVgetobjval(env, lp, &objective), 0);
    EXPECT_NEAR(objective, reference, 1e-6 * std::max(1.0, std::fabs(reference)));
    std::vector<double> x(rewritten.n), pi(rewritten.m);
    ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, rewritten.n - 1), 0);
    ASSERT_EQ(KRVgetpi(env, lp, pi.data(), 0, rewritten.m - 1), 0);
    // Measured independently of the library, relative to the data's size
    // and without its allowance for rounding: a looser yardstick.
    const korva_test::Violations v = korva_test::measure(rewritten, x, pi);
    const double yardstick = std::max(10 * c.tolerance, 1e-7);
    EXPECT_LE(v.primal, yardstick);
    EXPECT_LE(v.dual, yardstick);
  } else {
    // Every model of the collection has a finite optimum: no other claim
    // may be made, and a solution that is not optimal must say so.
    EXPECT_TRUE(status == 5 || status == 6) << "status " << status;
    EXPECT_NE(warnings->text().find("Warning"), std::string::npos) << warnings->text();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Collection, RobustnessSweep,
    testing::Values(SweepCase{"recipe", 2, false, 1, false, 3, 1e-6},
                    SweepCase{"bnl1", 2, false, 1, true, 3, 1e-6},
                    SweepCase{"bnl1", 2, false, 3, true, 3, 1e-6},
                    SweepCase{"bnl1", 1, false, 1, false, 3, 1e-6},
                    SweepCase{"agg", 1, false, 3, true, 3, 1e-6},
                    SweepCase{"bore3d", 2, true, 1, true, 3, 1e-6},
                    SweepCase{"scfxm1", 2, true, 2, true, 3, 1e-6},
                    SweepCase{"pilot4", 1, true, 3, true, 3, 1e-6},
                    SweepCase{"pilot4", 2, true, 2, true, 3, 1e-9},
                    SweepCase{"pilot4", 1, false, 1, true, 3, 1e-6},
                    SweepCase{"greenbea", 2, true, 1, true, 3, 1e-6},
                    SweepCase{"wood1p", 2, false, 2, true, 3, 1e-6}),
    case_name);

}  // namespace
