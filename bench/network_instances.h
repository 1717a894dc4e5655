// The generated networks of the network benchmark, by kind and arc count:
// the same instance for every solver that the benchmark compares.
#pragma once
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "network/netgen.h"

namespace netbench {

inline bool kind_of(const char* name, netgen::Kind& kind) {
  if (std::strcmp(name, "transshipment") == 0) kind = netgen::Kind::Transshipment;
  else if (std::strcmp(name, "transportation") == 0) kind = netgen::Kind::Transportation;
  else if (std::strcmp(name, "assignment") == 0) kind = netgen::Kind::Assignment;
  else return false;
  return true;
}

// About ten arcs per node, twenty per person of an assignment problem.
inline netgen::Instance instance(netgen::Kind kind, int arcs, uint64_t seed) {
  netgen::Spec s;
  s.kind = kind;
  s.arcs = arcs;
  s.seed = seed;
  s.max_cost = 10000;
  if (kind == netgen::Kind::Assignment) {
    s.nodes = arcs / 20;
  } else if (kind == netgen::Kind::Transportation) {
    s.nodes = arcs / 10;
    s.sources = s.nodes / 2;
    s.sinks = s.nodes - s.sources;
    s.total_supply = 50 * s.nodes;
    s.min_cap = 10;
    s.max_cap = 200;
  } else {
    s.nodes = arcs / 10;
    s.sources = s.sinks = std::max(2, s.nodes / 20);
    s.total_supply = 50 * s.nodes;
    s.min_cap = 10;
    s.max_cap = 500;
  }
  return netgen::generate(s);
}

}  // namespace netbench
