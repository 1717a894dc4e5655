// Every cut a family separates holds at every feasible point of the model.
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "mip/clique_table.h"
#include "mip/cut_validity.h"
#include "mip/cuts/clique_cuts.h"
#include "mip/cuts/cover_cuts.h"
#include "mip/cuts/gomory_cuts.h"
#include "mip/cuts/mir_cuts.h"
#include "mip/domain.h"
#include "mip/node_lp.h"

namespace {

using cut_check::CutValidity;
using cut_check::random_model;
using korva::mip::Cut;
using korva::mip::MipModel;
using mip_test::SmallMip;

TEST_F(CutValidity, NoCutOfAnyFamilyRemovesAFeasiblePoint) {
  std::mt19937 rng(7);
  int cuts_checked = 0, points_checked = 0, families_seen[3] = {0, 0, 0};
  for (int k = 0; k < 80; ++k) {
    const SmallMip m = random_model(rng);
    ASSERT_EQ(m.load(env, lp), 0);
    MipModel model;
    korva::mip::build_mip_model(*lp, model);
    korva::mip::CliqueTable cliques;
    cliques.build(model, model.num_rows, model.lower.data(), model.upper.data());
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int p = 0; p < 4; ++p) {
      std::vector<double> x(5);
      for (int j = 0; j < 5; ++j) x[j] = m.lb[j] + unit(rng) * (m.ub[j] - m.lb[j]);
      korva::mip::SeparationInput in;
      in.model = &model;
      in.x = x.data();
      in.lower = model.lower.data();
      in.upper = model.upper.data();
      std::vector<Cut> cuts;
      korva::mip::separate_covers(in, model.num_rows, cuts);
      korva::mip::separate_mir(in, model.num_rows, 3, cuts);
      korva::mip::separate_cliques(in, cliques, cuts);
      for (const Cut& c : cuts) {
        const std::string what = "model " + std::to_string(k) + ", point " + std::to_string(p);
        EXPECT_GT(c.activity(x.data()), c.rhs) << what << ": a cut that does not cut the point off";
        points_checked += expect_valid(m, c, what);
        ++cuts_checked;
        ++families_seen[c.family == korva::mip::kCoverCuts ? 0 : c.family == korva::mip::kMirCuts ? 1 : 2];
      }
    }
  }
  EXPECT_GE(cuts_checked, 200);
  EXPECT_GE(points_checked, 1000);
  EXPECT_GE(families_seen[0], 10);  // covers
  EXPECT_GE(families_seen[1], 10);  // mixed-integer rounding
  EXPECT_GE(families_seen[2], 10);  // cliques
}

TEST_F(CutValidity, GomoryCutsFromTheOptimalTableauRemoveNoFeasiblePoint) {
  std::mt19937 rng(19);
  int cuts_checked = 0, points_checked = 0;
  for (int k = 0; k < 80; ++k) {
    SmallMip m = random_model(rng);
    std::uniform_int_distribution<int> cost(-5, 5);
    for (double& c : m.obj) c = cost(rng);
    ASSERT_EQ(m.load(env, lp), 0);
    MipModel model;
    korva::mip::build_mip_model(*lp, model);
    korva::mip::Domain domain;
    domain.init(model, 1e-6, 1e-5);
    if (domain.infeasible() || !domain.propagate()) continue;
    korva::mip::NodeLp relaxation;
    ASSERT_EQ(relaxation.load(*env, model, domain, korva::mip::NodeLpSettings{}), 0);
    korva::mip::LpSolve solved;
    ASSERT_EQ(relaxation.solve(*env, INFINITY, 1000, true, solved), 0);
    if (solved.outcome != korva::mip::LpOutcome::Optimal) continue;
    const std::vector<double> x = relaxation.x();
    korva::mip::SeparationInput in;
    in.model = &model;
    in.x = x.data();
    in.lower = domain.lowers().data();
    in.upper = domain.uppers().data();
    std::vector<Cut> cuts;
    korva::mip::separate_gomory(in, domain, relaxation, 200, cuts);
    for (const Cut& c : cuts) {
      const std::string what = "model " + std::to_string(k);
      EXPECT_GT(c.activity(x.data()), c.rhs) << what;
      points_checked += expect_valid(m, c, what);
      ++cuts_checked;
    }
  }
  EXPECT_GE(cuts_checked, 20);
  EXPECT_GE(points_checked, 100);
}

}  // namespace
