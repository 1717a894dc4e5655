// Convex quadratic programs by the barrier: random models whose optimum is
// known by construction (x*, y*, z* chosen first, c and b made to fit the
// optimality conditions), maximisation of a concave objective, and a Q
// that is not positive semidefinite.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "support/lp_test.h"

namespace {

struct KnownQp {
  int n = 0, m = 0;
  std::vector<double> c, lb, ub, rhs;
  std::vector<char> sense;
  std::vector<int> beg, cnt, ind;  // A by columns
  std::vector<double> val;
  std::vector<int> qbeg, qcnt, qind;  // Q by columns, both triangles
  std::vector<double> qval;
  double optimum = 0;
};

// Q = MᵀM with M sparse (k rows), A sparse with equality rows. At x*, a
// third of the columns sit at 0 with a positive reduced cost, a sixth at
// their upper bound with a negative one, the rest strictly inside.
KnownQp make_known_qp(int n, int m, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  KnownQp qp;
  qp.n = n;
  qp.m = m;
  std::vector<std::vector<double>> dense_q(n, std::vector<double>(n, 0.0));
  const int k = n / 2 + 1;
  for (int r = 0; r < k; ++r) {
    std::vector<std::pair<int, double>> row;
    for (int t = 0; t < 3; ++t) row.emplace_back(static_cast<int>(rng() % n), unit(rng));
    for (const auto& [i, a] : row)
      for (const auto& [j, b] : row) dense_q[i][j] += a * b;
  }
  std::vector<std::vector<double>> dense_a(m, std::vector<double>(n, 0.0));
  for (int i = 0; i < m; ++i) {
    for (int t = 0; t < 4; ++t) dense_a[i][rng() % n] = unit(rng);
    dense_a[i][i % n] += 2.0;  // no empty rows
  }
  std::vector<double> x(n), z(n, 0.0), y(m);
  qp.lb.assign(n, 0.0);
  qp.ub.assign(n, 1e20);
  for (int j = 0; j < n; ++j) {
    const int kind = j % 6;
    if (kind < 2) {
      x[j] = 0.0;
      z[j] = 0.5 + std::fabs(unit(rng));
    } else if (kind == 2) {
      qp.ub[j] = 3.0;
      x[j] = 3.0;
      z[j] = -(0.5 + std::fabs(unit(rng)));
    } else {
      x[j] = 1.0 + std::fabs(unit(rng));
      if (kind == 5) qp.ub[j] = 5.0;
    }
  }
  for (int i = 0; i < m; ++i) y[i] = unit(rng);
  qp.c.assign(n, 0.0);
  for (int j = 0; j < n; ++j) {
    double cj = z[j];
    for (int i = 0; i < m; ++i) cj += dense_a[i][j] * y[i];
    for (int i = 0; i < n; ++i) cj -= dense_q[j][i] * x[i];
    qp.c[j] = cj;
  }
  qp.rhs.assign(m, 0.0);
  qp.sense.assign(m, 'E');
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < n; ++j) qp.rhs[i] += dense_a[i][j] * x[j];
  for (int j = 0; j < n; ++j) {
    qp.beg.push_back(static_cast<int>(qp.ind.size()));
    for (int i = 0; i < m; ++i)
      if (dense_a[i][j] != 0.0) qp.ind.push_back(i), qp.val.push_back(dense_a[i][j]);
    qp.cnt.push_back(static_cast<int>(qp.ind.size()) - qp.beg.back());
    qp.qbeg.push_back(static_cast<int>(qp.qind.size()));
    for (int i = 0; i < n; ++i)
      if (dense_q[i][j] != 0.0) qp.qind.push_back(i), qp.qval.push_back(dense_q[i][j]);
    qp.qcnt.push_back(static_cast<int>(qp.qind.size()) - qp.qbeg.back());
  }
  for (int j = 0; j < n; ++j) {
    qp.optimum += qp.c[j] * x[j];
    for (int i = 0; i < n; ++i) qp.optimum += 0.5 * x[i] * dense_q[i][j] * x[j];
  }
  return qp;
}

class BarrierQpTest : public korva_test::LpTest {
 protected:
  void load(const KnownQp& qp, int objsense = 1, double scale = 1.0) {
    std::vector<double> c(qp.c), qval(qp.qval);
    for (double& v : c) v *= scale;
    for (double& v : qval) v *= scale;
    ASSERT_EQ(KRVcopylp(env, lp, qp.n, qp.m, objsense, c.data(), qp.rhs.data(), qp.sense.data(), qp.beg.data(),
                        qp.cnt.data(), qp.ind.data(), qp.val.data(), qp.lb.data(), qp.ub.data(), nullptr),
              0);
    ASSERT_EQ(KRVcopyquad(env, lp, qp.qbeg.data(), qp.qcnt.data(), qp.qind.data(), qval.data()), 0);
  }
};

TEST_F(BarrierQpTest, RandomConvexQuadraticProgramsReachTheirKnownOptimum) {
  for (unsigned seed = 1; seed <= 8; ++seed) {
    const int n = 20 + 15 * static_cast<int>(seed), m = n / 3;
    const KnownQp qp = make_known_qp(n, m, seed);
    load(qp);
    ASSERT_EQ(KRVqpopt(env, lp), 0) << seed;
    ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL) << seed;
    EXPECT_EQ(KRVgetmethod(env, lp), KRV_ALG_BARRIER);
    EXPECT_NEAR(objective(), qp.optimum, 1e-6 * (1.0 + std::fabs(qp.optimum))) << seed;
  }
}

// Crossover is skipped for a quadratic objective unless asked for; asked
// for, it says it is not available and keeps the interior optimum.
TEST_F(BarrierQpTest, AskedForCrossoverKeepsTheInteriorSolution) {
  const KnownQp qp = make_known_qp(50, 15, 7);
  load(qp);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  EXPECT_EQ(results->text().find("QP crossover"), std::string::npos);
  ASSERT_EQ(KRVhybbaropt(env, lp, 'p'), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_NEAR(objective(), qp.optimum, 1e-6 * (1.0 + std::fabs(qp.optimum)));
  int solntype = 0;
  ASSERT_EQ(KRVsolninfo(env, lp, nullptr, &solntype, nullptr, nullptr), 0);
  EXPECT_EQ(solntype, KRV_NONBASIC_SOLN);
  EXPECT_NE(results->text().find("\nQP crossover.\n"), std::string::npos);
  EXPECT_NE(warnings->text().find("QP crossover is not available"), std::string::npos);
}

TEST_F(BarrierQpTest, MaximisingAConcaveObjectiveIsTheSameProblem) {
  const KnownQp qp = make_known_qp(60, 20, 42);
  load(qp, -1, -1.0);
  ASSERT_EQ(KRVbaropt(env, lp), 0);
  ASSERT_EQ(KRVgetstat(env, lp), KRV_STAT_OPTIMAL);
  EXPECT_NEAR(objective(), -qp.optimum, 1e-6 * (1.0 + std::fabs(qp.optimum)));
  int solntype = 0;
  ASSERT_EQ(KRVsolninfo(env, lp, nullptr, &solntype, nullptr, nullptr), 0);
  EXPECT_EQ(solntype, KRV_NONBASIC_SOLN);
}

TEST_F(BarrierQpTest, AnIndefiniteQIsRefused) {
  read_lp_text("Minimize\n obj: x + y + [ x ^ 2 - y ^ 2 ] / 2\nSubject To\n c1: x + y >= 1\nBounds\n"
               " x <= 10\n y <= 10\nEnd\n");
  EXPECT_EQ(KRVqpopt(env, lp), 5002);
  EXPECT_NE(errors->text().find("Q in objective is not positive semi-definite"), std::string::npos)
      << errors->text();
  EXPECT_EQ(KRVgetstat(env, lp), 0);
}

}  // namespace
