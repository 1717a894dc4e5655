// The problem object: one model (LP data, names, optional parts) and the
// results derived from it (solution, basis, presolve record, MIP search,
// optimiser work data), which change events discard.
//
// Internal positions and counts are 64-bit; row and column indices are int.
// Every string stored here is UTF-8.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "env/environment.h"
#include "env/owned.h"

namespace korva {

inline constexpr double kInfinity = 1e20;

// Names of one dimension: all items named, or none.
struct NameStore {
  bool present = false;
  std::vector<std::string> names;  // one per row (column) when present
};

// Column-major sparse matrix with room to grow: column j's entries are at
// positions begin[j] .. begin[j] + count[j] - 1; the space up to begin[j + 1]
// (or the end of the arrays) is free.
struct ColumnMatrix {
  std::vector<int64_t> begin;
  std::vector<int> count;
  std::vector<int> index;
  std::vector<double> value;
  int64_t nonzeros = 0;
};

struct LpData {
  std::string name;      // problem name
  std::string objname;   // objective name ("" when none)
  int num_rows = 0;
  int num_cols = 0;
  int objsense = 1;      // 1 minimise, -1 maximise
  std::vector<double> obj, lb, ub;   // per column
  std::vector<double> rhs;           // per row
  std::vector<char> sense;           // 'L', 'E', 'G', 'R'
  std::vector<double> range;         // per row when has_range
  bool has_range = false;
  ColumnMatrix matrix;
  NameStore row_names, col_names;
};

// Special ordered set.
struct SosSet {
  char type;  // '1' or '2'
  std::string name;
  std::vector<int> indices;
  std::vector<double> weights;
};

// Indicator constraint: when column `indicator` is 1 (0 when complemented),
// sum(linval * x[linind]) sense rhs must hold.
struct IndicatorConstraint {
  int indicator;
  int complemented;
  std::vector<int> linind;
  std::vector<double> linval;
  char sense;
  double rhs;
  std::string name;
};

// A pool of user cuts or lazy constraints: rows kept apart from the model.
struct RowPool {
  std::vector<int64_t> begin;  // per row, with begin.back() == nonzeros
  std::vector<int> index;
  std::vector<double> value;
  std::vector<double> rhs;
  std::vector<char> sense;
  std::vector<std::string> names;
  int num_rows() const { return static_cast<int>(rhs.size()); }
};

// Priority order for branching.
struct PriorityOrder {
  std::vector<int> indices, priority, direction;
};

struct MipData {
  std::vector<char> ctype;  // per column: 'C', 'B', 'I', 'S', 'N'
  std::vector<SosSet> sos;
  std::unique_ptr<PriorityOrder> order;
};

// Quadratic objective, full symmetric matrix in column-major form.
struct QuadObjective {
  std::vector<int64_t> begin;
  std::vector<int> count;
  std::vector<int> index;
  std::vector<double> value;
};

struct QuadConstraint {
  std::vector<int> linind;
  std::vector<double> linval;
  std::vector<int> quadrow, quadcol;
  std::vector<double> quadval;
  char sense;
  double rhs;
  std::string name;
};

// Basis status of every column and row (KRV_AT_LOWER .. KRV_FREE_SUPER).
struct Basis {
  std::vector<int> cstat, rstat;
};

// Results owned by optimisers. They live in their subsystems; the model only
// holds them and discards them on change events.
struct LpSolution;       // simplex
struct PresolveRecord;   // presolve
struct MipSearch;        // branch-and-cut
struct OptimizerWork;    // factor, norms, scaled copy ...
struct ModificationBuffer;  // pending additions of the modelling extensions

struct DerivedDeleter {
  void operator()(LpSolution* p) const;
  void operator()(PresolveRecord* p) const;
  void operator()(MipSearch* p) const;
  void operator()(OptimizerWork* p) const;
  void operator()(ModificationBuffer* p) const;
};

struct DerivedState {
  int status = 0;                 // solution status, 0 when nothing known
  bool values_valid = false;      // solution values still belong to the model
  std::unique_ptr<LpSolution, DerivedDeleter> solution;
  std::unique_ptr<Basis> basis;
  std::unique_ptr<PresolveRecord, DerivedDeleter> presolve;
  std::unique_ptr<MipSearch, DerivedDeleter> mip;
  std::unique_ptr<OptimizerWork, DerivedDeleter> work;
};

// Change events raised by edits; each discards the derived state its table
// row names (see model/events.cpp).
enum class ChangeEvent : int {
  RangeCoef = 3, Bounds = 4, MatrixNonbasic = 6, ColumnTypes = 7, RhsList = 8, Indicators = 9,
  RhsCoef = 10, Lazy = 11, ObjSense = 12, ObjCoef = 13, ObjList = 14, ReplaceModel = 16,
  AddRows = 17, RowsBuffered = 18, DelRows = 19, DelSetRows = 20, Names = 23, QuadReplaced = 24,
  QuadChanged = 26, TypeConversion = 27, AddCols = 28, BufferedCols = 29, DelCols = 31,
  DelSetCols = 32, Senses = 33, Pattern = 34, Ranges = 58, ProblemType = 60, QConstraints = 62,
};

}  // namespace korva

struct krv_prob_s : korva::ObjectHeader {
  int type = 0;  // problem type (KRVPROB_*)
  korva::LpData lp;
  std::unique_ptr<korva::MipData> mip;             // column types, SOS, order
  std::unique_ptr<korva::QuadObjective> quad;
  std::vector<korva::QuadConstraint> qconstraints;
  std::vector<korva::IndicatorConstraint> indicators;
  std::unique_ptr<korva::RowPool> user_cuts, lazy_constraints;
  korva::DerivedState derived;
  // Pending additions of the modelling extensions (applied before reads).
  std::unique_ptr<korva::ModificationBuffer, korva::DerivedDeleter> buffer;
};

namespace korva {
using Problem = krv_prob_s;
}  // namespace korva
