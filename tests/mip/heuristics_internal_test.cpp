// The primal heuristics on small models: whatever a heuristic returns is
// an integral solution of the model, each heuristic finds one on a model
// made for it, the domain and the LP are as before afterwards, and the
// weighted group, the tree schedule and the stored settings follow their
// rules.
#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "env/environment.h"
#include "mip/domain.h"
#include "mip/heuristics/dispatcher.h"
#include "mip/heuristics/feasibility_pump.h"
#include "mip/heuristics/heuristic_sequence.h"
#include "mip/heuristics/heuristic_support.h"
#include "mip/heuristics/rounding.h"
#include "mip/heuristics/tree_schedule.h"
#include "mip/mip_model.h"
#include "mip/mip_test_support.h"
#include "mip/node_lp.h"
#include "mip/search_settings.h"
#include "model/problem.h"

namespace {

using korva::mip::ColumnLocks;
using korva::mip::Domain;
using korva::mip::HeuristicContext;
using korva::mip::HeuristicSequence;
using korva::mip::HeuristicSolution;
using korva::mip::HeuristicState;
using korva::mip::LpOutcome;
using korva::mip::LpSolve;
using korva::mip::MipModel;
using korva::mip::NodeLp;
using korva::mip::SearchSettings;
using korva::mip::SequenceOptions;
using mip_test::Row;
using mip_test::SmallMip;

constexpr double kTol = 1e-6;

// A model loaded as the search holds it, its root LP solved, and a
// heuristic context on it.
struct Bench {
  MipModel model;
  Domain domain;
  NodeLp lp;
  SearchSettings settings;
  HeuristicState state;
  ColumnLocks locks;
  std::unique_ptr<HeuristicContext> ctx;
  double lp_objective = 0.0;
  bool solved = false;
};

class HeuristicsTest : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_SIMDISPLAY, 0), 0);
  }

  // Loads m and solves its relaxation; b.solved tells whether it has an
  // optimum (a heuristic needs one to start from).
  void prepare(const SmallMip& m, Bench& b) {
    ASSERT_EQ(m.load(env, lp), 0);
    korva::mip::build_mip_model(*lp, b.model);
    b.settings.display = 0;
    b.domain.init(b.model, b.settings.feasibility, b.settings.integrality);
    if (b.domain.infeasible() || !b.domain.propagate()) return;
    ASSERT_EQ(b.lp.load(*env, b.model, b.domain, korva::mip::NodeLpSettings{}), 0);
    LpSolve root;
    ASSERT_EQ(b.lp.solve(*env, INFINITY, 100000, true, root), 0);
    if (root.outcome != LpOutcome::Optimal) return;
    b.solved = true;
    b.lp_objective = root.objective;
    b.locks.refresh(b.model);
    b.state.start(b.settings.random_seed, 0.0);
    b.ctx = std::make_unique<HeuristicContext>(*env, b.model, b.settings, b.domain, b.lp, b.state, b.locks);
    b.ctx->lp_x = b.lp.x();
    b.ctx->lp_objective = root.objective;
    b.ctx->iteration_limit = 100000;
  }

  // Runs one identifier and checks what it returns and what it leaves.
  bool run(const SmallMip& m, Bench& b, int identifier, std::vector<double>* out = nullptr) {
    const std::vector<double> lower = b.domain.lowers(), upper = b.domain.uppers();
    std::vector<double> x;
    double objective = 0.0;
    bool found = false;
    EXPECT_EQ(korva::mip::run_heuristic(*b.ctx, identifier, &found, x, &objective), 0) << identifier;
    EXPECT_EQ(b.domain.lowers(), lower) << "identifier " << identifier << " left the domain changed";
    EXPECT_EQ(b.domain.uppers(), upper) << "identifier " << identifier << " left the domain changed";
    LpSolve again;
    EXPECT_EQ(b.lp.solve(*env, INFINITY, 100000, false, again), 0);
    EXPECT_EQ(again.outcome, LpOutcome::Optimal) << identifier;
    EXPECT_NEAR(again.objective, b.lp_objective, 1e-6 * std::max(1.0, std::fabs(b.lp_objective)))
        << "identifier " << identifier << " left the LP changed";
    if (!found) return false;
    EXPECT_TRUE(mip_test::satisfies(m, x, kTol)) << "identifier " << identifier << " returned an infeasible point";
    for (int j = 0; j < m.num_cols(); ++j) {
      if (m.ctype[j] == 'C') continue;
      EXPECT_EQ(x[j], std::round(x[j])) << "identifier " << identifier << " column " << j;
    }
    EXPECT_NEAR(objective, korva::mip::objective_of(b.model, x), 1e-9 * std::max(1.0, std::fabs(objective)));
    EXPECT_LT(objective, b.ctx->cutoff) << identifier;
    if (out) *out = x;
    return true;
  }
};

// Columns of the given types; rows drawn around a random integral anchor
// point, which stays feasible, with random senses and slack (equalities
// among them); a random objective.
SmallMip random_model(std::mt19937& rng, const std::string& types, int rows, std::vector<double>* anchor_out) {
  std::uniform_int_distribution<int> coef(-4, 4), slack(0, 2), cost(-5, 5), sense(0, 3);
  SmallMip m;
  const int n = static_cast<int>(types.size());
  std::vector<double> anchor(n);
  for (int j = 0; j < n; ++j) {
    const char t = types[j];
    m.ctype.push_back(t);
    m.lb.push_back(t == 'B' ? 0.0 : t == 'I' ? -1.0 : 0.0);
    m.ub.push_back(t == 'B' ? 1.0 : t == 'I' ? 4.0 : 6.0);
    m.obj.push_back(cost(rng));
    anchor[j] = t == 'C' ? std::uniform_real_distribution<double>(0.0, 6.0)(rng)
                         : m.lb[j] + std::uniform_int_distribution<int>(0, static_cast<int>(m.ub[j] - m.lb[j]))(rng);
  }
  for (int r = 0; r < rows; ++r) {
    Row row;
    for (int j = 0; j < n; ++j)
      if (int a = coef(rng); a != 0 && (rng() % 2 == 0)) row.entries.emplace_back(j, a);
    if (row.entries.empty()) row.entries.emplace_back(r % n, 1.0);
    double at = 0.0;
    bool continuous = false;
    for (const auto& [j, a] : row.entries) {
      at += a * anchor[j];
      continuous = continuous || types[j] == 'C';
    }
    const int s = sense(rng);
    row.sense = (s == 2 && continuous) || s == 3 ? 'E' : s == 1 ? 'G' : 'L';
    row.rhs = row.sense == 'E' ? at : row.sense == 'L' ? at + slack(rng) : at - slack(rng);
    m.rows.push_back(row);
  }
  if (anchor_out) *anchor_out = anchor;
  return m;
}

// ---- every identifier ------------------------------------------------------------------

TEST_F(HeuristicsTest, EveryIdentifierReturnsOnlyIntegralSolutionsOfTheModel) {
  std::mt19937 rng(20240611);
  const std::string kinds[] = {"BBBBBB", "BBBBIIC", "BBIICC", "IIIC", "BBBBBBBBII"};
  int runs = 0, hits = 0;
  for (int trial = 0; trial < 40; ++trial) {
    std::vector<double> anchor;
    const SmallMip m = random_model(rng, kinds[trial % 5], 3 + trial % 4, &anchor);
    Bench b;
    prepare(m, b);
    if (!b.solved) continue;
    for (int with_incumbent = 0; with_incumbent < 2; ++with_incumbent) {
      std::vector<double> incumbent = anchor;
      if (with_incumbent) {
        // The anchor as the incumbent: heuristics must beat it.
        b.ctx->incumbent = &incumbent;
        b.ctx->incumbent_objective = korva::mip::objective_of(b.model, incumbent);
        b.ctx->cutoff = b.ctx->incumbent_objective;
      }
      for (int id = korva::mip::kFirstHeuristic; id <= korva::mip::kLastHeuristic; ++id) {
        ++runs;
        hits += run(m, b, id) ? 1 : 0;
      }
    }
  }
  EXPECT_GT(runs, 1000);
  EXPECT_GT(hits, 50);
}

TEST_F(HeuristicsTest, DispatcherRejectsUnknownIdentifiersAndNullArguments) {
  std::mt19937 rng(7);
  const SmallMip m = random_model(rng, "BBBI", 3, nullptr);
  Bench b;
  prepare(m, b);
  ASSERT_TRUE(b.solved);
  std::vector<double> x;
  double objective = 0.0;
  bool found = true;
  EXPECT_EQ(korva::mip::run_heuristic(*b.ctx, 1, &found, x, &objective), 1003);
  EXPECT_FALSE(found);
  EXPECT_EQ(korva::mip::run_heuristic(*b.ctx, 33, &found, x, &objective), 1003);
  EXPECT_EQ(korva::mip::run_heuristic(*b.ctx, 3, nullptr, x, &objective), 1004);
  EXPECT_EQ(korva::mip::run_heuristic(*b.ctx, 3, &found, x, nullptr), 1004);
}

// ---- heuristics on models made for them ---------------------------------------------------

// x0 + x1 + x2 = 2 over binaries, seen from the point (0.5, 0.5, 1): both
// halves round up and break the row, which a shift repairs.
TEST_F(HeuristicsTest, ShiftRoundingRepairsWhatSimpleRoundingBreaks) {
  SmallMip m;
  m.ctype = {'B', 'B', 'B'};
  m.lb = {0, 0, 0};
  m.ub = {1, 1, 1};
  m.obj = {1, 1, 1};
  m.rows.push_back({{{0, 1.0}, {1, 1.0}, {2, 1.0}}, 'E', 2.0});
  Bench b;
  prepare(m, b);
  ASSERT_TRUE(b.solved);
  b.ctx->lp_x = {0.5, 0.5, 1.0};
  EXPECT_FALSE(run(m, b, 3));
  std::vector<double> x;
  ASSERT_TRUE(run(m, b, 4, &x));
  EXPECT_DOUBLE_EQ(x[0] + x[1] + x[2], 2.0);
}

// A knapsack with an equality over general integers and binaries whose LP
// optimum is fractional: the propagating and lock-driven fixings and the
// dives each find a solution.
SmallMip equality_knapsack() {
  SmallMip m;
  m.objsense = -1;
  m.ctype = {'B', 'B', 'B', 'B', 'I', 'I'};
  m.lb = {0, 0, 0, 0, 0, 0};
  m.ub = {1, 1, 1, 1, 3, 3};
  m.obj = {5, 4, 3, 7, 2, 1};
  m.rows.push_back({{{0, 3.0}, {1, 4.0}, {2, 2.0}, {3, 5.0}, {4, 1.0}, {5, 2.0}}, 'E', 12.0});
  m.rows.push_back({{{0, 1.0}, {1, 1.0}, {3, 1.0}}, 'L', 2.0});
  m.rows.push_back({{{2, 2.0}, {3, 3.0}, {4, 1.0}}, 'L', 5.0});
  return m;
}

TEST_F(HeuristicsTest, FixingsAndDivesFindSolutionsOfAnEqualityKnapsack) {
  const SmallMip m = equality_knapsack();
  Bench b;
  prepare(m, b);
  ASSERT_TRUE(b.solved);
  for (int id : {5, 7, 9, 11, 12, 13, 14, 15, 16, 17}) EXPECT_TRUE(run(m, b, id)) << "identifier " << id;
}

TEST_F(HeuristicsTest, GuidedRoundingNeedsAnIncumbentAndFollowsIt) {
  const SmallMip m = equality_knapsack();
  Bench b;
  prepare(m, b);
  ASSERT_TRUE(b.solved);
  EXPECT_FALSE(run(m, b, 6));
  std::vector<double> incumbent = {1, 0, 0, 1, 0, 2};
  ASSERT_TRUE(mip_test::satisfies(m, incumbent, kTol));
  b.ctx->incumbent = &incumbent;
  b.ctx->incumbent_objective = korva::mip::objective_of(b.model, incumbent);
  EXPECT_TRUE(run(m, b, 6));
}

// Set covering on an odd cycle and a knapsack with equalities: the pump
// finds a solution of each, in both of its modes.
TEST_F(HeuristicsTest, FeasibilityPumpFindsSolutionsOfCoveringAndEqualityModels) {
  SmallMip cover;
  const int n = 9;
  cover.ctype.assign(n, 'B');
  cover.lb.assign(n, 0.0);
  cover.ub.assign(n, 1.0);
  for (int j = 0; j < n; ++j) {
    cover.obj.push_back(1.0 + j % 3);
    cover.rows.push_back({{{j, 1.0}, {(j + 1) % n, 1.0}, {(j + 3) % n, 1.0}}, 'G', 1.0});
  }
  for (int mode : {1, 2}) {
    for (const SmallMip& m : {cover, equality_knapsack()}) {
      Bench b;
      b.settings.feasibility_pump = mode;
      prepare(m, b);
      ASSERT_TRUE(b.solved);
      EXPECT_TRUE(run(m, b, 10)) << "pump mode " << mode;
      EXPECT_TRUE(b.state.pump_ran);
    }
  }
  Bench off;
  off.settings.feasibility_pump = -1;
  prepare(cover, off);
  ASSERT_TRUE(off.solved);
  EXPECT_FALSE(run(cover, off, 10));
}

TEST_F(HeuristicsTest, OneOptImprovesAnIncumbent) {
  SmallMip m;
  m.ctype = {'I', 'I', 'C'};
  m.lb = {0, 0, 0};
  m.ub = {10, 10, 10};
  m.obj = {-3, -2, -1};
  m.rows.push_back({{{0, 2.0}, {1, 1.0}, {2, 1.0}}, 'L', 14.0});
  Bench b;
  prepare(m, b);
  ASSERT_TRUE(b.solved);
  std::vector<double> incumbent = {1, 1, 0};
  b.ctx->incumbent = &incumbent;
  b.ctx->incumbent_objective = korva::mip::objective_of(b.model, incumbent);
  b.ctx->cutoff = b.ctx->incumbent_objective;
  std::vector<double> x;
  ASSERT_TRUE(run(m, b, 2, &x));
  EXPECT_LT(korva::mip::objective_of(b.model, x), b.ctx->incumbent_objective);
}

// ---- sub-MIP neighbourhoods ---------------------------------------------------------------------

// max Σ v_j x_j over 20 binaries with Σ w_j x_j <= 40 (values and weights
// chosen so that the relaxation takes some items whole and one in part).
SmallMip knapsack() {
  SmallMip m;
  m.objsense = -1;
  Row capacity;
  capacity.sense = 'L';
  capacity.rhs = 40.0;
  for (int j = 0; j < 20; ++j) {
    m.ctype.push_back('B');
    m.lb.push_back(0.0);
    m.ub.push_back(1.0);
    const double w = 3.0 + (j * 7) % 11;
    m.obj.push_back(w + 1.0 + (j * 5) % 4);
    capacity.entries.emplace_back(j, w);
  }
  m.rows.push_back(capacity);
  return m;
}

class SubMipHeuristics : public HeuristicsTest {
 protected:
  // The knapsack prepared, with `incumbent` as the search's incumbent.
  void with_incumbent(Bench& b, std::vector<double>& incumbent) {
    prepare(knapsack(), b);
    ASSERT_TRUE(b.solved);
    b.ctx->incumbent = &incumbent;
    b.ctx->incumbent_objective = korva::mip::objective_of(b.model, incumbent);
    b.ctx->cutoff = b.ctx->incumbent_objective;
  }
  // The relaxation's whole items without the first of them: feasible, and
  // in agreement with the LP point on most columns.
  std::vector<double> weakened_lp_rounding(const Bench& b) {
    std::vector<double> x(20, 0.0);
    bool dropped = false;
    for (int j = 0; j < 20; ++j) {
      if (b.ctx->lp_x[j] < 1.0 - 1e-9) continue;
      if (!dropped) dropped = true;
      else x[j] = 1.0;
    }
    return x;
  }
};

TEST_F(SubMipHeuristics, RinsImprovesAnIncumbentThatAgreesWithTheRelaxation) {
  Bench b;
  std::vector<double> incumbent;
  prepare(knapsack(), b);
  ASSERT_TRUE(b.solved);
  incumbent = weakened_lp_rounding(b);
  b.ctx->incumbent = &incumbent;
  b.ctx->incumbent_objective = korva::mip::objective_of(b.model, incumbent);
  b.ctx->cutoff = b.ctx->incumbent_objective;
  std::vector<double> x;
  ASSERT_TRUE(run(knapsack(), b, 19, &x));
  EXPECT_LT(korva::mip::objective_of(b.model, x), b.ctx->incumbent_objective);
  EXPECT_GT(b.ctx->nested_nodes, 0);
}

TEST_F(SubMipHeuristics, LocalBranchingMutationAndProximityImproveAnEmptyKnapsack) {
  for (int id : {23, 26, 27}) {
    Bench b;
    std::vector<double> empty(20, 0.0);
    with_incumbent(b, empty);
    std::vector<double> x;
    ASSERT_TRUE(run(knapsack(), b, id, &x)) << "identifier " << id;
    EXPECT_LT(korva::mip::objective_of(b.model, x), b.ctx->incumbent_objective) << id;
    if (id == 23) {
      int changed = 0;
      for (double v : x) changed += v > 0.5 ? 1 : 0;
      EXPECT_LE(changed, 10) << "local branching left its neighbourhood";
    }
  }
}

TEST_F(SubMipHeuristics, CrossoverCombinesTheIncumbentWithAnotherSolution) {
  Bench b;
  std::vector<double> incumbent(20, 0.0);
  with_incumbent(b, incumbent);
  std::vector<double> x;
  EXPECT_FALSE(run(knapsack(), b, 24)) << "crossover needs a second solution";
  std::vector<double> other(20, 0.0);
  other[0] = other[1] = 1.0;
  const std::vector<std::vector<double>> pool = {other};
  b.ctx->pool.push_back(&pool[0]);
  // Agreement on 18 columns: the neighbourhood is the first two items.
  ASSERT_TRUE(run(knapsack(), b, 24, &x));
  for (int j = 2; j < 20; ++j) EXPECT_EQ(x[j], 0.0);
  EXPECT_LT(korva::mip::objective_of(b.model, x), b.ctx->incumbent_objective);
}

TEST_F(SubMipHeuristics, WithoutIncumbentTheZeroObjectiveSearchAndTheEndOfRootHeuristicFindOne) {
  for (int id : {20, 18}) {
    Bench b;
    prepare(equality_knapsack(), b);
    ASSERT_TRUE(b.solved);
    EXPECT_TRUE(run(equality_knapsack(), b, id)) << "identifier " << id;
  }
  Bench none;
  prepare(knapsack(), none);
  ASSERT_TRUE(none.solved);
  for (int id : {19, 23, 24, 26, 27})
    EXPECT_FALSE(run(knapsack(), none, id)) << "identifier " << id << " without incumbent";
}

// ---- the special heuristic of pure binary problems -------------------------------------------

TEST_F(HeuristicsTest, BinaryHeuristicRunsOnPureBinaryProblemsOnly) {
  std::mt19937 rng(11);
  int found = 0;
  for (int trial = 0; trial < 10; ++trial) {
    const SmallMip m = random_model(rng, "BBBBBBBB", 5, nullptr);
    Bench b;
    prepare(m, b);
    if (!b.solved) continue;
    EXPECT_TRUE(korva::mip::pure_binary(b.model));
    found += run(m, b, 8) ? 1 : 0;
  }
  EXPECT_GE(found, 5);
  for (int trial = 0; trial < 10; ++trial) {
    const SmallMip m = random_model(rng, "BBBBBBBI", 5, nullptr);
    Bench b;
    prepare(m, b);
    if (!b.solved) continue;
    EXPECT_FALSE(korva::mip::pure_binary(b.model));
    EXPECT_FALSE(run(m, b, 8));
  }
}

// ---- the sequence -------------------------------------------------------------------------------

TEST_F(HeuristicsTest, FullSequenceHandsBackImprovingSolutionsAndLeavesTheNodeAlone) {
  std::mt19937 rng(5);
  int with_solutions = 0;
  for (int trial = 0; trial < 12; ++trial) {
    const SmallMip m = random_model(rng, trial % 2 ? "BBBBBBBB" : "BBBIICC", 4, nullptr);
    Bench b;
    prepare(m, b);
    if (!b.solved) continue;
    const std::vector<double> lower = b.domain.lowers(), upper = b.domain.uppers();
    HeuristicSequence sequence(*b.ctx);
    std::vector<HeuristicSolution> found;
    SequenceOptions options;
    options.full = true;
    ASSERT_EQ(sequence.run(options, found), 0);
    EXPECT_EQ(b.domain.lowers(), lower);
    EXPECT_EQ(b.domain.uppers(), upper);
    double previous = INFINITY;
    for (const HeuristicSolution& s : found) {
      EXPECT_TRUE(mip_test::satisfies(m, s.x, kTol)) << "identifier " << s.identifier;
      EXPECT_LT(s.objective, previous) << "identifier " << s.identifier;
      previous = s.objective;
    }
    with_solutions += found.empty() ? 0 : 1;
  }
  EXPECT_GE(with_solutions, 6);
}

// ---- the weighted group ---------------------------------------------------------------------------

TEST(WeightedGroup, EachMemberRunsWithProbabilityThreeTwelfthsAtFirst) {
  HeuristicState state;
  state.start(201109222, 0.0);
  std::array<int, 4> runs{};
  const int draws = 12000;
  for (int k = 0; k < draws; ++k) {
    std::array<bool, 4> run{};
    korva::mip::draw_weighted_group(state, false, run);
    for (int i = 0; i < 4; ++i) runs[i] += run[i] ? 1 : 0;
  }
  // 3000 expected each; the standard deviation is about 47.
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(runs[i], 3000, 200) << "member " << i + 1;
}

TEST(WeightedGroup, SuccessesRaiseAMembersShareAndTheFullSequenceRunsAll) {
  HeuristicState state;
  state.start(1, 0.0);
  state.successes = {9, 0, 0, 0};  // weights 12, 3, 3, 3 of 21
  int first = 0;
  for (int k = 0; k < 6000; ++k) {
    std::array<bool, 4> run{};
    korva::mip::draw_weighted_group(state, false, run);
    first += run[0] ? 1 : 0;
  }
  EXPECT_NEAR(first, 6000 * 12 / 21, 200);
  std::array<bool, 4> all{};
  korva::mip::draw_weighted_group(state, true, all);
  EXPECT_EQ(all, (std::array<bool, 4>{true, true, true, true}));
}

TEST(WeightedGroup, TheDiveStopsOnceTheSecondMemberSucceededMoreThan200Times) {
  HeuristicState state;
  state.start(3, 0.0);
  state.successes[1] = 201;
  for (int k = 0; k < 200; ++k) {
    std::array<bool, 4> run{};
    korva::mip::draw_weighted_group(state, k % 2 == 0, run);
    EXPECT_FALSE(run[3]);
  }
  state.successes[1] = 200;
  std::array<bool, 4> full{};
  korva::mip::draw_weighted_group(state, true, full);
  EXPECT_TRUE(full[3]);
}

TEST(WeightedGroup, DrawsRepeatFromTheSeed) {
  HeuristicState a, b;
  a.start(42, 0.0);
  b.start(42, 0.0);
  for (int k = 0; k < 100; ++k) {
    std::array<bool, 4> ra{}, rb{};
    korva::mip::draw_weighted_group(a, false, ra);
    korva::mip::draw_weighted_group(b, false, rb);
    EXPECT_EQ(ra, rb);
  }
}

// ---- settings and the tree schedule -----------------------------------------------------------------

TEST_F(HeuristicsTest, RinsFrequencyIsStoredAsTheSearchUsesIt) {
  EXPECT_EQ(korva::mip::stored_rins_frequency(-2), 100);
  EXPECT_EQ(korva::mip::stored_rins_frequency(-1), -1);
  EXPECT_EQ(korva::mip::stored_rins_frequency(0), -1);
  EXPECT_EQ(korva::mip::stored_rins_frequency(1), 1);
  EXPECT_EQ(korva::mip::stored_rins_frequency(250), 250);
  const std::pair<long long, long long> cases[] = {{-2, 100}, {0, -1}, {-1, -1}, {37, 37}};
  for (const auto& [value, stored] : cases) {
    ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_RINSHEUR, value), 0);
    EXPECT_EQ(korva::mip::read_search_settings(*env, 1).rins_frequency, stored) << value;
  }
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_FPHEUR, 2), 0);
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_LBHEUR, 1), 0);
  ASSERT_EQ(KRVsetlongparam(env, KRV_PARAM_SUBMIPNODELIM, 77), 0);
  const SearchSettings s = korva::mip::read_search_settings(*env, 1);
  EXPECT_EQ(s.feasibility_pump, 2);
  EXPECT_TRUE(s.local_branching);
  EXPECT_EQ(s.submip_node_limit, 77);
}

TEST(TreeSchedule, HeurfreqSetsThePeriodOfTheWeightedGroup) {
  SearchSettings s;
  HeuristicState state;
  state.start(1, 0.0);
  korva::mip::TreeNodeFacts facts;
  s.heuristic_frequency = 5;
  int group = 0;
  for (int64_t node = 1; node <= 50; ++node) {
    facts.nodes = node;
    group += korva::mip::plan_tree_heuristics(s, state, facts).group ? 1 : 0;
  }
  EXPECT_EQ(group, 10);
  s.heuristic_frequency = -1;
  for (int64_t node = 51; node <= 100; ++node) {
    facts.nodes = node;
    EXPECT_FALSE(korva::mip::plan_tree_heuristics(s, state, facts).any());
  }
}

TEST(TreeSchedule, AutomaticFrequencyKeepsWithinItsShareOfTheIterations) {
  SearchSettings s;
  HeuristicState state;
  state.start(1, 0.0);
  korva::mip::TreeNodeFacts facts;
  facts.worker_iterations = 100000;
  facts.nodes = 20;
  EXPECT_TRUE(korva::mip::plan_tree_heuristics(s, state, facts).group);
  facts.nodes = 21;
  EXPECT_FALSE(korva::mip::plan_tree_heuristics(s, state, facts).group);
  state.heuristic_iterations = 20000;  // beyond a tenth of 100000 plus the allowance
  facts.nodes = 40;
  EXPECT_FALSE(korva::mip::plan_tree_heuristics(s, state, facts).group);
}

TEST(TreeSchedule, AutomaticPeriodStretchesAfterFailuresAndShrinksForFeasibilityEmphasis) {
  auto runs_in = [](const SearchSettings& s, int64_t unsuccessful) {
    HeuristicState state;
    state.start(1, 0.0);
    state.unsuccessful_runs = unsuccessful;
    korva::mip::TreeNodeFacts facts;
    facts.worker_iterations = 1000000000;
    int runs = 0;
    for (int64_t node = 1; node <= 2200; ++node) {
      facts.nodes = node;
      runs += korva::mip::plan_tree_heuristics(s, state, facts).group ? 1 : 0;
    }
    return runs;
  };
  SearchSettings s;
  EXPECT_EQ(runs_in(s, 0), 110);     // every 20 nodes
  EXPECT_EQ(runs_in(s, 1000), 10);   // every 220 nodes
  s.emphasis = 1;
  EXPECT_EQ(runs_in(s, 0), 220);     // every 10 nodes
}

TEST(TreeSchedule, RinsByItsFrequencyAndLocalBranchingAfterEachNewIncumbent) {
  SearchSettings s;
  s.heuristic_frequency = -1;
  s.rins_frequency = 10;
  s.local_branching = true;
  HeuristicState state;
  state.start(1, 0.0);
  korva::mip::TreeNodeFacts facts;
  int rins = 0;
  for (int64_t node = 1; node <= 30; ++node) {
    facts.nodes = node;
    facts.has_incumbent = node > 5;
    facts.incumbent_objective = node < 15 ? 10.0 : 8.0;
    const korva::mip::TreeHeuristicPlan plan = korva::mip::plan_tree_heuristics(s, state, facts);
    rins += plan.rins ? 1 : 0;
    // New incumbents at node 6 (the first) and node 15 (an improvement).
    EXPECT_EQ(plan.local_branching, node == 6 || node == 15) << node;
    EXPECT_EQ(plan.one_opt, node == 6 || node == 15) << node;
  }
  EXPECT_EQ(rins, 3);
  s.rins_frequency = -1;
  facts.nodes = 40;
  EXPECT_FALSE(korva::mip::plan_tree_heuristics(s, state, facts).rins);
  facts.inside_sub_mip = true;
  facts.incumbent_objective = 1.0;
  s.rins_frequency = 1;
  const korva::mip::TreeHeuristicPlan nested = korva::mip::plan_tree_heuristics(s, state, facts);
  EXPECT_FALSE(nested.rins);
  EXPECT_FALSE(nested.local_branching);
}

}  // namespace
