// Flow cover and flow path cuts: found on the small fixed-charge models
// they are made for, valid on every random model (checked against every
// integer assignment), and quick to give up where there is no flow.
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "mip/cut_validity.h"
#include "mip/cuts/flow_cover_cuts.h"
#include "mip/cuts/flow_path_cuts.h"

namespace {

using cut_check::CutValidity;
using korva::mip::Cut;
using korva::mip::MipModel;
using korva::mip::SeparationInput;
using mip_test::Row;
using mip_test::SmallMip;

using cut_check::input_of;

// Adds a column and returns its index.
int add_column(SmallMip& m, char type, double lb, double ub, double cost = 0.0) {
  m.ctype.push_back(type);
  m.lb.push_back(lb);
  m.ub.push_back(ub);
  m.obj.push_back(cost);
  return m.num_cols() - 1;
}

// A flow y in [0, ub] switched by a new binary z: y - u·z <= 0. Returns y.
int add_switched_flow(SmallMip& m, double u, double ub, int* binary) {
  const int y = add_column(m, 'C', 0.0, ub);
  const int z = add_column(m, 'B', 0.0, 1.0);
  m.rows.push_back({{{y, 1.0}, {z, -u}}, 'L', 0.0});
  if (binary) *binary = z;
  return y;
}

// The LP optimum of m with a random objective, or empty when it has none.
std::vector<double> lp_point(KRVenv env, KRVprob lp, SmallMip m, std::mt19937& rng) {
  std::uniform_int_distribution<int> cost(-6, 6);
  for (double& c : m.obj) c = cost(rng);
  if (m.load(env, lp, true) != 0 || KRVlpopt(env, lp) != 0 || KRVgetstat(env, lp) != 1) return {};
  std::vector<double> x(m.num_cols());
  if (KRVgetx(env, lp, x.data(), 0, m.num_cols() - 1) != 0) return {};
  return x;
}

// A point in the box of m, flows switched by their binaries' values.
std::vector<double> box_point(const SmallMip& m, std::mt19937& rng) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> x(m.num_cols());
  for (int j = 0; j < m.num_cols(); ++j) x[j] = m.lb[j] + unit(rng) * (m.ub[j] - m.lb[j]);
  return x;
}

// One node: flows in and out, some switched, a binary of its own, a
// bounded flow without switch; its row is an inequality of either sense.
SmallMip random_single_node(std::mt19937& rng) {
  std::uniform_int_distribution<int> cap(2, 9), pick(0, 3), rhs(2, 12);
  SmallMip m;
  Row node;
  int first_switch = -1;
  for (int k = 0; k < 4; ++k) {
    const double u = cap(rng);
    const int y = add_switched_flow(m, u, u + pick(rng), k == 0 ? &first_switch : nullptr);
    node.entries.emplace_back(y, k == 3 ? -1.0 : (pick(rng) == 0 ? 2.0 : 1.0));
  }
  // Sometimes the node's own binary is the switch of one of its flows.
  const int own = pick(rng) == 0 ? first_switch : add_column(m, 'B', 0.0, 1.0);
  node.entries.emplace_back(own, pick(rng) % 2 ? cap(rng) : -cap(rng));
  const double lowest[4] = {0.0, 1.0, -3.0, 0.0};
  const int free_flow = add_column(m, 'C', lowest[pick(rng)], cap(rng));
  node.entries.emplace_back(free_flow, pick(rng) % 2 ? 1.0 : -1.0);
  node.sense = pick(rng) == 0 ? 'G' : 'L';
  node.rhs = rhs(rng);
  if (node.sense == 'G') {
    for (auto& e : node.entries) e.second = -e.second;
    node.rhs = -node.rhs;
  }
  m.rows.push_back(node);
  return m;
}

// A small fixed-charge network: nodes with demands, switched arcs between
// random pairs, a supply into some node and a switched sale out of one.
SmallMip random_network(std::mt19937& rng) {
  std::uniform_int_distribution<int> node_count(2, 4), demand(-2, 5), cap(3, 10), pick(0, 3);
  const int nodes = node_count(rng);
  std::uniform_int_distribution<int> node_of(0, nodes - 1);
  SmallMip m;
  std::vector<Row> rows(static_cast<size_t>(nodes));
  for (Row& r : rows) {
    r.sense = 'E';
    r.rhs = demand(rng);
  }
  const int arcs = 5 - nodes / 3;
  for (int a = 0; a < arcs; ++a) {
    const int from = node_of(rng);
    int to = node_of(rng);
    if (to == from) to = (from + 1) % nodes;
    const double u = cap(rng);
    const int y = add_switched_flow(m, u, u + pick(rng), nullptr);
    rows[from].entries.emplace_back(y, -1.0);
    rows[to].entries.emplace_back(y, 1.0);
  }
  const int supply = add_column(m, 'C', 0.0, 30.0);
  rows[node_of(rng)].entries.emplace_back(supply, 1.0);
  if (pick(rng) != 0) {
    const int sale = add_switched_flow(m, cap(rng), 20.0, nullptr);
    rows[node_of(rng)].entries.emplace_back(sale, -1.0);
  }
  for (Row& r : rows)
    if (!r.entries.empty()) m.rows.push_back(r);
  return m;
}

// Runs both separators at x and checks every cut; counts what was checked.
struct Tally {
  int covers = 0, paths = 0, points = 0;
};

class FlowCuts : public CutValidity {
 protected:
  void check_all(const SmallMip& m, const std::vector<double>& x, const std::string& what, Tally& tally) {
    ASSERT_EQ(m.load(env, lp), 0);
    MipModel model;
    korva::mip::build_mip_model(*lp, model);
    const SeparationInput in = input_of(model, x);
    std::vector<Cut> cuts;
    korva::mip::separate_flow_covers(in, model.num_rows, cuts);
    const size_t covers = cuts.size();
    korva::mip::separate_flow_paths(in, model.num_rows, cuts);
    for (size_t k = 0; k < cuts.size(); ++k) {
      const Cut& c = cuts[k];
      EXPECT_EQ(c.family, k < covers ? korva::mip::kFlowCoverCuts : korva::mip::kFlowPathCuts);
      EXPECT_GT(c.efficacy(x.data()), 1e-4) << what << ": a cut that does not cut the point off";
      tally.points += expect_valid(m, c, what + ", cut " + std::to_string(k));
      ++(k < covers ? tally.covers : tally.paths);
    }
  }
};

TEST_F(FlowCuts, CoverCutsOnRandomSingleNodesRemoveNoFeasiblePoint) {
  std::mt19937 rng(3);
  Tally tally;
  for (int k = 0; k < 150; ++k) {
    const SmallMip m = random_single_node(rng);
    const std::string what = "node " + std::to_string(k);
    std::vector<double> x = lp_point(env, check_lp, m, rng);
    if (!x.empty()) check_all(m, x, what + " at its LP optimum", tally);
    check_all(m, box_point(m, rng), what + " in its box", tally);
  }
  EXPECT_GE(tally.covers, 50);
  EXPECT_GE(tally.points, 500);
}

TEST_F(FlowCuts, PathAndCoverCutsOnRandomNetworksRemoveNoFeasiblePoint) {
  std::mt19937 rng(11);
  Tally tally;
  for (int k = 0; k < 200; ++k) {
    const SmallMip m = random_network(rng);
    const std::string what = "network " + std::to_string(k);
    std::vector<double> x = lp_point(env, check_lp, m, rng);
    if (!x.empty()) check_all(m, x, what + " at its LP optimum", tally);
    check_all(m, box_point(m, rng), what + " in its box", tally);
  }
  EXPECT_GE(tally.paths, 100);
  EXPECT_GE(tally.covers, 50);
  EXPECT_GE(tally.points, 1000);
}

TEST_F(FlowCuts, CutsOnModelsOfEveryKindRemoveNoFeasiblePoint) {
  std::mt19937 rng(5);
  Tally tally;
  for (int k = 0; k < 100; ++k) {
    const SmallMip m = cut_check::random_model(rng);
    for (int p = 0; p < 3; ++p)
      check_all(m, box_point(m, rng), "model " + std::to_string(k) + ", point " + std::to_string(p), tally);
  }
  EXPECT_GE(tally.covers, 50);
}

// y1 + y2 + y3 <= 10 with y_j <= 7·z_j: the LP point (7, 3, 0) with
// z = (1, 3/7, 0) is cut off by the flow cover {1, 2} (λ = 4):
// y1 + y2 + 3·(1 - z1) + 3·(1 - z2) <= 10.
TEST_F(FlowCuts, FlowCoverOfOneNodeCutsOffItsLpPoint) {
  SmallMip m;
  int z[3];
  std::vector<int> y;
  for (int k = 0; k < 3; ++k) y.push_back(add_switched_flow(m, 7.0, 7.0, &z[k]));
  m.rows.push_back({{{y[0], 1.0}, {y[1], 1.0}, {y[2], 1.0}}, 'L', 10.0});
  ASSERT_EQ(m.load(env, lp), 0);
  MipModel model;
  korva::mip::build_mip_model(*lp, model);
  std::vector<double> x(m.num_cols(), 0.0);
  x[y[0]] = 7.0;
  x[z[0]] = 1.0;
  x[y[1]] = 3.0;
  x[z[1]] = 3.0 / 7.0;
  std::vector<Cut> cuts;
  korva::mip::separate_flow_covers(input_of(model, x), model.num_rows, cuts);
  ASSERT_EQ(cuts.size(), 1u);
  const Cut& c = cuts[0];
  EXPECT_EQ(c.family, korva::mip::kFlowCoverCuts);
  EXPECT_GT(c.activity(x.data()) - c.rhs, 1.0);
  expect_valid(m, c, "single node");
  // The classic inequality, scaled: y1 + y2 - 3·z1 - 3·z2 <= 4.
  std::vector<double> dense(m.num_cols(), 0.0);
  for (size_t k = 0; k < c.index.size(); ++k) dense[c.index[k]] = c.value[k];
  const double scale = dense[y[0]];
  ASSERT_GT(scale, 0.0);
  EXPECT_NEAR(dense[y[1]] / scale, 1.0, 1e-9);
  EXPECT_NEAR(dense[z[0]] / scale, -3.0, 1e-9);
  EXPECT_NEAR(dense[z[1]] / scale, -3.0, 1e-9);
  EXPECT_NEAR(c.rhs / scale, 4.0, 1e-6);
}

// Lot sizing over four periods: s_{t-1} + x_t - s_t = d_t, x_t <= 20·z_t.
// Producing all of it in period 1 with z1 = 1/2 breaks the path inequality
// of periods 1..4: x1 <= 10·z1 + s4.
TEST_F(FlowCuts, FlowPathThroughLotSizingPeriodsCutsOffItsLpPoint) {
  const double demand[4] = {2, 3, 4, 1};
  SmallMip m;
  int x[4], z[4], s[4];
  for (int t = 0; t < 4; ++t) {
    x[t] = add_switched_flow(m, 20.0, 20.0, &z[t]);
    s[t] = add_column(m, 'C', 0.0, 20.0);
  }
  for (int t = 0; t < 4; ++t) {
    Row r;
    if (t > 0) r.entries.emplace_back(s[t - 1], 1.0);
    r.entries.emplace_back(x[t], 1.0);
    r.entries.emplace_back(s[t], -1.0);
    r.sense = 'E';
    r.rhs = demand[t];
    m.rows.push_back(r);
  }
  ASSERT_EQ(m.load(env, lp), 0);
  MipModel model;
  korva::mip::build_mip_model(*lp, model);
  std::vector<double> point(m.num_cols(), 0.0);
  point[x[0]] = 10.0;
  point[z[0]] = 0.5;
  point[s[0]] = 8.0;
  point[s[1]] = 5.0;
  point[s[2]] = 1.0;
  std::vector<Cut> cuts;
  korva::mip::separate_flow_paths(input_of(model, point), model.num_rows, cuts);
  ASSERT_FALSE(cuts.empty());
  bool whole_path = false;
  for (const Cut& c : cuts) {
    EXPECT_EQ(c.family, korva::mip::kFlowPathCuts);
    EXPECT_GT(c.activity(point.data()), c.rhs);
    expect_valid(m, c, "lot sizing");
    double on_x = 0.0, on_z = 0.0;
    for (size_t k = 0; k < c.index.size(); ++k) {
      if (c.index[k] == x[0]) on_x = c.value[k];
      if (c.index[k] == z[0]) on_z = c.value[k];
    }
    whole_path = whole_path || (on_x == 1.0 && on_z == -10.0);
  }
  EXPECT_TRUE(whole_path) << "no cut along all four periods";
}

TEST_F(FlowCuts, ModelsWithoutFlowsGiveNothing) {
  // Integers only, no switch, no conservation row.
  const SmallMip m = mip_test::easy_model();
  ASSERT_EQ(m.load(env, lp), 0);
  MipModel model;
  korva::mip::build_mip_model(*lp, model);
  const std::vector<double> x = {5.0, 10.0};
  std::vector<Cut> cuts;
  korva::mip::separate_flow_covers(input_of(model, x), model.num_rows, cuts);
  korva::mip::separate_flow_paths(input_of(model, x), model.num_rows, cuts);
  EXPECT_TRUE(cuts.empty());
  // No rows to read at all.
  korva::mip::separate_flow_covers(input_of(model, x), 0, cuts);
  korva::mip::separate_flow_paths(input_of(model, x), 0, cuts);
  EXPECT_TRUE(cuts.empty());
}

TEST_F(FlowCuts, EqualitiesWithoutSwitchedArcsAreNoNetwork) {
  // Conservation rows whose arcs have no binary to switch them.
  SmallMip m;
  const int a = add_column(m, 'C', 0.0, 5.0), b = add_column(m, 'C', 0.0, 5.0);
  const int c = add_column(m, 'I', 0.0, 4.0);
  m.rows.push_back({{{a, 1.0}, {b, -1.0}}, 'E', 1.0});
  m.rows.push_back({{{b, 1.0}, {c, -1.0}}, 'E', 0.0});
  ASSERT_EQ(m.load(env, lp), 0);
  MipModel model;
  korva::mip::build_mip_model(*lp, model);
  const std::vector<double> x = {3.5, 2.5, 2.5};
  std::vector<Cut> cuts;
  korva::mip::separate_flow_paths(input_of(model, x), model.num_rows, cuts);
  korva::mip::separate_flow_covers(input_of(model, x), model.num_rows, cuts);
  EXPECT_TRUE(cuts.empty());
}

// A long lot-sizing chain with every period's switch half on: both
// separators stop at their cut limits and well within their time.
TEST_F(FlowCuts, LongChainsStayWithinTheLimits) {
  constexpr int kPeriods = 20000;
  SmallMip m;
  std::vector<int> x(kPeriods), s(kPeriods);
  for (int t = 0; t < kPeriods; ++t) {
    x[t] = add_switched_flow(m, 10.0, 10.0, nullptr);
    s[t] = add_column(m, 'C', 0.0, 50.0);
  }
  for (int t = 0; t < kPeriods; ++t) {
    Row r;
    if (t > 0) r.entries.emplace_back(s[t - 1], 1.0);
    r.entries.emplace_back(x[t], 1.0);
    r.entries.emplace_back(s[t], -1.0);
    r.sense = 'E';
    r.rhs = 2.0 + t % 3;
    m.rows.push_back(r);
  }
  ASSERT_EQ(m.load(env, lp), 0);
  MipModel model;
  korva::mip::build_mip_model(*lp, model);
  std::vector<double> point(m.num_cols(), 0.0);
  for (int t = 0; t < kPeriods; ++t) {
    point[x[t]] = 2.0 + t % 3;
    point[x[t] + 1] = point[x[t]] / 10.0;
  }
  std::vector<Cut> covers, paths;
  korva::mip::separate_flow_covers(input_of(model, point), model.num_rows, covers);
  korva::mip::separate_flow_paths(input_of(model, point), model.num_rows, paths);
  EXPECT_GT(paths.size(), 0u);
  EXPECT_LE(paths.size(), 200u);
  EXPECT_LE(covers.size(), 200u);
}

}  // namespace
