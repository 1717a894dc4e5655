// The travelling-salesman example: degree constraints only, subtours cut
// off by a lazy constraint callback. Its tours must be optimal (checked
// against dynamic programming over subsets) and single cycles, with one
// thread and with two.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#define TSP_LAZY_NO_MAIN
extern "C" {
#include "../../examples/tsp_lazy.c"
}

namespace {

// The shortest tour by dynamic programming over the subsets of cities
// (fine up to a dozen or so).
double shortest_tour(int n, const std::vector<double>& dist) {
  const double inf = std::numeric_limits<double>::infinity();
  const int subsets = 1 << (n - 1);  // city 0 is the start, outside the masks
  std::vector<double> best(static_cast<size_t>(subsets) * n, inf);
  for (int v = 1; v < n; ++v) best[static_cast<size_t>(1 << (v - 1)) * n + v] = dist[v];
  for (int mask = 1; mask < subsets; ++mask)
    for (int v = 1; v < n; ++v) {
      const double here = best[static_cast<size_t>(mask) * n + v];
      if (!(mask & (1 << (v - 1))) || here == inf) continue;
      for (int w = 1; w < n; ++w) {
        if (mask & (1 << (w - 1))) continue;
        double& next = best[static_cast<size_t>(mask | (1 << (w - 1))) * n + w];
        next = std::min(next, here + dist[v * n + w]);
      }
    }
  double tour = inf;
  for (int v = 1; v < n; ++v) tour = std::min(tour, best[static_cast<size_t>(subsets - 1) * n + v] + dist[v * n]);
  return tour;
}

std::vector<double> random_distances(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> coordinate(0, 999);
  std::vector<double> x(n), y(n), dist(static_cast<size_t>(n) * n);
  for (int i = 0; i < n; ++i) {
    x[i] = coordinate(rng);
    y[i] = coordinate(rng);
  }
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) dist[i * n + j] = std::floor(std::hypot(x[i] - x[j], y[i] - y[j]) + 0.5);
  return dist;
}

// Two clusters far apart: the degree constraints alone give two subtours.
std::vector<double> two_clusters(int n) {
  std::vector<double> dist(static_cast<size_t>(n) * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const double xi = (i < n / 2 ? 0 : 10000) + 10.0 * i, xj = (j < n / 2 ? 0 : 10000) + 10.0 * j;
      dist[i * n + j] = std::fabs(xi - xj) + (i == j ? 0 : 1);
    }
  return dist;
}

void expect_single_cycle(int n, const std::vector<int>& next) {
  std::vector<int> seen(n, 0);
  int v = 0;
  for (int step = 0; step < n; ++step) {
    ASSERT_GE(next[v], 0);
    ASSERT_LT(next[v], n);
    EXPECT_FALSE(seen[v]) << "city " << v << " visited twice";
    seen[v] = 1;
    v = next[v];
  }
  EXPECT_EQ(v, 0) << "the tour does not close";
}

class TspLazy : public ::testing::TestWithParam<int> {};

TEST_P(TspLazy, RandomInstancesGetTheirShortestTours) {
  const int threads = GetParam();
  for (int n = 5; n <= 12; ++n) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
      const std::vector<double> dist = random_distances(n, seed * 31 + static_cast<unsigned>(n));
      double length = 0.0;
      int cuts = 0;
      std::vector<int> next(n, -1);
      ASSERT_EQ(tsp_lazy_solve(n, dist.data(), threads, &length, next.data(), &cuts), 0) << n << " " << seed;
      EXPECT_NEAR(length, shortest_tour(n, dist), 1e-6) << n << " cities, seed " << seed;
      expect_single_cycle(n, next);
    }
  }
}

TEST_P(TspLazy, SubtoursOfTheDegreeModelAreCutOff) {
  const int n = 10;
  const std::vector<double> dist = two_clusters(n);
  double length = 0.0;
  int cuts = 0;
  std::vector<int> next(n, -1);
  ASSERT_EQ(tsp_lazy_solve(n, dist.data(), GetParam(), &length, next.data(), &cuts), 0);
  EXPECT_GT(cuts, 0);
  EXPECT_NEAR(length, shortest_tour(n, dist), 1e-6);
  expect_single_cycle(n, next);
}

INSTANTIATE_TEST_SUITE_P(Threads, TspLazy, ::testing::Values(1, 2));

}  // namespace
