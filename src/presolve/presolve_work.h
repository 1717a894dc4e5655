// The working copy presolve reduces: the LP in the minimisation sense with
// row activity bounds [rlo, rhi] instead of senses, infinite bounds as IEEE
// infinities, and the matrix both by columns and by rows. Reductions only
// remove rows and columns and change bounds and costs, so the matrix itself
// never changes: an entry is active while its row and its column are.
#pragma once
#include <cstdint>
#include <limits>
#include <vector>

#include "model/problem.h"
#include "presolve/presolve_record.h"

namespace korva::presolve {

inline constexpr double kInf = std::numeric_limits<double>::infinity();

struct PresolveWork {
  int m = 0, n = 0;
  int objsense = 1;
  std::vector<double> cost, lb, ub;  // per column
  std::vector<double> rlo, rhi;      // per row
  std::vector<int64_t> cbeg;         // by column
  std::vector<int> cidx;
  std::vector<double> cval;
  std::vector<int64_t> rbeg;         // by row
  std::vector<int> ridx;
  std::vector<double> rval;
  std::vector<uint8_t> row_alive, col_alive;
  std::vector<int> row_len, col_len;  // active entries
  double offset = 0.0;
  std::vector<Reduction> stack;
  PresolveCounters counters;

  void load(const Problem& p);

  // Removes column j at `value` (the rows' bounds absorb its activity).
  void fix_column(int j, double value);
  // Removes row i as redundant (its dual is 0 and it is basic).
  void remove_row(int i);
  // Drops row i from the active problem without a reduction of its own.
  void drop_row(int i);
  void drop_column(int j);
};

// Row activity bounds of an original row, from its sense, rhs and range.
void row_bounds(const Problem& p, int i, double* lo, double* hi);

inline double to_work_bound(double b) {
  if (b >= kInfinity) return kInf;
  if (b <= -kInfinity) return -kInf;
  return b;
}

}  // namespace korva::presolve
