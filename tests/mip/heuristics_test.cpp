// The root's heuristics through KRVmipopt: models of the shared collection
// stopped after the root node (KRV_PARAM_NODELIM 1) already hold an
// incumbent, an integral point of the model as it was read, with the
// heuristics in their default settings and with the pump switched on.
#include <cmath>
#include <string>
#include <vector>

#include "mip/mip_test_support.h"

namespace {

struct RootCase {
  const char* model;
  int fpheur;  // KRV_PARAM_FPHEUR
};

const RootCase kCases[] = {{"p0201", 0}, {"misc03", 0}, {"stein27", 0}, {"p0201", 1}, {"misc03", 2}};

class RootIncumbent : public mip_test::MipTest, public ::testing::WithParamInterface<RootCase> {
 protected:
  void SetUp() override {
    KORVA_REQUIRE_SHARED_DATA();
    MipTest::SetUp();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 0), 0);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_THREADS, 1), 0);
  }
};

// Largest violation of x on the rows, bounds and integrality of the model.
double violation(KRVenv env, KRVprob lp, const std::vector<double>& x) {
  const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
  std::vector<double> lb(n), ub(n), slack(m);
  std::vector<char> ctype(n);
  EXPECT_EQ(KRVgetlb(env, lp, lb.data(), 0, n - 1), 0);
  EXPECT_EQ(KRVgetub(env, lp, ub.data(), 0, n - 1), 0);
  EXPECT_EQ(KRVgetctype(env, lp, ctype.data(), 0, n - 1), 0);
  double worst = 0.0;
  for (int j = 0; j < n; ++j) {
    worst = std::max({worst, lb[j] - x[j], x[j] - ub[j]});
    if (ctype[j] != 'C') worst = std::max(worst, std::fabs(x[j] - std::round(x[j])));
  }
  EXPECT_EQ(KRVgetrowinfeas(env, lp, x.data(), slack.data(), 0, m - 1), 0);
  for (double s : slack) worst = std::max(worst, std::fabs(s));
  return worst;
}

TEST_P(RootIncumbent, FirstIncumbentAtTheRootNode) {
  const RootCase& c = GetParam();
  read_collection_model(c.model);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_FPHEUR, c.fpheur), 0);
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_NODELIM, 1), 0);
  ASSERT_EQ(KRVmipopt(env, lp), 0);
  const int status = KRVgetstat(env, lp);
  EXPECT_TRUE(status == 105 || status == 101 || status == 102) << c.model << " ended with status " << status;
  double z = 0.0;
  ASSERT_EQ(KRVgetobjval(env, lp, &z), 0) << c.model << ": no incumbent after the root";
  const int n = KRVgetnumcols(env, lp);
  std::vector<double> x(n);
  ASSERT_EQ(KRVgetx(env, lp, x.data(), 0, n - 1), 0);
  EXPECT_LE(violation(env, lp, x), 1e-6) << c.model;
}

INSTANTIATE_TEST_SUITE_P(Collection, RootIncumbent, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<RootCase>& info) {
                           return std::string(info.param.model) + "_fpheur" +
                                  (info.param.fpheur < 0 ? "off" : std::to_string(info.param.fpheur));
                         });

}  // namespace
