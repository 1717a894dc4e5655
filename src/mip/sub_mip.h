// A smaller MIP searched by a nested run of the driver: the heuristics'
// neighbourhoods (RINS, local branching, polishing), MIP start completion
// and repair all state their neighbourhood as extra bounds and rows on a
// search's model and let a whole branch-and-cut (presolve, cuts, its own
// heuristics) find solutions in it, under a node limit.
#pragma once
#include <cstdint>
#include <vector>

#include "mip/domain.h"
#include "mip/mip_model.h"

namespace korva::mip {

// lo <= a·x <= hi over the model's columns (infinite sides allowed).
struct SubMipRow {
  std::vector<int> cols;
  std::vector<double> vals;
  double lo = -kInf, hi = kInf;
};

struct SubMipRequest {
  // Column bounds tightened for the neighbourhood (model indices; an
  // infinite side leaves the model's bound).
  std::vector<BoundChange> bounds;
  std::vector<SubMipRow> rows;  // extra constraints of the neighbourhood
  // Replaces the model's objective when not empty (one entry per column,
  // minimisation sense); the solution's objective is still the model's.
  std::vector<double> objective;
  double cutoff = kInf;         // only solutions with model objective below this count
  int64_t node_limit = 500;
  double time_limit = 1e75;     // seconds from now, also capped by the caller's limit
  // A solution of the model to start from (complete, or empty).
  std::vector<double> start;
  bool stop_at_first = false;   // end the nested search at its first solution
};

struct SubMipResult {
  int status = 0;                // the nested search's MIP status (0 when none ran)
  bool found = false;            // a solution of the model with objective below the cutoff
  std::vector<double> x;         // its values, one per model column
  double objective = kInf;       // its objective on the model (minimisation sense, offset included)
  bool proved = false;           // the neighbourhood was searched to the end
  int64_t nodes = 0, iterations = 0;
};

// Searches `model` (its own rows and its cut rows; lazy constraints are
// kept as ordinary rows, pool rows are left out) restricted by `request`.
// Display, threads and the nested run's own sub-MIPs are switched off in
// `env` for the run and restored. Returns 0 or an error code.
int solve_sub_mip(Environment& env, const MipModel& model, const SubMipRequest& request, SubMipResult& result);

// True inside a nested search started by solve_sub_mip: heuristics that
// would start another one do not.
bool inside_sub_mip(const Environment& env);

}  // namespace korva::mip
