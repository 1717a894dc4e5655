// LP files written by another tool read correctly: models of the LP collection converted
// to LP format by glpsol (glpk-utils) read into the same model as the MPS
// original, and solve to the same optimum. Skipped when glpsol is not on
// the search path. A mixed-integer model written by PuLP's writeLP reads
// with its bounds and types; skipped when no Python with PuLP is found.
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

#include "io/lp_test_support.h"

namespace korva_test {
namespace {

bool glpsol_available() {
  return std::system("command -v glpsol >/dev/null 2>&1") == 0;
}

class LpInterop : public LpFileTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    LpFileTest::SetUp();
    KORVA_REQUIRE_SHARED_DATA();
  }
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
INSTANTIATE_TEST_SUITE_P(LpCollection, LpInterop,
                         ::testing::Values("afiro", "adlittle", "sc50a", "sc105", "blend",
                                           "share2b", "kb2", "scagr7", "stocfor1", "israel"));

// A Python interpreter that has PuLP, or "" when there is none.
std::string python_with_pulp() {
  for (const char* python : {"python3", "/usr/bin/python3"}) {
    const std::string probe = std::string(python) + " -c 'import pulp' >/dev/null 2>&1";
    if (std::system(probe.c_str()) == 0) return python;
  }
  return "";
}

const char* const kPulpModel = R"(import pulp, sys
m = pulp.LpProblem("mix", pulp.LpMaximize)
x = pulp.LpVariable("x", 0, 10)
y = pulp.LpVariable("y", -5, None)
z = pulp.LpVariable("z", 0, 8, cat="Integer")
b = pulp.LpVariable("b", cat="Binary")
f = pulp.LpVariable("f", None, None)
m += 3*x + 2*y - z + 4*b + 0.5*f
m += x + y + z <= 12, "cap"
m += x - y >= -3, "low"
m += 2*x + 3*z + b == 7, "fix"
m += f - x <= 2
m += f + y >= -20
m.writeLP(sys.argv[1])
)";

using LpPulp = LpFileTest;

TEST_F(LpPulp, WriteLpFileReadsWithBoundsAndTypes) {
  const std::string python = python_with_pulp();
  if (python.empty()) GTEST_SKIP() << "no Python with PuLP";
  write_file(path("make.py"), kPulpModel);
  const std::string command = python + " " + path("make.py") + " " + path("pulp.lp");
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  ASSERT_EQ(KRVreadcopyprob(env, lp, path("pulp.lp").c_str(), nullptr), 0) << errors->text();
  EXPECT_EQ(KRVgetobjsen(env, lp), -1);
  ASSERT_EQ(KRVgetnumcols(env, lp), 5);
  EXPECT_EQ(KRVgetnumrows(env, lp), 5);
  EXPECT_EQ(KRVgetnumnz(env, lp), 12);
  struct Column {
    double lo, up, obj;
    char type;
  };
  std::map<std::string, Column> by_name;
  const std::vector<std::string> names = col_names();
  const std::vector<double> lo = lb(), up = ub(), c = obj();
  const std::string types = ctypes();
  ASSERT_EQ(types.size(), names.size());
  for (size_t j = 0; j < names.size(); ++j) by_name[names[j]] = {lo[j], up[j], c[j], types[j]};
  EXPECT_EQ(by_name["x"].up, 10.0);
  EXPECT_EQ(by_name["y"].lo, -5.0);
  EXPECT_EQ(by_name["y"].up, 1e20);
  EXPECT_EQ(by_name["z"].type, 'I');
  EXPECT_EQ(by_name["z"].up, 8.0);
  EXPECT_EQ(by_name["b"].type, 'B');
  EXPECT_EQ(by_name["f"].lo, -1e20);
  EXPECT_EQ(by_name["f"].obj, 0.5);
  int row = -1;
  ASSERT_EQ(KRVgetrowindex(env, lp, "fix", &row), 0);
  EXPECT_EQ(senses()[row], 'E');
  EXPECT_EQ(rhs()[row], 7.0);
}

}  // namespace
}  // namespace korva_test
