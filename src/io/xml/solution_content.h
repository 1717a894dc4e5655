// What one KORVASolution element of a solution file says: the header
// fields, the quality measures, and the values of the lists. The gatherers
// (io/solution_files) fill it from a problem's solution or pool; the XML
// writer only lays it out, so one layout serves solutions, pool members
// and pool members written as MIP starts.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace korva::xml {

struct SolutionContent {
  // Pool members and MIP starts carry a name and an index.
  bool named_member = false;
  std::string solution_name;
  long long solution_index = 0;

  // MIP starts carry their effort level instead of the solution fields.
  bool mip_start = false;
  int effort = 0;

  bool has_objective = false;
  double objective = 0.0;
  int type = 0;    // 1 basic, 2 nonbasic, 3 primal, else unknown
  int status = 0;  // solution status code
  int method = 0;  // 1 primal, 2 dual, 4 barrier, 12 mip, else unknown
  bool primal_feasible = false, dual_feasible = false;
  bool mip_counters = false;  // MIPNodes / MIPIterations of an incumbent
  long long mip_nodes = 0, mip_iterations = 0;
  bool simplex_counter = false;
  long long simplex_iterations = 0;
  bool barrier_counter = false;
  long long barrier_iterations = 0;
  int write_level = 1;  // the level in force (1..4)

  // Quality measures in the order written.
  std::vector<std::pair<const char*, double>> quality;

  // Per column / row; null when the solution has none. Statuses only for
  // basic solutions. Slacks are rhs - a·x as the queries report them.
  const double* x = nullptr;
  const double* dj = nullptr;
  const int* cstat = nullptr;
  const double* slack = nullptr;
  const double* pi = nullptr;
  const int* rstat = nullptr;
  std::vector<double> qconstraint_slack;  // one per quadratic constraint
  std::vector<double> indicator_slack;    // one per indicator constraint
};

}  // namespace korva::xml
