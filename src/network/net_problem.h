// The network problem object: a pure minimum-cost flow problem with its
// nodes, arcs, names, solver settings and the state of its last solve.
//
// Flow convention: a node's supply is the flow it sends out, so flow out
// minus flow in equals the supply at every node. Costs are kept multiplied
// by the objective sense, so the solver always minimises.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "env/owned.h"
#include "model/name_store.h"

namespace korva::net {

// Arc statuses; kArcGone marks an artificial arc that left the tree and may
// never come back (it exists inside the solver only).
enum ArcStatus : int8_t {
  kAtLower = 0,
  kBasic = 1,
  kAtUpper = 2,
  kFreeZero = 3,
  kFixed = 4,
  kArcGone = 5,
};

// Solver states of the object (what KRVNETgetstat translates to statuses).
enum SolverState : int {
  kNoSolution = 0,
  kStatusesReady = 1,
  kPhase1 = 2,
  kItLimPhase1 = 3,
  kTimeLimPhase1 = 4,
  kAbortPhase1 = 5,
  kPhase2 = 6,
  kItLimPhase2 = 7,
  kTimeLimPhase2 = 8,
  kAbortPhase2 = 9,
  kOptimal = 10,
  kInfeasible = 11,
  kUnbounded = 12,
  kInfOrUnbd = 13,
  kDetLimPhase1 = 14,
  kDetLimPhase2 = 15,
};

inline constexpr double kDefaultUpper = 1e20;
inline constexpr double kSolverInfinity = 1e17;  // bounds beyond count as infinite

// Nodes and arcs in separate arrays per field: the solver streams over one
// field at a time.
struct NodeArrays {
  std::vector<double> supply;
  std::vector<int8_t> artificial;  // 1 while the node hangs on its artificial arc
  int64_t size() const { return static_cast<int64_t>(supply.size()); }
};

struct ArcArrays {
  std::vector<double> cost;  // objective coefficient times the sense
  std::vector<double> lower, upper;
  std::vector<int> head, tail;  // "to" and "from" node
  std::vector<int8_t> status;
  int64_t size() const { return static_cast<int64_t>(cost.size()); }
};

// The result of the last solve, in the user's sense.
struct NetSolution {
  std::vector<double> flow;       // per arc
  std::vector<double> potential;  // per node (internal sign: minimisation)
};

}  // namespace korva::net

struct krv_net_s : korva::ObjectHeader {
  int state = korva::net::kNoSolution;
  // A basis came from a solve or from the caller; until then the starting
  // statuses are no basis worth writing.
  bool has_basis = false;
  korva::net::NodeArrays nodes;
  korva::net::ArcArrays arcs;
  korva::NameStore arc_names;   // always present, default 'a' + number
  korva::NameStore node_names;  // always present, default 'n' + number
  std::string name;
  int sense = 1;                  // 1 minimise, -1 maximise
  double phase1_multiplier = 1.0;
  double opt_tol = 1e-6;
  double feas_tol = 1e-6;
  int display = 2;
  int64_t iterations = 0;
  int64_t phase1_iterations = 0;
  int64_t log_cadence = 10;
  int64_t log_lines = 0;
  double objective = 0.0;        // internal (minimisation) value
  double infeasibility = 0.0;
  int64_t infeasible_arcs = 0;
  double elapsed = 0.0;
  bool stop = false;
  korva::net::NetSolution solution;

  int num_nodes() const { return static_cast<int>(nodes.size()); }
  int num_arcs() const { return static_cast<int>(arcs.size()); }
};

namespace korva::net {
using Network = krv_net_s;
}
