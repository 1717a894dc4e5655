// Symmetry detection: the group of column permutations that map a model
// onto itself, its order and patterns, and the symmetry-breaking pairs.
#include "mip/symmetry.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "mip/mip_model.h"
#include "mip/mip_test_support.h"

namespace {

using korva::mip::detect_symmetry;
using korva::mip::MipModel;
using korva::mip::SymmetryGroup;
using mip_test::Row;
using mip_test::SmallMip;

constexpr int64_t kPlenty = 100000000;

// Whether the column permutation maps m onto itself, checked without the
// library: the columns' data, and the rows as a multiset (so that any row
// permutation is allowed).
bool maps_model_onto_itself(const SmallMip& m, const std::vector<int>& perm) {
  const int n = m.num_cols();
  if (static_cast<int>(perm.size()) != n) return false;
  std::vector<int> seen(n, 0);
  for (int j = 0; j < n; ++j) {
    if (perm[j] < 0 || perm[j] >= n || seen[perm[j]]++) return false;
    const int t = perm[j];
    if (m.obj[j] != m.obj[t] || m.lb[j] != m.lb[t] || m.ub[j] != m.ub[t] || m.ctype[j] != m.ctype[t]) return false;
  }
  using Canonical = std::tuple<char, double, std::vector<std::pair<int, double>>>;
  std::multiset<Canonical> original, image;
  for (const Row& r : m.rows) {
    std::vector<std::pair<int, double>> a, b;
    for (const auto& [j, v] : r.entries) {
      if (v == 0.0) continue;
      a.emplace_back(j, v);
      b.emplace_back(perm[j], v);
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    original.emplace(r.sense, r.rhs, a);
    image.emplace(r.sense, r.rhs, b);
  }
  return original == image;
}

// The group order by trying every permutation (small models only).
int64_t brute_force_order(const SmallMip& m) {
  std::vector<int> perm(m.num_cols());
  std::iota(perm.begin(), perm.end(), 0);
  int64_t count = 0;
  do count += maps_model_onto_itself(m, perm) ? 1 : 0;
  while (std::next_permutation(perm.begin(), perm.end()));
  return count;
}

class Symmetry : public mip_test::MipTest {
 protected:
  SymmetryGroup detect(const SmallMip& m, int64_t work_limit = kPlenty) {
    EXPECT_EQ(m.load(env, lp), 0);
    korva::mip::build_mip_model(*lp, model);
    return detect_symmetry(model, model.num_rows, work_limit, [] { return false; });
  }
  double optimum(const SmallMip& m) {
    EXPECT_EQ(m.load(env, lp), 0);
    EXPECT_EQ(KRVmipopt(env, lp), 0);
    const int status = KRVgetstat(env, lp);
    EXPECT_TRUE(status == 101 || status == 102) << status;
    double z = 0;
    EXPECT_EQ(KRVgetobjval(env, lp, &z), 0);
    return z;
  }
  static SmallMip with_breaking_rows(SmallMip m, const SymmetryGroup& g) {
    for (const auto& [a, b] : g.breaking) m.rows.push_back({{{a, 1.0}, {b, -1.0}}, 'G', 0.0});
    return m;
  }
  void expect_verified(const SmallMip& m, const SymmetryGroup& g) {
    for (const std::vector<int>& perm : g.generators) EXPECT_TRUE(maps_model_onto_itself(m, perm));
  }
  MipModel model;
};

// Bin packing with `bins` identical bins: y_b (is bin b used, cost 1) are
// columns 0..bins-1, then x_{i,b} (item i in bin b) item by item.
SmallMip identical_bins(int bins, const std::vector<double>& weights, double capacity) {
  SmallMip m;
  const int items = static_cast<int>(weights.size());
  for (int b = 0; b < bins; ++b) {
    m.obj.push_back(1.0);
    m.lb.push_back(0.0);
    m.ub.push_back(1.0);
    m.ctype.push_back('B');
  }
  auto x = [&](int i, int b) { return bins + i * bins + b; };
  for (int i = 0; i < items; ++i) {
    for (int b = 0; b < bins; ++b) {
      m.obj.push_back(0.0);
      m.lb.push_back(0.0);
      m.ub.push_back(1.0);
      m.ctype.push_back('B');
    }
    Row assign;
    for (int b = 0; b < bins; ++b) assign.entries.emplace_back(x(i, b), 1.0);
    assign.sense = 'E';
    assign.rhs = 1.0;
    m.rows.push_back(assign);
  }
  for (int b = 0; b < bins; ++b) {
    Row fill;
    for (int i = 0; i < items; ++i) fill.entries.emplace_back(x(i, b), weights[i]);
    fill.entries.emplace_back(b, -capacity);
    m.rows.push_back(fill);
  }
  return m;
}

// `count` interchangeable integer columns in one row.
SmallMip interchangeable(int count) {
  SmallMip m;
  Row r;
  for (int j = 0; j < count; ++j) {
    m.obj.push_back(-1.0);
    m.lb.push_back(0.0);
    m.ub.push_back(3.0);
    m.ctype.push_back('I');
    r.entries.emplace_back(j, 2.0);
  }
  r.rhs = 7.0;
  m.rows.push_back(r);
  return m;
}

void add_column(SmallMip& m, double cost, double ub, char type) {
  m.obj.push_back(cost);
  m.lb.push_back(0.0);
  m.ub.push_back(ub);
  m.ctype.push_back(type);
}

TEST_F(Symmetry, AnAsymmetricModelHasTheTrivialGroup) {
  SmallMip m;
  for (int j = 0; j < 4; ++j) add_column(m, -1.0, 1.0, 'B');
  m.rows.push_back({{{0, 1.0}, {1, 2.0}}, 'L', 2.0});
  m.rows.push_back({{{1, 1.0}, {2, 1.0}}, 'L', 1.0});
  m.rows.push_back({{{2, 1.0}, {3, 3.0}, {0, 1.0}}, 'L', 3.0});
  const SymmetryGroup g = detect(m);
  EXPECT_TRUE(g.complete);
  EXPECT_TRUE(g.generators.empty());
  EXPECT_EQ(g.order, 1.0L);
  EXPECT_EQ(g.patterns, 0);
  EXPECT_TRUE(g.breaking.empty());
  EXPECT_EQ(brute_force_order(m), 1);
  results->clear();
  korva::mip::report_symmetry(*env, g);
  EXPECT_EQ(results->text(), "");
}

TEST_F(Symmetry, IdenticalBinsGiveTheFactorialAndChainTheirBinaries) {
  for (int bins : {3, 4}) {
    const SmallMip m = identical_bins(bins, {3.0, 4.0, 5.0}, 8.0);
    const SymmetryGroup g = detect(m);
    EXPECT_TRUE(g.complete);
    EXPECT_EQ(g.order, bins == 3 ? 6.0L : 24.0L);
    EXPECT_EQ(g.patterns, 1);
    expect_verified(m, g);
    // The pairs order the bins' own binaries: y_0 >= y_1 >= ... and no
    // pair touches the assignment columns (alone in their cells once the
    // bins are told apart).
    for (int b = 0; b + 1 < bins; ++b)
      EXPECT_NE(std::find(g.breaking.begin(), g.breaking.end(), std::make_pair(b, b + 1)), g.breaking.end()) << b;
    for (const auto& [a, b] : g.breaking) {
      EXPECT_LT(a, b);
      EXPECT_LT(b, bins);
    }
    EXPECT_EQ(g.breaking.size(), static_cast<size_t>(bins * (bins - 1) / 2));
    exact_answers_without_log();
    EXPECT_NEAR(optimum(m), optimum(with_breaking_rows(m, g)), 1e-9);
    results->clear();
    korva::mip::report_symmetry(*env, g);
    EXPECT_EQ(results->text(), std::string("Found ") + (bins == 3 ? "6" : "24") +
                                   " symmetric permutations.\nOne symmetric pattern found.\n");
  }
}

TEST_F(Symmetry, TwoIndependentBlocksGiveTwoPatterns) {
  SmallMip m;
  for (int j = 0; j < 3; ++j) add_column(m, -1.0, 1.0, 'B');
  for (int j = 0; j < 2; ++j) add_column(m, -2.0, 3.0, 'I');
  m.rows.push_back({{{0, 1.0}, {1, 1.0}, {2, 1.0}}, 'L', 2.0});
  m.rows.push_back({{{3, 2.0}, {4, 2.0}}, 'L', 7.0});
  const SymmetryGroup g = detect(m);
  EXPECT_TRUE(g.complete);
  EXPECT_EQ(g.order, 12.0L);
  EXPECT_EQ(brute_force_order(m), 12);
  EXPECT_EQ(g.patterns, 2);
  expect_verified(m, g);
  results->clear();
  korva::mip::report_symmetry(*env, g);
  EXPECT_EQ(results->text(), "Found 12 symmetric permutations.\n2 symmetric patterns found.\n");
}

TEST_F(Symmetry, CoefficientsDecideWhichSwapsAreSymmetries) {
  // Swapping x0 and x1 would need the second row's coefficients swapped.
  SmallMip m;
  for (int j = 0; j < 2; ++j) add_column(m, -1.0, 1.0, 'B');
  m.rows.push_back({{{0, 1.0}, {1, 1.0}}, 'L', 1.0});
  m.rows.push_back({{{0, 2.0}, {1, 3.0}}, 'L', 4.0});
  SymmetryGroup g = detect(m);
  EXPECT_EQ(g.order, 1.0L);
  EXPECT_TRUE(g.generators.empty());
  // The same coefficients: the swap is a symmetry.
  m.rows[1].entries[1].second = 2.0;
  g = detect(m);
  EXPECT_EQ(g.order, 2.0L);
  expect_verified(m, g);
  // Swapped coefficients in two rows with the same sides: the swap holds
  // with the rows swapped as well.
  m.rows[0] = {{{0, 1.0}, {1, 2.0}}, 'L', 3.0};
  m.rows[1] = {{{0, 2.0}, {1, 1.0}}, 'L', 3.0};
  g = detect(m);
  EXPECT_EQ(g.order, 2.0L);
  expect_verified(m, g);
  // ... but not when the sides differ.
  m.rows[1].rhs = 4.0;
  g = detect(m);
  EXPECT_EQ(g.order, 1.0L);
  // A cost, a bound or a type breaks it too.
  m.rows[1].rhs = 3.0;
  m.obj[1] = -2.0;
  EXPECT_EQ(detect(m).order, 1.0L);
  m.obj[1] = -1.0;
  m.ub = {2.0, 3.0};
  m.ctype = {'I', 'I'};
  EXPECT_EQ(detect(m).order, 1.0L);
  m.ub = {2.0, 2.0};
  m.ctype = {'I', 'C'};
  EXPECT_EQ(detect(m).order, 1.0L);
}

TEST_F(Symmetry, AnAstronomicalOrderIsPrintedWithAnExponent) {
  const SmallMip m = interchangeable(25);
  const SymmetryGroup g = detect(m);
  EXPECT_TRUE(g.complete);
  EXPECT_EQ(g.patterns, 1);
  EXPECT_EQ(g.order_exponent, 25);
  EXPECT_NEAR(static_cast<double>(g.order_mantissa), 1.5511210043330986, 1e-12);
  EXPECT_NEAR(static_cast<double>(g.order), 15511210043330985984000000.0, 1e12);
  expect_verified(m, g);
  results->clear();
  korva::mip::report_symmetry(*env, g);
  EXPECT_EQ(results->text(), "Found 1.551121e+25 symmetric permutations.\nOne symmetric pattern found.\n");
  // 20! still fits a 64-bit integer and is printed exactly.
  const SymmetryGroup h = detect(interchangeable(20));
  results->clear();
  korva::mip::report_symmetry(*env, h);
  EXPECT_EQ(results->text(), "Found 2432902008176640000 symmetric permutations.\nOne symmetric pattern found.\n");
  // 100 items: 100! is far beyond 64 bits but not beyond the exponent.
  const SymmetryGroup k = detect(interchangeable(100));
  EXPECT_TRUE(k.complete);
  EXPECT_EQ(k.order_exponent, 157);
  EXPECT_NEAR(static_cast<double>(k.order_mantissa), 9.332621544, 1e-8);
}

TEST_F(Symmetry, ModelsWithSetsIndicatorsOrSemiContinuousColumnsAreLeftAlone) {
  SmallMip m = interchangeable(3);
  m.sets.push_back({'1', {0, 1}, {1.0, 2.0}});
  EXPECT_EQ(detect(m).order, 1.0L);
  m = interchangeable(3);
  m.ctype[2] = 'S';
  m.lb[2] = 1.0;
  EXPECT_EQ(detect(m).order, 1.0L);
  m = interchangeable(3);
  m.ctype = {'B', 'B', 'B'};
  m.ub = {1.0, 1.0, 1.0};
  m.indicators.push_back({0, 0, {{{1, 1.0}}, 'L', 0.0}});
  EXPECT_EQ(detect(m).order, 1.0L);
  // Only the model's own rows count: without its row the same model has
  // every permutation of its three columns.
  m.indicators.clear();
  ASSERT_EQ(m.load(env, lp), 0);
  korva::mip::build_mip_model(*lp, model);
  EXPECT_EQ(detect_symmetry(model, 0, kPlenty, {}).order, 6.0L);
}

TEST_F(Symmetry, ATinyWorkLimitEndsTheSearchWithVerifiedGeneratorsOnly) {
  const SmallMip m = identical_bins(6, {3.0, 4.0, 5.0, 6.0}, 9.0);
  const SymmetryGroup full = detect(m);
  ASSERT_TRUE(full.complete);
  EXPECT_EQ(full.order, 720.0L);
  exact_answers_without_log();
  const double best = optimum(m);
  int partial_seen = 0;
  for (int64_t limit = 1; limit < 1000000; limit = limit * 3 / 2 + 1) {
    const SymmetryGroup g = detect(m, limit);
    expect_verified(m, g);
    EXPECT_LE(g.order, full.order);
    if (!g.complete) {
      // What was found is still a group of symmetries, and its breaking
      // pairs are still valid together.
      if (!g.generators.empty() && partial_seen++ < 4) {
        EXPECT_NEAR(optimum(with_breaking_rows(m, g)), best, 1e-9) << limit;
      }
      continue;
    }
    EXPECT_EQ(g.order, full.order) << limit;
  }
  EXPECT_GT(partial_seen, 0);
  EXPECT_FALSE(detect(m, 1).complete);
  // The stop callback ends it the same way.
  ASSERT_EQ(m.load(env, lp), 0);
  korva::mip::build_mip_model(*lp, model);
  const SymmetryGroup stopped = detect_symmetry(model, model.num_rows, kPlenty, [] { return true; });
  EXPECT_FALSE(stopped.complete);
  expect_verified(m, stopped);
}

TEST_F(Symmetry, ProgressIsReportedWhileTheClockRuns) {
  const SmallMip m = identical_bins(5, {3.0, 4.0, 5.0}, 8.0);
  ASSERT_EQ(m.load(env, lp), 0);
  korva::mip::build_mip_model(*lp, model);
  double now = 0.0;
  int calls = 0;
  results->clear();
  // A clock that jumps a minute per reading: every poll is past the next
  // progress time.
  const SymmetryGroup g = detect_symmetry(
      model, model.num_rows, kPlenty, [] { return false; }, [&] { return now += 60.0; },
      [&] {
        ++calls;
        korva::mip::report_symmetry_progress(*env);
      });
  EXPECT_TRUE(g.complete);
  EXPECT_EQ(g.order, 120.0L);
  EXPECT_GE(calls, 1);
  const std::string& text = results->text();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), calls);
  EXPECT_EQ(text.find("Symmetry detection still in progress.\n"), 0u);
}

// Random models made of identical copies of a small block (own rows per
// copy, shared rows with the same coefficients for each copy), sometimes
// with one coefficient perturbed and with the columns shuffled: the group
// order matches a brute-force count, every generator maps the model onto
// itself, and the breaking rows keep the optimum.
TEST_F(Symmetry, RandomSymmetricModelsKeepTheirOptimumUnderTheBreakingRows) {
  exact_answers_without_log();
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> coin(0, 1), coef(1, 3), cost(-4, -1);
  int symmetric = 0, with_pairs = 0;
  for (int trial = 0; trial < 60; ++trial) {
    const int copies = 2 + coin(rng), width = 1 + coin(rng);
    const bool extra = coin(rng) && copies * width < 6;
    SmallMip block;
    for (int q = 0; q < width; ++q) {
      const bool binary = coin(rng);
      add_column(block, cost(rng), binary ? 1.0 : 2.0, binary ? 'B' : 'I');
    }
    SmallMip m;
    for (int c = 0; c < copies; ++c)
      for (int q = 0; q < width; ++q) add_column(m, block.obj[q], block.ub[q], block.ctype[q]);
    if (extra) add_column(m, cost(rng), 2.0, 'I');
    const int n = m.num_cols();
    // Rows of each copy.
    std::vector<double> own(width);
    for (double& a : own) a = coef(rng) * (coin(rng) ? 1.0 : -1.0);
    const double own_rhs = coef(rng);
    for (int c = 0; c < copies; ++c) {
      Row r;
      for (int q = 0; q < width; ++q) r.entries.emplace_back(c * width + q, own[q]);
      r.rhs = own_rhs;
      m.rows.push_back(r);
    }
    // Shared rows.
    const int shared = 1 + coin(rng);
    for (int s = 0; s < shared; ++s) {
      std::vector<double> a(width);
      for (double& v : a) v = coef(rng);
      Row r;
      for (int c = 0; c < copies; ++c)
        for (int q = 0; q < width; ++q) r.entries.emplace_back(c * width + q, a[q]);
      if (extra) r.entries.emplace_back(n - 1, coef(rng));
      r.rhs = 2 + coef(rng) + copies;
      m.rows.push_back(r);
    }
    if (trial % 4 == 3) m.rows.back().entries[0].second += 1.0;  // breaks part of the symmetry
    // Shuffle the columns.
    std::vector<int> shuffle(n);
    std::iota(shuffle.begin(), shuffle.end(), 0);
    std::shuffle(shuffle.begin(), shuffle.end(), rng);
    SmallMip shuffled = m;
    for (int j = 0; j < n; ++j) {
      shuffled.obj[shuffle[j]] = m.obj[j];
      shuffled.ub[shuffle[j]] = m.ub[j];
      shuffled.ctype[shuffle[j]] = m.ctype[j];
    }
    for (Row& r : shuffled.rows)
      for (auto& e : r.entries) e.first = shuffle[e.first];
    const std::string what = "trial " + std::to_string(trial);
    const SymmetryGroup g = detect(shuffled);
    ASSERT_TRUE(g.complete) << what;
    EXPECT_EQ(static_cast<int64_t>(g.order), brute_force_order(shuffled)) << what;
    expect_verified(shuffled, g);
    symmetric += g.order > 1 ? 1 : 0;
    with_pairs += g.breaking.empty() ? 0 : 1;
    for (const auto& [a, b] : g.breaking) {
      EXPECT_LT(a, b) << what;
      EXPECT_NE(shuffled.ctype[a], 'C');
    }
    EXPECT_NEAR(optimum(shuffled), optimum(with_breaking_rows(shuffled, g)), 1e-9) << what;
  }
  EXPECT_GE(symmetric, 40);
  EXPECT_GE(with_pairs, 40);
}

// Stable sets of graphs: a column per vertex, a row x_a + x_b <= 1 per
// edge. Regular graphs give refinement nothing to split, so the search
// itself has to backtrack; the order is checked against a brute-force
// count and the breaking rows against the optimum.
SmallMip stable_set(int n, const std::vector<std::pair<int, int>>& edges) {
  SmallMip m;
  for (int j = 0; j < n; ++j) add_column(m, -1.0, 1.0, 'B');
  for (const auto& [a, b] : edges) m.rows.push_back({{{a, 1.0}, {b, 1.0}}, 'L', 1.0});
  return m;
}

TEST_F(Symmetry, GraphsWithoutRefinableStructureMatchABruteForceCount) {
  exact_answers_without_log();
  std::vector<SmallMip> models;
  std::vector<std::pair<int, int>> cycle, triangles, cube, bipartite;
  for (int j = 0; j < 7; ++j) cycle.emplace_back(j, (j + 1) % 7);
  models.push_back(stable_set(7, cycle));  // dihedral: 14
  for (int t = 0; t < 2; ++t)
    for (int j = 0; j < 3; ++j) triangles.emplace_back(3 * t + j, 3 * t + (j + 1) % 3);
  models.push_back(stable_set(6, triangles));  // 3! * 3! * 2 = 72
  for (int a = 0; a < 8; ++a)
    for (int bit = 1; bit < 8; bit <<= 1)
      if ((a ^ bit) > a) cube.emplace_back(a, a ^ bit);
  models.push_back(stable_set(8, cube));  // 48
  for (int a = 0; a < 3; ++a)
    for (int b = 3; b < 6; ++b) bipartite.emplace_back(a, b);
  models.push_back(stable_set(6, bipartite));  // 72
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> coin(0, 1);
  for (int k = 0; k < 12; ++k) {
    std::vector<std::pair<int, int>> edges;
    for (int a = 0; a < 6; ++a)
      for (int b = a + 1; b < 6; ++b)
        if (coin(rng)) edges.emplace_back(a, b);
    models.push_back(stable_set(6, edges));
  }
  const int64_t expected[] = {14, 72, 48, 72};
  for (size_t k = 0; k < models.size(); ++k) {
    const SmallMip& m = models[k];
    const SymmetryGroup g = detect(m);
    ASSERT_TRUE(g.complete) << k;
    const int64_t count = brute_force_order(m);
    if (k < 4) {
      EXPECT_EQ(count, expected[k]);
    }
    EXPECT_EQ(static_cast<int64_t>(g.order), count) << k;
    expect_verified(m, g);
    EXPECT_NEAR(optimum(m), optimum(with_breaking_rows(m, g)), 1e-9) << k;
  }
}

// A larger model passes through quickly: 60 identical bins of 80 distinct
// items (4860 columns) give 60! within a modest budget.
TEST_F(Symmetry, ManyIdenticalBinsAreHandledWithinTheBudget) {
  std::vector<double> weights;
  for (int i = 0; i < 80; ++i) weights.push_back(3.0 + i);
  const SmallMip m = identical_bins(60, weights, 200.0);
  const SymmetryGroup g = detect(m, 50000000);
  EXPECT_TRUE(g.complete);
  EXPECT_EQ(g.order_exponent, 81);  // 60! = 8.32e81
  EXPECT_EQ(g.patterns, 1);
  EXPECT_EQ(g.breaking.size(), static_cast<size_t>(60 * 59 / 2));
  expect_verified(m, g);
}

}  // namespace
