// The reduction rules and the passes that apply them: one Reducer per
// presolve, working on the working copy; the rules live in files by kind
// (primal rules on bounds and activities, dual rules, substitutions,
// dependent rows).
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "env/environment.h"
#include "presolve/parallel_lines.h"
#include "presolve/presolve_work.h"

namespace korva::presolve {

inline constexpr int kInfeasible = 1117;
inline constexpr int kInfeasibleOrUnbounded = 1101;
inline constexpr int kAborted = 1106;
inline constexpr int kTimeLimit = 1123;
inline constexpr int kDetTimeLimit = 1124;

inline constexpr uint64_t kProgressWork = 10000000;
inline constexpr double kProgressSeconds = 5.0;

inline constexpr double kFixedGap = 1e-10;     // a column whose bounds are closer is fixed
inline constexpr double kFeasTol = 1e-6;       // violations beyond this prove infeasibility
inline constexpr double kRedundantTol = 1e-9;  // implied activity this close to a bound makes it redundant
inline constexpr double kPivotRatio = 1e-2;    // smallest substitution pivot relative to its row
inline constexpr int kAutomaticPasses = 200;
inline constexpr double kAggPivotRow = 1e-2;   // aggregator pivot relative to the largest entry of its row
inline constexpr double kAggPivotCol = 1e-2;   // ... and of its column (bounds the row multipliers)
inline constexpr int kAggMaxRow = 64;          // longest equality row the aggregator substitutes from
inline constexpr int kAggMaxCol = 256;         // longest column it substitutes out
inline constexpr int64_t kAggScanLimit = 20000;  // entries read to count the fill of one substitution
inline constexpr int kImpliedMaxCol = 16;      // longest column whose rows may imply its bounds
inline constexpr int64_t kImpliedMaxRead = 2000;  // entries read for that
inline constexpr double kDropTol = 1e-12;        // coefficients below this after a substitution are zero
inline constexpr double kCancelTol = 1e-11;      // ... as are those this small relative to their terms

// Tolerances relative to a bound; an infinite bound gets none (inf - inf is no number).
inline double feas_tol(double b) { return std::isinf(b) ? 0.0 : kFeasTol * std::max(1.0, std::fabs(b)); }
inline double redundant_tol(double b) { return std::isinf(b) ? 0.0 : kRedundantTol * std::max(1.0, std::fabs(b)); }

// Bounds of a row's activity over its active entries, and on each side
// whether there is an infinite contribution (then the sum is not a bound).
struct Activity {
  double min = 0.0, max = 0.0;
  int inf_min = 0, inf_max = 0;
};

class Reducer {
 public:
  Reducer(Environment& env, const Problem& p, PresolveWork& w, const PresolveSettings& s)
      : env_(env), p_(p), w_(w), s_(s) {}

  int run();

 private:
  int passes();
  // Abort and the two time limits end presolve between passes.
  int limits() const;
  // A line now and then during long presolves.
  void progress();
  // Row i's activity bounds without column `skip`, on the sides asked
  // for (the others hold no meaning). The scan stops once every side asked
  // for has an infinite contribution: its sum is then of no use.
  Activity activity(int i, int skip = -1, bool want_min = true, bool want_max = true) const;
  int bound_infeasible(int j);
  int column_pass(bool& changed);
  // An empty column goes to the bound its cost prefers; with no cost it
  // takes 0 clipped into its bounds.
  int empty_column(int j);
  int dual_infeasible_column(int j);
  int row_pass(bool& changed);
  int empty_row(int i);
  // a·x_j within [rlo, rhi] becomes bounds of x_j.
  int singleton_row(int i);
  int implied_infeasible(int i, const Activity& act);
  int activity_pass(bool& changed);
  // Every column of the row sits at the bound that gives the row its
  // extreme activity (side -1: minimum, +1: maximum).
  void forcing_row(int i, int side);
  // Hash of a row's pattern and its coefficients relative to the entry of
  // its first column, so that multiples of one row meet in one bucket.
  uint64_t row_key(int i) const;
  // Ratio r with row(other) = r·row(keep) over the active entries, or 0.
  double multiple_of(int keep, int other);
  // Of two parallel rows one goes: the row kept takes the intersection of
  // both ranges. Returns 1117 when they have no point in common.
  int dependent_row_pass(bool& changed);
  int merge_rows(int keep, int other, double ratio, bool& changed);
  // Columns whose reduced cost has a strict sign under the bounds of the
  // row duals go to the bound that sign gives.
  void dominated_column_pass(bool& changed);
  // Parallel columns merge (proportional costs) or one goes to a bound.
  void duplicate_column_pass(bool& changed);
  uint64_t column_key(int j) const;
  double column_multiple(int keep, int other);
  bool parallel_columns(int j, int k, double t);
  void merge_columns(int j, int k, double t);
  // Row i and all of its active columns still have their original entries.
  bool original_entries(int i) const;
  // Equality rows substitute one of their columns out of the other rows
  // when the fill stays within the limit.
  void aggregate_pass(bool& changed);
  int aggregate_column(int i, double* pivot);
  // New entries minus removed ones when x_j is substituted out through row i.
  int64_t fill_of(int i, int j);
  // x_j = (b - rest of row i) / a goes into every other row and the cost;
  // row i keeps the bounds of x_j as its range, or goes when x_j is free
  // or implied free (`free_row`).
  void aggregate(int i, int j, double a, bool free_row);
  void combine_rows();
  void combine_columns();
  // A column that no row stops from moving in the direction its cost
  // prefers goes to that bound.
  void dual_fix_pass(bool& changed);
  // A free column alone in a one-sided row fixes that row's dual at
  // cost / a; a dual of the sign the row cannot take proves the problem
  // dual infeasible.
  int dual_bound_pass();
  // A column alone in an equality row whose bounds the row implies anyway
  // is substituted out: the row defines it.
  void free_singleton_pass(bool& changed);
  bool implied_free(int i, int j, double a) const;
  bool spoils_dual_start(int i, int j, double a) const;
  bool tight_inequality(int i, int j, double a);
  bool implied_by_rows(int j) const;
  // b = a_i·x + a·x_j with x_j in [l, u]: the column acts as the row's
  // slack, so the row keeps a_i·x between b - a·u and b - a·l instead.
  void absorb_slack(int i, int j, double a);
  // The cost of x_j moves onto the other columns of its defining row.
  void shift_costs(int i, int j, double a, double b);
  void substitute(int i, int j, double a);

  // The row of the one active entry of column j, and its coefficient.
  int only_row(int j, double* a) const {
    for (int64_t k = w_.cbeg[j]; k < w_.cend[j]; ++k)
      if (w_.row_alive[w_.cidx[k]]) {
        *a = w_.cval[k];
        return w_.cidx[k];
      }
    return -1;
  }

  // Integrality (integer_rules.cpp).
  int integer_infeasible_column(int j);
  int set_integer_bounds(int j, double lo, double hi);
  int integer_row_pass(bool& changed);
  double lowest(int j) const;
  double highest(int j) const;
  Activity implied_activity(int i) const;
  int bound_pass(bool& changed);
  void set_coefficient(int i, int64_t row_entry, double value);
  void coefficient_pass(bool& changed);
  bool set_packing_row(int i) const;
  void set_packing_pass(bool& changed);
  bool implied_integer(int j) const;
  int implied_integer_pass();
  // Row i holds a frozen column: its columns cannot all be fixed.
  bool touches_frozen(int i) const {
    for (int64_t k = w_.rbeg[i]; k < w_.rend[i]; ++k)
      if (w_.col_alive[w_.ridx[k]] && w_.frozen[w_.ridx[k]]) return true;
    return false;
  }

  bool primal_ok() const { return s_.reduce == 1 || s_.reduce == 3; }
  bool dual_ok() const { return s_.reduce >= 2; }

  const char* row_name(int i) const { return s_.messages ? p_.row_name(i) : nullptr; }
  const char* col_name(int j) const { return s_.messages ? p_.col_name(j) : nullptr; }

  // Scratch of the aggregator and of the parallel-row test, sized on first use.
  struct Item {
    int index;
    double value;
  };
  std::vector<Item> row_items_, col_items_;  // pivot row and pivot column without the pivot
  std::vector<double> multiplier_;           // per pivot-column item
  std::vector<int> col_mark_, row_mark_;     // stamp per column / row
  std::vector<int> col_slot_, row_slot_;     // item position per marked column / row
  std::vector<int> seen_;                    // stamp per item
  std::vector<double> col_value_;            // per marked column
  std::vector<double> row_value_;            // per marked row
  std::vector<double> ylo_, yhi_;            // bounds of the row duals
  std::vector<double> implied_lb_, implied_ub_;  // per continuous column: what its rows imply
  int stamp_ = 0;
  int next_stamp();
  LineView rows_view() const {
    return {w_.rbeg.data(), w_.rend.data(), w_.ridx.data(), w_.rval.data(), w_.col_alive.data()};
  }
  LineView columns_view() const {
    return {w_.cbeg.data(), w_.cend.data(), w_.cidx.data(), w_.cval.data(), w_.row_alive.data()};
  }
  int aggregator_runs_ = 0;

  uint64_t last_ticks_ = 0;
  long long last_substitutions_ = 0;
  double last_time_ = 0.0;
  Environment& env_;
  const Problem& p_;
  PresolveWork& w_;
  const PresolveSettings& s_;
};

}  // namespace korva::presolve
