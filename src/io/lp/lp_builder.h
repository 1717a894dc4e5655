// What the LP parser has read so far, kept in the cheapest form for
// appending (rows by rows, names in arenas) and turned into the reader
// arrays once the file is complete: default names, repeat messages, the
// typing rules of the variable-type sections and the column-major matrix.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/lp/lp_name_table.h"
#include "io/reader_arrays.h"

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;
}

namespace korva::lp {

enum class RowKind { kConstraint = 0, kUserCut = 1, kLazy = 2 };
enum class TypeSection : char { kGeneral = 'G', kInteger = 'I', kBinary = 'B', kSemi = 'S' };

// Rows of one section kind, row by row.
struct RowList {
  std::vector<int64_t> begin{0};
  std::vector<int> index;
  std::vector<double> value;
  std::vector<double> rhs;
  std::vector<char> sense;
  std::vector<int64_t> label;  // into labels, -1 unnamed
  NameTable labels;
  int64_t rows() const { return static_cast<int64_t>(rhs.size()); }
};

struct QuadTerm {
  int i, j;
  double v;
};

struct StagedQConstraint {
  std::vector<int> linind;
  std::vector<double> linval;
  std::vector<QuadTerm> quad;
  char sense;
  double rhs;
  std::string name;
  bool named;
};

struct StagedIndicator {
  int column;
  int kind;  // 1 ->, 2 <-, 3 <->; negated when complemented
  std::vector<int> linind;
  std::vector<double> linval;
  char sense;
  double rhs;
  std::string name;
  bool named;
};

struct StagedSos {
  char type;
  std::string name;
  bool named;
  std::vector<int> index;
  std::vector<double> weight;
};

class Builder {
 public:
  explicit Builder(Environment& env) : env_(env) {}

  // ---- columns ----------------------------------------------------------------
  int column(std::string_view name);       // declares on first appearance
  int find_column(std::string_view name) const {
    return static_cast<int>(columns_.find(name));
  }
  int num_cols() const { return static_cast<int>(columns_.size()); }

  // ---- the expression being read ------------------------------------------
  // Terms of the current expression; zero coefficients are not staged.
  void add_term(int col, double value) {
    if (value == 0.0) return;
    terms_idx_.push_back(col);
    terms_val_.push_back(value);
  }
  void add_quad_term(int i, int j, double value) {
    if (value == 0.0) return;
    quad_.push_back({i, j, value});
  }
  size_t term_count() const { return terms_idx_.size(); }
  size_t quad_count() const { return quad_.size(); }
  int term_column(size_t k) const { return terms_idx_[k]; }
  double term_value(size_t k) const { return terms_val_[k]; }
  void clear_expression() {
    terms_idx_.clear();
    terms_val_.clear();
    quad_.clear();
  }

  // ---- committing the expression -------------------------------------------
  void set_objective(int sense) { objsense_ = sense; }
  void set_objective_name(std::string_view name) { objname_.assign(name); }
  // Adds the staged terms to the objective (the bracket's terms are the
  // halved matrix: [a x^2 + b x*y] / 2 gives Q(x,x) = a, Q(x,y) = b/2).
  void commit_objective(bool keep_quadratic);
  void commit_row(RowKind kind, std::string_view label, bool labeled, char sense, double rhs);
  void commit_qconstraint(std::string_view label, bool labeled, char sense, double rhs);
  // The staged terms are the controlled constraint.
  void commit_indicator(std::string_view label, bool labeled, int column, int kind, char sense,
                        double rhs);

  // ---- bounds, types, sets -------------------------------------------------
  void set_lower(int col, double v) { lb_[col] = v, stated_[col] = 1; }
  void set_upper(int col, double v) { ub_[col] = v, stated_[col] = 1; }
  void declare_type(int col, TypeSection s) { types_.push_back({col, s}); }
  void begin_sos(std::string_view label, bool labeled, char type);
  bool has_open_sos() const { return !sos_.empty(); }
  void add_sos_member(int col, double weight) {
    sos_.back().index.push_back(col);
    sos_.back().weight.push_back(weight);
  }

  // ---- interactive re-entry -------------------------------------------------
  struct Checkpoint {
    int64_t cols, obj, qobj, rows[3], nnz[3], labels[3], qcons, indicators, types, sos,
        sos_members;
  };
  Checkpoint checkpoint() const;
  void rollback(const Checkpoint& c);

  // ---- end of reading --------------------------------------------------------
  // Default names, repeat messages, column types; fills `out`. 0 or an error.
  int finish(ReaderArrays& out, bool with_types);
  int64_t rows_total() const;

 private:
  void merge_duplicates(std::vector<int>& idx, std::vector<double>& val);

  Environment& env_;
  NameTable columns_;
  std::vector<double> lb_, ub_;
  std::vector<char> stated_;  // the column had a bound statement
  int objsense_ = 1;
  std::string objname_;
  bool objname_set_ = false;
  std::vector<int> obj_idx_;
  std::vector<double> obj_val_;
  std::vector<QuadTerm> qobj_;
  std::vector<int> terms_idx_;
  std::vector<double> terms_val_;
  std::vector<QuadTerm> quad_;
  RowList lists_[3];
  std::vector<StagedQConstraint> qcons_;
  std::vector<StagedIndicator> indicators_;
  struct TypeDecl {
    int col;
    TypeSection section;
  };
  std::vector<TypeDecl> types_;
  std::vector<StagedSos> sos_;
  // Duplicate columns within one row: mark_[j] is the row stamp that last
  // saw column j, slot_[j] the position of its entry.
  std::vector<uint32_t> mark_;
  std::vector<int> slot_;
  uint32_t stamp_ = 0;
};

}  // namespace korva::lp
