// Helpers shared by the tests of networks on the LP side: a generated
// network loaded as a network problem or as its LP form.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korva/korva.h"
#include "network/netgen.h"

namespace netlp {

inline KRVnet load_network(KRVenv env, const netgen::Instance& g, int sense = KRV_MIN) {
  int status = 0;
  KRVnet net = KRVNETcreateprob(env, &status, "generated");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(KRVNETcopynet(env, net, sense, g.nodes, g.supply.data(), nullptr, g.arcs(), g.from.data(),
                          g.to.data(), g.lower.data(), g.upper.data(), g.cost.data(), nullptr),
            0);
  return net;
}

// Rows are nodes (flow out minus flow in = supply), columns are arcs.
inline KRVprob load_lp(KRVenv env, const netgen::Instance& g, int sense = KRV_MIN) {
  int status = 0;
  KRVprob lp = KRVcreateprob(env, &status, "lpform");
  std::vector<int> beg, cnt, ind;
  std::vector<double> val;
  for (int a = 0; a < g.arcs(); ++a) {
    beg.push_back(static_cast<int>(ind.size()));
    if (g.from[a] == g.to[a]) {
      cnt.push_back(0);
      continue;
    }
    cnt.push_back(2);
    ind.push_back(g.from[a]);
    val.push_back(1.0);
    ind.push_back(g.to[a]);
    val.push_back(-1.0);
  }
  std::string senses(static_cast<size_t>(g.nodes), 'E');
  EXPECT_EQ(KRVcopylp(env, lp, g.arcs(), g.nodes, sense, g.cost.data(), g.supply.data(), senses.c_str(),
                      beg.data(), cnt.data(), ind.data(), val.data(), g.lower.data(), g.upper.data(), nullptr),
            0);
  return lp;
}

inline double objective(KRVenv env, KRVprob lp) {
  double obj = 0.0;
  EXPECT_EQ(KRVgetobjval(env, lp, &obj), 0);
  return obj;
}

inline double net_objective(KRVenv env, KRVnet net) {
  double obj = 0.0;
  EXPECT_EQ(KRVNETgetobjval(env, net, &obj), 0);
  return obj;
}

inline netgen::Instance small_instance(netgen::Kind kind, uint64_t seed) {
  netgen::Spec spec;
  spec.kind = kind;
  spec.nodes = kind == netgen::Kind::Assignment ? 40 : 120;
  spec.arcs = 900;
  spec.sources = 8;
  spec.sinks = 8;
  spec.total_supply = 2000;
  spec.seed = seed;
  return netgen::generate(spec);
}

}  // namespace netlp
