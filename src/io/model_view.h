// A read-only view of a problem object for the file writers: counts,
// columns and rows, bounds, senses, ranges, names, types and the optional
// parts. The writers read the model only through this view, so a change of
// the problem's layout touches this file and not every writer.
//
// Names: a row or column name is the stored one, else the environment's
// name provider's, else the default ("c%lld", "x%lld"); in generic mode the
// stored names are set aside. The optional parts use their stored names or
// their defaults ("s", "i", "q", "u", "l" and the 1-based position).
// String views stay valid as long as the view and the problem are unchanged.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/problem.h"

namespace korva {

class ModelView {
 public:
  // Applies the problem's modification buffer first; status() tells
  // whether that worked (0) or the error code.
  ModelView(Environment& env, Problem& lp, bool generic_names = false);
  int status() const { return status_; }
  Environment& env() const { return env_; }
  bool generic_names() const { return generic_; }

  // ---- model ----------------------------------------------------------------
  int num_rows() const { return lp_.num_rows(); }
  int num_cols() const { return lp_.num_cols(); }
  int64_t num_nonzeros() const { return lp_.num_nonzeros(); }
  int objsense() const { return lp_.objsense(); }
  const std::string& problem_name() const { return lp_.lp.name; }
  const std::string& objective_name() const { return lp_.lp.objname; }  // "" when none

  double obj(int j) const { return lp_.obj(j); }
  double lower(int j) const { return lp_.lower(j); }
  double upper(int j) const { return lp_.upper(j); }
  // Column types: has_types() is false for a continuous problem, whose
  // columns all answer 'C'.
  bool has_types() const { return lp_.mip && !lp_.mip->ctype.empty(); }
  char ctype(int j) const { return lp_.ctype(j); }
  // Column j's entries (row index, value).
  SparseSpan column(int j) const { return lp_.column(j); }

  double rhs(int i) const { return lp_.rhs(i); }
  char sense(int i) const { return lp_.sense(i); }
  bool has_ranges() const { return lp_.has_ranges(); }
  double range(int i) const { return lp_.range(i); }
  // The matrix by rows (entries in increasing column order), built once.
  const RowCopy& rows() const { return lp_.row_copy(); }

  // ---- names ------------------------------------------------------------------
  std::string_view row_name(int i) const;
  std::string_view col_name(int j) const;
  // Whether the written names are the problem's own (false: default or
  // provider names, about which writers warn).
  bool row_names_stored() const { return !generic_ && lp_.lp.row_names.present(); }
  bool col_names_stored() const { return !generic_ && lp_.lp.col_names.present(); }
  bool row_provider() const { return env_.name_providers.row != nullptr; }
  bool col_provider() const { return env_.name_providers.column != nullptr; }

  // ---- special ordered sets ----------------------------------------------------
  int num_sos() const;
  const SosSet& sos(int k) const { return lp_.mip->sos[k]; }
  std::string sos_name(int k) const;
  bool sos_names_stored() const;

  // ---- indicator constraints -----------------------------------------------------
  int num_indicators() const;
  const IndicatorConstraint& indicator(int k) const { return lp_.mip->indicators[k]; }
  // 1 (->), 2 (<-), 3 (<->); negative when complemented.
  int indicator_kind(int k) const;
  std::string indicator_name(int k) const;
  bool indicator_names_stored() const;

  // ---- user cuts (kind 0) and lazy constraints (kind 1) ------------------------
  const RowPool* pool(int kind) const;  // null when there is none
  int pool_rows(int kind) const { return pool(kind) ? pool(kind)->num_rows() : 0; }
  std::string pool_row_name(int kind, int k) const;
  bool pool_names_stored(int kind) const;

  // ---- quadratic data -------------------------------------------------------------
  // The quadratic objective as the full symmetric matrix Q (objective
  // c'x + x'Qx / 2), column j of Q.
  bool has_quadratic() const { return lp_.quad && lp_.quad->q.nonzeros() > 0; }
  SparseSpan quad_column(int j) const { return lp_.quad->q.column(j); }
  int num_qconstraints() const;
  const QuadConstraint& qconstraint(int k) const { return lp_.qcons->list[k]; }
  std::string qconstraint_name(int k) const;
  bool qconstraint_names_stored() const;

 private:
  void build_names(std::vector<std::string>& out, bool rows) const;

  Environment& env_;
  Problem& lp_;
  bool generic_;
  int status_ = 0;
  // Names that are not stored in the problem, built on first use.
  mutable std::vector<std::string> row_names_, col_names_;
  mutable bool row_names_built_ = false, col_names_built_ = false;
};

}  // namespace korva
