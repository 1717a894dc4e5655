// The individualisation-refinement search for the automorphisms of a
// model's graph that matter for the columns. The first path individualises,
// level by level, the column of smallest index among the columns not yet
// alone in their cell, until every column is; then the levels are taken
// from the deepest up, and at each one the search looks, for every column
// of v's cell not yet known to be in v's orbit, for a leaf equivalent to
// the first one. Every candidate is checked exactly on the model before it
// becomes a generator.
#pragma once
#include <cstdint>
#include <vector>

#include "mip/mip_model.h"
#include "mip/symmetry_partition.h"

namespace korva::mip {

struct SymmetrySearchResult {
  // Level ℓ of the first path: the column v_ℓ individualised there, and its
  // orbit (v_ℓ included) under G_ℓ, the group of the generators found at
  // levels >= ℓ (all of which fix v_1..v_{ℓ-1}).
  std::vector<int> level_vertex;
  std::vector<std::vector<int>> level_orbit;
  std::vector<std::vector<int>> generators;  // column permutations: perm[j] = image of j
  std::vector<int> generator_level;          // the level each generator was found at
  bool complete = true;
};

// `part` holds the equitable partition of the model's coloured graph `g`.
// On return it holds that partition again.
void search_automorphisms(const MipModel& m, const SymmetryGraph& g, OrderedPartition& part, WorkBudget& budget,
                          SymmetrySearchResult& out);

}  // namespace korva::mip
