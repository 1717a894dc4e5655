// A fixture with one problem object for the optimiser suites: LP collection
// models and small LP texts in, objective and quality measures out, and
// the reference optima of ../shared/data/netlib/optimal.csv.
#pragma once
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/korva_test.h"

namespace korva_test {

inline std::map<std::string, double> reference_optima() {
  std::map<std::string, double> ref;
  std::ifstream in(data_path("netlib/optimal.csv"));
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::stringstream fields(line);
    std::string name, value;
    std::getline(fields, name, ',');
    std::getline(fields, value, ',');
    ref[name] = std::stod(value);
  }
  return ref;
}

class LpTest : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    int status = 0;
    lp = KRVcreateprob(env, &status, "lp");
    ASSERT_NE(lp, nullptr);
  }
  void TearDown() override {
    if (lp) KRVfreeprob(env, &lp);
    EnvTest::TearDown();
  }
  void read_collection(const std::string& name) {
    ASSERT_EQ(KRVreadcopyprob(env, lp, data_path("netlib/" + name + ".mps.gz").c_str(), nullptr), 0)
        << name;
  }
  void read_lp_text(const std::string& text) {
    const std::string file = dir.file("model.lp");
    write_file(file, text);
    ASSERT_EQ(KRVreadcopyprob(env, lp, file.c_str(), nullptr), 0);
  }
  // sc105 with a '<=' row of positive coefficients over nonnegative
  // columns asked to stay below -1: a real model without a solution.
  void read_infeasible_sc105() {
    read_collection("sc105");
    const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
    std::vector<double> lb(n);
    std::vector<char> sense(m);
    ASSERT_EQ(KRVgetlb(env, lp, lb.data(), 0, n - 1), 0);
    ASSERT_EQ(KRVgetsense(env, lp, sense.data(), 0, m - 1), 0);
    int chosen = -1;
    for (int i = 0; i < m && chosen < 0; ++i) {
      if (sense[i] != 'L') continue;
      int nz = 0, beg = 0, surplus = 0;
      std::vector<int> ind(n);
      std::vector<double> val(n);
      ASSERT_EQ(KRVgetrows(env, lp, &nz, &beg, ind.data(), val.data(), n, &surplus, i, i), 0);
      bool usable = nz > 1;
      for (int k = 0; k < nz; ++k) usable = usable && val[k] > 0 && lb[ind[k]] >= 0;
      if (usable) chosen = i;
    }
    ASSERT_GE(chosen, 0);
    const double rhs = -1.0;
    ASSERT_EQ(KRVchgrhs(env, lp, 1, &chosen, &rhs), 0);
  }
  double objective() {
    double obj = 0.0;
    EXPECT_EQ(KRVgetobjval(env, lp, &obj), 0);
    return obj;
  }
  double quality(int what) {
    double value = -1.0;
    EXPECT_EQ(KRVgetdblquality(env, lp, &value, what), 0);
    return value;
  }
  KRVprob lp = nullptr;
  TempDir dir;
};

}  // namespace korva_test
