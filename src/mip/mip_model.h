// The model a branch-and-cut search works on, read once from the problem
// object: column types and bounds, the objective in the minimisation
// sense, the rows by rows and by columns, the special ordered sets and the
// indicator constraints. Everything is in the user's units and indices.
#pragma once
#include <cstdint>
#include <limits>
#include <vector>

#include "model/problem.h"

namespace korva::mip {

// Infinite bounds are IEEE infinities here; the user's 1e20 converts.
inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline double lower_of(double user) { return user <= -kInfinity ? -kInf : user; }
inline double upper_of(double user) { return user >= kInfinity ? kInf : user; }

enum class ColKind : uint8_t {
  Continuous,
  Integer,         // 'I' and 'B'
  SemiContinuous,  // 'S': 0 or within [lb, ub]
  SemiInteger,     // 'N': 0 or an integer within [lb, ub]
};

struct SosConstraint {
  int type = 1;              // 1 or 2
  std::vector<int> cols;     // in increasing weight order
  std::vector<double> weights;
};

// When column `indicator` takes `active_value`, row `row` of the
// relaxation (a row of its own, beyond the model's rows) must hold.
struct IndicatorLink {
  int indicator = -1;
  double active_value = 1.0;
  int row = -1;
};

struct MipModel {
  const Problem* problem = nullptr;
  int num_cols = 0;
  int num_rows = 0;   // the model's rows, the cuts added to them included
  int num_cuts = 0;   // the last num_cuts of those rows are cuts
  int objsense = 1;
  std::vector<ColKind> kind;
  std::vector<char> ctype;  // the user's letters ('C', 'B', 'I', 'S', 'N')
  std::vector<double> lower, upper;  // the model's bounds
  std::vector<double> cost;          // objective in the minimisation sense
  double offset = 0.0;  // objective constant (minimisation sense): a presolved model's fixed part

  // Rows of the relaxation: the model's rows, then one per indicator
  // constraint (inactive until its indicator takes the active value), then
  // the cut pool (inactive until a node's LP point violates them), then
  // the lazy constraints (inactive until a candidate violates them).
  // Row i holds row_lo[i] <= a_i·x <= row_hi[i] when active.
  int num_relaxation_rows = 0;
  std::vector<double> row_lo, row_hi;
  std::vector<int64_t> row_begin;  // by rows
  std::vector<int> row_col;
  std::vector<double> row_val;
  std::vector<int64_t> col_begin;  // by columns (the same entries)
  std::vector<int> col_row;
  std::vector<double> col_val;
  int first_pool_row = 0;  // rows from here to first_lazy_row are pool cuts
  int first_lazy_row = 0;  // rows from here on are lazy constraints
  // Rows callbacks added during the search follow all others, from here
  // on (-1: none yet). A local one holds only in the subtree of the node
  // that added it: it is no constraint of the model.
  int first_callback_row = -1;
  std::vector<uint8_t> local_row;  // per relaxation row once callbacks add rows

  std::vector<SosConstraint> sos;
  std::vector<IndicatorLink> indicators;

  bool is_integer(int j) const { return kind[j] == ColKind::Integer || kind[j] == ColKind::SemiInteger; }
  bool has_lazy_rows() const { return first_lazy_row < num_relaxation_rows; }
  bool is_local_row(int r) const { return !local_row.empty() && local_row[r] != 0; }
};

// Reads the (complete) problem. Semi-continuous columns keep their bounds
// here; the relaxation widens their lower bound to 0.
void build_mip_model(const Problem& p, MipModel& model);

struct Cut;

// Replaces the model's cut rows by `cuts` (always active, after the
// model's own rows; indicator and lazy rows move behind them).
void set_cut_rows(MipModel& model, const std::vector<Cut>& cuts);

// A coefficient of one of the model's rows set to a new value (0 removes
// the entry; a column the row lacks joins it), with the row's finite sides
// moved by `side_shift`.
struct CoefficientChange {
  int row;
  int col;
  double value;
  double side_shift;  // added to the row's finite sides
};
void change_coefficients(MipModel& model, const std::vector<CoefficientChange>& changes);

// Replaces the pool rows by `cuts` (between the indicator rows and the
// lazy constraints), or appends `cuts` to them.
void set_pool_rows(MipModel& model, const std::vector<Cut>& cuts);
void append_pool_rows(MipModel& model, const std::vector<Cut>& cuts);

// Appends rows a callback added (after every other row); returns the
// index of the first.
struct CallbackRow;
int append_callback_rows(MipModel& model, const std::vector<CallbackRow>& rows);

// True when every solution's objective is an integer: only integer
// columns with integer costs, and an integer offset.
bool objective_is_integral(const MipModel& model);

// a_i·x for one relaxation row.
double row_activity(const MipModel& model, int row, const double* x);

}  // namespace korva::mip
