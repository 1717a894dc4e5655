// Shared pieces of the presolve tests: a fixture with one problem, the
// reference optima of the LP collection and checks of a solution on the original model.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/lp_test.h"

namespace presolve_test {

using korva_test::reference_optima;

// The given subset of the LP collection, or the whole collection when
// KORVA_PRESOLVE_ALL_MODELS is 1.
template <size_t N>
std::vector<std::string> models_to_run(const char* const (&subset)[N]) {
  std::vector<std::string> names;
  if (const char* all = std::getenv("KORVA_PRESOLVE_ALL_MODELS"); all && *all == '1') {
    for (const auto& [name, value] : reference_optima()) names.push_back(name);
    return names;
  }
  names.assign(subset, subset + N);
  return names;
}

class PresolveTest : public korva_test::LpTest {
 protected:
  // c·x of the original problem.
  double objective_of(const std::vector<double>& x) {
    const int n = KRVgetnumcols(env, lp);
    std::vector<double> c(n);
    EXPECT_EQ(KRVgetobj(env, lp, c.data(), 0, n - 1), 0);
    double sum = 0.0;
    for (int j = 0; j < n; ++j) sum += c[j] * x[j];
    return sum;
  }
  // Largest violation of bounds and rows by x on the original problem.
  double violation(const std::vector<double>& x) {
    const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
    std::vector<double> lb(n), ub(n), rhs(m), range(m, 0.0), act(m, 0.0);
    std::vector<char> sense(m);
    EXPECT_EQ(KRVgetlb(env, lp, lb.data(), 0, n - 1), 0);
    EXPECT_EQ(KRVgetub(env, lp, ub.data(), 0, n - 1), 0);
    EXPECT_EQ(KRVgetrhs(env, lp, rhs.data(), 0, m - 1), 0);
    EXPECT_EQ(KRVgetsense(env, lp, sense.data(), 0, m - 1), 0);
    for (int i = 0; i < m; ++i)
      if (sense[i] == 'R') {
        EXPECT_EQ(KRVgetrngval(env, lp, &range[i], i, i), 0);
      }
    double worst = 0.0;
    for (int j = 0; j < n; ++j) {
      worst = std::max({worst, lb[j] - x[j], x[j] - ub[j]});
      int nz = 0, beg = 0, surplus = 0;
      KRVgetcols(env, lp, &nz, &beg, nullptr, nullptr, 0, &surplus, j, j);
      std::vector<int> ind(-surplus);
      std::vector<double> val(-surplus);
      EXPECT_EQ(KRVgetcols(env, lp, &nz, &beg, ind.data(), val.data(), -surplus, &surplus, j, j), 0);
      for (int k = 0; k < nz; ++k) act[ind[k]] += val[k] * x[j];
    }
    for (int i = 0; i < m; ++i) {
      double lo = rhs[i], hi = rhs[i];
      if (sense[i] == 'L') lo = -1e300;
      if (sense[i] == 'G') hi = 1e300;
      if (sense[i] == 'R') {
        lo = std::min(rhs[i], rhs[i] + range[i]);
        hi = std::max(rhs[i], rhs[i] + range[i]);
      }
      worst = std::max({worst, (lo - act[i]) / std::max(1.0, std::fabs(lo)),
                        (act[i] - hi) / std::max(1.0, std::fabs(hi))});
    }
    return worst;
  }

  // Largest dual infeasibility of the stored solution under its basis, in
  // the minimisation sense: reduced costs and row duals of the wrong sign
  // for where their variable sits.
  double dual_violation() {
    const int n = KRVgetnumcols(env, lp), m = KRVgetnumrows(env, lp);
    std::vector<double> dj(n), pi(m), range(m, 0.0);
    std::vector<int> cstat(n), rstat(m);
    std::vector<char> sense(m);
    EXPECT_EQ(KRVgetdj(env, lp, dj.data(), 0, n - 1), 0);
    EXPECT_EQ(KRVgetpi(env, lp, pi.data(), 0, m - 1), 0);
    EXPECT_EQ(KRVgetbase(env, lp, cstat.data(), rstat.data()), 0);
    EXPECT_EQ(KRVgetsense(env, lp, sense.data(), 0, m - 1), 0);
    const double s = KRVgetobjsen(env, lp);
    auto violation = [](double d, int status) {
      switch (status) {
        case KRV_AT_LOWER:
          return std::max(0.0, -d);
        case KRV_AT_UPPER:
          return std::max(0.0, d);
        default:
          return std::fabs(d);
      }
    };
    double worst = 0.0;
    for (int j = 0; j < n; ++j) worst = std::max(worst, violation(s * dj[j], cstat[j]));
    for (int i = 0; i < m; ++i) {
      const double y = s * pi[i];
      if (rstat[i] == KRV_BASIC) {
        worst = std::max(worst, std::fabs(y));
        continue;
      }
      bool at_lower_end = sense[i] == 'G';
      if (sense[i] == 'R') {
        EXPECT_EQ(KRVgetrngval(env, lp, &range[i], i, i), 0);
        at_lower_end = (rstat[i] == KRV_AT_LOWER) == (range[i] >= 0);
      }
      if (sense[i] != 'E') worst = std::max(worst, at_lower_end ? -y : y);
    }
    return worst;
  }

  // Solves the LP text with the defaults and expects presolve's verdict:
  // the status and its proof line in the log.
  void expect_proof(const std::string& text, int status, const std::string& line) {
    results->clear();
    read_lp_text(text);
    ASSERT_EQ(KRVlpopt(env, lp), 0);
    EXPECT_EQ(KRVgetstat(env, lp), status);
    EXPECT_NE(results->text().find(line), std::string::npos) << results->text();
  }
};

inline bool near_reference(double value, double reference) {
  return std::fabs(value - reference) <= 1e-6 * std::max(1.0, std::fabs(reference));
}

}  // namespace presolve_test
