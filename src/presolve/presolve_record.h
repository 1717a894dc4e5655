// The presolve record a problem keeps after presolve: the reduced problem,
// the reductions that produced it (replayed backwards to map solutions
// back), the maps between original and reduced indices, the counters and
// the parameters presolve ran with. Any edit of the original problem drops
// the record through its change event.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "model/problem.h"

namespace korva::presolve {

struct DualFormulation;  // what maps a solution of the dual formulation back

// Codes of the column and row maps for items that are not in the reduced
// problem.
inline constexpr int kRemoved = -1;       // fixed column, or row dropped as redundant or empty
inline constexpr int kSubstituted = -2;   // column (and its row) substituted out
inline constexpr int kMadeEquality = -3;  // inequality row that became an equality

enum class ReductionKind : uint8_t {
  RemoveRow,      // empty or redundant row: basic, dual 0
  FixColumn,      // column removed at a value
  SingletonRow,   // row of one entry turned into bounds of its column
  ForcingRow,     // row whose implied bounds force every column to a bound
  FreeSingleton,  // (implied) free column alone in an equality row, substituted out
  SlackSingleton, // bounded column alone in an equality row: its bounds become the row's
  Aggregate,      // column substituted out of the other rows through an equality row; the
                  // row stays with the column's bounds as its range. Followed by `count`
                  // entries of the row and `count2` entries of the column as they were.
  DuplicateRow,   // row parallel to row `other`: its range went into that row
  DuplicateColumn,  // column = a·column `other` with proportional cost: x_other + a·x_col
                    // became x_other (bounds old_lb/old_ub of `other`, lb/ub of `col`)
  Entry,          // data of the reduction before it (row or column, coefficient a)
};

// One reduction. Costs are in the minimisation sense and taken at the time
// of the reduction: later substitutions change the costs of other columns.
struct Reduction {
  ReductionKind kind = ReductionKind::RemoveRow;
  int row = -1;
  int col = -1;
  double a = 0.0;       // pivot coefficient (singleton row, free singleton, aggregate); duplicate
                        // row: the factor with row = a·other
  double value = 0.0;   // fixed value; right-hand side of a substituted row
  double cost = 0.0;    // column cost at the time
  double lb = 0.0, ub = 0.0;          // column bounds at the time (after tightening)
  double old_lb = 0.0, old_ub = 0.0;  // singleton row: column bounds before it; duplicate
                                      // column: bounds of the column kept before the merge
  int side = 0;         // forcing row: -1 activity at its minimum, +1 at its maximum;
                        // duplicate row: bit 0 the lower, bit 1 the upper end of `other` came from `row`
  int other = -1;       // duplicate row (column): the row (column) kept
  int count = 0, count2 = 0;  // entries that follow (aggregate; singleton row: count2 column entries)
  bool snapshot = false;      // singleton row: the column as it was follows
};

struct PresolveCounters {
  long long rows_removed = 0, cols_removed = 0;
  long long rows_added = 0, cols_added = 0;
  long long coefs_modified = 0;
  long long substitutions = 0;
  long long bound_improvements = 0;
  long long aggregator_passes = 0;
  long long implied_integers = 0;  // continuous columns found integral
};

// The parameters presolve ran with.
struct PresolveSettings {
  int method = 2;    // 1 primal, 2 dual: the simplex that will solve the reduced problem
  int passes = -1;   // KRV_PARAM_PREPASS
  int reduce = 3;    // KRV_PARAM_REDUCE: 1 primal, 2 dual, 3 both kinds of reductions
  int linear = 1;    // KRV_PARAM_PRELINEAR
  int aggregate = -1;  // KRV_PARAM_AGGIND
  int agg_fill = 10;   // KRV_PARAM_AGGFILL
  int dependent = -1;  // KRV_PARAM_DEPIND
  int dual_form = 0;   // KRV_PARAM_PREDUAL
  bool messages = true;  // presolve message switch
};

struct PresolveRecord : AttachedPart {
  PresolveRecord() = default;
  PresolveRecord(const PresolveRecord&) = delete;
  PresolveRecord& operator=(const PresolveRecord&) = delete;
  ~PresolveRecord() override;
  Problem* owned_problem() override { return reduced; }

  Problem* reduced = nullptr;     // owned; null when presolve removed everything
  bool dual_formulation = false;  // the reduced problem is the dual of the original
  std::shared_ptr<DualFormulation> dual;  // set with dual_formulation
  bool valid = true;
  bool everything_removed = false;
  // Mixed-integer: the reduced problem is solved by a search of its own
  // (with its own presolve) rather than by the caller's.
  bool nested_search = false;

  int orig_rows = 0, orig_cols = 0;
  std::vector<Reduction> stack;
  std::vector<int> col_map, row_map;    // per original item: reduced index or a code
  std::vector<int> orig_col, orig_row;  // per reduced item: original index
  // Per reduced column, its cost (minimisation sense) after substitutions.
  std::vector<double> reduced_cost;
  double offset = 0.0;  // objective constant (minimisation sense) of the reduced problem

  PresolveCounters counters;
  PresolveSettings settings;
};

// The record of a problem, or null.
PresolveRecord* find_record(Problem& p);

// A problem object that no environment list tracks: the record owns it.
Problem* new_owned_problem(Environment& env);
void free_owned_problem(Problem* p);

}  // namespace korva::presolve
