// Which heuristics a node of the tree (below the root) runs:
//   the weighted group under KRV_PARAM_HEURFREQ: -1 never; n every n
//     nodes of the search; 0 (automatic) every 20 nodes (a longer
//     period after many unsuccessful runs) while the heuristics of this
//     worker have spent at most a tenth of its simplex iterations (plus a
//     small allowance); with MIP emphasis on feasibility (1 or 4) twice
//     as often with twice the share;
//   RINS every KRV_PARAM_RINSHEUR nodes as stored (never at -1), with an
//     incumbent;
//   local branching (KRV_PARAM_LBHEUR 1) and 1-opt once after each new
//     incumbent.
// The sub-MIP heuristics never run inside a nested search.
#pragma once
#include <cstdint>

#include "mip/heuristics/heuristic_state.h"
#include "mip/search_settings.h"

namespace korva::mip {

struct TreeHeuristicPlan {
  bool group = false;
  bool rins = false;
  bool local_branching = false;
  bool one_opt = false;
  bool any() const { return group || rins || local_branching || one_opt; }
};

struct TreeNodeFacts {
  int64_t nodes = 0;              // nodes the search processed before this one
  int64_t worker_iterations = 0;  // simplex iterations of this worker's nodes
  bool has_incumbent = false;
  double incumbent_objective = 0.0;
  bool inside_sub_mip = false;
};

// Decides and notes what the node runs (the state remembers the periods
// and the incumbent seen).
TreeHeuristicPlan plan_tree_heuristics(const SearchSettings& settings, HeuristicState& state,
                                       const TreeNodeFacts& facts);

// Simplex iterations one tree run of the heuristics may spend.
int64_t tree_iteration_budget(int64_t worker_iterations, int64_t worker_nodes);

}  // namespace korva::mip
