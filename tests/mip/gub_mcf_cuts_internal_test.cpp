// GUB cover cuts and multi-commodity network cut-set cuts: every cut holds
// at every feasible point of small random models, the designed cut is
// found on hand-made ones, and models without the structure give nothing.
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "mip/cut_validity.h"
#include "mip/cuts/cover_cuts.h"
#include "mip/cuts/gub_cover_cuts.h"
#include "mip/cuts/mcf_cuts.h"
#include "mip/cuts/mcf_network.h"

namespace {

using korva::mip::Cut;
using korva::mip::MipModel;
using korva::mip::SeparationInput;
using mip_test::Row;
using mip_test::SmallMip;

class GubMcfCuts : public cut_check::CutValidity {
 protected:
  // The relaxation's optimum of m, or an empty vector when it has none.
  std::vector<double> lp_optimum(const SmallMip& m) {
    EXPECT_EQ(m.load(env, check_lp, true), 0);
    EXPECT_EQ(KRVlpopt(env, check_lp), 0);
    if (KRVgetstat(env, check_lp) != 1) return {};
    std::vector<double> x(static_cast<size_t>(m.num_cols()));
    EXPECT_EQ(KRVgetx(env, check_lp, x.data(), 0, m.num_cols() - 1), 0);
    return x;
  }

  void read(const SmallMip& m, MipModel& model) {
    ASSERT_EQ(m.load(env, lp), 0);
    korva::mip::build_mip_model(*lp, model);
  }

};

// ---------------------------------------------------------------------------
// GUB covers

// Seven binaries and a continuous column; the binaries are split into
// set-packing rows (some over complemented literals, some equalities) and
// one or two knapsacks run across them.
SmallMip random_gub_model(std::mt19937& rng) {
  constexpr int kBinaries = 7;
  std::uniform_int_distribution<int> weight(1, 9), group_size(1, 3), percent(0, 99);
  SmallMip m;
  m.ctype.assign(kBinaries, 'B');
  m.ctype.push_back('C');
  m.lb.assign(kBinaries + 1, 0.0);
  m.ub.assign(kBinaries + 1, 1.0);
  m.ub[kBinaries] = 2.0;
  m.obj.assign(kBinaries + 1, 0.0);
  std::vector<int> cols(kBinaries);
  for (int j = 0; j < kBinaries; ++j) cols[j] = j;
  std::shuffle(cols.begin(), cols.end(), rng);
  for (size_t a = 0; a < cols.size();) {
    const size_t b = std::min(cols.size(), a + static_cast<size_t>(group_size(rng)));
    if (b - a >= 2) {
      Row r;
      r.rhs = 1.0;
      bool complemented = false;
      for (size_t k = a; k < b; ++k) {
        // x or its complement 1 - x.
        if (percent(rng) < 20) {
          r.entries.emplace_back(cols[k], -1.0);
          r.rhs -= 1.0;
          complemented = true;
        } else {
          r.entries.emplace_back(cols[k], 1.0);
        }
      }
      r.sense = !complemented && percent(rng) < 20 ? 'E' : 'L';
      m.rows.push_back(r);
    }
    a = b;
  }
  const int knapsacks = 1 + percent(rng) % 2;
  for (int n = 0; n < knapsacks; ++n) {
    Row r;
    double total = 0.0;
    for (int j = 0; j < kBinaries; ++j) {
      if (percent(rng) < 15) continue;
      const double w = weight(rng);
      total += w;
      if (percent(rng) < 15) {
        r.entries.emplace_back(j, -w);
        r.rhs -= w;
      } else {
        r.entries.emplace_back(j, w);
      }
    }
    if (percent(rng) < 50) r.entries.emplace_back(kBinaries, 0.5);
    r.rhs += std::floor(total * (0.3 + 0.3 * percent(rng) / 100.0));
    r.sense = 'L';
    m.rows.push_back(r);
  }
  return m;
}

TEST_F(GubMcfCuts, GubCoversOfRandomKnapsacksRemoveNoFeasiblePoint) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> cost(1, 10);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int cuts = 0, points = 0;
  for (int k = 0; k < 300; ++k) {
    SmallMip m = random_gub_model(rng);
    m.objsense = -1;
    for (size_t j = 0; j + 1 < m.obj.size(); ++j) m.obj[j] = cost(rng);
    std::vector<std::vector<double>> xs;
    if (std::vector<double> x = lp_optimum(m); !x.empty()) xs.push_back(x);
    for (int p = 0; p < 2; ++p) {
      std::vector<double> x(m.obj.size());
      for (size_t j = 0; j < x.size(); ++j) x[j] = m.lb[j] + unit(rng) * (m.ub[j] - m.lb[j]);
      xs.push_back(x);
    }
    MipModel model;
    read(m, model);
    for (size_t p = 0; p < xs.size(); ++p) {
      std::vector<Cut> out;
      korva::mip::separate_gub_covers(cut_check::input_of(model, xs[p]), model.num_rows, out);
      for (const Cut& c : out) {
        const std::string what = "model " + std::to_string(k) + ", point " + std::to_string(p);
        EXPECT_EQ(c.family, korva::mip::kGubCoverCuts);
        EXPECT_GT(c.activity(xs[p].data()), c.rhs + 1e-6) << what;
        points += expect_valid(m, c, what);
        ++cuts;
      }
    }
  }
  EXPECT_GE(cuts, 100);
  EXPECT_GE(points, 2000);
}

// Set-packing rows {x0, x1, x2} and {x3, x4, x5}, the knapsack
// 4x0 + 3x1 + 2x2 + 4x3 + 3x4 + 2x5 <= 5. At x1 = x2 = x3 = 0.5 every plain
// cover holds (no two items sum past 1 beyond the capacity), but x2 and x3
// weigh 6 > 5 and x2's whole group is at least as heavy as x2:
// x0 + x1 + x2 + x3 <= 1 is cut off by 0.5.
TEST_F(GubMcfCuts, GubCoverCutsOffWhatPlainCoversCannot) {
  SmallMip m;
  m.ctype.assign(6, 'B');
  m.lb.assign(6, 0.0);
  m.ub.assign(6, 1.0);
  m.obj.assign(6, 0.0);
  m.rows.push_back({{{0, 1.0}, {1, 1.0}, {2, 1.0}}, 'L', 1.0});
  m.rows.push_back({{{3, 1.0}, {4, 1.0}, {5, 1.0}}, 'L', 1.0});
  m.rows.push_back({{{0, 4.0}, {1, 3.0}, {2, 2.0}, {3, 4.0}, {4, 3.0}, {5, 2.0}}, 'L', 5.0});
  MipModel model;
  read(m, model);
  const std::vector<double> x = {0.0, 0.5, 0.5, 0.5, 0.0, 0.0};
  const SeparationInput in = cut_check::input_of(model, x);

  std::vector<Cut> plain;
  korva::mip::separate_covers(in, model.num_rows, false, plain);
  EXPECT_TRUE(plain.empty());

  std::vector<Cut> out;
  korva::mip::separate_gub_covers(in, model.num_rows, out);
  ASSERT_EQ(out.size(), 1u);
  const Cut& c = out[0];
  EXPECT_EQ(c.family, korva::mip::kGubCoverCuts);
  std::vector<int> support = c.index;
  std::sort(support.begin(), support.end());
  EXPECT_EQ(support, (std::vector<int>{0, 1, 2, 3}));
  for (double v : c.value) EXPECT_EQ(v, 1.0);
  EXPECT_EQ(c.rhs, 1.0);
  EXPECT_NEAR(c.activity(x.data()) - c.rhs, 0.5, 1e-12);
  expect_valid(m, c, "hand-made");
}

// The same with x1 and x4 entering their set-packing rows complemented
// (x0 + (1 - x1') + x2 <= 1 with x1' = 1 - x1) and the knapsack written
// over x1' too: the literal, not the column, is what the rows share.
TEST_F(GubMcfCuts, GubCoverReadsComplementedLiterals) {
  SmallMip m;
  m.ctype.assign(6, 'B');
  m.lb.assign(6, 0.0);
  m.ub.assign(6, 1.0);
  m.obj.assign(6, 0.0);
  m.rows.push_back({{{0, 1.0}, {1, -1.0}, {2, 1.0}}, 'L', 0.0});
  m.rows.push_back({{{3, 1.0}, {4, 1.0}, {5, 1.0}}, 'L', 1.0});
  // 4x0 + 3(1 - x1') + 2x2 + 4x3 + 3x4 + 2x5 <= 5.
  m.rows.push_back({{{0, 4.0}, {1, -3.0}, {2, 2.0}, {3, 4.0}, {4, 3.0}, {5, 2.0}}, 'L', 2.0});
  MipModel model;
  read(m, model);
  const std::vector<double> x = {0.0, 0.5, 0.5, 0.5, 0.0, 0.0};
  std::vector<Cut> out;
  korva::mip::separate_gub_covers(cut_check::input_of(model, x), model.num_rows, out);
  ASSERT_EQ(out.size(), 1u);
  // x0 + (1 - x1') + x2 + x3 <= 1.
  EXPECT_EQ(out[0].rhs, 0.0);
  for (size_t k = 0; k < out[0].index.size(); ++k) EXPECT_EQ(out[0].value[k], out[0].index[k] == 1 ? -1.0 : 1.0);
  expect_valid(m, out[0], "complemented");
}

// 60,000 binaries in set-packing rows of five, 300 knapsacks over 40 of
// these rows each; the point fills each set-packing row to one. A call
// keeps to its cut limit.
TEST_F(GubMcfCuts, LargeKnapsacksStayWithinTheCutLimit) {
  constexpr int kColumns = 60000, kGroup = 5, kKnapsacks = 300, kItems = 200;
  std::mt19937 rng(9);
  std::uniform_int_distribution<int> column(0, kColumns - 1), weight(1, 20);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  SmallMip m;
  m.ctype.assign(kColumns, 'B');
  m.lb.assign(kColumns, 0.0);
  m.ub.assign(kColumns, 1.0);
  m.obj.assign(kColumns, 0.0);
  std::vector<double> x(kColumns, 0.0);
  for (int g = 0; g < kColumns / kGroup; ++g) {
    Row r;
    r.rhs = 1.0;
    double left = 1.0;
    for (int k = 0; k < kGroup; ++k) {
      const int j = g * kGroup + k;
      r.entries.emplace_back(j, 1.0);
      x[j] = k + 1 < kGroup ? left * unit(rng) : left;
      left -= x[j];
    }
    m.rows.push_back(r);
  }
  for (int n = 0; n < kKnapsacks; ++n) {
    Row r;
    // Whole set-packing rows, so that the knapsack has groups to use.
    std::vector<int> items;
    for (int k = 0; k < kItems / kGroup; ++k) {
      const int first = column(rng) / kGroup * kGroup;
      for (int j = first; j < first + kGroup; ++j) items.push_back(j);
    }
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    double total = 0.0;
    for (int j : items) {
      r.entries.emplace_back(j, weight(rng));
      total += r.entries.back().second * x[j];
    }
    // Tight enough for the point to leave covers to find.
    r.rhs = std::floor(0.5 * total);
    m.rows.push_back(r);
  }
  MipModel model;
  read(m, model);
  std::vector<Cut> out;
  korva::mip::separate_gub_covers(cut_check::input_of(model, x), model.num_rows, out);
  const size_t gub_cuts = out.size();
  korva::mip::separate_mcf(cut_check::input_of(model, x), model.num_rows, out);
  EXPECT_GT(gub_cuts, 0u);
  EXPECT_LE(gub_cuts, 200u);
  EXPECT_EQ(out.size(), gub_cuts);  // no network here
  for (const Cut& c : out) EXPECT_GT(c.efficacy(x.data()), 1e-4);
}

TEST_F(GubMcfCuts, GubCoversNeedSetPackingRows) {
  SmallMip m;
  m.ctype.assign(4, 'B');
  m.lb.assign(4, 0.0);
  m.ub.assign(4, 1.0);
  m.obj.assign(4, 0.0);
  m.rows.push_back({{{0, 4.0}, {1, 3.0}, {2, 2.0}, {3, 4.0}}, 'L', 5.0});
  m.rows.push_back({{{0, 1.0}, {1, 1.0}, {2, 1.0}, {3, 1.0}}, 'L', 3.0});  // no packing: three fit
  MipModel model;
  read(m, model);
  const std::vector<double> x = {0.5, 0.5, 0.5, 0.5};
  std::vector<Cut> out;
  korva::mip::separate_gub_covers(cut_check::input_of(model, x), model.num_rows, out);
  EXPECT_TRUE(out.empty());
}

// ---------------------------------------------------------------------------
// Multi-commodity network design

struct Network {
  int nodes = 0;
  std::vector<std::pair<int, int>> arcs;
  std::vector<double> capacity;
  std::vector<double> design_upper;
  struct Demand {
    int from, to;
    double amount;
  };
  std::vector<Demand> demands;
};

// Columns: one design column per arc, then one flow per commodity and
// arc. Rows: conservation per commodity and node (out - in = supply, or
// its negation, sometimes scaled), then capacity per arc, in either
// written form.
SmallMip network_model(const Network& net, std::mt19937* rng) {
  std::uniform_int_distribution<int> percent(0, 99);
  auto chance = [&](int p) { return rng && percent(*rng) < p; };
  const int arcs = static_cast<int>(net.arcs.size());
  const int commodities = static_cast<int>(net.demands.size());
  SmallMip m;
  for (int a = 0; a < arcs; ++a) {
    m.ctype.push_back('I');
    m.lb.push_back(0.0);
    m.ub.push_back(net.design_upper[a]);
    m.obj.push_back(1.0);
  }
  auto flow = [&](int k, int a) { return arcs + k * arcs + a; };
  for (int k = 0; k < commodities; ++k)
    for (int a = 0; a < arcs; ++a) {
      m.ctype.push_back('C');
      m.lb.push_back(0.0);
      m.ub.push_back(10.0);
      m.obj.push_back(0.01);
    }
  for (int k = 0; k < commodities; ++k) {
    const double sign = chance(30) ? -1.0 : 1.0;
    for (int v = 0; v < net.nodes; ++v) {
      const double scale = sign * (chance(20) ? 2.0 : 1.0);
      Row r;
      r.sense = 'E';
      for (int a = 0; a < arcs; ++a) {
        if (net.arcs[a].first == v) r.entries.emplace_back(flow(k, a), scale);
        if (net.arcs[a].second == v) r.entries.emplace_back(flow(k, a), -scale);
      }
      const auto& d = net.demands[k];
      r.rhs = scale * (d.from == v ? d.amount : d.to == v ? -d.amount : 0.0);
      if (!r.entries.empty()) m.rows.push_back(r);
    }
  }
  for (int a = 0; a < arcs; ++a) {
    const double side = chance(30) ? -1.0 : 1.0;
    Row r;
    r.sense = side > 0 ? 'L' : 'G';
    for (int k = 0; k < commodities; ++k) r.entries.emplace_back(flow(k, a), side);
    r.entries.emplace_back(a, -side * net.capacity[a]);
    r.rhs = 0.0;
    m.rows.push_back(r);
  }
  return m;
}

Network random_network(std::mt19937& rng) {
  std::uniform_int_distribution<int> percent(0, 99);
  Network net;
  net.nodes = 3 + percent(rng) % 2;
  const int arcs = 4 + percent(rng) % 2;
  std::vector<std::pair<int, int>> all;
  for (int u = 0; u < net.nodes; ++u)
    for (int v = 0; v < net.nodes; ++v)
      if (u != v) all.emplace_back(u, v);
  std::shuffle(all.begin(), all.end(), rng);
  net.arcs.assign(all.begin(), all.begin() + arcs);
  bool general = false;
  for (int a = 0; a < arcs; ++a) {
    net.capacity.push_back(2.0 + percent(rng) % 3);
    // One design column may take two modules; the rest are binary.
    const bool two = !general && percent(rng) < 40;
    general = general || two;
    net.design_upper.push_back(two ? 2.0 : 1.0);
  }
  for (int k = 0; k < 2; ++k) {
    const int from = percent(rng) % net.nodes;
    const int to = (from + 1 + percent(rng) % (net.nodes - 1)) % net.nodes;
    net.demands.push_back({from, to, 1.0 + percent(rng) % 3});
  }
  return net;
}

TEST_F(GubMcfCuts, CutSetCutsOfRandomNetworksRemoveNoFeasiblePoint) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int cuts = 0, points = 0, networks = 0;
  for (int k = 0; k < 80; ++k) {
    const Network net = random_network(rng);
    const SmallMip m = network_model(net, &rng);
    std::vector<std::vector<double>> xs;
    if (std::vector<double> x = lp_optimum(m); !x.empty()) xs.push_back(x);
    // A point with random fractional designs as well.
    std::vector<double> x(m.obj.size());
    for (size_t j = 0; j < x.size(); ++j) x[j] = m.lb[j] + unit(rng) * (m.ub[j] - m.lb[j]) * 0.5;
    xs.push_back(x);
    MipModel model;
    read(m, model);
    const korva::mip::McfNetwork found = korva::mip::find_mcf_network(model, model.num_rows);
    EXPECT_FALSE(found.empty());
    networks += found.commodities == 2 && found.arc_row.size() == net.arcs.size();
    for (size_t p = 0; p < xs.size(); ++p) {
      std::vector<Cut> out;
      korva::mip::separate_mcf(cut_check::input_of(model, xs[p]), model.num_rows, out);
      // Each cut is checked against every design; a few per point keep
      // the test fast.
      for (size_t c = 0; c < out.size() && c < 6; ++c) {
        const std::string what = "network " + std::to_string(k) + ", point " + std::to_string(p);
        EXPECT_EQ(out[c].family, korva::mip::kMcfCuts);
        EXPECT_GT(out[c].efficacy(xs[p].data()), 1e-4) << what;
        points += expect_valid(m, out[c], what);
        ++cuts;
      }
    }
  }
  EXPECT_GE(networks, 30);  // a disconnected arc set splits a commodity
  EXPECT_GE(cuts, 100);
  EXPECT_GE(points, 800);
}

// Nodes a, b, c; arcs a→b, b→c, a→c with two units of capacity per
// module; 3 units from a to c and 2 from b to c. The relaxation opens
// 1.5 + 1 modules into c, while 5 units need three: y_ac + y_bc >= 3.
TEST_F(GubMcfCuts, CutSetCutRoundsUpTheModulesIntoANode) {
  Network net;
  net.nodes = 3;
  net.arcs = {{0, 1}, {1, 2}, {0, 2}};
  net.capacity = {2.0, 2.0, 2.0};
  net.design_upper = {3.0, 3.0, 3.0};
  net.demands = {{0, 2, 3.0}, {1, 2, 2.0}};
  const SmallMip m = network_model(net, nullptr);
  MipModel model;
  read(m, model);
  const korva::mip::McfNetwork found = korva::mip::find_mcf_network(model, model.num_rows);
  EXPECT_EQ(found.nodes, 3);
  EXPECT_EQ(found.commodities, 2);
  EXPECT_EQ(found.arc_row.size(), 3u);

  const std::vector<double> x = lp_optimum(m);
  ASSERT_FALSE(x.empty());
  EXPECT_NEAR(x[1] + x[2], 2.5, 1e-6);
  std::vector<Cut> out;
  korva::mip::separate_mcf(cut_check::input_of(model, x), model.num_rows, out);
  bool into_c = false;
  for (const Cut& c : out) {
    EXPECT_GT(c.efficacy(x.data()), 1e-4);
    expect_valid(m, c, "hand-made network");
    std::vector<int> support = c.index;
    std::sort(support.begin(), support.end());
    if (support != std::vector<int>{1, 2}) continue;
    // -u·y_bc - u·y_ac <= -3u for some u > 0.
    const double unit = -c.value[0];
    if (unit > 0.0 && std::fabs(c.value[1] + unit) < 1e-9 && std::fabs(c.rhs / unit + 3.0) < 1e-9) into_c = true;
  }
  EXPECT_TRUE(into_c);
}

TEST_F(GubMcfCuts, NetworkCutsNeedANetwork) {
  // A knapsack, a big-M row with an equality beside it: capacity-like but
  // no conservation rows.
  SmallMip m;
  m.ctype = {'B', 'I', 'C', 'C'};
  m.lb = {0, 0, 0, 0};
  m.ub = {1, 3, 5, 5};
  m.obj.assign(4, 0.0);
  m.rows.push_back({{{0, 3.0}, {1, 2.0}}, 'L', 4.0});
  m.rows.push_back({{{2, 1.0}, {3, 1.0}, {1, -2.0}}, 'L', 0.0});
  m.rows.push_back({{{2, 1.0}, {3, 2.0}}, 'E', 3.0});
  MipModel model;
  read(m, model);
  EXPECT_TRUE(korva::mip::find_mcf_network(model, model.num_rows).empty());
  const std::vector<double> x = {0.5, 0.7, 1.0, 1.0};
  std::vector<Cut> out;
  korva::mip::separate_mcf(cut_check::input_of(model, x), model.num_rows, out);
  EXPECT_TRUE(out.empty());

  // Only the model's own rows count: the network's rows beyond `rows`
  // are not read.
  Network net;
  net.nodes = 2;
  net.arcs = {{0, 1}};
  net.capacity = {2.0};
  net.design_upper = {2.0};
  net.demands = {{0, 1, 3.0}};
  const SmallMip n = network_model(net, nullptr);
  MipModel network;
  read(n, network);
  EXPECT_FALSE(korva::mip::find_mcf_network(network, network.num_rows).empty());
  EXPECT_TRUE(korva::mip::find_mcf_network(network, 0).empty());
}

// A grid of 40 x 40 nodes, arcs both ways between neighbours, 10
// commodities: about 69,000 columns. The point routes each demand along
// one path with just the fractional designs it needs, as a relaxation
// would; a call keeps to its cut limit.
TEST_F(GubMcfCuts, LargeNetworksStayWithinTheCutLimit) {
  std::mt19937 rng(3);
  Network net;
  constexpr int kSide = 40;
  net.nodes = kSide * kSide;
  std::vector<int> right(net.nodes, -1), left(net.nodes, -1), down(net.nodes, -1), up(net.nodes, -1);
  auto add_arc = [&](int u, int v) {
    net.arcs.emplace_back(u, v);
    return static_cast<int>(net.arcs.size()) - 1;
  };
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      const int v = r * kSide + c;
      if (c + 1 < kSide) {
        right[v] = add_arc(v, v + 1);
        left[v + 1] = add_arc(v + 1, v);
      }
      if (r + 1 < kSide) {
        down[v] = add_arc(v, v + kSide);
        up[v + kSide] = add_arc(v + kSide, v);
      }
    }
  const int arcs = static_cast<int>(net.arcs.size());
  net.capacity.assign(arcs, 4.0);
  net.design_upper.assign(arcs, 3.0);
  std::uniform_int_distribution<int> node(0, net.nodes - 1);
  for (int k = 0; k < 10; ++k) {
    const int from = node(rng);
    net.demands.push_back({from, (from + 1 + node(rng) % (net.nodes - 1)) % net.nodes, 3.0});
  }
  const SmallMip m = network_model(net, nullptr);
  std::vector<double> x(m.obj.size(), 0.0);
  for (int k = 0; k < 10; ++k) {
    int v = net.demands[k].from;
    const int to = net.demands[k].to;
    while (v != to) {
      const int a = v % kSide < to % kSide   ? right[v]
                    : v % kSide > to % kSide ? left[v]
                    : v / kSide < to / kSide ? down[v]
                                             : up[v];
      x[arcs + k * arcs + a] += net.demands[k].amount;
      x[a] += net.demands[k].amount / net.capacity[a];
      v = net.arcs[a].second;
    }
  }
  MipModel model;
  read(m, model);
  EXPECT_GT(model.num_cols, 60000);
  std::vector<Cut> out;
  korva::mip::separate_mcf(cut_check::input_of(model, x), model.num_rows, out);
  const size_t network_cuts = out.size();
  korva::mip::separate_gub_covers(cut_check::input_of(model, x), model.num_rows, out);
  EXPECT_GT(network_cuts, 0u);
  EXPECT_LE(network_cuts, 200u);
  EXPECT_EQ(out.size(), network_cuts);  // no knapsacks here
  for (const Cut& c : out) EXPECT_GT(c.efficacy(x.data()), 1e-4);
}

}  // namespace
