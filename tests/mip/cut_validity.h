// Brute-force validity checks for cut separators: random small models
// with binary, general integer and continuous columns, and for each cut every
// integer assignment checked, its continuous part maximising the cut's
// left-hand side by an LP. Each family's test file uses this fixture.
#pragma once
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "mip/cuts/cut.h"
#include "mip/domain.h"
#include "mip/mip_model.h"
#include "mip/mip_test_support.h"
#include "mip/node_lp.h"
#include "model/problem.h"

namespace cut_check {

using korva::mip::Cut;
using korva::mip::MipModel;
using mip_test::SmallMip;

// What a separator reads: the model, the point and (unless given) the
// model's own bounds.
inline korva::mip::SeparationInput input_of(const MipModel& model, const std::vector<double>& x,
                                            const double* lower = nullptr, const double* upper = nullptr) {
  korva::mip::SeparationInput in;
  in.model = &model;
  in.x = x.data();
  in.lower = lower ? lower : model.lower.data();
  in.upper = upper ? upper : model.upper.data();
  return in;
}

// The relaxation's optimum of a model, as the root cut loop has it.
struct Relaxed {
  MipModel model;
  korva::mip::Domain domain;
  korva::mip::NodeLp lp;  // solved: its tableau is at hand
  std::vector<double> x;
  double objective = 0.0;
  bool optimal = false;

  korva::mip::SeparationInput input() const {
    return cut_check::input_of(model, x, domain.lowers().data(), domain.uppers().data());
  }
};

inline void solve_relaxation(KRVenv env, KRVprob lp, Relaxed& r) {
  korva::mip::build_mip_model(*lp, r.model);
  r.domain.init(r.model, 1e-6, 1e-5);
  if (r.domain.infeasible() || !r.domain.propagate()) return;
  ASSERT_EQ(r.lp.load(*env, r.model, r.domain, korva::mip::NodeLpSettings{}), 0);
  korva::mip::LpSolve solved;
  ASSERT_EQ(r.lp.solve(*env, INFINITY, 1000, true, solved), 0);
  if (solved.outcome != korva::mip::LpOutcome::Optimal) return;
  r.x = r.lp.x();
  r.objective = solved.objective;
  r.optimal = true;
}

class CutValidity : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    int status = 0;
    check_lp = KRVcreateprob(env, &status, "check");
    ASSERT_NE(check_lp, nullptr);
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
  }
  void TearDown() override {
    if (check_lp) KRVfreeprob(env, &check_lp);
    MipTest::TearDown();
  }

  // The largest a·x over the points of m whose integer columns take
  // `values`; -inf when there is none.
  double largest_activity(const SmallMip& m, const std::vector<double>& values, const Cut& cut) {
    SmallMip fixed = m;
    fixed.objsense = -1;
    fixed.obj.assign(m.num_cols(), 0.0);
    for (size_t k = 0; k < cut.index.size(); ++k) fixed.obj[cut.index[k]] = cut.value[k];
    for (int j = 0; j < m.num_cols(); ++j) {
      if (m.ctype[j] == 'C') continue;
      fixed.lb[j] = fixed.ub[j] = values[j];
    }
    fixed.ctype.assign(m.num_cols(), 'C');
    EXPECT_EQ(fixed.load(env, check_lp, true), 0);
    EXPECT_EQ(KRVlpopt(env, check_lp), 0);
    if (KRVgetstat(env, check_lp) != 1) return -INFINITY;
    double z = 0.0;
    EXPECT_EQ(KRVgetobjval(env, check_lp, &z), 0);
    return z;
  }

  // Checks the cut against every integer assignment of m; returns the
  // number of assignments that were feasible.
  int expect_valid(const SmallMip& m, const Cut& cut, const std::string& what) {
    std::vector<int> integers;
    for (int j = 0; j < m.num_cols(); ++j)
      if (m.ctype[j] != 'C') integers.push_back(j);
    std::vector<double> values(m.num_cols(), 0.0);
    int feasible = 0;
    std::function<void(size_t)> visit = [&](size_t k) {
      if (k == integers.size()) {
        const double most = largest_activity(m, values, cut);
        if (std::isinf(most)) return;
        ++feasible;
        EXPECT_LE(most, cut.rhs + 1e-6 * std::max(1.0, std::fabs(cut.rhs)))
            << what << ": family " << cut.family << " cuts off a feasible point";
        return;
      }
      const int j = integers[k];
      for (double v = m.lb[j]; v <= m.ub[j]; v += 1.0) {
        values[j] = v;
        visit(k + 1);
      }
    };
    visit(0);
    return feasible;
  }

  KRVprob check_lp = nullptr;
};

// Two binaries, a general integer and two continuous columns; rows of
// knapsack, big-M and mixed kinds with halves among the coefficients.
inline SmallMip random_model(std::mt19937& rng) {
  std::uniform_int_distribution<int> coef(-6, 6), pick(0, 3), bigm(3, 12);
  SmallMip m;
  m.ctype = {'B', 'B', 'I', 'C', 'C'};
  m.lb = {0, 0, -1, 0, -2};
  m.ub = {1, 1, 3, 5, 4};
  m.obj.assign(5, 0.0);
  // A knapsack over the integers, and one whose binaries conflict.
  m.rows.push_back({{{0, 2.0 + pick(rng)}, {1, 3.0 + pick(rng)}, {2, 1.0 + pick(rng)}}, 'L', 4.0 + pick(rng)});
  m.rows.push_back({{{0, 3.0 + pick(rng)}, {1, -(3.0 + pick(rng))}, {3, 0.5}}, 'L', 2.0 + pick(rng) % 2});
  // A switch: continuous flow at most M times a binary.
  m.rows.push_back({{{3, 1.0}, {0, -static_cast<double>(bigm(rng))}}, 'L', 0.0});
  // Three rows of anything, one of them an equality.
  for (int r = 0; r < 3; ++r) {
    mip_test::Row row;
    for (int j = 0; j < 5; ++j)
      if (int a = coef(rng); a != 0) row.entries.emplace_back(j, a * (pick(rng) == 0 ? 0.5 : 1.0));
    row.sense = r == 2 ? 'E' : pick(rng) % 2 ? 'L' : 'G';
    row.rhs = coef(rng) + 0.5 * pick(rng);
    if (!row.entries.empty()) m.rows.push_back(row);
  }
  return m;
}

}  // namespace cut_check
