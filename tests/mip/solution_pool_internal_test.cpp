// The solution pool itself, fed directly through offer(): the feasibility
// check and the duplicate test, the filters (diversity distance with and
// without weights, range), the built-in gap filter at its edges, the pool
// cutoff in all four cases, capacity with each replacement policy and its
// count of replacements, the reactions to model edits, and - since the
// search does not offer solutions yet - the queries of the C interface on
// a pool seeded here, including fixing the problem at a pool solution.
#include <cmath>
#include <string>
#include <vector>

#include "mip/pool_models.h"
#include "mip/solution_pool.h"

namespace {

using korva::mip::FilterType;
using korva::mip::GapFilter;
using korva::mip::PoolFilter;
using korva::mip::PoolOffer;
using korva::mip::PoolSettings;
using korva::mip::SolutionPool;

class SolutionPoolTest : public mip_test::MipTest {
 protected:
  void SetUp() override {
    MipTest::SetUp();
    model = pool_test::pool_model();
    ASSERT_EQ(model.load(env, lp), 0);
    pool = &korva::mip::solution_pool_of(*lp);
    pool->apply_settings(*lp, PoolSettings{});
  }
  double objective(const std::vector<double>& x) const {
    double z = 0;
    for (size_t j = 0; j < x.size(); ++j) z += model.obj[j] * x[j];
    return z;
  }
  PoolOffer offer(const std::vector<double>& x) { return pool->offer(*lp, x, objective(x), 1); }
  void settings(int capacity, int replace, double rel_gap = 1e75, double abs_gap = 1e75) {
    PoolSettings s;
    s.capacity = capacity;
    s.replace = replace;
    s.rel_gap = rel_gap;
    s.abs_gap = abs_gap;
    pool->apply_settings(*lp, s);
  }
  std::vector<std::string> names() const {
    std::vector<std::string> n;
    for (const auto& s : pool->solutions) n.push_back(s.name);
    return n;
  }
  mip_test::SmallMip model;
  SolutionPool* pool = nullptr;
};

TEST(PoolCutoff, FollowsTheGapsThatAreSetAndWidensTheResult) {
  using korva::mip::pool_cutoff;
  // Both gaps: the smaller allowance; a cutoff beyond 1 in magnitude widens relatively.
  EXPECT_DOUBLE_EQ(pool_cutoff(100.0, 0.1, 5.0), 105.0 + 105.0 * 1e-10);
  EXPECT_DOUBLE_EQ(pool_cutoff(100.0, 0.01, 5.0), 101.0 + 101.0 * 1e-10);
  // Only the relative gap, on a negative objective.
  EXPECT_DOUBLE_EQ(pool_cutoff(-50.0, 0.1, 1e75), -45.0 + 45.0 * 1e-10);
  // Only the absolute gap; at most 1 in magnitude the widening is 1e-10.
  EXPECT_DOUBLE_EQ(pool_cutoff(0.5, 1e75, 0.2), 0.7 + 1e-10);
  EXPECT_DOUBLE_EQ(pool_cutoff(-1.5, 1e75, 0.5), -1.0 + 1e-10);
  // Neither gap, or no incumbent below 1e75: no cutoff.
  EXPECT_EQ(pool_cutoff(100.0, 1e75, 1e75), 1e75);
  EXPECT_EQ(pool_cutoff(1e75, 0.1, 5.0), 1e75);
}

TEST(PoolGapFilter, RejectsOnlyBeyondTheToleranceAboveTheReference) {
  GapFilter g;
  g.set_gaps(1e75, 1e75);
  g.reference = 100.0;
  EXPECT_FALSE(g.rejects(1e30)) << "no gap set: nothing is rejected";

  g.set_gaps(0.1, 1e75);  // t = (0.1 + 1e-10) * 100
  EXPECT_FALSE(g.rejects(110.0));
  EXPECT_FALSE(g.rejects(110.0 + 0.5e-8));
  EXPECT_TRUE(g.rejects(110.0 + 2e-8));
  EXPECT_FALSE(g.rejects(50.0)) << "better than the reference";

  g.set_gaps(1e75, 2.0);  // t = 2 + 1e-10 + (1 + 10) * 1e-10
  g.reference = 10.0;
  EXPECT_FALSE(g.rejects(12.0 + 1e-9));
  EXPECT_TRUE(g.rejects(12.0 + 2e-9));

  g.set_gaps(0.5, 1.0);  // the smaller of 0.5 * 10 and 1 + ...
  EXPECT_FALSE(g.rejects(11.0));
  EXPECT_TRUE(g.rejects(11.01));

  g.set_gaps(0.0, 0.0);  // only the reference itself, up to rounding
  EXPECT_FALSE(g.rejects(10.0));
  EXPECT_TRUE(g.rejects(10.0 + 1e-6));

  GapFilter fresh;
  fresh.set_gaps(0.0, 0.0);
  EXPECT_EQ(fresh.reference, 1e20);
  EXPECT_FALSE(fresh.rejects(1e19)) << "without a reference nothing below 1e20 is refused";
}

TEST_F(SolutionPoolTest, StoresFeasibleSolutionsOnceWithRunningNames) {
  EXPECT_EQ(offer({0, 0, 0, 0, 1, 0}), PoolOffer::Stored);
  EXPECT_EQ(offer({1, 0, 0, 0, 1, 0}), PoolOffer::Stored);
  // The same integer part with the continuous part within 1e-6, or an
  // integer column off by less than the integrality tolerance.
  EXPECT_EQ(offer({0, 0, 0, 0, 1, 1e-9}), PoolOffer::Duplicate);
  EXPECT_EQ(offer({1, 0, 0, 0, 1.000001, 0}), PoolOffer::Duplicate);
  EXPECT_EQ(offer({0, 0, 0, 0, 1, 0.5}), PoolOffer::Stored) << "another continuous value is another solution";
  EXPECT_EQ(pool->num_solutions(), 3);
  EXPECT_EQ(pool->rejected, 0);
  EXPECT_EQ(pool->replaced, 0);
  EXPECT_EQ(pool->offered_total(), 3);
  EXPECT_EQ(names(), (std::vector<std::string>{"p1", "p2", "p3"}));
  EXPECT_DOUBLE_EQ(pool->mean_objective(), (1.0 + 2.0 + 1.5) / 3);

  pool->erase_solutions({1, 0, 0});
  EXPECT_EQ(offer({0, 1, 0, 0, 1, 0}), PoolOffer::Stored);
  EXPECT_EQ(names(), (std::vector<std::string>{"p2", "p3", "p4"})) << "names are never given twice";
}

TEST_F(SolutionPoolTest, RefusesWhatTheModelDoesNotAllowWithoutCountingIt) {
  EXPECT_EQ(offer({0, 0, 0, 0, 0, 0}), PoolOffer::NotKept) << "x4 + x5 >= 1 violated";
  EXPECT_EQ(offer({0.5, 0, 0, 0, 1, 0}), PoolOffer::NotKept) << "fractional binary";
  EXPECT_EQ(offer({0, 0, 0, 0, 11, 0}), PoolOffer::NotKept) << "above the bound";
  EXPECT_EQ(offer({1, 1, 1, 1, 1, 0}), PoolOffer::NotKept) << "x0 + .. + x3 <= 3 violated";
  EXPECT_EQ(pool->offer(*lp, {0, 0, 0, 1}, 4.0, 1), PoolOffer::NotKept) << "too few values";
  EXPECT_EQ(pool->offered_total(), 0);
}

TEST_F(SolutionPoolTest, DiversityFilterMeasuresTheWeightedDistanceToItsReference) {
  PoolFilter unweighted;  // |x0 - 1| + |x1 - 0| + |x2 - 1| in [1, 2]
  unweighted.type = FilterType::Diversity;
  unweighted.lower = 1;
  unweighted.upper = 2;
  unweighted.cols = {0, 1, 2};
  unweighted.values = {1, 0, 1};
  const double near[] = {1, 0, 1, 0, 1, 0}, one[] = {0, 0, 1, 0, 1, 0}, three[] = {0, 1, 0, 0, 1, 0};
  EXPECT_DOUBLE_EQ(korva::mip::filter_measure(unweighted, *lp, near, 1e-5), 0.0);
  EXPECT_DOUBLE_EQ(korva::mip::filter_measure(unweighted, *lp, one, 1e-5), 1.0);
  EXPECT_DOUBLE_EQ(korva::mip::filter_measure(unweighted, *lp, three, 1e-5), 3.0);
  // A binary a little off its integer counts as that integer.
  const double noisy[] = {0.999999, 0, 1, 0, 1, 0};
  EXPECT_DOUBLE_EQ(korva::mip::filter_measure(unweighted, *lp, noisy, 1e-5), 0.0);

  PoolFilter weighted = unweighted;
  weighted.weights = {0.5, 4, 1};
  EXPECT_DOUBLE_EQ(korva::mip::filter_measure(weighted, *lp, one, 1e-5), 0.5);
  EXPECT_DOUBLE_EQ(korva::mip::filter_measure(weighted, *lp, three, 1e-5), 5.5);

  pool->filters.push_back(unweighted);
  EXPECT_EQ(offer({1, 0, 1, 0, 1, 0}), PoolOffer::Rejected) << "distance 0 below the lower cutoff";
  EXPECT_EQ(offer({0, 0, 1, 0, 1, 0}), PoolOffer::Stored);
  EXPECT_EQ(offer({0, 0, 0, 0, 1, 0}), PoolOffer::Stored) << "distance 2 at the upper cutoff";
  EXPECT_EQ(offer({0, 1, 0, 0, 1, 0}), PoolOffer::Rejected);
  EXPECT_EQ(pool->rejected, 2);
  EXPECT_EQ(pool->offered_total(), 4);
}

TEST_F(SolutionPoolTest, RangeFilterBoundsItsExpressionAndTheFirstFailingFilterRejects) {
  PoolFilter range;  // 2 x4 + x5 in [3, 5]
  range.type = FilterType::Range;
  range.lower = 3;
  range.upper = 5;
  range.cols = {4, 5};
  range.values = {2, 1};
  pool->filters.push_back(range);
  EXPECT_EQ(offer({0, 0, 0, 0, 1, 0}), PoolOffer::Rejected) << "2 < 3";
  EXPECT_EQ(offer({0, 0, 0, 0, 1, 1}), PoolOffer::Stored) << "3";
  EXPECT_EQ(offer({0, 0, 0, 0, 2, 1}), PoolOffer::Stored) << "5";
  EXPECT_EQ(offer({0, 0, 0, 0, 2, 1.5}), PoolOffer::Rejected) << "5.5";

  PoolFilter never = range;  // an empty interval refuses everything
  never.lower = 1;
  never.upper = 0;
  never.cols.clear();
  never.values.clear();
  pool->filters.insert(pool->filters.begin(), never);
  EXPECT_EQ(offer({0, 0, 0, 0, 1, 1.25}), PoolOffer::Rejected);
  EXPECT_EQ(pool->rejected, 3);
  EXPECT_EQ(pool->num_solutions(), 2);
}

TEST_F(SolutionPoolTest, GapFilterFollowsTheBestObjectiveAndPurgesWhatFallsOutside) {
  settings(2100000000, 0, 0.5, 1e75);
  EXPECT_EQ(offer({0, 0, 0, 1, 4, 0}), PoolOffer::Stored);   // 8: the first reference
  EXPECT_EQ(offer({0, 0, 0, 1, 9, 0}), PoolOffer::Rejected);  // 13 > 8 + 0.5 * 8
  EXPECT_EQ(offer({0, 0, 1, 0, 9, 0}), PoolOffer::Stored);   // 12, just within
  EXPECT_EQ(offer({0, 0, 0, 0, 4, 0}), PoolOffer::Stored);   // 4: the new reference
  // With reference 4 the tolerance is 2: 8 and 12 fall outside and leave.
  EXPECT_EQ(pool->num_solutions(), 1);
  EXPECT_EQ(pool->replaced, 2);
  EXPECT_EQ(pool->rejected, 1);
  EXPECT_EQ(pool->offered_total(), 4);
  EXPECT_EQ(pool->gap.reference, 4.0);
  pool->note_incumbent(*lp, 2.0);
  EXPECT_EQ(pool->num_solutions(), 0) << "4 is beyond 2 + 1";
  EXPECT_EQ(pool->replaced, 3);
}

TEST_F(SolutionPoolTest, MaximisationKeepsTheGapInTheMinimisationSense) {
  settings(2100000000, 0, 1e75, 1.0);
  EXPECT_EQ(pool->offer(*lp, {0, 0, 0, 0, 5, 0}, 5.0, -1), PoolOffer::Stored);
  EXPECT_EQ(pool->offer(*lp, {0, 0, 0, 0, 3, 0}, 3.0, -1), PoolOffer::Rejected) << "2 worse than 5";
  EXPECT_EQ(pool->offer(*lp, {0, 0, 0, 0, 4, 0}, 4.0, -1), PoolOffer::Stored);
  EXPECT_EQ(pool->gap.reference, -5.0);
}

TEST_F(SolutionPoolTest, FirstInFirstOutDropsTheOldest) {
  settings(2, 0);
  for (double v : {1.0, 2.0, 3.0, 4.0}) EXPECT_EQ(offer({0, 0, 0, 0, v, 0}), PoolOffer::Stored);
  EXPECT_EQ(names(), (std::vector<std::string>{"p3", "p4"}));
  EXPECT_EQ(pool->replaced, 2);
  EXPECT_EQ(pool->offered_total(), 4);
}

TEST_F(SolutionPoolTest, WorstObjectivePolicyKeepsTheBest) {
  settings(2, 1);
  EXPECT_EQ(offer({0, 0, 0, 0, 5, 0}), PoolOffer::Stored);  // p1: 5
  EXPECT_EQ(offer({0, 0, 0, 0, 3, 0}), PoolOffer::Stored);  // p2: 3
  EXPECT_EQ(offer({0, 0, 0, 0, 4, 0}), PoolOffer::Stored);  // p3: 4 replaces 5
  EXPECT_EQ(offer({0, 0, 0, 0, 6, 0}), PoolOffer::NotKept) << "no better than the worst";
  EXPECT_EQ(offer({0, 0, 0, 0, 4, 0.5}), PoolOffer::NotKept) << "4.5 is worse than 4";
  EXPECT_EQ(names(), (std::vector<std::string>{"p2", "p3"}));
  EXPECT_EQ(pool->replaced, 3);
  EXPECT_EQ(pool->offered_total(), 5);
}

TEST_F(SolutionPoolTest, DiversityPolicyDropsTheSolutionNearestToTheOthers) {
  settings(3, 2);
  EXPECT_EQ(offer({0, 0, 0, 0, 1, 0}), PoolOffer::Stored);   // a
  EXPECT_EQ(offer({1, 1, 1, 0, 1, 0}), PoolOffer::Stored);   // b: 3 from a
  EXPECT_EQ(offer({0, 0, 0, 0, 10, 0}), PoolOffer::Stored);  // c: 9 from a
  // d lies 1 from a: a and d are the crowded pair; d is worse (2 > 1) and goes.
  EXPECT_EQ(offer({1, 0, 0, 0, 1, 0}), PoolOffer::NotKept);
  EXPECT_EQ(names(), (std::vector<std::string>{"p1", "p2", "p3"}));
  // f lies 1 from a and is worse: f goes.
  EXPECT_EQ(offer({0, 0, 0, 0, 2, 0}), PoolOffer::NotKept);
  // g lies 7 or more from the others: now a and b (3 apart) are the
  // crowded pair, and b, the worse, goes.
  EXPECT_EQ(offer({0, 1, 1, 1, 6, 0}), PoolOffer::Stored);
  EXPECT_EQ(names(), (std::vector<std::string>{"p1", "p3", "p4"}));
  EXPECT_EQ(pool->replaced, 3);
}

TEST_F(SolutionPoolTest, SmallerCapacityAppliesAtOnceByThePolicy) {
  for (double v : {3.0, 1.0, 2.0, 4.0}) ASSERT_EQ(offer({0, 0, 0, 0, v, 0}), PoolOffer::Stored);
  settings(3, 0);
  EXPECT_EQ(names(), (std::vector<std::string>{"p2", "p3", "p4"}));
  settings(1, 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"p2"})) << "the best objective stays";
  EXPECT_EQ(pool->replaced, 3);
  settings(0, 0);
  EXPECT_EQ(pool->num_solutions(), 0);
  EXPECT_EQ(offer({0, 0, 0, 0, 5, 0}), PoolOffer::NotKept);
  EXPECT_EQ(pool->replaced, 5);
}

TEST_F(SolutionPoolTest, ModelEditsDropSolutionsButKeepFilters) {
  ASSERT_EQ(offer({0, 0, 0, 0, 1, 0}), PoolOffer::Stored);
  pool->rejected = 2;
  EXPECT_TRUE(pool->keep_after_partial_reset(static_cast<int>(korva::ChangeEvent::BasisLoaded)));
  EXPECT_EQ(pool->num_solutions(), 1);
  EXPECT_FALSE(pool->keep_after_partial_reset(static_cast<int>(korva::ChangeEvent::Bounds)))
      << "nothing left to keep";
  EXPECT_EQ(pool->num_solutions(), 0);
  EXPECT_EQ(pool->offered_total(), 0);
  EXPECT_EQ(pool->gap.reference, 1e20);

  PoolFilter f;  // a range filter that passes everything
  f.lower = -1e20;
  f.upper = 1e20;
  f.cols = {1, 4, 5};
  f.values = {1, 2, 3};
  pool->filters.push_back(f);
  ASSERT_EQ(offer({0, 0, 0, 0, 1, 0}), PoolOffer::Stored);
  EXPECT_TRUE(pool->keep_after_partial_reset(static_cast<int>(korva::ChangeEvent::AddRows)));
  EXPECT_EQ(pool->num_solutions(), 0);
  EXPECT_EQ(pool->filters.size(), 1u);
  EXPECT_FALSE(pool->keep_after_partial_reset(static_cast<int>(korva::ChangeEvent::ReplaceModel)));

  // Deleting columns 1 and 4 renumbers the rest and drops their entries.
  ASSERT_EQ(offer({0, 0, 0, 0, 1, 2}), PoolOffer::Stored);
  const int map[] = {0, -1, 1, 2, -1, 3};
  EXPECT_TRUE(pool->renumber_columns(map));
  EXPECT_EQ(pool->filters[0].cols, (std::vector<int>{3}));
  EXPECT_EQ(pool->filters[0].values, (std::vector<double>{3}));
  EXPECT_EQ(pool->solutions[0].x, (std::vector<double>{0, 0, 0, 2}));
  EXPECT_EQ(pool->num_cols, 4);
}

TEST_F(SolutionPoolTest, ColumnsDeletedOrAddedLeaveNothingOutOfRange) {
  const int ind[] = {4, 5};
  const double val[] = {1.0, 1.0};
  ASSERT_EQ(KRVaddsolnpoolrngfilter(env, lp, 1.0, 20.0, 2, ind, val, "r"), 0);
  ASSERT_EQ(offer({0, 0, 0, 0, 1, 0}), PoolOffer::Stored);
  ASSERT_EQ(KRVdelcols(env, lp, 5, 5), 0);
  EXPECT_EQ(KRVgetsolnpoolnumsolns(env, lp), 0);
  double lb = 0, ub = 0, v[2];
  int got[2], nz = 0, surplus = 0;
  ASSERT_EQ(KRVgetsolnpoolrngfilter(env, lp, &lb, &ub, &nz, got, v, 2, &surplus, 0), 0);
  EXPECT_EQ(std::vector<int>(got, got + nz), (std::vector<int>{4}));
  ASSERT_EQ(KRVnewcols(env, lp, 2, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(KRVgetsolnpoolrngfilter(env, lp, &lb, &ub, &nz, got, v, 2, &surplus, 0), 0);
  EXPECT_EQ(std::vector<int>(got, got + nz), (std::vector<int>{4}));
  EXPECT_EQ(korva::mip::find_solution_pool(*lp)->num_cols, 7);
}

TEST_F(SolutionPoolTest, CloneCopiesSolutionsAndFilters) {
  ASSERT_EQ(offer({0, 0, 0, 0, 1, 0}), PoolOffer::Stored);
  pool->filters.push_back(PoolFilter{});
  auto copy = pool->clone();
  auto* cloned = dynamic_cast<SolutionPool*>(copy.get());
  ASSERT_NE(cloned, nullptr);
  EXPECT_EQ(cloned->num_solutions(), 1);
  EXPECT_EQ(cloned->filters.size(), 1u);
  EXPECT_EQ(cloned->next_solution_number, 2);
}

// ---- the C interface on a seeded pool -----------------------------------------------------

TEST_F(SolutionPoolTest, QueriesReadTheSeededSolutions) {
  ASSERT_EQ(offer({1, 0, 0, 0, 2, 0.5}), PoolOffer::Stored);
  ASSERT_EQ(offer({0, 1, 1, 0, 1, 0}), PoolOffer::Stored);
  EXPECT_EQ(KRVgetsolnpoolnumsolns(env, lp), 2);
  EXPECT_EQ(KRVgetsolnpoolnumreplaced(env, lp), 0);
  double z = 0;
  ASSERT_EQ(KRVgetsolnpoolobjval(env, lp, 1, &z), 0);
  EXPECT_DOUBLE_EQ(z, 6.0);
  ASSERT_EQ(KRVgetsolnpoolmeanobjval(env, lp, &z), 0);
  EXPECT_DOUBLE_EQ(z, (3.5 + 6.0) / 2);
  double x[3];
  ASSERT_EQ(KRVgetsolnpoolx(env, lp, 0, x, 3, 5), 0);
  EXPECT_EQ(std::vector<double>(x, x + 3), (std::vector<double>{0, 2, 0.5}));
  double slack[3];
  ASSERT_EQ(KRVgetsolnpoolslack(env, lp, 0, slack, 0, 2), 0);
  EXPECT_EQ(std::vector<double>(slack, slack + 3), (std::vector<double>{2, -1.5, 7}));
  EXPECT_EQ(KRVgetsolnpoolqconstrslack(env, lp, 0, slack, 0, -1), 0) << "an empty range of no constraints";

  errors->clear();
  EXPECT_EQ(KRVgetsolnpoolx(env, lp, 2, x, 0, 0), 1200);
  EXPECT_EQ(KRVgetsolnpoolx(env, lp, -2, x, 0, 0), 1200);
  EXPECT_EQ(KRVgetsolnpoolx(env, lp, 0, x, 0, 6), 1200);
  EXPECT_NE(errors->text().find("KRVgetsolnpoolx: 'end' value 6 is greater than 5"), std::string::npos);
  EXPECT_EQ(KRVgetsolnpoolslack(env, lp, 0, slack, -1, 0), 1200);
  EXPECT_NE(errors->text().find("KRVgetsolnpoolslack: 'begin' value -1 is less than 0"), std::string::npos);
  EXPECT_EQ(KRVgetsolnpoolx(env, lp, 0, nullptr, 0, 0), 1004);
  EXPECT_EQ(KRVgetsolnpoolx(env, lp, -1, x, 0, 0), 1217) << "no incumbent yet";
  EXPECT_EQ(KRVgetsolnpoolobjval(env, lp, 5, &z), 1200);

  char name[8];
  int surplus = 0;
  ASSERT_EQ(KRVgetsolnpoolsolnname(env, lp, name, sizeof name, &surplus, 1), 0);
  EXPECT_STREQ(name, "p2");
  EXPECT_EQ(surplus, 5);
  EXPECT_EQ(KRVgetsolnpoolsolnname(env, lp, name, 2, &surplus, 1), 1207);
  EXPECT_EQ(surplus, -1);
  EXPECT_EQ(KRVgetsolnpoolsolnname(env, lp, nullptr, 0, &surplus, 0), 1207);
  int index = -1;
  ASSERT_EQ(KRVgetsolnpoolsolnindex(env, lp, "p2", &index), 0);
  EXPECT_EQ(index, 1);
  errors->clear();
  EXPECT_EQ(KRVgetsolnpoolsolnindex(env, lp, "p9", &index), 1210);
  EXPECT_EQ(errors->text(), "") << "an unknown name is not printed";
}

TEST_F(SolutionPoolTest, DeletingSolutionsRenumbersAndFreesAnEmptyPool) {
  for (double v : {1.0, 2.0, 3.0, 4.0}) ASSERT_EQ(offer({0, 0, 0, 0, v, 0}), PoolOffer::Stored);
  EXPECT_EQ(KRVdelsolnpoolsolns(env, lp, 1, 4), 1200);
  EXPECT_EQ(KRVgetsolnpoolnumsolns(env, lp), 4) << "a bad range deletes nothing";
  ASSERT_EQ(KRVdelsolnpoolsolns(env, lp, 1, 1), 0);
  int delstat[] = {1, 0, 1};
  ASSERT_EQ(KRVdelsetsolnpoolsolns(env, lp, delstat), 0);
  EXPECT_EQ(std::vector<int>(delstat, delstat + 3), (std::vector<int>{-1, 0, -1}));
  EXPECT_EQ(names(), (std::vector<std::string>{"p3"}));
  EXPECT_EQ(KRVgetsolnpoolnumreplaced(env, lp), 0) << "deleting is not replacing";
  ASSERT_EQ(KRVdelsolnpoolsolns(env, lp, 0, 0), 0);
  double z = 0;
  EXPECT_EQ(KRVgetsolnpoolmeanobjval(env, lp, &z), 3024) << "the emptied pool is gone";
  EXPECT_EQ(KRVgetsolnpoolnumsolns(env, lp), 0);
}

TEST_F(SolutionPoolTest, FixingAtAPoolSolutionAndBack) {
  ASSERT_EQ(offer({1, 0, 0, 0, 2, 0.5}), PoolOffer::Stored);
  ASSERT_EQ(offer({0, 1, 1, 0, 3, 0}), PoolOffer::Stored);
  EXPECT_EQ(KRVchgprobtypesolnpool(env, lp, KRVPROB_FIXEDMILP, 2), 1200);
  EXPECT_EQ(KRVchgprobtypesolnpool(env, lp, KRVPROB_FIXEDMIQP, 0), 1029) << "no quadratic objective";
  EXPECT_EQ(KRVchgprobtypesolnpool(env, lp, 2, 0), 1022);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_MILP);

  double lb[6], ub[6];
  for (int soln : {0, 1}) {
    ASSERT_EQ(KRVchgprobtypesolnpool(env, lp, KRVPROB_FIXEDMILP, soln), 0);
    EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_FIXEDMILP);
    ASSERT_EQ(KRVgetlb(env, lp, lb, 0, 5), 0);
    ASSERT_EQ(KRVgetub(env, lp, ub, 0, 5), 0);
    const std::vector<double>& x = pool->solutions[static_cast<size_t>(soln)].x;
    for (int j = 0; j < 5; ++j) {
      EXPECT_EQ(lb[j], x[j]) << soln << " " << j;
      EXPECT_EQ(ub[j], x[j]) << soln << " " << j;
    }
    EXPECT_EQ(lb[5], 0.0) << "the continuous column stays free";
    EXPECT_EQ(ub[5], 100.0);
    EXPECT_EQ(KRVgetsolnpoolnumsolns(env, lp), 2) << "the pool survives fixing";
  }
  ASSERT_EQ(KRVchgprobtypesolnpool(env, lp, KRVPROB_MILP, -1), 0);
  EXPECT_EQ(KRVgetprobtype(env, lp), KRVPROB_MILP);
  ASSERT_EQ(KRVgetlb(env, lp, lb, 0, 5), 0);
  ASSERT_EQ(KRVgetub(env, lp, ub, 0, 5), 0);
  EXPECT_EQ(std::vector<double>(lb, lb + 6), model.lb);
  EXPECT_EQ(std::vector<double>(ub, ub + 6), model.ub);
  EXPECT_EQ(KRVgetsolnpoolnumsolns(env, lp), 2) << "and going back";
}

}  // namespace
