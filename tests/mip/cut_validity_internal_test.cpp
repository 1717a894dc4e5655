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
#include "mip/cuts/implied_bound_cuts.h"
#include "mip/cuts/mir_cuts.h"
#include "mip/domain.h"
#include "mip/node_lp.h"
#include "mip/probing.h"
#include "mip/search_settings.h"

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
      const korva::mip::SeparationInput in = cut_check::input_of(model, x);
      std::vector<Cut> cuts;
      korva::mip::separate_covers(in, model.num_rows, false, cuts);
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
    cut_check::Relaxed r;
    cut_check::solve_relaxation(env, lp, r);
    if (!r.optimal) continue;
    const std::vector<double>& x = r.x;
    std::vector<Cut> cuts;
    korva::mip::separate_gomory(r.input(), r.domain, r.lp, 200, cuts);
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

// Probing rewrites the search's copy of the model (bounds, coefficients,
// senses) and derives implied bounds; every row and bound it leaves, and
// every implied bound cut, must hold at every feasible point.
TEST_F(CutValidity, ProbingsRowsBoundsAndImpliedBoundCutsRemoveNoFeasiblePoint) {
  std::mt19937 rng(23);
  int rows_checked = 0, cuts_checked = 0, rewritten = 0;
  korva::mip::SearchSettings settings;
  settings.display = 0;
  for (int k = 0; k < 120; ++k) {
    const SmallMip m = random_model(rng);
    ASSERT_EQ(m.load(env, lp), 0);
    MipModel model;
    korva::mip::build_mip_model(*lp, model);
    korva::mip::CliqueTable cliques;
    const korva::mip::ProbingOutcome probed = korva::mip::probe(*env, model, model.num_rows, settings, cliques);
    rewritten += probed.coefficients > 0 || probed.senses_changed > 0;
    const std::string what = "model " + std::to_string(k);
    for (int i = 0; i < model.num_rows; ++i) {
      for (double s : {1.0, -1.0}) {
        const double side = s > 0 ? model.row_hi[i] : model.row_lo[i];
        if (std::isinf(side)) continue;
        Cut row;
        for (int64_t e = model.row_begin[i]; e < model.row_begin[i + 1]; ++e) {
          row.index.push_back(model.row_col[e]);
          row.value.push_back(s * model.row_val[e]);
        }
        row.rhs = s * side;
        expect_valid(m, row, what + ", row " + std::to_string(i));
        ++rows_checked;
      }
    }
    for (int j = 0; j < model.num_cols; ++j) {
      expect_valid(m, Cut{{j}, {1.0}, model.upper[j]}, what + ", upper bound");
      expect_valid(m, Cut{{j}, {-1.0}, -model.lower[j]}, what + ", lower bound");
    }
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int p = 0; p < 4; ++p) {
      std::vector<double> x(5);
      for (int j = 0; j < 5; ++j) x[j] = model.lower[j] + unit(rng) * (model.upper[j] - model.lower[j]);
      const korva::mip::SeparationInput in = cut_check::input_of(model, x);
      std::vector<Cut> cuts;
      korva::mip::separate_implied_bounds(in, probed.implied_bounds, cuts);
      for (const Cut& c : cuts) {
        EXPECT_GT(c.activity(x.data()), c.rhs) << what;
        expect_valid(m, c, what + ", implied bound cut");
        ++cuts_checked;
      }
    }
  }
  EXPECT_GE(rows_checked, 500);
  EXPECT_GE(cuts_checked, 20);
  EXPECT_GE(rewritten, 5);
}

// Knapsacks over seven binaries (some complemented): lifting gives the
// items outside the cover coefficients above 1 where the capacity allows,
// and every lifted cover still holds at every feasible point.
TEST_F(CutValidity, LiftedCoversRemoveNoFeasiblePoint) {
  std::mt19937 rng(31);
  std::uniform_int_distribution<int> weight(1, 12), sign(0, 4);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int cuts_checked = 0, lifted_above_one = 0;
  for (int k = 0; k < 150; ++k) {
    SmallMip m;
    mip_test::Row row;
    row.sense = 'L';
    double total = 0.0;
    for (int j = 0; j < 7; ++j) {
      m.ctype.push_back('B');
      m.lb.push_back(0.0);
      m.ub.push_back(1.0);
      m.obj.push_back(0.0);
      const double w = weight(rng) * (sign(rng) == 0 ? -1.0 : 1.0);
      row.entries.emplace_back(j, w);
      total += std::fabs(w);
    }
    row.rhs = std::floor(total * (0.3 + 0.3 * unit(rng)));
    m.rows.push_back(row);
    ASSERT_EQ(m.load(env, lp), 0);
    MipModel model;
    korva::mip::build_mip_model(*lp, model);
    for (int p = 0; p < 3; ++p) {
      std::vector<double> x(7);
      for (double& v : x) v = unit(rng) < 0.5 ? 1.0 : unit(rng);
      const korva::mip::SeparationInput in = cut_check::input_of(model, x);
      std::vector<Cut> cuts;
      korva::mip::separate_covers(in, model.num_rows, true, cuts);
      for (const Cut& c : cuts) {
        expect_valid(m, c, "knapsack " + std::to_string(k));
        ++cuts_checked;
        for (double a : c.value) lifted_above_one += std::fabs(a) > 1.0;
      }
    }
  }
  EXPECT_GE(cuts_checked, 50);
  EXPECT_GE(lifted_above_one, 5);
}

}  // namespace
