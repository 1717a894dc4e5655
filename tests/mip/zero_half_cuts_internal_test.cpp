// Zero-half cuts: found where an odd set of rows forces them, and never
// removing an integer-feasible point.
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "mip/cut_validity.h"
#include "mip/cuts/zero_half_cuts.h"

namespace {

using cut_check::CutValidity;
using korva::mip::ColKind;
using korva::mip::Cut;
using korva::mip::MipModel;
using korva::mip::SeparationInput;
using mip_test::SmallMip;

// Binaries, two general integers whose ranges do not start at 0, and a
// continuous column; conflicts between binaries (odd cycles among them),
// integral rows, rows of halves and rows the continuous column enters with
// fractional coefficients. Every row holds at a random anchor point, tight
// or nearly, so that the model is feasible and its rows bind.
SmallMip zero_half_model(std::mt19937& rng) {
  std::uniform_int_distribution<int> coef(-3, 3), pick(0, 3), binary(0, 2);
  SmallMip m;
  m.ctype = {'B', 'B', 'B', 'I', 'I', 'C'};
  m.lb = {0, 0, 0, -1, 1, -1};
  m.ub = {1, 1, 1, 2, 3, 2};
  m.obj.assign(6, 0.0);
  std::vector<double> anchor(6);
  for (int j = 0; j < 5; ++j)
    anchor[j] = m.lb[j] + std::uniform_int_distribution<int>(0, static_cast<int>(m.ub[j] - m.lb[j]))(rng);
  anchor[5] = std::uniform_real_distribution<double>(m.lb[5], m.ub[5])(rng);
  for (int e = 0; e < 3; ++e) {
    const int a = binary(rng), b = (a + 1 + pick(rng) % 2) % 3;
    if (anchor[a] + anchor[b] <= 1.0) m.rows.push_back({{{a, 1.0}, {b, 1.0}}, 'L', 1.0});
  }
  const double continuous[] = {-1.5, -1.0, 0.5, 2.0};
  for (int r = 0; r < 4; ++r) {
    mip_test::Row row;
    const double unit = pick(rng) == 0 ? 0.5 : 1.0;  // a row of halves needs scaling
    for (int j = 0; j < 5; ++j)
      if (int a = coef(rng); a != 0) row.entries.emplace_back(j, unit * a);
    if (pick(rng) < 2) row.entries.emplace_back(5, continuous[pick(rng)]);
    if (row.entries.empty()) continue;
    double at_anchor = 0.0;
    for (const auto& [j, a] : row.entries) at_anchor += a * anchor[j];
    const double room = 0.5 * pick(rng);
    row.sense = r == 3 ? 'E' : pick(rng) % 2 ? 'L' : 'G';
    row.rhs = row.sense == 'E' ? at_anchor : row.sense == 'L' ? at_anchor + room : at_anchor - room;
    m.rows.push_back(row);
  }
  return m;
}

struct Separated {
  MipModel model;
  std::vector<Cut> cuts;
};

using cut_check::input_of;

bool has_cut(const std::vector<Cut>& cuts, const std::vector<int>& index, const std::vector<double>& value,
             double rhs) {
  for (const Cut& c : cuts) {
    if (c.family != korva::mip::kZeroHalfCuts) continue;
    // Compare up to a common positive factor.
    if (c.index != index || c.value.empty()) continue;
    const double f = c.value[0] / value[0];
    if (f <= 0.0) continue;
    bool same = std::fabs(c.rhs - f * rhs) <= 1e-9 * std::max(1.0, std::fabs(c.rhs));
    for (size_t k = 0; k < value.size() && same; ++k) same = std::fabs(c.value[k] - f * value[k]) <= 1e-9;
    if (same) return true;
  }
  return false;
}

TEST_F(CutValidity, ZeroHalfCutsRemoveNoFeasiblePoint) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int cuts_checked = 0, points_checked = 0;
  for (int k = 0; k < 120; ++k) {
    const SmallMip m = zero_half_model(rng);
    ASSERT_EQ(m.load(env, lp), 0);
    MipModel model;
    korva::mip::build_mip_model(*lp, model);
    for (int p = 0; p < 5; ++p) {
      // Halves and thirds between the bounds are where zero-half cuts bite;
      // uniform points test the rest.
      std::vector<double> x(6);
      for (int j = 0; j < 6; ++j) {
        const double span = m.ub[j] - m.lb[j];
        if (p == 4 || j == 5) {
          x[j] = m.lb[j] + unit(rng) * span;
        } else {
          const int steps = p == 3 ? 3 : 2;
          std::uniform_int_distribution<int> step(0, static_cast<int>(span) * steps);
          x[j] = m.lb[j] + static_cast<double>(step(rng)) / steps;
        }
      }
      std::vector<Cut> cuts;
      korva::mip::separate_zero_half(input_of(model, x), model.num_rows, cuts);
      for (const Cut& c : cuts) {
        const std::string what = "model " + std::to_string(k) + ", point " + std::to_string(p);
        EXPECT_EQ(c.family, korva::mip::kZeroHalfCuts) << what;
        EXPECT_GT(c.efficacy(x.data()), 1e-4) << what << ": a cut that does not cut the point off";
        points_checked += expect_valid(m, c, what);
        ++cuts_checked;
      }
    }
  }
  EXPECT_GE(cuts_checked, 300);
  EXPECT_GE(points_checked, 2500);
}

class ZeroHalfCuts : public mip_test::MipTest {
 protected:
  std::vector<Cut> separate(const SmallMip& m, const std::vector<double>& x) {
    EXPECT_EQ(m.load(env, lp), 0);
    korva::mip::build_mip_model(*lp, model_);
    std::vector<Cut> cuts;
    korva::mip::separate_zero_half(input_of(model_, x), model_.num_rows, cuts);
    return cuts;
  }
  MipModel model_;
};

// x1 + x2 <= 1, x2 + x3 <= 1, x1 + x3 <= 1 at (1/2, 1/2, 1/2): half their
// sum, rounded, is x1 + x2 + x3 <= 1.
TEST_F(ZeroHalfCuts, FindsTheOddCycleCutOfATriangle) {
  SmallMip m;
  m.ctype = {'B', 'B', 'B'};
  m.lb = {0, 0, 0};
  m.ub = {1, 1, 1};
  m.obj = {0, 0, 0};
  m.rows = {{{{0, 1.0}, {1, 1.0}}, 'L', 1.0}, {{{1, 1.0}, {2, 1.0}}, 'L', 1.0}, {{{0, 1.0}, {2, 1.0}}, 'L', 1.0}};
  const std::vector<Cut> cuts = separate(m, {0.5, 0.5, 0.5});
  EXPECT_TRUE(has_cut(cuts, {0, 1, 2}, {1, 1, 1}, 1.0));
}

// A five-cycle of conflicts: only the sum of all five rows has an odd
// right-hand side and even coefficients, which the elimination must find.
TEST_F(ZeroHalfCuts, FindsTheOddCycleCutOfAFiveCycle) {
  SmallMip m;
  m.ctype.assign(5, 'B');
  m.lb.assign(5, 0.0);
  m.ub.assign(5, 1.0);
  m.obj.assign(5, 0.0);
  // Written as -x_j - x_{j+1} >= -1, so that lower sides are read too.
  for (int j = 0; j < 5; ++j) m.rows.push_back({{{j, -1.0}, {(j + 1) % 5, -1.0}}, 'G', -1.0});
  const std::vector<Cut> cuts = separate(m, {0.5, 0.5, 0.5, 0.5, 0.5});
  EXPECT_TRUE(has_cut(cuts, {0, 1, 2, 3, 4}, {1, 1, 1, 1, 1}, 2.0));
}

// The triangle over general integers: z1 = x1 - 2, z2 = x2 - 2 from their
// lower bounds and z3 = 3 - x3 from its upper bound, with the first row
// written in halves and a continuous column that must be bounded out.
// z1 + z2 + z3 <= 1 is x1 + x2 - x3 <= 2.
TEST_F(ZeroHalfCuts, ShiftsAndComplementsGeneralIntegers) {
  SmallMip m;
  m.ctype = {'I', 'I', 'I', 'C'};
  m.lb = {2, 2, -3, 0};
  m.ub = {5, 5, 3, 4};
  m.obj = {0, 0, 0, 0};
  m.rows = {{{{0, 0.5}, {1, 0.5}, {3, 0.5}}, 'L', 2.5},
            {{{1, 1.0}, {2, -1.0}}, 'L', 0.0},
            {{{0, 1.0}, {2, -1.0}}, 'L', 0.0}};
  const std::vector<Cut> cuts = separate(m, {2.5, 2.5, 2.5, 0.0});
  EXPECT_TRUE(has_cut(cuts, {0, 1, 2}, {1, 1, -1}, 2.0));
}

TEST_F(CutValidity, ZeroHalfCutsOfGeneralIntegersAreValid) {
  SmallMip m;
  m.ctype = {'I', 'I', 'I', 'C'};
  m.lb = {2, 2, -3, 0};
  m.ub = {5, 5, 3, 4};
  m.obj = {0, 0, 0, 0};
  m.rows = {{{{0, 0.5}, {1, 0.5}, {3, 0.5}}, 'L', 2.5},
            {{{1, 1.0}, {2, -1.0}}, 'L', 0.0},
            {{{0, 1.0}, {2, -1.0}}, 'L', 0.0}};
  ASSERT_EQ(m.load(env, lp), 0);
  MipModel model;
  korva::mip::build_mip_model(*lp, model);
  const std::vector<double> x = {2.5, 2.5, 2.5, 0.0};
  std::vector<Cut> cuts;
  korva::mip::separate_zero_half(input_of(model, x), model.num_rows, cuts);
  ASSERT_FALSE(cuts.empty());
  for (const Cut& c : cuts) expect_valid(m, c, "general integers");
}

// A continuous column is bounded out where the row stays a relaxation: in
// x1 + x2 - y <= 1 with y in [0, 1] at its upper bound, in x1 + x2 + y <= 2
// with y in [-1, 1] at its lower bound; both say only x1 + x2 <= 2, so with
// the other two sides of the triangle there is no cut at (1/2, 1/2, 1/2),
// and x1 + x2 + x3 <= 1 would remove (1, 1, 0).
TEST_F(CutValidity, ZeroHalfCutsBoundOutContinuousColumnsOnTheSafeSide) {
  for (const double sign : {-1.0, 1.0}) {
    SmallMip m;
    m.ctype = {'B', 'B', 'B', 'C'};
    m.lb = {0, 0, 0, sign < 0 ? 0.0 : -1.0};
    m.ub = {1, 1, 1, 1};
    m.obj = {0, 0, 0, 0};
    m.rows = {{{{0, 1.0}, {1, 1.0}, {3, sign}}, 'L', sign < 0 ? 1.0 : 2.0},
              {{{1, 1.0}, {2, 1.0}}, 'L', 1.0},
              {{{0, 1.0}, {2, 1.0}}, 'L', 1.0}};
    ASSERT_EQ(m.load(env, lp), 0);
    MipModel model;
    korva::mip::build_mip_model(*lp, model);
    const std::vector<double> x = {0.5, 0.5, 0.5, 0.0};
    std::vector<Cut> cuts;
    korva::mip::separate_zero_half(input_of(model, x), model.num_rows, cuts);
    EXPECT_FALSE(has_cut(cuts, {0, 1, 2}, {1, 1, 1}, 1.0)) << "sign " << sign;
    for (const Cut& c : cuts) expect_valid(m, c, "continuous column");
  }
}

TEST_F(ZeroHalfCuts, NothingAtAnIntegerFeasiblePoint) {
  SmallMip m;
  m.ctype = {'B', 'B', 'B'};
  m.lb = {0, 0, 0};
  m.ub = {1, 1, 1};
  m.obj = {0, 0, 0};
  m.rows = {{{{0, 1.0}, {1, 1.0}}, 'L', 1.0}, {{{1, 1.0}, {2, 1.0}}, 'L', 1.0}, {{{0, 1.0}, {2, 1.0}}, 'L', 1.0}};
  EXPECT_TRUE(separate(m, {1.0, 0.0, 0.0}).empty());
}

// A model of 100k binaries and a million nonzeros gives a bounded number
// of cuts.
TEST(ZeroHalfCutsScale, LargeModelStaysWithinBudget) {
  const int n = 100000, rows = 200000, per_row = 5;
  MipModel model;
  model.num_cols = n;
  model.num_rows = rows;
  model.kind.assign(n, ColKind::Integer);
  model.lower.assign(n, 0.0);
  model.upper.assign(n, 1.0);
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> col(0, n - 1), coef(1, 3), half(0, 2);
  model.row_begin.push_back(0);
  for (int i = 0; i < rows; ++i) {
    for (int k = 0; k < per_row; ++k) {
      model.row_col.push_back(col(rng));
      model.row_val.push_back(coef(rng));
    }
    model.row_begin.push_back(static_cast<int64_t>(model.row_col.size()));
    model.row_lo.push_back(-korva::mip::kInf);
    model.row_hi.push_back(5.0);
  }
  std::vector<double> x(n);
  for (double& v : x) v = 0.5 * half(rng);
  std::vector<Cut> cuts;
  korva::mip::separate_zero_half(input_of(model, x), rows, cuts);
  EXPECT_LE(cuts.size(), 500u);
  for (const Cut& c : cuts) EXPECT_GT(c.efficacy(x.data()), 1e-4);
}

}  // namespace
