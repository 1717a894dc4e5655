// The generated priority orders themselves (KRV_PARAM_MIPORDTYPE 1, 2, 3),
// read straight from the generator: the hand-worked orders of a small model
// of every column type, the clamping of huge integer domains, the costless
// model, the types that do not exist, and the shape of the orders on
// collection models. What the search does with them is priority_order_test.cpp.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "mip/priority_models.h"
#include "mip/priority_order.h"
#include "model/problem.h"

namespace {

using korva::PriorityOrder;

class GeneratedOrder : public mip_test::MipTest {
 protected:
  int generate(int type, PriorityOrder& order) {
    return korva::mip::generate_priority_order(*env, *lp, type, order);
  }
  // Priority by column (0: not in the order).
  std::map<int, int> by_column(const PriorityOrder& order) {
    std::map<int, int> p;
    for (size_t k = 0; k < order.indices.size(); ++k) p[order.indices[k]] = order.priority[k];
    return p;
  }
  std::vector<char> ctypes() {
    const int n = KRVgetnumcols(env, lp);
    std::vector<char> t(n);
    EXPECT_EQ(KRVgetctype(env, lp, t.data(), 0, n - 1), 0);
    return t;
  }
};

TEST_F(GeneratedOrder, EachTypeGivesTheHandWorkedOrdersOfSmallModels) {
  struct Case {
    const char* name;
    mip_test::SmallMip model;
    std::vector<priority_test::ExpectedOrder> orders;
  };
  const Case cases[] = {
      {"mixed", priority_test::mixed_model(), priority_test::mixed_model_orders()},
      {"knapsack", priority_test::knapsack_model(), priority_test::knapsack_model_orders()},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.model.load(env, lp), 0) << c.name;
    for (const auto& expected : c.orders) {
      const std::string what = std::string(c.name) + " type " + std::to_string(expected.type);
      PriorityOrder order;
      ASSERT_EQ(generate(expected.type, order), 0) << what;
      EXPECT_EQ(order.indices, expected.indices) << what;
      EXPECT_EQ(order.priority, expected.priority) << what;
      EXPECT_EQ(order.direction, std::vector<int>(expected.indices.size(), 0)) << what;
    }
  }
}

TEST_F(GeneratedOrder, HugeIntegerDomainsAreClampedBeforeTheRangeIsTaken) {
  // Columns: binary, integer [-3e9, 3e9] (counted as [-1.05e9, 1.05e9],
  // range 2.1e9 = R), integer [0, 5], continuous.
  mip_test::SmallMip m;
  m.ctype = {'B', 'I', 'I', 'C'};
  m.obj = {1, 1, 1, 1};
  m.lb = {0, -3e9, 0, 0};
  m.ub = {1, 3e9, 5, 1};
  m.rows = {{{{0, 1}, {1, 1}, {2, 1}, {3, 1}}, 'L', 4}};
  ASSERT_EQ(m.load(env, lp), 0);
  PriorityOrder order;
  ASSERT_EQ(generate(2, order), 0);
  EXPECT_EQ(order.indices, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(order.priority, (std::vector<int>{2100000002, 2, 2099999997}));
}

TEST_F(GeneratedOrder, WithoutCostsEveryIntegerColumnGetsPriorityOne) {
  mip_test::SmallMip m = priority_test::mixed_model();
  std::fill(m.obj.begin(), m.obj.end(), 0.0);
  m.obj[0] = 7;      // a continuous cost does not count
  m.obj[3] = 1e-11;  // nor does one this small
  ASSERT_EQ(m.load(env, lp), 0);
  for (int type : {1, 3}) {
    PriorityOrder order;
    ASSERT_EQ(generate(type, order), 0);
    EXPECT_EQ(order.indices, (std::vector<int>{1, 2, 3, 4, 5, 6, 7})) << type;
    EXPECT_EQ(order.priority, std::vector<int>(7, 1)) << type;
  }
}

TEST_F(GeneratedOrder, TypesOutsideOneToThreeAreBadArguments) {
  ASSERT_EQ(priority_test::mixed_model().load(env, lp), 0);
  for (int type : {0, 4, -1, 1003}) {
    PriorityOrder order;
    order.indices = {1};
    EXPECT_EQ(generate(type, order), 1003) << type;
    EXPECT_TRUE(order.indices.empty()) << type;
  }
  EXPECT_EQ(results->text().find("Generated priority order"), std::string::npos);
}

TEST_F(GeneratedOrder, TheMessageNamesTheRuleUnlessTheMipDisplayIsOff) {
  ASSERT_EQ(priority_test::mixed_model().load(env, lp), 0);
  for (int type : {1, 2, 3}) {
    results->clear();
    PriorityOrder order;
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 1), 0);
    ASSERT_EQ(generate(type, order), 0);
    EXPECT_EQ(results->text(), priority_test::order_message(type));
    results->clear();
    ASSERT_EQ(KRVsetintparam(env, KRV_PARAM_MIPDISPLAY, 0), 0);
    ASSERT_EQ(generate(type, order), 0);
    EXPECT_EQ(results->text(), "");
  }
}

// p0033: 33 binaries with costs. By cost, a dearer column never ranks
// below a cheaper one (type 1), and per coefficient the other way round
// (type 3); by range every binary shares the top priority R + 2 = 3.
TEST_F(GeneratedOrder, OrdersOfAnAllBinaryCollectionModelFollowTheirMeasure) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection_model("p0033");
  const int n = KRVgetnumcols(env, lp);
  std::vector<double> obj(n);
  ASSERT_EQ(KRVgetobj(env, lp, obj.data(), 0, n - 1), 0);
  std::vector<double> per_coefficient(n);
  for (int j = 0; j < n; ++j) {
    int nz = 0, beg = 0, surplus = 0;
    std::vector<int> ind(64);
    std::vector<double> val(64);
    ASSERT_EQ(KRVgetcols(env, lp, &nz, &beg, ind.data(), val.data(), 64, &surplus, j, j), 0);
    per_coefficient[j] = std::fabs(obj[j]) / nz;
  }
  PriorityOrder cost, range, ratio;
  ASSERT_EQ(generate(1, cost), 0);
  ASSERT_EQ(generate(2, range), 0);
  ASSERT_EQ(generate(3, ratio), 0);
  ASSERT_EQ(cost.indices.size(), static_cast<size_t>(n));
  ASSERT_EQ(ratio.indices.size(), static_cast<size_t>(n));
  EXPECT_EQ(range.priority, std::vector<int>(n, 3));
  const auto pc = by_column(cost), pr = by_column(ratio);
  int levels = 0;
  for (int a = 0; a < n; ++a) {
    levels = std::max(levels, pc.at(a));
    for (int b = 0; b < n; ++b) {
      if (std::fabs(obj[a]) < std::fabs(obj[b])) {
        EXPECT_LE(pc.at(a), pc.at(b)) << a << " " << b;
      }
      if (per_coefficient[a] < per_coefficient[b]) {
        EXPECT_GE(pr.at(a), pr.at(b)) << a << " " << b;
      }
    }
  }
  EXPECT_GT(levels, 2);  // the costs do set columns apart
  EXPECT_EQ(*std::min_element(ratio.priority.begin(), ratio.priority.end()), 1);
}

// bell3a mixes continuous, binary and general integer columns: the
// continuous ones stay out, the binaries share the top priority, and a
// narrower integer domain never ranks below a wider one.
TEST_F(GeneratedOrder, RangeOrderOfAMixedCollectionModel) {
  KORVA_REQUIRE_SHARED_DATA();
  read_collection_model("bell3a");
  const int n = KRVgetnumcols(env, lp);
  const std::vector<char> type = ctypes();
  std::vector<double> lb(n), ub(n);
  ASSERT_EQ(KRVgetlb(env, lp, lb.data(), 0, n - 1), 0);
  ASSERT_EQ(KRVgetub(env, lp, ub.data(), 0, n - 1), 0);
  PriorityOrder order;
  ASSERT_EQ(generate(2, order), 0);
  const auto p = by_column(order);
  const int top = *std::max_element(order.priority.begin(), order.priority.end());
  int integers = 0;
  for (int j = 0; j < n; ++j) {
    if (type[j] == 'C') {
      EXPECT_EQ(p.count(j), 0u) << j;
      continue;
    }
    ASSERT_EQ(p.count(j), 1u) << j;
    if (type[j] == 'B') {
      EXPECT_EQ(p.at(j), top) << j;
      continue;
    }
    ++integers;
    EXPECT_LT(p.at(j), top) << j;
    const double range = ub[j] >= 1e20 ? 1e20 : std::floor(ub[j] - lb[j]);
    for (int k = 0; k < n; ++k) {
      if (type[k] != 'I') continue;
      const double other = ub[k] >= 1e20 ? 1e20 : std::floor(ub[k] - lb[k]);
      if (range < other) {
        EXPECT_GE(p.at(j), p.at(k)) << j << " " << k;
      }
    }
  }
  EXPECT_GT(integers, 0);
}

}  // namespace
