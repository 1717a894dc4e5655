// What a mixed-integer optimisation leaves in the problem object: the
// search record (counters, bounds, cutoff, the incumbent in the internal
// minimisation sense, cut counts, times, and the open nodes of a search
// stopped at a limit) in derived.mip_search, and the incumbent as the
// solution queries read it in derived.solution.
#pragma once
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "mip/kappa_stats.h"
#include "mip/node_store.h"
#include "simplex/solution/mip_incumbent.h"

namespace korva::mip {

inline constexpr int kCutFamilies = 24;

struct MipSearchRecord : AttachedPart {
  int status = 0;          // the final MIP status
  int finished_status = 0; // set for a finished search (101, 103, 115, 118, 119)
  // Incumbent, minimisation sense.
  bool has_incumbent = false;
  double incumbent_objective = std::numeric_limits<double>::infinity();
  std::vector<double> incumbent;  // column values
  int64_t incumbent_node = -1;
  int64_t improvements = 0;
  double cutoff = std::numeric_limits<double>::infinity();
  double stored_bound = -std::numeric_limits<double>::infinity();
  double best_bound = -std::numeric_limits<double>::infinity();
  double max_unscaled_infeasibility = 0.0;
  // Counters: main search and nested searches.
  int64_t nodes = 0, nested_nodes = 0;
  int64_t iterations = 0, nested_iterations = 0;
  int64_t nodes_left = 0;
  int64_t log_lines = 0;
  bool log_header_written = false;
  int64_t incumbent_files = 0;
  int sub_status = 0, sub_method = 0;
  std::array<int64_t, kCutFamilies> cuts{};
  int64_t pool_cuts = 0, lazy_applied = 0;
  double root_time = 0.0, bc_time = 0.0, sync_time = 0.0, wait_time = 0.0;
  int threads = 1;
  int objsense = 1;
  // Condition of the node LPs' bases, when KRV_PARAM_MIPKAPPASTATS asks.
  bool kappa_collected = false;
  KappaStats kappa;
  // Open nodes of a search that stopped before the tree was empty, or of
  // the search running now.
  std::unique_ptr<NodeStore> tree;
  const NodeStore* running_tree = nullptr;
  const NodeStore* open_nodes() const { return running_tree ? running_tree : tree.get(); }
  int64_t tree_memory() const { return open_nodes() ? open_nodes()->memory() : 0; }
};

// The incumbent as the solution queries see it (user sense and units).
class MipSolution : public simplex::MipIncumbentStore {
 public:
  int status = 0;
  bool valid = false;
  double objective_value = 0.0;
  std::vector<double> values, slacks;

  int mip_status() const override { return status; }
  bool has_values() const override { return valid; }
  double objective() const override { return objective_value; }
  const double* x() const override { return values.data(); }
  const double* slack() const override { return slacks.data(); }
};

inline MipSearchRecord* find_search_record(Problem& p) {
  return dynamic_cast<MipSearchRecord*>(p.derived.mip_search.get());
}

}  // namespace korva::mip
