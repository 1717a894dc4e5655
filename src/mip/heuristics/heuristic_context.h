// Everything a heuristic works with at a node: the worker's domain and LP
// (standing at the node, its LP solved), the model and settings, the
// search's incumbent and cutoff, the heuristics' own state and budget.
// A heuristic may move the domain and the LP while it runs but hands both
// back as it found them: the domain undone to its mark and the LP's
// bounds synchronised with it, the objective the model's. The LP's basis
// is the caller's to restore (the node's LP is solved again afterwards).
#pragma once
#include <cstdint>
#include <vector>

#include "env/environment.h"
#include "mip/domain.h"
#include "mip/heuristics/column_locks.h"
#include "mip/heuristics/heuristic_state.h"
#include "mip/mip_model.h"
#include "mip/node_lp.h"
#include "mip/pseudocosts.h"
#include "mip/search_settings.h"

namespace korva::mip {

struct HeuristicContext {
  HeuristicContext(Environment& e, const MipModel& m, const SearchSettings& s, Domain& d, NodeLp& l,
                   HeuristicState& st, const ColumnLocks& k)
      : env(e), model(m), settings(s), domain(d), lp(l), state(st), locks(k) {}

  Environment& env;
  const MipModel& model;
  const SearchSettings& settings;
  Domain& domain;
  NodeLp& lp;
  HeuristicState& state;
  const ColumnLocks& locks;
  const Pseudocosts* pseudocosts = nullptr;

  // The node's LP solution (what rounding and diving start from).
  std::vector<double> lp_x;
  double lp_objective = 0.0;
  int64_t depth = 0;
  int64_t nodes = 0;  // nodes the search processed so far

  // The best solution known (the search's incumbent, or a better one this
  // run of heuristics found), minimisation sense with the offset, or null.
  const std::vector<double>* incumbent = nullptr;
  double incumbent_objective = kInf;
  // A solution is worth returning only with its objective below this.
  double cutoff = kInf;
  // Further solutions known (the pool), for crossover.
  std::vector<const std::vector<double>*> pool;

  // Simplex iterations the heuristics may still spend, and what they spent.
  int64_t iteration_limit = 0;
  int64_t iterations = 0;
  // Nodes and iterations of nested searches.
  int64_t nested_nodes = 0, nested_iterations = 0;

  int64_t iterations_left() const { return iteration_limit > iterations ? iteration_limit - iterations : 0; }
};

}  // namespace korva::mip
