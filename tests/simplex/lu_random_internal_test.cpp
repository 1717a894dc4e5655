// Property tests of the basis factor on random sparse bases: solves are
// backward stable, hypersparse and dense solves agree, and long sequences
// of Forrest–Tomlin updates keep the residuals at rounding level.
#include <gtest/gtest.h>

#include <random>

#include "simplex/support/factor_harness.h"

using korva::lu::SolveKind;
using korva::lu::UpdateResult;
using korva_test::FactorHarness;
using korva_test::SparseMatrix;

namespace {

constexpr double kRounding = 1e-12;

// A random basis that is nonsingular by construction of its pattern: each
// position has an entry of magnitude >= 1 in its own row of a random
// permutation, some positions are slacks, and `extra` random entries of
// both signs fill each structural column. Columns m.. form an entering pool.
struct RandomBasis {
  SparseMatrix a;
  std::vector<int> basic;
};

RandomBasis make_basis(int m, int extra, double slack_share, int pool, std::mt19937_64& rng,
                       double decades = 0.0) {
  RandomBasis r;
  r.a.rows = m;
  std::vector<int> perm(static_cast<size_t>(m));
  std::iota(perm.begin(), perm.end(), 0);
  std::shuffle(perm.begin(), perm.end(), rng);
  std::uniform_int_distribution<int> row(0, m - 1);
  std::uniform_real_distribution<double> mag(-1.0, 1.0 + decades);
  std::uniform_real_distribution<double> big(1.0, 10.0);
  std::bernoulli_distribution slack(slack_share), sign(0.5);
  std::vector<int> mark(static_cast<size_t>(m), -1);
  auto random_column = [&](int anchor, int stamp) {
    std::vector<std::pair<int, double>> col;
    if (anchor >= 0) {
      col.push_back({anchor, sign(rng) ? big(rng) : -big(rng)});
      mark[anchor] = stamp;
    }
    for (int t = 0; t < extra; ++t) {
      int i = row(rng);
      if (mark[i] == stamp) continue;
      mark[i] = stamp;
      double v = std::pow(10.0, mag(rng));
      col.push_back({i, sign(rng) ? v : -v});
    }
    if (col.empty()) col.push_back({row(rng), 1.0});
    return col;
  };
  int stamp = 0;
  for (int p = 0; p < m; ++p) r.a.add_column(random_column(perm[p], stamp++));
  for (int k = 0; k < pool; ++k) r.a.add_column(random_column(row(rng), stamp++));
  r.basic.resize(static_cast<size_t>(m));
  for (int p = 0; p < m; ++p) r.basic[p] = slack(rng) ? r.a.cols + perm[p] : p;
  return r;
}

struct Shape {
  int m;
  int extra;
  double slack_share;
};

const Shape kShapes[] = {{1, 0, 0.0},  {2, 1, 0.0},   {7, 3, 0.2},   {40, 2, 0.3},  {40, 12, 0.0},
                         {150, 3, 0.5}, {300, 2, 0.2}, {300, 8, 0.1}, {900, 3, 0.6}, {1500, 2, 0.3}};

}  // namespace

// The residual bound follows the growth the threshold allows: with the
// loose default 0.01 U may grow a hundredfold per elimination step.
TEST(LuRandom, SolvesAreBackwardStable) {
  std::mt19937_64 rng(12345);
  for (auto [threshold, bound] : {std::pair{0.1, kRounding}, std::pair{0.01, 1e-9}}) {
    for (const Shape& s : kShapes) {
      for (int trial = 0; trial < 3; ++trial) {
        RandomBasis rb = make_basis(s.m, s.extra, s.slack_share, 0, rng, trial == 2 ? 3.0 : 0.0);
        FactorHarness h(rb.a, rb.basic);
        ASSERT_EQ(h.factor(threshold), korva::lu::kOk) << "m=" << s.m;
        for (int nz : {1, 3, s.m}) {
          auto rhs = korva_test::random_rhs(s.m, nz, rng);
          bool ok = false;
          EXPECT_LT(h.ftran_residual(rhs, SolveKind::Dense, nullptr, &ok), bound) << "m=" << s.m;
          EXPECT_TRUE(ok);
          EXPECT_LT(h.btran_residual(rhs, SolveKind::Dense, nullptr, &ok), bound) << "m=" << s.m;
          EXPECT_TRUE(ok);
        }
      }
    }
  }
}

TEST(LuRandom, HypersparseSolvesMatchDenseSolves) {
  std::mt19937_64 rng(777);
  for (const Shape& s : kShapes) {
    RandomBasis rb = make_basis(s.m, s.extra, s.slack_share, 0, rng);
    FactorHarness h(rb.a, rb.basic);
    ASSERT_EQ(h.factor(), korva::lu::kOk);
    for (int nz : {1, 2, std::max(1, s.m / 20)}) {
      auto rhs = korva_test::random_rhs(s.m, nz, rng);
      std::vector<double> xd, xh, yd, yh;
      bool ok = false;
      h.ftran_residual(rhs, SolveKind::Dense, &xd);
      EXPECT_LT(h.ftran_residual(rhs, SolveKind::Hypersparse, &xh, &ok), kRounding);
      EXPECT_TRUE(ok);
      h.btran_residual(rhs, SolveKind::Dense, &yd);
      EXPECT_LT(h.btran_residual(rhs, SolveKind::Hypersparse, &yh, &ok), kRounding);
      EXPECT_TRUE(ok);
      double scale_x = 1.0 + korva_test::inf_norm(xd), scale_y = 1.0 + korva_test::inf_norm(yd);
      for (int i = 0; i < s.m; ++i) {
        EXPECT_NEAR(xd[i], xh[i], 1e-12 * scale_x);
        EXPECT_NEAR(yd[i], yh[i], 1e-12 * scale_y);
      }
    }
  }
}

TEST(LuRandom, HypersparseSolveOfAUnitVectorTouchesFewEntries) {
  std::mt19937_64 rng(99);
  RandomBasis rb = make_basis(4000, 1, 0.7, 0, rng);
  FactorHarness h(rb.a, rb.basic);
  ASSERT_EQ(h.factor(), korva::lu::kOk);
  std::vector<double> unit(4000, 0.0);
  unit[17] = 1.0;
  uint64_t before = h.ticks.now();
  h.ftran_residual(unit, SolveKind::Dense);
  uint64_t dense = h.ticks.now() - before;
  before = h.ticks.now();
  EXPECT_LT(h.ftran_residual(unit, SolveKind::Hypersparse), kRounding);
  uint64_t hyper = h.ticks.now() - before;
  EXPECT_LT(hyper * 20, dense);
}

// Replaces random positions by pool columns, as a simplex would: the
// entering column's ftran is kept as the spike and the leaving position is
// one where that column has a reasonable pivot.
static void run_update_sequence(const Shape& s, int updates, SolveKind kind, std::mt19937_64& rng, int reinv) {
  RandomBasis rb = make_basis(s.m, s.extra, s.slack_share, 4 * updates, rng);
  korva::lu::FactorOptions opts;
  opts.reinv = reinv;
  FactorHarness h(rb.a, rb.basic, opts);
  ASSERT_EQ(h.factor(), korva::lu::kOk);
  int next = s.m;
  int refactors = 0, done = 0;
  std::vector<char> in_basis(static_cast<size_t>(rb.a.cols + s.m), 0);
  for (int v : h.basic) in_basis[v] = 1;
  while (done < updates && next < rb.a.cols) {
    int var = next++;
    korva::SparseVector col = h.column(var);
    h.lu.ftran(col, kind, true);
    double big = 0.0;
    for (int k = 0; k < col.count; ++k) big = std::max(big, std::fabs(col.values[col.index[k]]));
    std::vector<int> good;
    for (int k = 0; k < col.count; ++k)
      if (std::fabs(col.values[col.index[k]]) >= 0.1 * big) good.push_back(col.index[k]);
    if (good.empty()) continue;
    int p = good[rng() % good.size()];
    in_basis[h.basic[p]] = 0;
    in_basis[var] = 1;
    UpdateResult r = h.lu.update(col, p);
    h.basic[p] = var;
    if (r == UpdateResult::Refactorise) {
      ++refactors;
      ASSERT_EQ(h.factor(), korva::lu::kOk);
    }
    ++done;
    auto rhs = korva_test::random_rhs(s.m, (done % 3 == 0) ? s.m : 2, rng);
    bool ok = false;
    ASSERT_LT(h.ftran_residual(rhs, kind, nullptr, &ok), 1e-10) << "update " << done << " m=" << s.m;
    ASSERT_TRUE(ok);
    ASSERT_LT(h.btran_residual(rhs, kind, nullptr, &ok), 1e-10) << "update " << done << " m=" << s.m;
    ASSERT_TRUE(ok);
  }
  EXPECT_EQ(done, updates);
  if (reinv > 0) {
    EXPECT_GE(refactors, updates / reinv);
  }
}

TEST(LuRandom, ForrestTomlinUpdatesKeepResidualsSmall) {
  std::mt19937_64 rng(4242);
  for (const Shape& s : kShapes) {
    if (s.m < 7) continue;
    run_update_sequence(s, std::min(3 * s.m, 300), SolveKind::Dense, rng, 0);
    run_update_sequence(s, std::min(3 * s.m, 300), SolveKind::Hypersparse, rng, 0);
  }
}

// The paired solve of a dual iteration gives both vectors exactly as two
// separate solves do, keeps the entering column's spike for the update,
// and stays exact across updates.
TEST(LuRandom, PairedSolvesEqualSeparateSolves) {
  std::mt19937_64 rng(2024);
  const Shape s{300, 4, 0.3};
  RandomBasis rb = make_basis(s.m, s.extra, s.slack_share, 200, rng);
  FactorHarness h(rb.a, rb.basic);
  ASSERT_EQ(h.factor(), korva::lu::kOk);
  int updates = 0;
  for (int var = s.m; var < rb.a.cols && updates < 60; ++var) {
    const auto rhs = korva_test::random_rhs(s.m, updates % 2 ? s.m / 2 : 3, rng);
    korva::SparseVector other(s.m);
    for (int i = 0; i < s.m; ++i)
      if (rhs[i] != 0.0) other.set_new(i, rhs[i]);
    korva::SparseVector col = h.column(var), col_alone = h.column(var), other_alone = other;
    h.lu.ftran(other_alone);
    h.lu.ftran(col_alone, SolveKind::Automatic, true);
    h.lu.ftran_pair(col, other);
    for (int i = 0; i < s.m; ++i) {
      ASSERT_EQ(col.values[i], col_alone.values[i]) << "update " << updates;
      ASSERT_EQ(other.values[i], other_alone.values[i]) << "update " << updates;
    }
    int p = -1;
    for (int k = 0; k < col.count; ++k)
      if (p < 0 || std::fabs(col.values[col.index[k]]) > std::fabs(col.values[p])) p = col.index[k];
    if (p < 0) continue;
    if (h.lu.update(col, p) == UpdateResult::Refactorise) {
      h.basic[p] = var;
      ASSERT_EQ(h.factor(), korva::lu::kOk);
    } else {
      h.basic[p] = var;
    }
    ++updates;
    ASSERT_LT(h.ftran_residual(rhs, SolveKind::Automatic), 1e-10) << "update " << updates;
  }
  EXPECT_EQ(updates, 60);
}

TEST(LuRandom, UpdateLimitFromReinvForcesRefactorisation) {
  std::mt19937_64 rng(5);
  run_update_sequence({60, 3, 0.3}, 100, SolveKind::Automatic, rng, 7);
  RandomBasis rb = make_basis(30, 2, 0.3, 5, rng);
  korva::lu::FactorOptions opts;
  opts.reinv = 1;
  FactorHarness h(rb.a, rb.basic, opts);
  ASSERT_EQ(h.factor(), korva::lu::kOk);
  EXPECT_EQ(h.lu.update_limit(), 0);
  korva::SparseVector col = h.column(30);
  h.lu.ftran(col, SolveKind::Automatic, true);
  EXPECT_EQ(h.lu.update(col, col.index[0]), UpdateResult::Refactorise);
}

TEST(LuRandom, DenseKernelAndSparseEliminationAgree) {
  std::mt19937_64 rng(31);
  RandomBasis rb = make_basis(120, 60, 0.0, 0, rng);  // about half full: the dense kernel takes over
  FactorHarness dense(rb.a, rb.basic), sparse(rb.a, rb.basic);
  sparse.lu.dense_density = 10.0;
  ASSERT_EQ(dense.factor(), korva::lu::kOk);
  ASSERT_EQ(sparse.factor(), korva::lu::kOk);
  auto rhs = korva_test::random_rhs(120, 120, rng);
  std::vector<double> x1, x2;
  EXPECT_LT(dense.ftran_residual(rhs, SolveKind::Dense, &x1), kRounding);
  EXPECT_LT(sparse.ftran_residual(rhs, SolveKind::Dense, &x2), kRounding);
  for (int i = 0; i < 120; ++i) {
    EXPECT_NEAR(x1[i], x2[i], 1e-9 * (1.0 + korva_test::inf_norm(x1)));
  }
}

TEST(LuRandom, AllSlackBasisNeedsNoElimination) {
  SparseMatrix a;
  a.rows = 50;
  FactorHarness h(a, korva_test::slack_basis(a));
  ASSERT_EQ(h.factor(), korva::lu::kOk);
  EXPECT_EQ(h.lu.factor_nonzeros(), 50);
  std::mt19937_64 rng(1);
  auto rhs = korva_test::random_rhs(50, 7, rng);
  std::vector<double> x;
  h.ftran_residual(rhs, SolveKind::Automatic, &x);
  EXPECT_EQ(x, rhs);
}
