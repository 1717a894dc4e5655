// The solution pool of a problem object: the integer feasible solutions a
// search (or populate) kept besides the incumbent, the filters a solution
// must pass to enter it, and the counts of what it replaced and rejected.
// The problem owns it in MipData::pool (so it goes with the MIP data), and
// it lives until the problem changes type to one without MIP data or its
// whole model is replaced.
//
// What model edits do to it (the event hook calls keep_after_partial_reset):
// - every edit that discards the search (bounds, objective, rows, columns
//   added or deleted, column types, ...) also discards the stored
//   solutions with the counts of replaced and rejected solutions and the
//   gap filter's reference: they were found for a model that no longer
//   exists. The filters stay, because the user gave them; a pool without
//   filters then goes altogether (solution queries report 3024 again,
//   as before the first optimisation).
// - deleting columns renumbers the filters' columns and drops the entries
//   of the deleted ones (a filter may end up with an empty list);
// - added columns leave the filters as they are;
// - replacing the whole model drops the pool with its filters, which
//   named columns of the old model;
// - loading a basis or renaming leaves everything in place.
// KRVcloneprob copies the pool with its solutions and filters.
//
// The pool is not locked: a parallel search offers solutions from the
// thread that merges its workers' reports, or guards offer() with its own
// lock.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mip/pool_filters.h"
#include "model/problem.h"

namespace korva::mip {

// Gaps and cutoffs at or beyond this are absent.
inline constexpr double kNoPoolLimit = 1e75;

// The pool cutoff for an incumbent objective z (minimisation sense) and the
// pool gaps: z + min(abs_gap, rel_gap·|z|) with both gaps below 1e75, z +
// rel_gap·|z| or z + abs_gap with only one, no cutoff (1e75) with neither
// or when z is not below 1e75. A finite cutoff c is widened by 1e-10·|c|
// when |c| > 1, else by 1e-10. A solution above it is not kept; populate
// stops when its best bound passes it.
double pool_cutoff(double z_min_sense, double rel_gap, double abs_gap);

// The parameters the pool copies when a MIP optimisation starts.
struct PoolSettings {
  int capacity = 2100000000;  // KRV_PARAM_SOLNPOOLCAPACITY
  int replace = 0;            // KRV_PARAM_SOLNPOOLREPLACE
  double rel_gap = kNoPoolLimit, abs_gap = kNoPoolLimit;  // KRV_PARAM_SOLNPOOLGAP, KRV_PARAM_SOLNPOOLAGAP
  double integrality = 1e-5;  // KRV_PARAM_EPINT
  double mip_gap = 1e-4;      // KRV_PARAM_EPGAP
  double mip_abs_gap = 1e-6;  // KRV_PARAM_EPAGAP
  double feasibility = 1e-6;  // KRV_PARAM_EPRHS, for the check of offered solutions
};
PoolSettings read_pool_settings(Environment& env);

// Replacement policies (KRV_PARAM_SOLNPOOLREPLACE) of a full pool.
enum class PoolReplace : int {
  Oldest = 0,   // first in, first out
  Worst = 1,    // the worst objective goes
  Crowded = 2,  // the solution nearest to the others goes, keeping the pool diverse
};

// The built-in gap filter, in minimisation sense: the pool gaps each
// increased by 1e-10, and the reference value r (1e20 until a reference
// exists). The reference is the best objective the pool has seen: every
// stored solution and every incumbent the search reports through
// note_incumbent() lowers it, and it is forgotten with the solutions when
// the model changes. Deleting solutions does not raise it again.
struct GapFilter {
  static constexpr double kNoReference = 1e20;
  double rel_gap = kNoPoolLimit;  // KRV_PARAM_SOLNPOOLGAP + 1e-10
  double abs_gap = kNoPoolLimit;  // KRV_PARAM_SOLNPOOLAGAP + 1e-10
  double reference = kNoReference;

  void set_gaps(double rel, double abs);
  // For an objective v above the reference r: t = min(g_r·|r|, g_a + (1 +
  // |r|)·1e-10), with g_r unscaled when it is 1e75 or more; with t below
  // 1e75 the solution is rejected when v > r + t.
  bool rejects(double v_min_sense) const;
};

struct PoolSolution {
  std::vector<double> x;   // one value per column of the problem
  double objective = 0.0;  // in the user's sense
  double minimised = 0.0;  // in minimisation sense
  std::string name;        // "p1", "p2", ...
  uint64_t key = 0;        // hash of the integer part, for the duplicate test
  double nearest = 0.0;    // distance to the nearest other solution, while the pool keeps it
};

// Bounds of the integer columns that fixing the problem at a pool solution
// changed, to put back when the problem leaves the fixed type.
struct FixedBounds {
  std::vector<int> cols;
  std::vector<double> lb, ub;
  bool empty() const { return cols.empty(); }
};

enum class PoolOffer {
  Stored,     // in the pool now (a full pool replaced another solution for it)
  Duplicate,  // the same solution is stored already; nothing counted
  Rejected,   // a filter or the gap filter refused it; counted as rejected
  NotKept,    // a full pool kept the others (counted as replaced), or the
              // solution failed the feasibility check (not counted)
};

struct SolutionPool : AttachedPart {
  std::vector<PoolSolution> solutions;  // in order of arrival
  int64_t replaced = 0;                 // solutions dropped to make room (KRVgetsolnpoolnumreplaced)
  int64_t rejected = 0;                 // solutions refused by a filter
  PoolSettings settings;
  GapFilter gap;
  std::vector<PoolFilter> filters;
  int num_cols = 0;  // columns of the problem the solutions belong to
  // Names never repeat within the pool's life.
  int64_t next_solution_number = 1;
  int64_t next_filter_number = 1;
  // Populate records here that its first phase proved optimality.
  bool proved_optimal = false;
  FixedBounds fixed;

  // Offers x (values of all columns of p, the original problem) with its
  // objective in the user's sense. In order: the feasibility check, the
  // duplicate test (integer-like columns equal after rounding, continuous
  // ones within 1e-6 relative), the filters in order, the gap filter, then
  // the capacity and the replacement policy.
  PoolOffer offer(const Problem& p, const std::vector<double>& x, double user_objective, int objsense);
  // Lowers the gap filter's reference to an incumbent objective (minimisation
  // sense); solutions the tighter reference puts beyond the gap leave the
  // pool and count as replaced.
  void note_incumbent(const Problem& p, double objective_min_sense);
  // Takes new settings and applies them at once: a capacity below the
  // number of stored solutions drops solutions by the replacement policy,
  // tighter gaps drop the solutions beyond them (both counted as replaced).
  void apply_settings(const Problem& p, const PoolSettings& s);

  int num_solutions() const { return static_cast<int>(solutions.size()); }
  // Solutions + replaced + rejected: what populate's limit counts.
  int64_t offered_total() const { return static_cast<int64_t>(solutions.size()) + replaced + rejected; }
  // Mean of the stored objectives (user sense); 0 for an empty pool.
  double mean_objective() const;
  // Removes the solutions flagged in `drop` (one flag per solution) at the
  // user's request: not counted as replaced.
  void erase_solutions(const std::vector<char>& drop);
  // Forgets the solutions and their bookkeeping (counts, gap reference).
  void clear_solutions();
  bool holds_something() const { return !solutions.empty() || !filters.empty() || !fixed.empty(); }
  // "f1", "f2", ... for a filter added without a name.
  std::string next_filter_name();

  // AttachedPart: the reactions to model edits described at the top.
  bool keep_after_partial_reset(int event) override;
  std::unique_ptr<AttachedPart> clone() const override;
  bool renumber_columns(const int* map) override;

 private:
  bool is_duplicate(const Problem& p, const std::vector<double>& x, uint64_t key) const;
  // Adds s, making room by the replacement policy when the pool is full;
  // false when s itself was the one dropped.
  bool store(const Problem& p, PoolSolution&& s);
  // Drops solutions until `limit` remain, by the replacement policy.
  void shrink_to(const Problem& p, size_t limit);
  // Index of the solution the policy drops first.
  size_t victim(const Problem& p);
  void erase_at(const Problem& p, size_t k);
  void purge_beyond_gap(const Problem& p);
  void refresh_nearest(const Problem& p);

  bool nearest_known_ = false;                   // PoolSolution::nearest is current
  std::vector<double> activity_scratch_, size_scratch_;  // the feasibility check's
  std::vector<size_t> stale_scratch_;                    // erase_at's
};

// The pool of p, or null when none exists. Solutions of a pool whose column
// count no longer matches the problem's are dropped here.
SolutionPool* find_solution_pool(Problem& p);
// The pool of a MIP problem (p.mip must exist), created when missing.
SolutionPool& solution_pool_of(Problem& p);
// At the start of every MIP optimisation: creates the pool when missing and
// copies the parameters into it, applying a smaller capacity and tighter
// gaps at once. p must be a MIP problem.
SolutionPool& prepare_solution_pool(Environment& env, Problem& p);

// Slacks rhs - a·x of rows begin..end (out[i - begin]) at x.
void pool_row_slacks(const Problem& p, const double* x, int begin, int end, double* out);
// Slacks rhs - (lin·x + x'Qx) of quadratic constraints begin..end.
void pool_qconstr_slacks(const Problem& p, const double* x, int begin, int end, double* out);

}  // namespace korva::mip
