// Nested searches on a neighbourhood of a model: the answer is a solution
// of the whole model, the neighbourhood's bounds, rows and objective hold,
// and the caller's parameters and messages are untouched.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "env/environment.h"
#include "mip/mip_model.h"
#include "mip/mip_test_support.h"
#include "mip/solution_check.h"
#include "mip/sub_mip.h"

namespace {

using korva::mip::BoundChange;
using korva::mip::MipModel;
using korva::mip::SubMipRequest;
using korva::mip::SubMipResult;

class SubMip : public mip_test::MipTest {
 protected:
  void read_model(const std::string& name) {
    read_collection_model(name);
    korva::mip::build_mip_model(*lp, model);
  }
  bool feasible(const std::vector<double>& x) const {
    std::vector<double> copy = x;
    return korva::mip::settle_solution(model, copy, 1e-5, 1e-6);
  }
  MipModel model;
};

TEST_F(SubMip, FindsTheOptimumOfTheWholeModelSilentlyAndRestoresTheParameters) {
  read_model("p0201");
  ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_NODELIM, 77), 0);
  const std::string before = results->text();
  SubMipRequest request;
  request.node_limit = 100000;
  SubMipResult result;
  ASSERT_EQ(korva::mip::solve_sub_mip(*env, model, request, result), 0);
  ASSERT_TRUE(result.found);
  EXPECT_TRUE(result.proved);
  EXPECT_NEAR(result.objective, 7615.0, 1e-6);
  EXPECT_TRUE(feasible(result.x));
  long long nodelim = 0;
  ASSERT_EQ(KRVgetlongparam(env, KRV_PARAM_NODELIM, &nodelim), 0);
  EXPECT_EQ(nodelim, 77);
  EXPECT_EQ(results->text(), before);
  EXPECT_FALSE(korva::mip::inside_sub_mip(*env));
}

TEST_F(SubMip, NeighbourhoodBoundsRowsCutoffAndObjectiveHold) {
  read_model("p0201");
  SubMipRequest request;
  request.node_limit = 300;
  // Fix the first ten columns at 0 and ask for at most 20 ones overall.
  for (int j = 0; j < 10; ++j) request.bounds.push_back({j, -INFINITY, 0.0});
  korva::mip::SubMipRow row;
  for (int j = 0; j < model.num_cols; ++j) {
    row.cols.push_back(j);
    row.vals.push_back(1.0);
  }
  row.hi = 20.0;
  request.rows.push_back(row);
  SubMipResult result;
  ASSERT_EQ(korva::mip::solve_sub_mip(*env, model, request, result), 0);
  if (result.found) {
    EXPECT_TRUE(feasible(result.x));
    double ones = 0.0;
    for (int j = 0; j < model.num_cols; ++j) ones += result.x[j];
    EXPECT_LE(ones, 20.0 + 1e-6);
    for (int j = 0; j < 10; ++j) EXPECT_EQ(result.x[j], 0.0);
  }

  // Nothing below the optimum exists: the cutoff proves it.
  SubMipRequest tight;
  tight.node_limit = 100000;
  tight.cutoff = 7615.0 - 1e-3;
  ASSERT_EQ(korva::mip::solve_sub_mip(*env, model, tight, result), 0);
  EXPECT_FALSE(result.found);
  EXPECT_TRUE(result.proved);

  // Another objective (zero: any feasible point) with the model's cutoff:
  // what comes back is cheaper than the cutoff on the model's objective.
  SubMipRequest feasibility;
  feasibility.node_limit = 100000;
  feasibility.objective.assign(model.num_cols, 0.0);
  feasibility.cutoff = 8000.0;
  feasibility.stop_at_first = true;
  ASSERT_EQ(korva::mip::solve_sub_mip(*env, model, feasibility, result), 0);
  ASSERT_TRUE(result.found);
  EXPECT_LT(result.objective, 8000.0);
  EXPECT_TRUE(feasible(result.x));
}

TEST_F(SubMip, CrossedBoundsGiveNoSolutionAndNoError) {
  read_model("p0201");
  SubMipRequest request;
  request.bounds.push_back({0, 1.0, 0.0});
  SubMipResult result;
  EXPECT_EQ(korva::mip::solve_sub_mip(*env, model, request, result), 0);
  EXPECT_FALSE(result.found);
}

}  // namespace
