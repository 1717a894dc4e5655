// The problem object: one model (LP data, names, optional parts) and the
// results derived from it (solution, basis, presolve record, MIP search,
// optimiser work data), which change events discard.
//
// Reading the model (file writers, factorisation, simplex, presolve, ...):
// call model::complete(env, lp) first so that additions still waiting in the
// modification buffer are part of the model, then use the accessors of
// krv_prob_s at the end of this file:
//
//   lp.num_rows(), lp.num_cols(), lp.num_nonzeros()
//   lp.column(j)             column j's entries: .index[k] (row), .value[k]
//   lp.row_copy()            the matrix by rows (built on demand, cached)
//   lp.obj(j), lp.lower(j), lp.upper(j), lp.objsense()
//   lp.rhs(i), lp.sense(i), lp.range(i), lp.has_ranges()
//   lp.row_name(i), lp.col_name(j)   stored name or nullptr; writers use
//                            model::row_name/col_name for default names
//   lp.ctype(j), lp.is_mip() column types ('C' without MIP data)
//   lp.type                  problem type (KRVPROB_*)
//
// Changing the model goes through the operations of model/model.h, which
// keep names, types, basis and optional parts in step and raise the change
// events. Internal positions and counts are 64-bit; row and column indices
// are int. Every string stored here is UTF-8.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "env/environment.h"
#include "env/owned.h"
#include "model/column_matrix.h"
#include "model/name_store.h"

namespace korva {

// A bound at or beyond this magnitude is infinite.
inline constexpr double kInfinity = 1e20;

struct LpData {
  std::string name;      // problem name
  std::string objname;   // objective name ("" when none)
  int num_rows = 0;
  int num_cols = 0;
  int objsense = 1;                  // 1 minimise, -1 maximise
  std::vector<double> obj, lb, ub;   // per column
  std::vector<double> rhs;           // per row
  std::vector<char> sense;           // per row: 'L', 'E', 'G', 'R'
  // Per row, always as long as rhs; only meaningful (and reported by the
  // interface) when has_range is set. Zero for rows added without a range.
  std::vector<double> range;
  bool has_range = false;
  ColumnMatrix matrix;
  NameStore row_names, col_names;
};

// Special ordered set.
struct SosSet {
  char type = '1';  // '1' or '2'
  std::string name; // empty: unnamed (writers use "s%lld")
  std::vector<int> indices;
  std::vector<double> weights;
};

// Indicator constraint: when column `indicator` is 1 (0 when complemented),
// sum(linval * x[linind]) sense rhs must hold.
struct IndicatorConstraint {
  int indicator = -1;
  int complemented = 0;
  std::vector<int> linind;
  std::vector<double> linval;
  char sense = 'L';
  double rhs = 0.0;
  std::string name;  // empty: unnamed (writers use "i%lld")
};

// A pool of user cuts or lazy constraints: rows kept apart from the model,
// row r's entries at begin[r] .. begin[r + 1] - 1.
struct RowPool {
  std::vector<int64_t> begin{0};  // num_rows() + 1 positions
  std::vector<int> index;
  std::vector<double> value;
  std::vector<double> rhs;
  std::vector<char> sense;
  std::vector<std::string> names;  // per row; empty: unnamed ("u%lld" / "l%lld")
  int num_rows() const { return static_cast<int>(rhs.size()); }
  int64_t nonzeros() const { return begin.back(); }
};

// Priority order for branching; priority and direction have one entry per
// index (0 when the caller gave none).
struct PriorityOrder {
  std::vector<int> indices, priority, direction;
};

// Base of the records other subsystems hang on a problem (solution record,
// presolve record, MIP search, optimiser work data, MIP starts). The model
// owns them through this base, so it can free them without knowing them.
struct AttachedPart {
  virtual ~AttachedPart() = default;
  // For events that only partly reset optimiser work data: return true to
  // keep this part (the owner decides what still matches the model).
  virtual bool keep_after_partial_reset(int /*event*/) { return false; }
  // Copy for KRVcloneprob (MIP starts); null: not copied.
  virtual std::unique_ptr<AttachedPart> clone() const { return nullptr; }
  // Columns deleted: column j became map[j] or vanished (map[j] < 0).
  // Return false to be dropped instead.
  virtual bool renumber_columns(const int* /*map*/) { return false; }
  // Bounds of columns changed in `owner` (which holds the new ones; old_lb
  // and old_ub the bounds before). Return false to be dropped instead.
  virtual bool carry_bounds(Environment& /*env*/, const krv_prob_s& /*owner*/, int /*count*/,
                            const int* /*cols*/, const double* /*old_lb*/, const double* /*old_ub*/) {
    return false;
  }
  // A problem this part owns (the presolved problem): its pending additions
  // are applied together with the owner's.
  virtual krv_prob_s* owned_problem() { return nullptr; }
};

struct MipData {
  std::vector<char> ctype;  // per column: 'C', 'B', 'I', 'S', 'N'
  std::vector<SosSet> sos;
  std::vector<IndicatorConstraint> indicators;
  std::unique_ptr<PriorityOrder> order;
  std::unique_ptr<AttachedPart> starts;  // MIP starts, owned by their subsystem
  std::unique_ptr<AttachedPart> pool;  // solution pool and filters
};

// Quadratic objective: the full symmetric matrix Q, column-major, one
// column per problem column (entry (i, j) stored in column j with index i).
struct QuadObjective {
  ColumnMatrix q;
};

struct QuadConstraint {
  std::vector<int> linind;
  std::vector<double> linval;
  std::vector<int> quadrow, quadcol;
  std::vector<double> quadval;
  char sense = 'L';  // 'L' or 'G'
  double rhs = 0.0;
  std::string name;  // empty: unnamed (writers use "q%lld")
};

struct QuadConstraints {
  std::vector<QuadConstraint> list;
};

// Basis status of every column and row (KRV_AT_LOWER .. KRV_FREE_SUPER).
// row_activity, when not empty, holds a·x of each row for the basis's
// primal point; coefficient changes of nonbasic columns keep it current.
struct PresolvedBasis;
struct Basis {
  std::vector<int> cstat, rstat;
  std::vector<double> row_activity;
  // Set when this basis was mapped back from a presolved problem's.
  std::shared_ptr<const PresolvedBasis> presolved;
};

// The basis a presolved problem ended with, kept beside the original basis
// it was mapped to. When the same problem is presolved again after an edit
// that keeps the basis, and presolve removes the same rows and columns,
// the new reduced problem starts from it exactly; mapping the original
// basis forward can only approximate it.
struct PresolvedBasis {
  std::vector<int> orig_cstat, orig_rstat;  // the original basis it was mapped to
  std::vector<int> orig_col, orig_row;      // per reduced column and row: original index
  std::vector<int> cstat, rstat;            // the presolved problem's basis
};

// Everything the optimisers cache in a problem; change events discard it
// (model/events.cpp holds the table). Optimisers derive their records from
// AttachedPart and store them here.
struct DerivedState {
  int status = 0;             // solution status, 0 when nothing is known
  bool values_valid = false;  // solution values still belong to the model
  std::unique_ptr<AttachedPart> solution;    // LP solution record
  std::unique_ptr<Basis> basis;
  std::unique_ptr<AttachedPart> presolve;    // presolved problem and its record
  std::unique_ptr<AttachedPart> mip_search;  // tree, cuts, node data, pool bookkeeping
  std::unique_ptr<AttachedPart> subproblems[2];  // kept for post-solution analysis
  std::unique_ptr<AttachedPart> work;        // factor, norms, scaled copies, ...
};

// Additions waiting to be applied (modelling extensions). Indices of pending
// columns continue after the model's columns, those of pending rows after its
// rows.
struct ModificationBuffer {
  enum class Layout { ByColumn, ByRow, Coordinates };
  bool in_use = false;  // set while the buffer is being applied
  // Pending columns.
  int num_cols = 0;
  std::vector<double> obj, lb, ub;
  std::vector<char> ctype;  // empty, or one per pending column
  std::vector<std::string> col_names;
  std::vector<char> col_named;  // per pending column: a name was given
  // Pending rows.
  int num_rows = 0;
  std::vector<double> rhs, range;
  std::vector<char> sense;
  bool has_range = false;
  std::vector<std::string> row_names;
  std::vector<char> row_named;
  // Pending nonzeros: entry (row[k], col[k]) is set to val[k] (0 removes).
  Layout layout = Layout::Coordinates;
  std::vector<int> nz_row, nz_col;
  std::vector<double> nz_val;

  bool empty() const { return num_cols == 0 && num_rows == 0 && nz_val.empty(); }
};

// Change events raised by edits; each discards the derived state its row of
// the table in model/events.cpp names.
enum class ChangeEvent : int {
  RangeCoef = 3, Bounds = 4, MatrixNonbasic = 6, ColumnTypes = 7, RhsList = 8, Indicators = 9,
  RhsCoef = 10, Lazy = 11, ObjSense = 12, ObjCoef = 13, ObjList = 14, ReplaceModel = 16,
  AddRows = 17, RowsBuffered = 18, DelRows = 19, DelSetRows = 20, Names = 23, QuadReplaced = 24,
  QuadChanged = 26, TypeConversion = 27, AddCols = 28, BufferedCols = 29, DelCols = 31,
  DelSetCols = 32, Senses = 33, Pattern = 34, Ranges = 58, ProblemType = 60, QConstraints = 62,
  // Not an edit of the model: a starting basis replaced the old one.
  BasisLoaded = 1000,
};

}  // namespace korva

struct krv_prob_s : korva::ObjectHeader {
  int type = 0;         // problem type (KRVPROB_*)
  bool locked = false;  // problems lent to callbacks cannot be edited (1023)
  korva::LpData lp;
  std::unique_ptr<korva::MipData> mip;  // column types, SOS, indicators, order, starts
  std::unique_ptr<korva::QuadObjective> quad;
  std::unique_ptr<korva::QuadConstraints> qcons;
  std::unique_ptr<korva::RowPool> user_cuts, lazy_constraints;
  korva::DerivedState derived;
  korva::ModificationBuffer buffer;

  // ---- read accessors (valid after model::complete) ----------------------
  int num_rows() const { return lp.num_rows; }
  int num_cols() const { return lp.num_cols; }
  int64_t num_nonzeros() const { return lp.matrix.nonzeros(); }
  korva::SparseSpan column(int j) const { return lp.matrix.column(j); }
  const korva::RowCopy& row_copy() const { return lp.matrix.row_copy(lp.num_rows); }
  int objsense() const { return lp.objsense; }
  double obj(int j) const { return lp.obj[j]; }
  double lower(int j) const { return lp.lb[j]; }
  double upper(int j) const { return lp.ub[j]; }
  double rhs(int i) const { return lp.rhs[i]; }
  char sense(int i) const { return lp.sense[i]; }
  // Range value of row i (0 when the problem has no ranges). For sense 'R'
  // the row is rhs <= a·x <= rhs + r for r >= 0, rhs + r <= a·x <= rhs else.
  double range(int i) const { return lp.has_range ? lp.range[i] : 0.0; }
  bool has_ranges() const { return lp.has_range; }
  const char* row_name(int i) const {
    return lp.row_names.present() ? lp.row_names.get(i) : nullptr;
  }
  const char* col_name(int j) const {
    return lp.col_names.present() ? lp.col_names.get(j) : nullptr;
  }
  bool is_mip() const { return mip != nullptr; }
  char ctype(int j) const { return mip && !mip->ctype.empty() ? mip->ctype[j] : 'C'; }
};

namespace korva {
using Problem = krv_prob_s;
}  // namespace korva
