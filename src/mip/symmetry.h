// Symmetry of a MIP model: the permutations of its columns that, together
// with a permutation of its rows, map the model onto itself (same cost,
// bounds and kind for a column and its image, same sides for a row and its
// image, a_{π(i), σ(j)} = a_{i,j} for every entry). Found by colour
// refinement and an individualisation-refinement search on the coloured
// bipartite graph of columns and rows; every generator is checked exactly
// on the model. From the group come symmetry-breaking inequalities
// x_a >= x_b between integer columns.
#pragma once
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "mip/mip_model.h"

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;
}

namespace korva::mip {

struct SymmetryGroup {
  std::vector<std::vector<int>> generators;  // column permutations: perm[j] = image of column j
  // The group order: exact while it stays below 2^64; infinity beyond the
  // range of long double. order_mantissa (1 <= m < 10) and order_exponent
  // give it in decimal whatever its size.
  long double order = 1;
  long double order_mantissa = 1;
  int order_exponent = 0;
  int64_t patterns = 0;  // generators grouped by intersecting supports
  bool complete = true;  // false when the work limit or the stop callback ended the search
  std::vector<std::pair<int, int>> breaking;  // (a, b): x_a >= x_b is valid to add
};

// `rows`: the model's own rows (the first rows of the model; later rows are
// cuts and are left out). `work_limit`: elementary operations the detection
// may spend. `stop` is polled now and then (time limits, aborts); `clock`
// gives elapsed seconds and `progress` is called about every 50 seconds of
// it while the detection runs. Any of the three may be empty.
// Models with special ordered sets, indicator constraints, semi-continuous
// or semi-integer columns or lazy rows get the trivial group.
SymmetryGroup detect_symmetry(const MipModel& m, int rows, int64_t work_limit, const std::function<bool()>& stop,
                              const std::function<double()>& clock = {},
                              const std::function<void()>& progress = {});

// The result lines on the results channel, when the group is not trivial.
void report_symmetry(Environment& env, const SymmetryGroup& g);
// The line a caller's progress callback writes.
void report_symmetry_progress(Environment& env);

}  // namespace korva::mip
