// Lift-and-project cuts: valid at every feasible point of small random
// models, effective on a model whose relaxation they tighten, and skipped
// at once when their cut-generating LP would be too large.
#include "mip/cuts/disjunctive_cuts.h"

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "mip/cut_validity.h"

namespace {

using cut_check::CutValidity;
using cut_check::random_model;
using cut_check::Relaxed;
using cut_check::solve_relaxation;
using korva::mip::Cut;
using korva::mip::MipModel;
using mip_test::SmallMip;

TEST_F(CutValidity, DisjunctiveCutsRemoveNoFeasiblePoint) {
  std::mt19937 rng(31);
  int cuts_checked = 0, points_checked = 0;
  for (int k = 0; k < 300; ++k) {
    SmallMip m = random_model(rng);
    std::uniform_int_distribution<int> cost(-5, 5);
    for (double& c : m.obj) c = cost(rng);
    ASSERT_EQ(m.load(env, lp), 0);
    Relaxed r;
    solve_relaxation(env, lp, r);
    if (!r.optimal) continue;
    std::vector<Cut> cuts;
    ASSERT_EQ(korva::mip::separate_disjunctive(*env, r.input(), r.model.num_rows, 5, 0, cuts), 0);
    for (const Cut& c : cuts) {
      const std::string what = "model " + std::to_string(k);
      EXPECT_EQ(c.family, korva::mip::kDisjunctiveCuts);
      EXPECT_GT(c.activity(r.x.data()), c.rhs) << what << ": a cut that does not cut the point off";
      points_checked += expect_valid(m, c, what);
      ++cuts_checked;
    }
  }
  EXPECT_GE(cuts_checked, 150);
  EXPECT_GE(points_checked, 300);
}

// Later rounds cut off vertices of relaxations already tightened by cuts,
// where the cut-generating LP is more degenerate: the cuts of three rounds
// are checked against the original model.
TEST_F(CutValidity, DisjunctiveCutsOfLaterRoundsRemoveNoFeasiblePoint) {
  std::mt19937 rng(43);
  int cuts_checked = 0, later = 0;
  for (int k = 0; k < 100; ++k) {
    const SmallMip original = random_model(rng);
    SmallMip m = original;
    std::uniform_int_distribution<int> cost(-5, 5);
    for (double& c : m.obj) c = cost(rng);
    for (int round = 0; round < 3; ++round) {
      ASSERT_EQ(m.load(env, lp), 0);
      Relaxed r;
      solve_relaxation(env, lp, r);
      if (!r.optimal) break;
      std::vector<Cut> cuts;
      ASSERT_EQ(korva::mip::separate_disjunctive(*env, r.input(), r.model.num_rows, 4, 0, cuts), 0);
      if (cuts.empty()) break;
      for (const Cut& c : cuts) {
        const std::string what = "model " + std::to_string(k) + ", round " + std::to_string(round);
        EXPECT_GT(c.activity(r.x.data()), c.rhs) << what;
        expect_valid(original, c, what);
        ++cuts_checked;
        later += round > 0;
        mip_test::Row row;
        for (size_t e = 0; e < c.index.size(); ++e) row.entries.emplace_back(c.index[e], c.value[e]);
        row.rhs = c.rhs;
        m.rows.push_back(row);
      }
    }
  }
  EXPECT_GE(cuts_checked, 100);
  EXPECT_GE(later, 30);
}

// max y with 3x + 2y <= 5 and 2y <= 3x, x integer: the relaxation peaks at
// (5/6, 5/4), while every integer x allows y <= 1 at most.
SmallMip peaked_model() {
  SmallMip m;
  m.objsense = -1;
  m.obj = {0.0, 1.0};
  m.lb = {0.0, 0.0};
  m.ub = {3.0, 10.0};
  m.ctype = {'I', 'C'};
  m.rows.push_back({{{0, 3.0}, {1, 2.0}}, 'L', 5.0});
  m.rows.push_back({{{0, -3.0}, {1, 2.0}}, 'L', 0.0});
  return m;
}

TEST_F(CutValidity, DisjunctiveCutOfTheSplitOnAFractionalColumnLowersTheRelaxationsBound) {
  SmallMip m = peaked_model();
  ASSERT_EQ(m.load(env, lp), 0);
  Relaxed r;
  solve_relaxation(env, lp, r);
  ASSERT_TRUE(r.optimal);
  ASSERT_NEAR(r.x[0], 5.0 / 6.0, 1e-9);
  ASSERT_NEAR(r.x[1], 1.25, 1e-9);
  results->clear();
  std::vector<Cut> cuts;
  ASSERT_EQ(korva::mip::separate_disjunctive(*env, r.input(), r.model.num_rows, 10, 1, cuts), 0);
  ASSERT_EQ(cuts.size(), 1u);  // one fractional column, one split
  EXPECT_EQ(results->text(), "") << "the cut-generating LP's log reached the user";
  EXPECT_EQ(warnings->text(), "");
  EXPECT_GT(cuts[0].efficacy(r.x.data()), 0.1);
  EXPECT_EQ(expect_valid(m, cuts[0], "peaked model"), 2);  // x = 0 and x = 1

  // The relaxation with the cut: its optimum moves down to the integer
  // hull's y = 1 (the strongest split cut here is y <= x).
  SmallMip tightened = m;
  mip_test::Row row;
  for (size_t k = 0; k < cuts[0].index.size(); ++k) row.entries.emplace_back(cuts[0].index[k], cuts[0].value[k]);
  row.sense = 'L';
  row.rhs = cuts[0].rhs;
  tightened.rows.push_back(row);
  ASSERT_EQ(tightened.load(env, check_lp, true), 0);
  ASSERT_EQ(KRVlpopt(env, check_lp), 0);
  ASSERT_EQ(KRVgetstat(env, check_lp), 1);
  double bound = 0.0;
  ASSERT_EQ(KRVgetobjval(env, check_lp, &bound), 0);
  EXPECT_LT(bound, 1.25 - 0.1);
  EXPECT_GE(bound, 1.0 - 1e-6);
}

TEST_F(CutValidity, DisjunctiveSeparationNeedsAFractionalIntegerColumn) {
  SmallMip m = peaked_model();
  m.ctype = {'C', 'C'};
  ASSERT_EQ(m.load(env, lp), 0);
  Relaxed r;
  solve_relaxation(env, lp, r);
  ASSERT_TRUE(r.optimal);
  std::vector<Cut> cuts;
  ASSERT_EQ(korva::mip::separate_disjunctive(*env, r.input(), r.model.num_rows, 10, 1, cuts), 0);
  EXPECT_TRUE(cuts.empty());
}

TEST_F(CutValidity, DisjunctiveSeparationSkipsACutGeneratingLpTooLargeToSolve) {
  // 8000 binaries at 1/2 under one knapsack row: their bounds alone make
  // the cut-generating LP far too large.
  constexpr int n = 8000;
  SmallMip m;
  m.obj.assign(n, -1.0);
  m.lb.assign(n, 0.0);
  m.ub.assign(n, 1.0);
  m.ctype.assign(n, 'B');
  mip_test::Row row;
  for (int j = 0; j < n; ++j) row.entries.emplace_back(j, 1.0);
  row.rhs = n / 2.0 + 0.5;
  m.rows.push_back(row);
  ASSERT_EQ(m.load(env, lp), 0);
  MipModel model;
  korva::mip::build_mip_model(*lp, model);
  const std::vector<double> x(n, 0.5);
  const korva::mip::SeparationInput in = cut_check::input_of(model, x);
  std::vector<Cut> cuts;
  ASSERT_EQ(korva::mip::separate_disjunctive(*env, in, model.num_rows, 50, 1, cuts), 0);
  EXPECT_TRUE(cuts.empty());
  EXPECT_EQ(warnings->text(), "");
}

}  // namespace
